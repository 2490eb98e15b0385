#include "NetAddressModel.h"

#include "NetAddressPages.h"
#include "PageText.h"

#include <cstdio>

namespace korvalin::websim {
namespace {

using netaddress::PageContext;

constexpr const char *kTemplatePrefix = "/tpl/";

} // namespace

NetAddressModel::NetAddressModel(std::string host) : Host(std::move(host)) {}

std::vector<HostKey> NetAddressModel::Hosts() const
{
    return {{"netaddress.host", Host}};
}

std::string NetAddressModel::MessageId(const SimMail &mail)
{
    return "M" + std::to_string(mail.Number);
}

std::string NetAddressModel::MailboxIdOf(const std::string &user) const
{
    std::lock_guard lock(State);
    std::string latest;
    uint64_t latestNumber = 0;
    for (const auto &[id, owner] : Sessions) {
        uint64_t number = 0;
        if (owner == AsciiLower(user) && ParseNumber(id.substr(id.find('-') + 1), number) && number >= latestNumber)
            latest = id, latestNumber = number;
    }
    return latest;
}

void NetAddressModel::AddServiceFolders(SimMailbox &mailbox) const
{
    mailbox.AddFolder(kInboxId, "Inbox", FolderRole::Inbox);
    mailbox.AddFolder(kSentId, "Sent Mail", FolderRole::Sent);
    mailbox.AddFolder(kDraftsId, "Drafts", FolderRole::Drafts);
    mailbox.AddFolder(kTrashId, "Deleted Mail", FolderRole::Trash);
}

std::string NetAddressModel::NewFolderId(const SimMailbox &mailbox) const
{
    return std::to_string(mailbox.Folders().size() + 6);
}

bool NetAddressModel::SplitTemplatePath(const std::string &path, TemplatePath &parts)
{
    if (path.rfind(kTemplatePrefix, 0) != 0)
        return false;
    size_t sectionEnd = path.find('/', 5);
    if (sectionEnd == std::string::npos)
        return false;
    size_t idEnd = path.find('/', sectionEnd + 1);
    if (idEnd == std::string::npos)
        return false;
    parts.Section = path.substr(5, sectionEnd - 5);
    parts.MailboxId = path.substr(sectionEnd + 1, idEnd - sectionEnd - 1);
    parts.Page = path.substr(idEnd + 1);
    return true;
}

SimMailbox::Location NetAddressModel::FindMail(SimMailbox &mailbox, const std::string &messageId)
{
    uint64_t number = 0;
    if (messageId.size() < 2 || messageId[0] != 'M' || !ParseNumber(messageId.substr(1), number))
        return {};
    return mailbox.Find(number);
}

SimResponse NetAddressModel::Handle(const SimRequest &request)
{
    std::lock_guard lock(State);
    const PageContext context{request, Host, LineEnd};
    const std::string &path = request.Path;
    const bool post = request.Method == "POST";

    if (path == "/")
        return SimResponse::Html(netaddress::HomePage(context));
    if (path == "/tpl/Subscribe/Step1")
        return SimResponse::Html(netaddress::SignUpPage(context));
    if (path == "/tpl/Door/LoginPost")
        return post ? Login(request) : SimResponse::Html(netaddress::HomePage(context));

    TemplatePath parts;
    if (!SplitTemplatePath(path, parts))
        return SimResponse::Error(404, "Not Found", "NetAddress has no page " + path);
    auto session = Sessions.find(parts.MailboxId);
    SimAccount *account = session == Sessions.end() ? nullptr : FindAccount(session->second);
    if (account == nullptr)
        return SimResponse::Html(netaddress::NoticePage(
            context, "Session Expired", "Your session has ended. Please sign in again to read your mail."));

    const std::string &id = parts.MailboxId;
    if (parts.Section == "Door" && parts.Page == "Welcome")
        return Listing(request, *account, id);
    if (parts.Section == "Mail" && parts.Page == "List")
        return Listing(request, *account, id);
    if (parts.Section == "Mail" && parts.Page == "MultiOp" && post)
        return MoveMails(request, *account, id);
    if (parts.Section == "Rules" && parts.Page == "Folders")
        return SimResponse::Html(netaddress::FolderPage(context, account->Mailbox, id));
    if (parts.Section == "Message" && parts.Page == "Read" && post)
        return ReadMail(request, *account, id);
    if (parts.Section == "Message" && parts.Page.rfind("Attachment/", 0) == 0)
        return Attachment(*account, parts.Page);
    if (parts.Section == "Send" && parts.Page == "Message" && post)
        return Send(request, *account, id);
    if (parts.Section == "AddrBook" && parts.Page == "List")
        return SimResponse::Html(netaddress::AddressBookPage(context, account->Mailbox.Contacts, id));
    if (parts.Section == "AddrBook" && parts.Page == "Individual" && post)
        return AddAddress(request, *account);
    return SimResponse::Error(404, "Not Found", "NetAddress has no page " + path);
}

SimResponse NetAddressModel::Login(const SimRequest &request)
{
    const PageContext context{request, Host, LineEnd};
    const FormFields fields = request.BodyFields();
    SimAccount *account = FindAccount(fields.Value("UserID"));
    if (account == nullptr || account->Password != fields.Value("passwd") || fields.Value("LoginState") != "2")
        return SimResponse::Html(netaddress::LoginRefusedPage(context));
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%06llx-",
                  static_cast<unsigned long long>((++Counter * 2654435761ULL) & 0xffffffULL));
    const std::string mailboxId = prefix + std::to_string(Counter);
    Sessions[mailboxId] = AsciiLower(account->User);
    return SimResponse::Html(netaddress::WelcomePage(context, account->User, mailboxId));
}

