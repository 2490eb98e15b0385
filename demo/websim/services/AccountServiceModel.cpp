#include "AccountServiceModel.h"

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
        std::string entry = TrimBlanks(list.substr(start, end == std::string::npos ? end : end - start));
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
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
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

void AccountServiceModel::AddAccount(const std::string &user, const std::string &password)
{
    std::lock_guard lock(State);
    SimAccount &account = Accounts[AsciiLower(user)];
    account = SimAccount{};
    account.User = user;
    account.Password = password;
    account.Address = user + "@" + MailDomain();
    AddServiceFolders(account.Mailbox);
}

void AccountServiceModel::AddFolder(const std::string &user, const std::string &name)
{
    Edit(user, [&](SimAccount &account) {
        account.Mailbox.AddFolder(NewFolderId(account.Mailbox), name, FolderRole::Custom);
    });
}

void AccountServiceModel::Edit(const std::string &user, const std::function<void(SimAccount &)> &change)
{
    std::lock_guard lock(State);
    SimAccount *account = FindAccount(user);
    if (account == nullptr)
        throw std::out_of_range("no " + Name() + " account " + user);
    change(*account);
}

SimAccount AccountServiceModel::Snapshot(const std::string &user) const
{
    std::lock_guard lock(State);
    auto found = Accounts.find(AsciiLower(user));
    if (found == Accounts.end())
        throw std::out_of_range("no " + Name() + " account " + user);
    return found->second;
}

void AccountServiceModel::SetLineEnd(std::string lineEnd)
{
    std::lock_guard lock(State);
    LineEnd = std::move(lineEnd);
}

void AccountServiceModel::DeliverArrivingMail(std::time_t now)
{
    std::lock_guard lock(State);
    for (auto &[name, account] : Accounts) {
        SimFolder *inbox = account.Mailbox.FolderWithRole(FolderRole::Inbox);
        if (inbox != nullptr)
            account.Mailbox.Add(*inbox, DemoArrivingMail(Arrivals, account.Address, now));
    }
    ++Arrivals;
}

std::vector<std::string> AccountServiceModel::Describe() const
{
    std::string hosts;
    for (const HostKey &key : Hosts())
        hosts += (hosts.empty() ? "" : ", ") + key.Key + " " + key.Host;
    return {Name() + ": " + hosts + "; sign in at " + Hosts().front().Host + "/"};
}

std::vector<std::pair<std::string, std::string>> AccountServiceModel::Logins() const
{
    std::lock_guard lock(State);
    std::vector<std::pair<std::string, std::string>> logins;
    for (const auto &[name, account] : Accounts)
        logins.emplace_back(account.User, account.Password);
    return logins;
}

SimAccount *AccountServiceModel::FindAccount(const std::string &user)
{
    auto found = Accounts.find(AsciiLower(user));
    return found == Accounts.end() ? nullptr : &found->second;
}

void AccountServiceModel::DeliverLocally(const SimMail &mail, const std::string &recipients)
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

SimMail AccountServiceModel::SentMail(const SimAccount &account)
{
    SimMail mail;
    mail.FromAddress = account.Address;
    mail.Date = std::time(nullptr);
    mail.Read = true;
    return mail;
}

void FillDemoAccount(AccountServiceModel &model, bool withOwnFolders, std::time_t now)
{
    model.AddAccount(kDemoUser, kDemoPassword);
    if (withOwnFolders)
        for (const char *folder : kDemoFolders)
            model.AddFolder(kDemoUser, folder);
    model.Edit(kDemoUser, [&](SimAccount &account) { FillDemoMailbox(account.Mailbox, account.Address, now); });
}

} // namespace korvalin::websim
