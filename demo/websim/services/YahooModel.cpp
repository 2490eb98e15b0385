#include "YahooModel.h"

#include "DemoData.h"
#include "PageText.h"
#include "YahooPages.h"

namespace korvalin::websim {
namespace {

using mailsite::ParseNumber;
using mailsite::TrimBlanks;
using yahoo::PageContext;

constexpr const char *kAddressBookPrefix = "/yab/";

// The mail of that page id in folder; null when the folder has none.
SimMail *MailInFolder(SimFolder &folder, const std::string &id)
{
    for (SimMail &mail : folder.Mails)
        if (YahooModel::MessageId(mail) == id)
            return &mail;
    return nullptr;
}

} // namespace

YahooModel::YahooModel(YahooHosts hosts) : HostNames(std::move(hosts)) {}

std::vector<HostKey> YahooModel::Hosts() const
{
    return {{"yahoo.login", HostNames.Login}, {"yahoo.account", HostNames.Account}};
}

void YahooModel::SetPageSize(size_t rows)
{
    std::lock_guard lock(State);
    PageSize = rows == 0 ? 1 : rows;
}

std::string YahooModel::MessageId(const SimMail &mail)
{
    return "1_" + std::to_string(mail.Number) + "_" + std::to_string(mail.Date);
}

void YahooModel::AddServiceFolders(SimMailbox &mailbox) const
{
    mailbox.AddFolder("Inbox", "Inbox", FolderRole::Inbox);
    mailbox.AddFolder("Draft", "Draft", FolderRole::Drafts);
    mailbox.AddFolder("Sent", "Sent", FolderRole::Sent);
    mailbox.AddFolder("Trash", "Trash", FolderRole::Trash);
}

std::string YahooModel::NewFolderId(const SimMailbox &, const std::string &name) const
{
    return name;
}

SimResponse YahooModel::Handle(const SimRequest &request)
{
    std::lock_guard lock(State);
    const bool everyHost = request.Host.empty();
    const bool login = everyHost || request.Host == AsciiLower(HostNames.Login);
    const bool account = everyHost || request.Host == AsciiLower(HostNames.Account);
    const std::string &path = request.Path;
    const PageContext context{request, HostNames, LineEnd, ""};

    if (login && path == "/config/login")
        return request.Method == "POST" ? Login(request) : SimResponse::Html(yahoo::LoginPage(context));
    if (account && path == "/config/eval_register")
        return SimResponse::Html(yahoo::SignUpPage(context));
    if (!account || (path.rfind("/ym/", 0) != 0 && path.rfind(kAddressBookPrefix, 0) != 0 && path != "/py/options.py"))
        return SimResponse::Error(404, "Not Found", "Yahoo Mail has no page " + path);

    // The session key rides in the query, or in the path of the quick-entry form.
    std::string key = request.QueryFields().Value("YY");
    if (path.rfind(kAddressBookPrefix, 0) == 0 && path != "/yab/us")
        key = path.substr(std::string(kAddressBookPrefix).size());
    SimAccount *member = SessionAccount(key);
    if (member == nullptr) {
        SimResponse expired = SimResponse::Html(
            yahoo::NoticePage(context, "Please Sign In", "Your session has expired. Please sign in again."));
        if (request.Method == "POST")
            expired.Status = 403, expired.Reason = "Forbidden";
        return expired;
    }
    return MemberPage(request, *member, key);
}

SimResponse YahooModel::MemberPage(const SimRequest &request, SimAccount &account, const std::string &key)
{
    const PageContext context{request, HostNames, LineEnd, key};
    const std::string &path = request.Path;
    const bool post = request.Method == "POST";
    if (path == "/ym/Folders")
        return SimResponse::Html(yahoo::FolderPage(context, account.Mailbox));
    if (path == "/ym/ShowFolder")
        return Listing(request, account, key);
    if (path == "/ym/ShowLetter")
        return ShowMail(request, account, key);
    if (path.rfind("/ym/ShowLetter/", 0) == 0)
        return Attachment(request, account);
    if (path == "/ym/Compose")
        return post ? Send(request, account, key) : SimResponse::Html(yahoo::ComposePage(context));
    if (path == "/yab/us")
        return SimResponse::Html(yahoo::AddressPage(context, account.Mailbox.Contacts));
    if (path.rfind(kAddressBookPrefix, 0) == 0 && post)
        return AddAddress(request, account, key);
    if (path == "/py/options.py")
        return SimResponse::Html(yahoo::NoticePage(context, "Options", "Nothing to set in the simulator."));
    return SimResponse::Error(404, "Not Found", "Yahoo Mail has no page " + path);
}

SimResponse YahooModel::Login(const SimRequest &request)
{
    const FormFields fields = request.BodyFields();
    SimAccount *account = FindAccount(fields.Value("login"));
    if (account == nullptr || account->Password != fields.Value("passwd"))
        return SimResponse::Html(yahoo::LoginRefusedPage({request, HostNames, LineEnd, ""}));
    const std::string key =
        OpenSession(account->User, [](uint64_t serial) { return std::to_string(48000 + serial * 7919 % 50000); });
    return SimResponse::Html(yahoo::WelcomePage({request, HostNames, LineEnd, key}, *account));
}

SimResponse YahooModel::Listing(const SimRequest &request, SimAccount &account, const std::string &key)
{
    const PageContext context{request, HostNames, LineEnd, key};
    const FormFields query = request.QueryFields();
    SimFolder *folder = account.Mailbox.FolderWithId(query.Value("box"));
    if (folder == nullptr)
        return SimResponse::Html(yahoo::NoticePage(context, "No Such Folder", "That folder does not exist."));

    if (request.Method == "POST" && request.BodyFields().Value("TRA") == "Delete") {
        SimFolder *trash = account.Mailbox.FolderWithRole(FolderRole::Trash);
        for (const auto &[name, id] : request.BodyFields().Pairs) {
            SimMail *mail = name == "message" ? MailInFolder(*folder, id) : nullptr;
            if (mail == nullptr)
                continue;
            if (folder == trash)
                account.Mailbox.Remove(mail->Number);
            else
                account.Mailbox.Move(mail->Number, *trash);
        }
    }
    uint64_t page = 0;
    if (!ParseNumber(query.Value("Npos"), page))
        page = 0;
    return SimResponse::Html(yahoo::ListingPage(context, account, *folder, static_cast<size_t>(page), PageSize));
}

SimResponse YahooModel::ShowMail(const SimRequest &request, SimAccount &account, const std::string &key)
{
    const PageContext context{request, HostNames, LineEnd, key};
    const FormFields query = request.QueryFields();
    SimFolder *folder = account.Mailbox.FolderWithId(query.Value("box"));
    SimMail *mail = folder == nullptr ? nullptr : MailInFolder(*folder, query.Value("message"));
    if (mail == nullptr)
        return SimResponse::Html(
            yahoo::NoticePage(context, "Message Not Found", "This message has been moved or deleted."));
    mail->Read = true;
    return SimResponse::Html(yahoo::MailPage(context, *mail, *folder));
}

SimResponse YahooModel::Attachment(const SimRequest &request, SimAccount &account)
{
    const FormFields query = request.QueryFields();
    SimFolder *folder = account.Mailbox.FolderWithId(query.Value("box"));
    SimMail *mail = folder == nullptr ? nullptr : MailInFolder(*folder, query.Value("message"));
    uint64_t part = 0;
    if (mail == nullptr || !ParseNumber(query.Value("bodyPart"), part) || part < 2 ||
        part - 2 >= mail->Attachments.size())
        return SimResponse::Error(404, "Not Found", "no such attachment");
    const SimAttachment &attachment = mail->Attachments[static_cast<size_t>(part - 2)];
    return SimResponse::Content(attachment.Content, attachment.ContentType);
}

SimResponse YahooModel::Send(const SimRequest &request, SimAccount &account, const std::string &key)
{
    const FormFields fields = request.BodyFields();
    if (fields.Value("SND") != "Send")
        return SimResponse::Error(400, "Bad Request", "The compose form was not sent with its Send button.");
    if (TrimBlanks(fields.Value("to")).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter at least one recipient in the To field.");
    SimMail mail = SentMail(account);
    mail.To = fields.Value("to");
    mail.Cc = fields.Value("cc");
    mail.Subject = fields.Value("subject");
    mail.Body = fields.Value("body");
    if (fields.Value("saveCopy") == "ON")
        account.Mailbox.Add(*account.Mailbox.FolderWithRole(FolderRole::Sent), mail);
    DeliverLocally(mail, mail.To + "," + mail.Cc + "," + fields.Value("bcc"));
    return SimResponse::Html(
        yahoo::NoticePage({request, HostNames, LineEnd, key}, "Message Sent", "Your message has been sent."));
}

SimResponse YahooModel::AddAddress(const SimRequest &request, SimAccount &account, const std::string &key)
{
    const PageContext context{request, HostNames, LineEnd, key};
    const FormFields fields = request.BodyFields();
    SimContact contact{fields.Value("nn"), fields.Value("e"),
                       TrimBlanks(fields.Value("fn") + " " + fields.Value("ln"))};
    if (fields.Value("A") != "ma" || TrimBlanks(contact.Alias).empty() || TrimBlanks(contact.Address).empty())
        return SimResponse::Html(
            yahoo::NoticePage(context, "Addresses", "Please enter both a nickname and an e-mail address."));
    for (const SimContact &existing : account.Mailbox.Contacts)
        if (existing.Alias == contact.Alias)
            return SimResponse::Html(
                yahoo::NoticePage(context, "Addresses", "The nickname " + contact.Alias + " is already in use."));
    account.Mailbox.Contacts.push_back(contact);
    return SimResponse::Html(yahoo::NoticePage(context, "Addresses", contact.Alias + " has been added."));
}

namespace {

std::shared_ptr<ServiceModel> MakeDemoYahoo(std::time_t now)
{
    auto model = std::make_shared<YahooModel>();
    mailsite::FillDemoAccount(*model, now);
    return model;
}

} // namespace

KORVALIN_WEBSIM_SERVICE("yahoo", MakeDemoYahoo);

} // namespace korvalin::websim