SimResponse NetAddressModel::Listing(const SimRequest &request, SimAccount &account, const std::string &mailboxId)
{
    const PageContext context{request, Host, LineEnd};
    std::string folderId = request.QueryFields().Value("FolderID");
    SimFolder *folder =
        folderId.empty() ? account.Mailbox.FolderWithRole(FolderRole::Inbox) : account.Mailbox.FolderWithId(folderId);
    if (folder == nullptr)
        return SimResponse::Html(netaddress::NoticePage(context, "No Such Folder", "That folder does not exist."));
    return SimResponse::Html(netaddress::ListingPage(context, account, *folder, mailboxId));
}

SimResponse NetAddressModel::ReadMail(const SimRequest &request, SimAccount &account, const std::string &mailboxId)
{
    const PageContext context{request, Host, LineEnd};
    const FormFields fields = request.BodyFields();
    SimMailbox::Location found = FindMail(account.Mailbox, fields.Value("Q"));
    if (found.Mail == nullptr || found.Folder->Id != fields.Value("FolderID"))
        return SimResponse::Html(
            netaddress::NoticePage(context, "Message Not Found", "This message has been moved or deleted."));
    found.Mail->Read = true;
    return SimResponse::Html(netaddress::MailPage(context, *found.Mail, *found.Folder, mailboxId));
}

SimResponse NetAddressModel::Attachment(SimAccount &account, const std::string &page)
{
    // "Attachment/<message id>/<part>/<file name>"
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= page.size()) {
        size_t slash = page.find('/', start);
        pieces.push_back(page.substr(start, slash == std::string::npos ? slash : slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    uint64_t part = 0;
    SimMailbox::Location found = pieces.size() == 4 ? FindMail(account.Mailbox, pieces[1]) : SimMailbox::Location{};
    if (found.Mail == nullptr || !ParseNumber(pieces[2], part) || part >= found.Mail->Attachments.size())
        return SimResponse::Error(404, "Not Found", "no such attachment");
    const SimAttachment &attachment = found.Mail->Attachments[part];
    return SimResponse::Content(attachment.Content, attachment.ContentType);
}

SimResponse NetAddressModel::MoveMails(const SimRequest &request, SimAccount &account, const std::string &mailboxId)
{
    const PageContext context{request, Host, LineEnd};
    const FormFields fields = request.BodyFields();
    const std::string destination = fields.Value("DestFolder");
    static constexpr std::string_view kMoveTo = "MoveTo-";
    SimFolder *target =
        destination.rfind(kMoveTo, 0) == 0 ? account.Mailbox.FolderWithId(destination.substr(kMoveTo.size())) : nullptr;
    if (target == nullptr)
        return SimResponse::Error(400, "Bad Request", "Please choose the folder to move the messages to.");
    for (const auto &[name, value] : fields.Pairs) {
        size_t colon = value.find(':');
        if (name != "Q" || colon == std::string::npos)
            continue;
        SimMailbox::Location found = FindMail(account.Mailbox, value.substr(0, colon));
        if (found.Mail == nullptr || found.Folder->Id != value.substr(colon + 1))
            continue;
        // Moving deleted mail to the deleted mail folder removes it for good.
        if (found.Folder == target && target->Role == FolderRole::Trash)
            account.Mailbox.Remove(found.Mail->Number);
        else
            account.Mailbox.Move(found.Mail->Number, *target);
    }
    return SimResponse::Html(
        netaddress::ListingPage(context, account, *account.Mailbox.FolderWithRole(FolderRole::Inbox), mailboxId));
}

SimResponse NetAddressModel::Send(const SimRequest &request, SimAccount &account, const std::string &mailboxId)
{
    const PageContext context{request, Host, LineEnd};
    const FormFields fields = request.BodyFields();
    if (fields.Value("MSID") != mailboxId || AsciiLower(fields.Value("MFrom")) != AsciiLower(account.User))
        return SimResponse::Error(403, "Forbidden", "This form does not belong to your session.");
    if (TrimBlanks(fields.Value("MTo")).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter at least one recipient.");

    SimMail mail = SentMail(account);
    mail.To = fields.Value("MTo");
    mail.Cc = fields.Value("MCC");
    mail.Subject = fields.Value("MSubject");
    mail.Body = fields.Value("MText");
    mail.Html = true;
    if (fields.Value("DoSaveSent") == "True")
        account.Mailbox.Add(*account.Mailbox.FolderWithRole(FolderRole::Sent), mail);
    DeliverLocally(mail, mail.To + "," + mail.Cc + "," + fields.Value("MBCC"));
    return SimResponse::Html(netaddress::NoticePage(context, "Message Sent", "Your message has been sent."));
}

SimResponse NetAddressModel::AddAddress(const SimRequest &request, SimAccount &account)
{
    const PageContext context{request, Host, LineEnd};
    const FormFields fields = request.BodyFields();
    SimContact contact{fields.Value("Nickname"), fields.Value("EmailAddress"),
                       TrimBlanks(fields.Value("First") + " " + fields.Value("Last"))};
    if (TrimBlanks(contact.Address).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter an e-mail address.");
    account.Mailbox.Contacts.push_back(contact);
    return SimResponse::Html(
        netaddress::NoticePage(context, "Address Book", contact.Address + " has been added to your address book."));
}

namespace {

std::shared_ptr<ServiceModel> MakeDemoNetAddress(std::time_t now)
{
    auto model = std::make_shared<NetAddressModel>();
    FillDemoAccount(*model, true, now);
    return model;
}

} // namespace

KORVALIN_WEBSIM_SERVICE("netaddress", MakeDemoNetAddress);

} // namespace korvalin::websim
