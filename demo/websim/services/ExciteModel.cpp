#include "ExciteModel.h"

#include "ExcitePages.h"
#include "PageText.h"

#include <cstdio>

namespace korvalin::websim {
namespace {

using excite::PageContext;

} // namespace

ExciteModel::ExciteModel(ExciteHosts hosts) : HostNames(std::move(hosts)) {}

std::vector<HostKey> ExciteModel::Hosts() const
{
    return {{"excite.registration", HostNames.Registration},
            {"excite.mail", HostNames.Mail},
            {"excite.folderaction", HostNames.FolderAction}};
}

std::string ExciteModel::MailboxKeyOf(const std::string &user) const
{
    std::lock_guard lock(State);
    std::string latest;
    uint64_t latestNumber = 0;
    for (const auto &[key, owner] : Sessions) {
        uint64_t number = 0;
        if (owner == AsciiLower(user) && ParseNumber(key.substr(key.rfind('z') + 1), number) && number >= latestNumber)
            latest = key, latestNumber = number;
    }
    return latest;
}

void ExciteModel::AddServiceFolders(SimMailbox &mailbox) const
{
    mailbox.AddFolder("Inbox", "Inbox", FolderRole::Inbox);
    mailbox.AddFolder("Sent", "Sent Mail", FolderRole::Sent);
    mailbox.AddFolder("Drafts", "Drafts", FolderRole::Drafts);
    mailbox.AddFolder("Trash", "Trash", FolderRole::Trash);
}

std::string ExciteModel::NewFolderId(const SimMailbox &mailbox) const
{
    return "F" + std::to_string(mailbox.Folders().size() + 1);
}

SimAccount *ExciteModel::CurrentAccount()
{
    return LastLogin.empty() ? nullptr : FindAccount(LastLogin);
}

SimResponse ExciteModel::Handle(const SimRequest &request)
{
    std::lock_guard lock(State);
    const bool everyHost = request.Host.empty();
    const bool registration = everyHost || request.Host == AsciiLower(HostNames.Registration);
    const bool mail = everyHost || request.Host == AsciiLower(HostNames.Mail);
    const bool folderAction = everyHost || request.Host == AsciiLower(HostNames.FolderAction);
    const bool post = request.Method == "POST";
    const std::string &path = request.Path;
    const PageContext context{request, HostNames, LineEnd};

    if (registration && path == "/mps/loginreq" && post)
        return Login(request);
    if (registration && path == "/mps/new")
        return SimResponse::Html(excite::SignUpPage(context));
    if (path == "/")
        return SimResponse::Html(excite::HomePage(context));
    if (folderAction && path == "/mail/dcg_folder.cgi/action" && post)
        return MoveMail(request);
    if (mail && path == "/compose.dcg/action" && post)
        return Send(request);
    if (mail && path == "/mod_address.dcg/action" && post)
        return AddAddress(request);
    if (mail && path == "/banner.dcg")
        return SimResponse::Html("<html><body bgcolor=#cc0000><b>MailExcite</b></body></html>\n");

    const bool keyedPage = path == "/start.dcg" || path == "/folder.dcg" || path == "/folders.dcg" ||
                           path == "/msg.dcg" || path == "/address.dcg" || path.rfind("/attach.dcg/", 0) == 0;
    if (!mail || !keyedPage)
        return SimResponse::Error(404, "Not Found", "MailExcite has no page " + path);
    const std::string key = request.QueryFields().Value("x");
    auto session = Sessions.find(key);
    SimAccount *account = session == Sessions.end() ? nullptr : FindAccount(session->second);
    if (account == nullptr)
        return SimResponse::Html(
            excite::NoticePage(context, "Please Sign In", "Your session has ended. Please sign in again."));
    if (path == "/start.dcg")
        return SimResponse::Html(excite::FramePage(context, key));
    if (path == "/folder.dcg")
        return Listing(request, *account, key);
    if (path == "/folders.dcg")
        return SimResponse::Html(excite::FolderPage(context, account->Mailbox, key));
    if (path == "/msg.dcg")
        return ReadMail(request, *account, key);
    if (path == "/address.dcg")
        return SimResponse::Html(excite::AddressBookPage(context, account->Mailbox.Contacts, key));
    return Attachment(request, *account);
}

SimResponse ExciteModel::Login(const SimRequest &request)
{
    const PageContext context{request, HostNames, LineEnd};
    const FormFields fields = request.BodyFields();
    SimAccount *account = FindAccount(fields.Value("acctname"));
    if (account == nullptr || account->Password != fields.Value("passwd"))
        return SimResponse::Html(excite::LoginRefusedPage(context));
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "K%08llxz",
                  static_cast<unsigned long long>((++Counter * 2654435761ULL) & 0xffffffffULL));
    const std::string key = prefix + std::to_string(Counter);
    Sessions[key] = AsciiLower(account->User);
    LastLogin = AsciiLower(account->User);
    // The browser goes on to the mail host, which shows the mailbox frames.
    return SimResponse::Redirect(context.MailBase() + "/start.dcg?x=" + key);
}

