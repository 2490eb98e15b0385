#include "GoplayModel.h"

#include "GoplayPages.h"
#include "PageText.h"

#include <cstdio>

namespace korvalin::websim {
namespace {

using goplay::PageContext;

// The mail number of an open button's field name: "M17.x" gives 17.
bool OpenButtonNumber(const std::string &field, uint64_t &number)
{
    static constexpr std::string_view kSuffix = ".x";
    if (field.size() < 4 || field[0] != 'M' || field.compare(field.size() - kSuffix.size(), kSuffix.size(), kSuffix))
        return false;
    return ParseNumber(field.substr(1, field.size() - 1 - kSuffix.size()), number);
}

SimResponse Refused(const std::string &text)
{
    return SimResponse::Error(403, "Forbidden", text);
}

} // namespace

GoplayModel::GoplayModel(std::string host) : Host(std::move(host)) {}

std::vector<HostKey> GoplayModel::Hosts() const
{
    return {{"goplay.host", Host}};
}

GoplayModel::Login GoplayModel::LatestLogin(const std::string &user) const
{
    std::lock_guard lock(State);
    Login latest;
    uint64_t latestNumber = 0;
    for (const auto &[sid, session] : Sessions)
        if (session.User == AsciiLower(user) && session.Number >= latestNumber)
            latest = {sid, session.Cookie}, latestNumber = session.Number;
    return latest;
}

void GoplayModel::SetViewSize(size_t mails)
{
    std::lock_guard lock(State);
    ViewSize = mails == 0 ? 1 : mails;
}

void GoplayModel::AddServiceFolders(SimMailbox &mailbox) const
{
    mailbox.AddFolder(kInboxId, "Inbox", FolderRole::Inbox);
    mailbox.AddFolder(kTrashId, "Trash Can", FolderRole::Trash);
    mailbox.AddFolder(kSentId, "Sent Messages", FolderRole::Sent);
}

std::string GoplayModel::NewFolderId(const SimMailbox &mailbox) const
{
    return std::to_string(mailbox.Folders().size() + 1);
}

bool GoplayModel::CarriesCookie(const SimRequest &request, const Session &session)
{
    const std::string wanted = std::string(kCookieName) + "=" + session.Cookie;
    for (const auto &[name, value] : request.Headers) {
        if (name != "cookie")
            continue;
        size_t start = 0;
        while (start <= value.size()) {
            size_t end = value.find(';', start);
            if (TrimBlanks(value.substr(start, end == std::string::npos ? end : end - start)) == wanted)
                return true;
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    return false;
}

std::string GoplayModel::NewComposeNumber(Session &session)
{
    std::string number = std::to_string(1000 + ++Counter);
    session.ComposeNumbers.insert(number);
    return number;
}

SimResponse GoplayModel::Handle(const SimRequest &request)
{
    std::lock_guard lock(State);
    const std::string &path = request.Path;
    const bool post = request.Method == "POST";
    const std::string noSid;
    const PageContext anonymous{request, LineEnd, noSid};
    if (path == "/")
        return SimResponse::Html(goplay::HomePage(anonymous));
    if (path == "/01/regstep/regstep.cgi")
        return SimResponse::Html(goplay::SignUpPage(anonymous));
    if (path == "/01/login/login.cgi" && post)
        return LogIn(request);

    const bool mailbox = path == "/cgi-bin/mailbox.mail";
    const bool send = path == "/cgi-bin/send.mailmsg" && post;
    const bool edit = path == "/cgi-bin/edit.mailmsg" && post;
    const bool book = (path == "//cgi-bin/edit.mailaddrbook" || path == "/cgi-bin/edit.mailaddrbook") && post;
    if (!mailbox && !send && !edit && !book)
        return SimResponse::Error(404, "Not Found", "GoPlay has no page " + path);
    auto found = Sessions.find(request.QueryFields().Value("sid"));
    SimAccount *account = found == Sessions.end() ? nullptr : FindAccount(found->second.User);
    if (account == nullptr)
        return Refused("Your GoPlay session has ended. Please sign in again.");
    Session &session = found->second;
    const bool hasCookie = CarriesCookie(request, session);
    if (send)
        return SendStep(request, session, *account, hasCookie);
    if (!hasCookie)
        return Refused("Please enable cookies and sign in again.");
    if (edit)
        return EditStep(request, session, *account);
    if (book)
        return AddAddress(request, *account);
    if (!post) {
        const PageContext context{request, LineEnd, found->first};
        return SimResponse::Html(
            goplay::FolderPage(context, *account, *account->Mailbox.FolderWithRole(FolderRole::Inbox), 1, ViewSize));
    }
    return MailboxForm(request, session, *account);
}

SimResponse GoplayModel::LogIn(const SimRequest &request)
{
    const FormFields fields = request.BodyFields();
    SimAccount *account = FindAccount(fields.Value("login_name"));
    if (account == nullptr || account->Password != fields.Value("login_password")) {
        const std::string noSid;
        return SimResponse::Html(goplay::LoginRefusedPage(PageContext{request, LineEnd, noSid}));
    }
    ++Counter;
    char sid[24];
    char cookie[24];
    std::snprintf(sid, sizeof sid, "%08llx",
                  static_cast<unsigned long long>((Counter * 2654435761ULL) & 0xffffffffULL));
    std::snprintf(cookie, sizeof cookie, "%012llx",
                  static_cast<unsigned long long>((Counter * 40503ULL * 2654435761ULL) & 0xffffffffffffULL));
    Session &session = Sessions[sid];
    session = Session{AsciiLower(account->User), cookie, Counter, {}};
    SimResponse response = SimResponse::Html(goplay::WelcomePage(PageContext{request, LineEnd, sid}, account->User));
    response.Headers.emplace_back("Set-cookie", std::string(kCookieName) + "=" + cookie + "; path=/");
    return response;
}

SimResponse GoplayModel::MailboxForm(const SimRequest &request, Session &session, SimAccount &account)
{
    const std::string sid = request.QueryFields().Value("sid");
    const PageContext context{request, LineEnd, sid};
    const FormFields fields = request.BodyFields();
    if (fields.Has("BAR1.x"))
        return SimResponse::Html(goplay::ComposePage(context, NewComposeNumber(session), ""));

    SimFolder *target = account.Mailbox.FolderWithId(fields.Value("MOVE_TO"));
    for (const auto &[name, value] : fields.Pairs) {
        uint64_t number = 0;
        if (OpenButtonNumber(name, number)) {
            SimMailbox::Location found = account.Mailbox.Find(number);
            if (found.Mail == nullptr)
                return SimResponse::Html(
                    goplay::NoticePage(context, "Message Not Found", "This message has been moved or deleted."));
            found.Mail->Read = true;
            return SimResponse::Html(goplay::MailPage(context, *found.Mail, *found.Folder));
        }
        if (name.rfind("move", 0) == 0 && value == "on" && target != nullptr && ParseNumber(name.substr(4), number)) {
            SimMailbox::Location found = account.Mailbox.Find(number);
            // Moving mail of the Trash Can to the Trash Can removes it for good.
            if (found.Folder == target && target->Role == FolderRole::Trash)
                account.Mailbox.Remove(number);
            else if (found.Mail != nullptr)
                account.Mailbox.Move(number, *target);
        }
    }

    SimFolder *folder = account.Mailbox.FolderWithId(fields.Value("CHG_FOLDER"));
    uint64_t startOn = 0;
    uint64_t endOn = 0;
    if (folder == nullptr || !ParseNumber(fields.Value("START_ON"), startOn) ||
        !ParseNumber(fields.Value("END_ON"), endOn))
        return SimResponse::Error(400, "Bad Request", "GoPlay did not understand that button.");
    return SimResponse::Html(goplay::FolderPage(context, account, *folder, startOn, endOn));
}

SimResponse GoplayModel::SendStep(const SimRequest &request, Session &session, SimAccount &account, bool hasCookie)
{
    const std::string sid = request.QueryFields().Value("sid");
    const PageContext context{request, LineEnd, sid};
    const FormFields fields = request.BodyFields();
    const std::string number = fields.Value("MSG");
    if (session.ComposeNumbers.count(number) == 0)
        return SimResponse::Error(400, "Bad Request", "This message form has expired. Please compose again.");
    if (fields.Has("ADDRBOOK.x")) {
        if (!hasCookie)
            return Refused("Please enable cookies and sign in again.");
        return SimResponse::Html(goplay::AddressPickerPage(context, number, account.Mailbox.Contacts));
    }
    if (fields.Value("SEND") != "SEND!")
        return SimResponse::Error(400, "Bad Request", "GoPlay did not understand that button.");
    if (TrimBlanks(fields.Value("to")).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter at least one recipient.");
    session.ComposeNumbers.erase(number);
    SimMail mail = SentMail(account);
    mail.To = fields.Value("to");
    mail.Cc = fields.Value("cc");
    mail.Subject = fields.Value("subject");
    mail.Body = fields.Value("TEXT_MESSAGE");
    if (fields.Value("COPYSENT") == "ON")
        account.Mailbox.Add(*account.Mailbox.FolderWithRole(FolderRole::Sent), mail);
    DeliverLocally(mail, mail.To + "," + mail.Cc + "," + fields.Value("bcc"));
    return SimResponse::Html(goplay::NoticePage(context, "Message Sent", "Your message is on its way."));
}

SimResponse GoplayModel::EditStep(const SimRequest &request, Session &session, SimAccount &account)
{
    const std::string sid = request.QueryFields().Value("sid");
    const PageContext context{request, LineEnd, sid};
    const FormFields fields = request.BodyFields();
    const std::string number = fields.Value("MSG");
    if (session.ComposeNumbers.count(number) == 0)
        return SimResponse::Error(400, "Bad Request", "This message form has expired. Please compose again.");
    if (!fields.Has("TO_BOOK"))
        return SimResponse::Error(400, "Bad Request", "GoPlay did not understand that button.");
    // The ticked entries' addresses, each followed by a comma.
    std::string to = fields.Value("to");
    const std::vector<SimContact> &contacts = account.Mailbox.Contacts;
    for (const auto &[name, value] : fields.Pairs) {
        uint64_t entry = 0;
        if (name.rfind("BOOK", 0) != 0 || value != "on" || !ParseNumber(name.substr(4), entry) || entry == 0 ||
            entry > contacts.size())
            continue;
        to += (to.empty() ? "" : " ") + contacts[entry - 1].Address + ",";
    }
    return SimResponse::Html(goplay::ComposePage(context, number, to));
}

SimResponse GoplayModel::AddAddress(const SimRequest &request, SimAccount &account)
{
    const std::string sid = request.QueryFields().Value("sid");
    const PageContext context{request, LineEnd, sid};
    const FormFields fields = request.BodyFields();
    SimContact contact{fields.Value("TEXT_DESCR"), fields.Value("EMAILS"), ""};
    if (fields.Value("ADD") != "SAVE" || TrimBlanks(contact.Address).empty())
        return SimResponse::Error(400, "Bad Request", "Please enter an e-mail address.");
    account.Mailbox.Contacts.push_back(contact);
    return SimResponse::Html(goplay::NoticePage(context, "Address Book", contact.Address + " was added."));
}

namespace {

std::shared_ptr<ServiceModel> MakeDemoGoplay(std::time_t now)
{
    auto model = std::make_shared<GoplayModel>();
    FillDemoAccount(*model, false, now);
    return model;
}

} // namespace

KORVALIN_WEBSIM_SERVICE("goplay", MakeDemoGoplay);

} // namespace korvalin::websim
