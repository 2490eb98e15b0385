#include "FemailModel.h"

#include "FemailPages.h"
#include "FormEncoding.h"
#include "PageText.h"

#include <algorithm>
#include <cstdio>

namespace korvalin::websim {
namespace {

using femail::PageContext;
using mailsite::ParseNumber;
using mailsite::TrimBlanks;

// The mail a document id names; both null when there is none.
SimMailbox::Location FindDocument(SimMailbox &mailbox, const std::string &documentId)
{
    uint64_t number = 0;
    size_t mark = documentId.find(":M:");
    if (mark == std::string::npos || !ParseNumber(documentId.substr(0, mark), number))
        return {};
    SimMailbox::Location found = mailbox.Find(number);
    if (found.Mail == nullptr || FemailModel::DocumentId(*found.Mail, *found.Folder) != documentId)
        return {};
    return found;
}

} // namespace

FemailModel::FemailModel(FemailFlavour flavour, FemailHosts hosts, std::vector<HostKey> keys)
    : Kind(flavour), HostNames(std::move(hosts)), Keys(std::move(keys))
{
}

std::string FemailModel::Name() const
{
    return Kind == FemailFlavour::MailCity ? "mailcity" : "angelfire";
}

std::string FemailModel::ProviderName() const
{
    return Kind == FemailFlavour::MailCity ? "MailCity" : "AngelFire";
}

std::string FemailModel::MailDomain() const
{
    return Name() + ".sim";
}

std::string FemailModel::PartnerKey() const
{
    return Kind == FemailFlavour::MailCity ? "korvalin" : "korva";
}

std::string FemailModel::DocumentId(const SimMail &mail, const SimFolder &folder)
{
    return std::to_string(mail.Number) + ":M:" + folder.Id;
}

void FemailModel::Suspend(const std::string &user)
{
    std::lock_guard lock(State);
    Suspended.push_back(AsciiLower(user));
}

void FemailModel::AddServiceFolders(SimMailbox &mailbox) const
{
    mailbox.AddFolder("INBOX", Kind == FemailFlavour::MailCity ? "INBOX" : "Inbox", FolderRole::Inbox);
    mailbox.AddFolder("F2", "Sent", FolderRole::Sent);
    mailbox.AddFolder("F3", "Drafts", FolderRole::Drafts);
    mailbox.AddFolder("F4", "Trash", FolderRole::Trash);
}

std::string FemailModel::NewFolderId(const SimMailbox &mailbox, const std::string &) const
{
    return "F" + std::to_string(mailbox.Folders().size() + 1);
}

SimResponse FemailModel::Handle(const SimRequest &request)
{
    std::lock_guard lock(State);
    const bool everyHost = request.Host.empty();
    const bool home = everyHost || request.Host == AsciiLower(HostNames.Home);
    const bool mail = everyHost || request.Host == AsciiLower(HostNames.Mail);
    const bool terms = everyHost || request.Host == AsciiLower(HostNames.Terms);
    const std::string &path = request.Path;
    const std::string loginPath = Kind == FemailFlavour::MailCity ? "/login.femail" : "/login.notfemail";
    const PageContext context{request, HostNames, LineEnd, Kind, ""};

    if (terms && path == "/freemail/Agreement.html")
        return SimResponse::Html(femail::SignUpPage(context));
    if (home && path == "/")
        return SimResponse::Html(femail::HomePage(context));
    if (mail && path == loginPath && request.Method == "POST")
        return Login(request);
    if (!mail)
        return SimResponse::Error(404, "Not Found", context.ServiceName() + " has no page " + path);

    // "/<mailbox>/<page>": every member page lives under the session's path.
    size_t slash = path.find('/', 1);
    if (slash == std::string::npos)
        return SimResponse::Error(404, "Not Found", context.ServiceName() + " has no page " + path);
    const std::string mailbox = path.substr(1, slash - 1);
    SimAccount *account = SessionAccount(mailbox);
    if (account == nullptr)
        return SimResponse::Html(
            femail::NoticePage(context, "Please Log In", "Your session has ended. Please log in again."));
    return MailboxPage(request, *account, mailbox, path.substr(slash));
}

SimResponse FemailModel::Login(const SimRequest &request)
{
    const FormFields fields = request.BodyFields();
    const PageContext refused{request, HostNames, LineEnd, Kind, ""};
    if (fields.Value("version") != "2" || fields.Value("partner_key") != PartnerKey())
        return SimResponse::Error(400, "Bad Request", "This login form is not from a partner we know.");
    SimAccount *account = FindAccount(fields.Value("user"));
    if (account == nullptr || account->Password != fields.Value("passwd"))
        return SimResponse::Html(femail::LoginRefusedPage(refused));
    const bool suspended = std::find(Suspended.begin(), Suspended.end(), AsciiLower(account->User)) != Suspended.end();
    if (suspended)
        return SimResponse::Html(Kind == FemailFlavour::MailCity ? femail::AuthorizationFailedPage(refused)
                                                                 : femail::LoginRefusedPage(refused));
    const std::string mailbox = OpenSession(account->User, [](uint64_t serial) {
        char key[24];
        std::snprintf(key, sizeof key, "u%llx", static_cast<unsigned long long>(0x3c1a5 + serial * 0x9e3));
        return std::string(key);
    });
    return SimResponse::Html(femail::WelcomePage({request, HostNames, LineEnd, Kind, mailbox}, *account));
}

SimResponse FemailModel::MailboxPage(const SimRequest &request, SimAccount &account, const std::string &mailbox,
                                     const std::string &page)
{
    const PageContext context{request, HostNames, LineEnd, Kind, mailbox};
    const FormFields query = request.QueryFields();
    if (page == "/gmm.femail")
        return Listing(request, account, mailbox, *account.Mailbox.FolderWithRole(FolderRole::Inbox));
    if (page.rfind("/f/", 0) == 0 && page.size() > 14 && page.substr(page.size() - 11) == "/gmm.femail") {
        SimFolder *folder = account.Mailbox.FolderWithId(korvalin::DecodeFormValue(page.substr(3, page.size() - 14)));
        if (folder == nullptr)
            return SimResponse::Html(femail::NoticePage(context, "No Such Folder", "That folder does not exist."));
        return Listing(request, account, mailbox, *folder);
    }
    if (page == "/gmm_showmsg.femail") {
        SimMailbox::Location found = FindDocument(account.Mailbox, query.Value("docid"));
        if (found.Mail == nullptr)
            return SimResponse::Html(
                femail::NoticePage(context, "Message Not Found", "This message has been moved or deleted."));
        found.Mail->Read = true;
        return SimResponse::Html(femail::MailPage(context, *found.Mail, *found.Folder));
    }
    if (page == "/showcm.femail") {
        char id[24];
        std::snprintf(id, sizeof id, "c%llu", static_cast<unsigned long long>(++ComposeSerial * 7 + 1000));
        ComposeIds.push_back(id);
        return SimResponse::Html(femail::ComposePage(context, id));
    }
    if (page == "/ab.femail")
        return SimResponse::Html(femail::AddressBookPage(context, account.Mailbox.Contacts));
    if (page == "/gmm_multiplex.femail")
        return Multiplex(request, account, mailbox);
    return SimResponse::Error(404, "Not Found", context.ServiceName() + " has no page " + page);
}

SimResponse FemailModel::Listing(const SimRequest &request, SimAccount &account, const std::string &mailbox,
                                 SimFolder &folder)
{
    uint64_t from = 0;
    if (!ParseNumber(request.QueryFields().Value("from"), from))
        from = 0;
    const PageContext context{request, HostNames, LineEnd, Kind, mailbox};
    return SimResponse::Html(femail::ListingPage(context, account, folder, static_cast<size_t>(from)));
}

SimResponse FemailModel::Multiplex(const SimRequest &request, SimAccount &account, const std::string &mailbox)
{
    const PageContext context{request, HostNames, LineEnd, Kind, mailbox};
    if (request.Method == "POST") {
        const FormFields fields = request.BodyFields();
        if (fields.Value("/cmdo.femail") == "send")
            return Send(request, account, mailbox);
        if (fields.Value("/ab_newadd.femail") == "save new address")
            return AddAddress(request, account, mailbox);
        return SimResponse::Error(400, "Bad Request", "No command in this form.");
    }
    const FormFields query = request.QueryFields();
    if (query.Value("/gmm_delete.femail") != "delete")
        return SimResponse::Error(400, "Bad Request", "No command in this request.");
    SimMailbox::Location found = FindDocument(account.Mailbox, query.Value("docid"));
    if (found.Mail == nullptr)
        return SimResponse::Error(404, "Not Found", "That message does not exist.");
    SimFolder &folder = *found.Folder;
    if (folder.Role == FolderRole::Trash)
        account.Mailbox.Remove(found.Mail->Number);
    else
        account.Mailbox.Move(found.Mail->Number, *account.Mailbox.FolderWithRole(FolderRole::Trash));
    return SimResponse::Html(femail::ListingPage(context, account, folder, 0));
}

SimResponse FemailModel::Send(const SimRequest &request, SimAccount &account, const std::string &mailbox)
{
    const FormFields fields = request.BodyFields();
    auto id = std::find(ComposeIds.begin(), ComposeIds.end(), fields.Value("compid"));
    if (id == ComposeIds.end())
        return SimResponse::Error(400, "Bad Request", "This form has expired or was already sent. Write it again.");
    if (TrimBlanks(fields.Value("to")).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter at least one recipient in the To field.");
    ComposeIds.erase(id);
    SimMail mail = SentMail(account);
    mail.To = fields.Value("to");
    mail.Cc = fields.Value("cc");
    mail.Subject = fields.Value("subject");
    mail.Body = fields.Value("body");
    if (fields.Value("copy") == "ON")
        account.Mailbox.Add(*account.Mailbox.FolderWithRole(FolderRole::Sent), mail);
    DeliverLocally(mail, mail.To + "," + mail.Cc + "," + fields.Value("bcc"));
    return SimResponse::Html(femail::NoticePage({request, HostNames, LineEnd, Kind, mailbox}, "Message Sent",
                                                "Your message has been sent."));
}

SimResponse FemailModel::AddAddress(const SimRequest &request, SimAccount &account, const std::string &mailbox)
{
    const PageContext context{request, HostNames, LineEnd, Kind, mailbox};
    const FormFields fields = request.BodyFields();
    if (fields.Value("abentry") != account.User + ":zzz:/:L:5")
        return SimResponse::Error(400, "Bad Request", "This address book entry belongs to another member.");
    SimContact contact{fields.Value("nick"), fields.Value("email"), fields.Value("name")};
    if (TrimBlanks(contact.Alias).empty() || TrimBlanks(contact.Address).empty())
        return SimResponse::Html(
            femail::NoticePage(context, "Address Book", "Please enter both a name and an e-mail address."));
    account.Mailbox.Contacts.push_back(contact);
    return SimResponse::Html(femail::NoticePage(context, "Address Book", contact.Alias + " has been saved."));
}

} // namespace korvalin::websim
