#include "HotmailModel.h"

#include "DemoData.h"
#include "HotmailPages.h"
#include "PageText.h"

#include <cstdio>
#include <stdexcept>

namespace korvalin::websim {
namespace {

using hotmail::PageContext;

constexpr size_t kMaxSessions = 500;

constexpr const char* kWebScripts[] = {"/cgi-bin/start",  "/cgi-bin/HoTMaiL", "/cgi-bin/folders",
                                       "/cgi-bin/getmsg", "/cgi-bin/compose", "/cgi-bin/premail"};

std::string FolderId(size_t position)
{
    char id[16];
    std::snprintf(id, sizeof id, "F%09zu", position);
    return id;
}

size_t PageNumber(const std::string& text)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return 1;
    return static_cast<size_t>(std::stoul(text));
}

std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The bare addresses of a recipient list ("Ann <a@x>, b@y; c@z").
std::vector<std::string> RecipientAddresses(const std::string& list)
{
    std::vector<std::string> addresses;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(",;", start);
        std::string entry = Trimmed(list.substr(start, end == std::string::npos ? end : end - start));
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

HotmailModel::HotmailModel(HotmailHosts hosts) : HostNames(std::move(hosts)) {}

std::vector<HostKey> HotmailModel::Hosts() const
{
    return {{"hotmail.web", HostNames.Web}, {"hotmail.form", HostNames.Form}, {"hotmail.login", HostNames.Login}};
}

std::string HotmailModel::MessageId(const SimMail& mail)
{
    return "MSG" + std::to_string(mail.Date) + "." + std::to_string(mail.Number);
}

void HotmailModel::AddAccount(const std::string& user, const std::string& password)
{
    std::lock_guard lock(State);
    Account& account = Accounts[AsciiLower(user)];
    account.Data = SimAccount{};
    account.Data.User = user;
    account.Data.Password = password;
    account.Data.Address = user + "@" + kMailDomain;
    SimMailbox& mailbox = account.Data.Mailbox;
    mailbox.AddFolder(FolderId(1), "In-Box", FolderRole::Inbox);
    mailbox.AddFolder(FolderId(2), "Sent Messages", FolderRole::Sent);
    mailbox.AddFolder(FolderId(3), "Drafts", FolderRole::Drafts);
    mailbox.AddFolder(FolderId(4), "Trash Can", FolderRole::Trash);
}

void HotmailModel::AddFolder(const std::string& user, const std::string& name)
{
    Edit(user, [&](SimAccount& account) {
        account.Mailbox.AddFolder(FolderId(account.Mailbox.Folders().size() + 1), name, FolderRole::Custom);
    });
}

void HotmailModel::Edit(const std::string& user, const std::function<void(SimAccount&)>& change)
{
    std::lock_guard lock(State);
    Account* account = FindAccount(user);
    if (account == nullptr)
        throw std::out_of_range("no hotmail account " + user);
    change(account->Data);
}

SimAccount HotmailModel::Snapshot(const std::string& user) const
{
    std::lock_guard lock(State);
    auto found = Accounts.find(AsciiLower(user));
    if (found == Accounts.end())
        throw std::out_of_range("no hotmail account " + user);
    return found->second.Data;
}

void HotmailModel::SetPageSize(size_t rows)
{
    std::lock_guard lock(State);
    PageSize = rows == 0 ? 1 : rows;
}

void HotmailModel::SetLineEnd(std::string lineEnd)
{
    std::lock_guard lock(State);
    LineEnd = std::move(lineEnd);
}

void HotmailModel::DeliverArrivingMail(std::time_t now)
{
    std::lock_guard lock(State);
    for (auto& [name, account] : Accounts) {
        SimFolder* inbox = account.Data.Mailbox.FolderWithRole(FolderRole::Inbox);
        if (inbox != nullptr)
            account.Data.Mailbox.Add(*inbox, DemoArrivingMail(Arrivals, account.Data.Address, now));
    }
    ++Arrivals;
}

std::vector<std::string> HotmailModel::Describe() const
{
    return {"hotmail: web host " + HostNames.Web + ", form host " + HostNames.Form + ", login host " + HostNames.Login +
            "; sign in at the web host's /"};
}

std::vector<std::pair<std::string, std::string>> HotmailModel::Logins() const
{
    std::lock_guard lock(State);
    std::vector<std::pair<std::string, std::string>> logins;
    for (const auto& [name, account] : Accounts)
        logins.emplace_back(account.Data.User, account.Data.Password);
    return logins;
}

HotmailModel::Account* HotmailModel::FindAccount(const std::string& user)
{
    auto found = Accounts.find(AsciiLower(user));
    return found == Accounts.end() ? nullptr : &found->second;
}

const HotmailSession* HotmailModel::Authorize(const FormFields& fields) const
{
    const std::string user = AsciiLower(fields.Value("login"));
    const std::string disk = fields.Value("disk");
    const std::string formF = fields.Value("f");
    const HotmailSession* latest = nullptr;
    for (const HotmailSession& session : Sessions) {
        if (AsciiLower(session.User) != user)
            continue;
        if ((disk.empty() || disk == session.Disk) && (formF.empty() || formF == session.FormF))
            latest = &session;
    }
    return latest;
}

SimFolder* HotmailModel::FolderByParameter(SimMailbox& mailbox, const std::string& id)
{
    if (id == "ACTIVE")
        return mailbox.FolderWithRole(FolderRole::Inbox);
    if (id == "trAsH")
        return mailbox.FolderWithRole(FolderRole::Trash);
    return mailbox.FolderWithId(id);
}

SimMailbox::Location HotmailModel::FindMail(SimMailbox& mailbox, const std::string& messageId)
{
    size_t dot = messageId.rfind('.');
    if (messageId.rfind("MSG", 0) != 0 || dot == std::string::npos || dot + 1 == messageId.size() ||
        messageId.size() - dot > 19 || messageId.find_first_not_of("0123456789", dot + 1) != std::string::npos)
        return {};
    SimMailbox::Location found = mailbox.Find(std::stoull(messageId.substr(dot + 1)));
    if (found.Mail == nullptr || MessageId(*found.Mail) != messageId)
        return {};
    return found;
}

SimResponse HotmailModel::Handle(const SimRequest& request)
{
    std::lock_guard lock(State);
    const bool everyHost = request.Host.empty();
    const bool web = everyHost || request.Host == AsciiLower(HostNames.Web);
    const bool form = everyHost || request.Host == AsciiLower(HostNames.Form);
    const bool login = everyHost || request.Host == AsciiLower(HostNames.Login);
    const bool post = request.Method == "POST";
    const std::string& path = request.Path;
    const FormFields fields = post ? request.BodyFields() : request.QueryFields();
    const PageContext context{request, HostNames, LineEnd};

    if (login && post && path == "/cgi-bin/start")
        return Login(request);
    if (form && path == "/cgi-bin/passwordform")
        return SimResponse::Html(hotmail::PasswordFormPage(context, fields.Value("login")));
    if (web && path == "/")
        return SimResponse::Html(hotmail::HomePage(context));
    if (web && path == "/cgi-bin/tos.cgi")
        return SimResponse::Html(hotmail::TermsPage(context));

    const bool formScript = form && (path == "/cgi-bin/toccbcc" || path == "/cgi-bin/doaddresses");
    bool webScript = web && path.rfind("/cgi-bin/getmsg/", 0) == 0;
    for (const char* script : kWebScripts)
        webScript = webScript || (web && path == script);
    if (!formScript && !webScript)
        return SimResponse::Error(404, "Not Found", "HotMail has no page " + path);

    const HotmailSession* session = Authorize(fields);
    if (session == nullptr) {
        SimResponse expired = SimResponse::Html(hotmail::NoticePage(
            context, "Sign In Again", "Your session has expired or you are not signed in. Please sign in again."));
        if (path == "/cgi-bin/premail")
            expired.Status = 403, expired.Reason = "Forbidden";
        return expired;
    }
    if (path == "/cgi-bin/toccbcc")
        return SimResponse::Html(
            hotmail::AddressPickerPage(context, FindAccount(session->User)->Data.Mailbox.Contacts));
    if (path == "/cgi-bin/doaddresses")
        return AddAddress(request, *session, fields);
    if (path == "/cgi-bin/HoTMaiL" && fields.Has("tobox"))
        return MoveMails(request, *session, fields);
    if (path == "/cgi-bin/start" || path == "/cgi-bin/HoTMaiL")
        return Listing(request, *session, fields);
    if (path == "/cgi-bin/folders")
        return SimResponse::Html(hotmail::FolderPage(context, FindAccount(session->User)->Data.Mailbox, *session));
    if (path == "/cgi-bin/getmsg")
        return ShowMail(request, *session, fields);
    if (path.rfind("/cgi-bin/getmsg/", 0) == 0)
        return Attachment(*session, fields);
    if (path == "/cgi-bin/compose")
        return Compose(request, *session);
    if (post)
        return Send(request, *session, fields);
    return SimResponse::Error(405, "Method Not Allowed", "the mail form is sent with POST");
}

SimResponse HotmailModel::Login(const SimRequest& request)
{
    const FormFields fields = request.BodyFields();
    const PageContext context{request, HostNames, LineEnd};
    Account* account = FindAccount(fields.Value("login"));
    if (account == nullptr || account->Data.Password != fields.Value("passwd"))
        return SimResponse::Html(hotmail::LoginRefusedPage(context));
    ++Counter;
    HotmailSession session{account->Data.User, "d" + std::to_string(4500 + Counter),
                           std::to_string(33792 + Counter * 16)};
    Sessions.push_back(session);
    if (Sessions.size() > kMaxSessions) // a long demo run logs in again and again
        Sessions.erase(Sessions.begin());
    return SimResponse::Html(hotmail::WelcomePage(context, session));
}

SimResponse HotmailModel::Listing(const SimRequest& request, const HotmailSession& session, const FormFields& fields)
{
    const PageContext context{request, HostNames, LineEnd};
    Account& account = *FindAccount(session.User);
    SimFolder* folder = FolderByParameter(account.Data.Mailbox, fields.Value("curmbox"));
    if (folder == nullptr)
        return SimResponse::Html(hotmail::NoticePage(context, "No Such Folder", "That folder does not exist."));
    return SimResponse::Html(
        hotmail::ListingPage(context, account.Data, *folder, session, PageNumber(fields.Value("page")), PageSize));
}

SimResponse HotmailModel::MoveMails(const SimRequest& request, const HotmailSession& session, const FormFields& fields)
{
    const PageContext context{request, HostNames, LineEnd};
    SimMailbox& mailbox = FindAccount(session.User)->Data.Mailbox;
    SimFolder* target = FolderByParameter(mailbox, fields.Value("tobox"));
    if (target == nullptr)
        return SimResponse::Html(hotmail::NoticePage(context, "No Such Folder", "That folder does not exist."));
    for (const auto& [name, value] : fields.Pairs) {
        if (value != "on")
            continue;
        SimMailbox::Location found = FindMail(mailbox, name);
        if (found.Mail == nullptr)
            continue;
        // Moving out of the trash into the trash deletes for good.
        if (found.Folder == target && target->Role == FolderRole::Trash)
            mailbox.Remove(found.Mail->Number);
        else
            mailbox.Move(found.Mail->Number, *target);
    }
    return SimResponse::Html(hotmail::ListingPage(context, FindAccount(session.User)->Data,
                                                  *mailbox.FolderWithRole(FolderRole::Inbox), session, 1, PageSize));
}

SimResponse HotmailModel::ShowMail(const SimRequest& request, const HotmailSession& session, const FormFields& fields)
{
    const PageContext context{request, HostNames, LineEnd};
    SimMailbox::Location found = FindMail(FindAccount(session.User)->Data.Mailbox, fields.Value("msg"));
    if (found.Mail == nullptr)
        return SimResponse::Html(
            hotmail::NoticePage(context, "Message Not Found", "This message has been moved or deleted."));
    found.Mail->Read = true;
    return SimResponse::Html(hotmail::MailPage(context, *found.Mail, *found.Folder, session));
}

SimResponse HotmailModel::Attachment(const HotmailSession& session, const FormFields& fields)
{
    SimMailbox::Location found = FindMail(FindAccount(session.User)->Data.Mailbox, fields.Value("msg"));
    std::string part = fields.Value("part");
    if (found.Mail == nullptr || part.empty() || part.size() > 4 ||
        part.find_first_not_of("0123456789") != std::string::npos || std::stoul(part) >= found.Mail->Attachments.size())
        return SimResponse::Error(404, "Not Found", "no such attachment");
    const SimAttachment& attachment = found.Mail->Attachments[std::stoul(part)];
    return SimResponse::Content(attachment.Content, attachment.ContentType);
}

SimResponse HotmailModel::Compose(const SimRequest& request, const HotmailSession& session)
{
    const PageContext context{request, HostNames, LineEnd};
    char headerId[24];
    std::snprintf(headerId, sizeof headerId, "%08llx",
                  static_cast<unsigned long long>((++Counter * 2654435761ULL) & 0xffffffffULL));
    std::set<std::string>& issued = FindAccount(session.User)->HeaderIds;
    if (issued.size() >= kMaxSessions) // forms asked for and never sent
        issued.clear();
    issued.insert(headerId);
    return SimResponse::Html(hotmail::ComposePage(context, session, headerId));
}

SimResponse HotmailModel::Send(const SimRequest& request, const HotmailSession& session, const FormFields& fields)
{
    const PageContext context{request, HostNames, LineEnd};
    Account& account = *FindAccount(session.User);
    if (account.HeaderIds.erase(fields.Value("msghdrid")) == 0)
        return SimResponse::Error(400, "Bad Request", "This form has expired or was already sent. Compose again.");
    if (Trimmed(fields.Value("to")).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter at least one recipient in the To field.");

    SimMail mail;
    mail.FromAddress = account.Data.Address;
    mail.To = fields.Value("to");
    mail.Cc = fields.Value("cc");
    mail.Subject = fields.Value("subject");
    mail.Body = fields.Value("body");
    mail.Date = std::time(nullptr);
    mail.Read = true;
    if (fields.Value("outgoing") == "on")
        account.Data.Mailbox.Add(*account.Data.Mailbox.FolderWithRole(FolderRole::Sent), mail);
    DeliverLocally(mail, mail.To + "," + mail.Cc + "," + fields.Value("bcc"));
    return SimResponse::Html(hotmail::NoticePage(context, "Message Sent", "Your message has been sent."));
}

void HotmailModel::DeliverLocally(const SimMail& mail, const std::string& recipients)
{
    for (const std::string& address : RecipientAddresses(recipients)) {
        for (auto& [name, account] : Accounts) {
            if (AsciiLower(account.Data.Address) != address)
                continue;
            SimMail copy = mail;
            copy.Read = false;
            account.Data.Mailbox.Add(*account.Data.Mailbox.FolderWithRole(FolderRole::Inbox), std::move(copy));
        }
    }
}

SimResponse HotmailModel::AddAddress(const SimRequest& request, const HotmailSession& session, const FormFields& fields)
{
    const PageContext context{request, HostNames, LineEnd};
    std::vector<SimContact>& contacts = FindAccount(session.User)->Data.Mailbox.Contacts;
    SimContact contact{fields.Value("alias"), fields.Value("addrlist"),
                       Trimmed(fields.Value("aliasfname") + " " + fields.Value("aliaslname"))};
    if (Trimmed(contact.Alias).empty() || Trimmed(contact.Address).empty())
        return SimResponse::Html(
            hotmail::NoticePage(context, "Address Book", "Please enter both a nickname and an address."));
    for (const SimContact& existing : contacts)
        if (existing.Alias == contact.Alias)
            return SimResponse::Html(
                hotmail::NoticePage(context, "Address Book", "The nickname " + contact.Alias + " is already in use."));
    contacts.push_back(contact);
    return SimResponse::Html(
        hotmail::NoticePage(context, "Address Book", "The nickname " + contact.Alias + " has been added."));
}

namespace {

std::shared_ptr<ServiceModel> MakeDemoHotmail(std::time_t now)
{
    auto model = std::make_shared<HotmailModel>();
    model->AddAccount(kDemoUser, kDemoPassword);
    for (const char* folder : kDemoFolders)
        model->AddFolder(kDemoUser, folder);
    model->Edit(kDemoUser, [&](SimAccount& account) { FillDemoMailbox(account.Mailbox, account.Address, now); });
    return model;
}

} // namespace

KORVALIN_WEBSIM_SERVICE("hotmail", MakeDemoHotmail);

} // namespace korvalin::websim