SimResponse ExciteModel::Listing(const SimRequest &request, SimAccount &account, const std::string &key)
{
    const PageContext context{request, HostNames, LineEnd};
    const std::string folderId = request.QueryFields().Value("fl");
    SimFolder *folder =
        folderId.empty() ? account.Mailbox.FolderWithRole(FolderRole::Inbox) : account.Mailbox.FolderWithId(folderId);
    if (folder == nullptr)
        return SimResponse::Html(excite::NoticePage(context, "No Such Folder", "That folder does not exist."));
    return SimResponse::Html(excite::ListingPage(context, account, *folder, key));
}

SimResponse ExciteModel::ReadMail(const SimRequest &request, SimAccount &account, const std::string &key)
{
    const PageContext context{request, HostNames, LineEnd};
    const FormFields fields = request.QueryFields();
    uint64_t uid = 0;
    SimMailbox::Location found =
        ParseNumber(fields.Value("uid"), uid) ? account.Mailbox.Find(uid) : SimMailbox::Location{};
    if (found.Mail == nullptr || found.Folder->Id != fields.Value("fl"))
        return SimResponse::Html(
            excite::NoticePage(context, "Message Not Found", "This message has been moved or deleted."));
    found.Mail->Read = true;
    return SimResponse::Html(excite::MailPage(context, *found.Mail, *found.Folder, key));
}

SimResponse ExciteModel::Attachment(const SimRequest &request, SimAccount &account)
{
    const FormFields fields = request.QueryFields();
    uint64_t uid = 0;
    uint64_t part = 0;
    SimMailbox::Location found =
        ParseNumber(fields.Value("uid"), uid) ? account.Mailbox.Find(uid) : SimMailbox::Location{};
    if (found.Mail == nullptr || !ParseNumber(fields.Value("part"), part) || part >= found.Mail->Attachments.size())
        return SimResponse::Error(404, "Not Found", "no such attachment");
    const SimAttachment &attachment = found.Mail->Attachments[part];
    return SimResponse::Content(attachment.Content, attachment.ContentType);
}

SimResponse ExciteModel::MoveMail(const SimRequest &request)
{
    const PageContext context{request, HostNames, LineEnd};
    SimAccount *account = CurrentAccount();
    if (account == nullptr)
        return SimResponse::Error(403, "Forbidden", "Please sign in first.");
    const FormFields fields = request.BodyFields();
    SimFolder *target = account->Mailbox.FolderWithId(fields.Value("moveto"));
    if (fields.Value("action") != "File" || target == nullptr)
        return SimResponse::Error(400, "Bad Request", "Please choose a folder to file the messages in.");
    size_t moved = 0;
    for (const auto &[name, value] : fields.Pairs) {
        uint64_t uid = 0;
        if (name != "uid" || !ParseNumber(value, uid))
            continue;
        SimMailbox::Location found = account->Mailbox.Find(uid);
        if (found.Mail == nullptr || found.Folder->Id != fields.Value("fl"))
            continue;
        // Filing mail of the Trash in the Trash removes it for good.
        if (found.Folder == target && target->Role == FolderRole::Trash)
            account->Mailbox.Remove(uid);
        else
            account->Mailbox.Move(uid, *target);
        ++moved;
    }
    return SimResponse::Html(
        excite::NoticePage(context, "Messages Filed", std::to_string(moved) + " message(s) moved to " + target->Name));
}

SimResponse ExciteModel::Send(const SimRequest &request)
{
    const PageContext context{request, HostNames, LineEnd};
    SimAccount *account = CurrentAccount();
    if (account == nullptr)
        return SimResponse::Error(403, "Forbidden", "Please sign in first.");
    const FormFields fields = request.BodyFields();
    if (fields.Value("action") != "Send")
        return SimResponse::Error(400, "Bad Request", "Unknown compose action.");
    if (TrimBlanks(fields.Value("to")).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter at least one recipient.");
    SimMail mail = SentMail(*account);
    mail.To = fields.Value("to");
    mail.Cc = fields.Value("cc");
    mail.Subject = fields.Value("subject");
    mail.Body = fields.Value("text");
    if (fields.Value("save_outgoing") == "ON")
        account->Mailbox.Add(*account->Mailbox.FolderWithRole(FolderRole::Sent), mail);
    DeliverLocally(mail, mail.To + "," + mail.Cc + "," + fields.Value("bcc"));
    return SimResponse::Html(excite::NoticePage(context, "Message Sent", "Your message has been sent."));
}

SimResponse ExciteModel::AddAddress(const SimRequest &request)
{
    const PageContext context{request, HostNames, LineEnd};
    SimAccount *account = CurrentAccount();
    if (account == nullptr)
        return SimResponse::Error(403, "Forbidden", "Please sign in first.");
    const FormFields fields = request.BodyFields();
    SimContact contact{fields.Value("alias"), fields.Value("email"),
                       TrimBlanks(fields.Value("fname") + " " + fields.Value("lname"))};
    if (fields.Value("action") != "Save" || TrimBlanks(contact.Alias).empty() || TrimBlanks(contact.Address).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter a nickname and an e-mail address.");
    account->Mailbox.Contacts.push_back(contact);
    return SimResponse::Html(excite::NoticePage(context, "Address Book", contact.Alias + " has been saved."));
}

namespace {

std::shared_ptr<ServiceModel> MakeDemoExcite(std::time_t now)
{
    auto model = std::make_shared<ExciteModel>();
    FillDemoAccount(*model, true, now);
    return model;
}

} // namespace

KORVALIN_WEBSIM_SERVICE("excite", MakeDemoExcite);

} // namespace korvalin::websim
