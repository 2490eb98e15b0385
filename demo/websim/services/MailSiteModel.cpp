#include "MailSiteModel.h"

#include "DemoData.h"
#include "PageText.h"

#include <stdexcept>

namespace korvalin::websim {
namespace {

// The bare addresses of a recipient list, in lower case.
std::vector<std::string> RecipientAddresses(const std::string &list)
{
    std::vector<std::string> addresses;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(",;", start);
        std::string entry = mailsite::TrimBlanks(list.substr(start, end == std::string::npos ? end : end - start));
        size_t open = entry.find('<');
        size_t close = entry.find('>', open == std::string::npos ? 0 : open);
        if (open != std::string::npos && close != std::string::npos)
            entry = entry.substr(open + 1, close - open - 1);
        if (!entry.empty())
            addresses.push_back(AsciiLower(entry));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return addresses;
}

} // namespace

void MailSiteModel::AddAccount(const std::string &user, const std::string &password)
{
    std::lock_guard lock(State);
    SimAccount &account = Accounts[AsciiLower(user)];
    account = SimAccount{};
    account.User = user;
    account.Password = password;
    account.Address = user + "@" + MailDomain();
    AddServiceFolders(account.Mailbox);
}

void MailSiteModel::AddFolder(const std::string &user, const std::string &name)
{
    Edit(user, [&](SimAccount &account) {
        account.Mailbox.AddFolder(NewFolderId(account.Mailbox, name), name, FolderRole::Custom);
    });
}

void MailSiteModel::Edit(const std::string &user, const std::function<void(SimAccount &)> &change)
{
    std::lock_guard lock(State);
    SimAccount *account = FindAccount(user);
    if (account == nullptr)
        throw std::out_of_range("no " + Name() + " account " + user);
    change(*account);
}

SimAccount MailSiteModel::Snapshot(const std::string &user) const
{
    std::lock_guard lock(State);
    auto found = Accounts.find(AsciiLower(user));
    if (found == Accounts.end())
        throw std::out_of_range("no " + Name() + " account " + user);
    return found->second;
}

void MailSiteModel::SetLineEnd(std::string lineEnd)
{
    std::lock_guard lock(State);
    LineEnd = std::move(lineEnd);
}

void MailSiteModel::DeliverArrivingMail(std::time_t now)
{
    std::lock_guard lock(State);
    for (auto &[name, account] : Accounts) {
        SimFolder *inbox = account.Mailbox.FolderWithRole(FolderRole::Inbox);
        if (inbox != nullptr)
            account.Mailbox.Add(*inbox, DemoArrivingMail(Arrivals, account.Address, now));
    }
    ++Arrivals;
}

std::vector<std::string> MailSiteModel::Describe() const
{
    std::lock_guard lock(State);
    std::string hosts;
    for (const HostKey &key : Hosts())
        hosts += (hosts.empty() ? "" : ", ") + key.Key + " " + key.Host;
    std::vector<std::string> lines = {Name() + ": " + hosts};
    for (const auto &[name, account] : Accounts)
        lines.push_back(Name() + ": account \"" + account.User + "\", password \"" + account.Password + "\"");
    return lines;
}

std::vector<std::pair<std::string, std::string>> MailSiteModel::Logins() const
{
    std::lock_guard lock(State);
    std::vector<std::pair<std::string, std::string>> logins;
    for (const auto &[name, account] : Accounts)
        logins.emplace_back(account.User, account.Password);
    return logins;
}

SimAccount *MailSiteModel::FindAccount(const std::string &user)
{
    auto found = Accounts.find(AsciiLower(user));
    return found == Accounts.end() ? nullptr : &found->second;
}

std::string MailSiteModel::OpenSession(const std::string &user, const std::function<std::string(uint64_t)> &key)
{
    std::string made = key(++Serial);
    Sessions[made] = AsciiLower(user);
    return made;
}

SimAccount *MailSiteModel::SessionAccount(const std::string &key)
{
    auto found = Sessions.find(key);
    return found == Sessions.end() ? nullptr : FindAccount(found->second);
}

void MailSiteModel::DeliverLocally(const SimMail &mail, const std::string &recipients)
{
    for (const std::string &address : RecipientAddresses(recipients)) {
        for (auto &[name, account] : Accounts) {
            SimFolder *inbox = account.Mailbox.FolderWithRole(FolderRole::Inbox);
            if (AsciiLower(account.Address) != address || inbox == nullptr)
                continue;
            SimMail copy = mail;
            copy.Read = false;
            account.Mailbox.Add(*inbox, std::move(copy));
        }
    }
}

SimMail MailSiteModel::SentMail(const SimAccount &account)
{
    SimMail mail;
    mail.FromAddress = account.Address;
    mail.Date = std::time(nullptr);
    mail.Read = true;
    return mail;
}

namespace mailsite {

std::string FormatUtc(std::time_t when, const char *format)
{
    std::tm parts{};
    gmtime_r(&when, &parts);
    char text[64];
    size_t length = std::strftime(text, sizeof text, format, &parts);
    return std::string(text, length);
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(OneLine(std::move(line)));
        start = end + 1;
    }
    return lines;
}

std::string OneLine(std::string text)
{
    for (char &c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

std::string TrimBlanks(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ParseNumber(const std::string &text, uint64_t &number)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::stoull(text);
    return true;
}

std::string EscapedSender(const SimMail &mail)
{
    std::string address = HtmlEscape(OneLine(mail.FromAddress));
    return mail.FromName.empty() ? address : HtmlEscape(OneLine(mail.FromName)) + " &lt;" + address + "&gt;";
}

void FillDemoAccount(MailSiteModel &model, std::time_t now)
{
    model.AddAccount(kDemoUser, kDemoPassword);
    for (const char *folder : kDemoFolders)
        model.AddFolder(kDemoUser, folder);
    model.Edit(kDemoUser, [&](SimAccount &account) { FillDemoMailbox(account.Mailbox, account.Address, now); });
}

} // namespace mailsite

} // namespace korvalin::websim
