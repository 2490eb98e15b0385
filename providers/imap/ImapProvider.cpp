#include "ImapProvider.h"

#include "ImapMessage.h"
#include "OutgoingMail.h"
#include "PopMessage.h"
#include "PopProvider.h"
#include "ProviderLog.h"
#include "ServerField.h"

#include <ctime>
#include <exception>
#include <set>

using korvalin::imap::CImapConnection;
using korvalin::imap::CImapWatcher;
using korvalin::imap::FetchItems;
using korvalin::imap::ImapResponse;
using korvalin::imap::MailboxInfo;
using korvalin::imap::MailboxState;

namespace {

constexpr const char* kListItems =
    "(UID FLAGS RFC822.SIZE BODY.PEEK[HEADER.FIELDS (FROM SUBJECT DATE MESSAGE-ID)])";

std::string Quoted(const std::string& text)
{
    std::string quoted;
    korvalin::imap::QuoteArgument(text, quoted);
    return quoted;
}

}  // namespace

namespace korvalin::imap {

std::string SizeText(uint64_t bytes)
{
    return std::to_string((bytes + 1023) / 1024) + "k";
}

}  // namespace korvalin::imap

CImapProvider::CImapProvider()
{
    Name = "IMAPMail";
}

CImapProvider::~CImapProvider()
{
    // The push thread ends before the host's link is released by the base.
    Push.reset();
    // No LOGOUT: a server that stopped answering must not hold up the exit.
    std::lock_guard lock(SessionMutex);
    Session.Close();
}

void CImapProvider::Fail(const std::string& text)
{
    korvalin::ProviderLog(korvalin::ProviderLogLevel::Warning, "IMAP: " + text);
    std::lock_guard guard(ProfileMutex);
    Error = text;
}

std::string CImapProvider::LastError() const
{
    std::lock_guard guard(ProfileMutex);
    return Error;
}

// The program gives a new profile before every login and when the account
// logs off: the sessions of the old one end here (the push connection
// included), and nothing is served until the next DoLogin.
void CImapProvider::SetUserProfile(std::string user, std::string password)
{
    Push.reset();
    {
        std::lock_guard lock(SessionMutex);
        Session.Close();
        LoggedIn = false;
        Cache.clear();
    }
    korvalin::pop::AccountLine line = korvalin::pop::SplitAccountLine(user);
    {
        std::lock_guard guard(ProfileMutex);
        Account = Profile{line.UserName, line.DisplayName, line.FromAddress, line.PopServer, line.SmtpServer,
                          std::move(password)};
    }
    korvalin::LockHold hold(Smtp.Lock);
    Smtp.Configure(line.SmtpServer);
    Smtp.SetLogin(line.UserName, CurrentProfile().password);
}

CImapProvider::Profile CImapProvider::CurrentProfile() const
{
    std::lock_guard guard(ProfileMutex);
    return Account;
}

bool CImapProvider::OpenConnection(CImapConnection& connection, const Profile& profile)
{
    korvalin::ServerField field;
    std::string why;
    if (!korvalin::ParseServerField(profile.imapServer, korvalin::MailProtocol::Imap, field, &why)) {
        connection.LastError = "the IMAP server \"" + profile.imapServer + "\" cannot be used: " + why;
        return false;
    }
    if (!connection.Open(field.Host, field.Port, field.Mode))
        return false;
    if (!connection.IsTls())
        korvalin::ProviderLog(korvalin::ProviderLogLevel::Warning,
                              "IMAP: the session with " + field.Host + " is not encrypted (no STARTTLS offered)");
    if (!connection.Login(profile.user, profile.password)) {
        connection.Close();
        return false;
    }
    return true;
}

CImapConnection::Result CImapProvider::RunFirst(const std::string& command, const CImapConnection::Handler& handler)
{
    const bool wasOpen = Session.IsOpen();
    if (!EnsureSession())
        return CImapConnection::Broken;
    CImapConnection::Result result = Session.Run(command, handler);
    // A connection that was open since an earlier operation may have been
    // closed by the server meanwhile (a restart, an idle time-out): the
    // operation starts once more on a fresh one.
    if (result == CImapConnection::Broken && wasOpen && EnsureSession())
        result = Session.Run(command, handler);
    return result;
}

bool CImapProvider::EnsureSession()
{
    if (!LoggedIn)
        return false;
    if (Session.IsOpen())
        return true;
    if (OpenConnection(Session, CurrentProfile()))
        return true;
    Fail(Session.LastError);
    return false;
}

bool CImapProvider::DoLogin()
{
    try {
        Push.reset();
        Profile profile = CurrentProfile();
        {
            std::lock_guard lock(SessionMutex);
            Session.Logout();
            LoggedIn = false;
            Cache.clear();
            if (!OpenConnection(Session, profile)) {
                Fail(Session.LastError);
                return false;
            }
            LoggedIn = true;
            if (!Session.Has("IDLE"))
                return true;
        }
        Push = std::make_unique<CImapWatcher>(
            [this, profile](CImapConnection& connection) { return OpenConnection(connection, profile); },
            [this] { NotifyInboxChanged(); }, "INBOX", PushTiming);
        Push->Start();
        return true;
    } catch (const std::exception& e) {
        Fail(e.what());
        return false;
    }
}

void CImapProvider::NotifyInboxChanged()
{
    if (HostLink != nullptr)
        HostLink->FolderChanged(-1);
}

bool CImapProvider::GetFolders(CStringArray& names)
{
    try {
        std::lock_guard lock(SessionMutex);
        if (!LoggedIn)
            return false;
        std::vector<MailboxInfo> found;
        auto take = [&](const ImapResponse& response) {
            MailboxInfo info;
            if (korvalin::imap::TakeListEntry(response, info))
                found.push_back(std::move(info));
        };
        const std::string command =
            Session.Has("SPECIAL-USE") ? "LIST \"\" \"*\" RETURN (SPECIAL-USE)" : "LIST \"\" \"*\"";
        if (RunFirst(command, take) != CImapConnection::Ok) {
            Fail("LIST failed: " + Session.LastError);
            return false;
        }
        Mailboxes.clear();
        TrashName.clear();
        SentName.clear();
        names.clear();
        for (MailboxInfo& info : found) {
            if (info.trash && TrashName.empty())
                TrashName = info.wireName;
            if (info.sent && SentName.empty())
                SentName = info.wireName;
            if (info.inbox || info.noSelect)
                continue;
            names.push_back(info.displayName);
            Mailboxes.push_back(std::move(info));
        }
        return true;
    } catch (const std::exception& e) {
        Fail(e.what());
        return false;
    }
}

bool CImapProvider::Select(const std::string& wireName, bool readOnly, MailboxState& state, std::string* listTag)
{
    std::string command = (readOnly ? "EXAMINE " : "SELECT ") + Quoted(wireName);
    if (Session.Has("CONDSTORE"))
        command += " (CONDSTORE)";
    auto take = [&](const ImapResponse& response) { korvalin::imap::TakeMailboxState(response, state); };
    const bool wasOpen = Session.IsOpen();
    auto attempt = [&] {
        state = MailboxState{};
        if (!EnsureSession())
            return CImapConnection::Broken;
        std::string tag = Session.Send(command);
        if (listTag != nullptr)
            *listTag = Session.Send(std::string("UID FETCH 1:* ") + kListItems);
        return Session.Finish(tag, take);
    };
    CImapConnection::Result result = attempt();
    // A connection kept from an earlier operation may have been closed by
    // the server meanwhile: once more on a fresh one.
    if (result == CImapConnection::Broken && wasOpen)
        result = attempt();
    if (result != CImapConnection::Ok) {
        const std::string why = Session.LastError;
        // A failed EXAMINE leaves no mailbox selected: the listing behind it
        // fails too, and its answer is read and dropped.
        if (listTag != nullptr && result != CImapConnection::Broken)
            Session.Finish(*listTag);
        Fail((readOnly ? "EXAMINE " : "SELECT ") + wireName + " failed: " + why);
        return false;
    }
    return true;
}

bool CImapProvider::GetMailSummary(CSummaryArray& list, int folder)
{
    try {
        std::lock_guard lock(SessionMutex);
        std::string wireName;
        if (folder == -1) {
            wireName = "INBOX";
        } else if (folder >= 0 && static_cast<size_t>(folder) < Mailboxes.size()) {
            wireName = Mailboxes[static_cast<size_t>(folder)].wireName;
        } else {
            Fail("no folder " + std::to_string(folder));
            return false;
        }
        if (!LoggedIn)
            return false;
        return ListInto(wireName, list);
    } catch (const std::exception& e) {
        Fail(e.what());
        return false;
    }
}

// A first listing of a folder sends EXAMINE and the UID FETCH of the whole
// folder together. Later, EXAMINE tells whether anything changed since the last check of this run:
// the same UIDVALIDITY, UIDNEXT, count and (with CONDSTORE) HIGHESTMODSEQ
// mean nothing did. Otherwise the flags of the known mails and the whole of
// the new ones are asked for in one pipelined pair of commands; a new
// UIDVALIDITY forgets every known mail and lists the folder afresh.
bool CImapProvider::ListInto(const std::string& wireName, CSummaryArray& list)
{
    MailboxState state;
    auto cached = Cache.find(wireName);
    const bool firstListing = cached == Cache.end() || cached->second.state.uidValidity == 0;
    std::string listTag;
    if (!Select(wireName, true, state, firstListing ? &listTag : nullptr))
        return false;
    FolderCache& cache = Cache[wireName];
    const bool known = cache.state.uidValidity != 0 && cache.state.uidValidity == state.uidValidity;
    if (!known)
        cache.mails.clear();
    bool ok = true;
    if (state.exists == 0 && listTag.empty()) {
        cache.mails.clear();
    } else {
        const bool unchanged = known && cache.state.uidNext == state.uidNext && cache.state.exists == state.exists &&
                               state.highestModseq != 0 && cache.state.highestModseq == state.highestModseq;
        if (!unchanged) {
            const uint64_t firstNew = known ? std::max<uint64_t>(cache.state.uidNext, 1) : 1;
            std::string flagsTag, newTag = listTag;
            if (known && firstNew > 1)
                flagsTag = Session.Send("UID FETCH 1:" + std::to_string(firstNew - 1) + " (UID FLAGS)");
            const bool wantNew = !known || state.uidNext == 0 || state.uidNext > firstNew;
            if (wantNew && newTag.empty())
                newTag = Session.Send("UID FETCH " + std::to_string(firstNew) + ":* " + kListItems);
            std::set<uint64_t> present;
            auto take = [&](const ImapResponse& response) {
                FetchItems items;
                if (!korvalin::imap::TakeFetch(response, items))
                    return;
                if (items.hasHeader && items.uid >= firstNew) {
                    korvalin::imap::HeaderSummary header = korvalin::imap::SummarizeHeader(items.header);
                    KnownMail& mail = cache.mails[items.uid];
                    mail.entry.From = header.From;
                    mail.entry.Subject = header.Subject;
                    mail.entry.Date = header.Date;
                    mail.entry.Size = items.hasSize ? korvalin::imap::SizeText(items.size) : std::string();
                    mail.entry.Locator = korvalin::imap::MakeLocator(wireName, state.uidValidity, items.uid);
                    mail.entry.MessageId = header.MessageId.empty() ? mail.entry.Locator : header.MessageId;
                    present.insert(items.uid);
                }
                auto found = cache.mails.find(items.uid);
                if (found != cache.mails.end() && items.hasFlags) {
                    found->second.seen = items.seen;
                    present.insert(items.uid);
                    if (items.deleted)
                        present.erase(items.uid);
                }
            };
            if (!flagsTag.empty() && Session.Finish(flagsTag, take) != CImapConnection::Ok)
                ok = false;
            if (!newTag.empty() && Session.Finish(newTag, take) != CImapConnection::Ok)
                ok = false;
            if (!ok) {
                Fail("UID FETCH in " + wireName + " failed: " + Session.LastError);
                Cache.erase(wireName);
                return false;
            }
            // What the flags did not name any more was expunged elsewhere.
            for (auto it = cache.mails.begin(); it != cache.mails.end();)
                it = present.count(it->first) ? std::next(it) : cache.mails.erase(it);
        }
    }
    cache.state = state;
    // Entries are copied, not moved, when the array grows: room first.
    list.reserve(list.size() + cache.mails.size());
    for (const auto& [uid, mail] : cache.mails) {
        list.push_back(mail.entry);  // one copy, made in place
        list.back().New = !mail.seen;
    }
    return ok;
}

bool CImapProvider::GetMail(std::string locator, std::string& body, CMailMessage& msg)
{
    try {
        std::string wireName;
        uint64_t uidValidity = 0, uid = 0;
        if (!korvalin::imap::SplitLocator(locator, wireName, uidValidity, uid)) {
            Fail("not a mail of this account: " + locator);
            return false;
        }
        std::lock_guard lock(SessionMutex);
        MailboxState state;
        if (!LoggedIn || !Select(wireName, false, state))
            return false;
        if (state.uidValidity != uidValidity) {
            Fail("the folder " + wireName + " was renumbered; the mail must be listed again");
            return false;
        }
        std::string raw;
        bool found = false;
        auto take = [&](const ImapResponse& response) {
            FetchItems items;
            if (korvalin::imap::TakeFetch(response, items) && items.uid == uid && items.hasBody) {
                raw = std::move(items.body);
                found = true;
            }
        };
        if (Session.Run("UID FETCH " + std::to_string(uid) + " (UID BODY.PEEK[])", take) != CImapConnection::Ok ||
            !found) {
            Fail("the mail " + locator + " could not be fetched: " + Session.LastError);
            return false;
        }
        CMailMessage fetched;
        if (!korvalin::imap::RenderMail(raw, body, fetched) || fetched.From.empty()) {
            Fail("the mail " + locator + " has no sender");
            return false;
        }
        msg.From = fetched.From;
        msg.To = fetched.To;
        msg.CC = fetched.CC;
        msg.Subject = fetched.Subject;
        // Read as a reader would: the mail is marked seen on the server too.
        if (Session.Run("UID STORE " + std::to_string(uid) + " +FLAGS.SILENT (\\Seen)") != CImapConnection::Ok)
            Fail("marking " + locator + " as read failed: " + Session.LastError);
        auto cached = Cache.find(wireName);
        if (cached != Cache.end()) {
            auto mail = cached->second.mails.find(uid);
            if (mail != cached->second.mails.end())
                mail->second.seen = true;
        }
        return true;
    } catch (const std::exception& e) {
        Fail(e.what());
        return false;
    }
}

// Removes the selected mailbox's mail uid: flagged \Deleted, then UID
// EXPUNGE when the server has UIDPLUS; otherwise EXPUNGE only when no other
// mail of the mailbox is flagged \Deleted (an EXPUNGE would take those too),
// else the mail stays flagged and out of the listings.
bool CImapProvider::RemoveFromMailbox(uint64_t uid)
{
    const std::string id = std::to_string(uid);
    if (Session.Run("UID STORE " + id + " +FLAGS.SILENT (\\Deleted)") != CImapConnection::Ok) {
        Fail("flagging mail " + id + " as deleted failed: " + Session.LastError);
        return false;
    }
    if (Session.Has("UIDPLUS"))
        return Session.Run("UID EXPUNGE " + id) == CImapConnection::Ok;
    std::set<uint64_t> flagged;
    bool listed = true;
    auto take = [&](const ImapResponse& response) {
        if (response.kind != ImapResponse::Untagged || response.name != "SEARCH")
            return;
        for (const auto& value : response.values) {
            uint64_t n = 0;
            if (value.Number(n))
                flagged.insert(n);
            else
                listed = false;
        }
    };
    if (Session.Run("UID SEARCH DELETED", take) != CImapConnection::Ok || !listed)
        return true;
    if (flagged.size() == 1 && *flagged.begin() == uid)
        return Session.Run("EXPUNGE") == CImapConnection::Ok;
    return true;
}

bool CImapProvider::DeleteMail(std::string locator)
{
    try {
        std::string wireName;
        uint64_t uidValidity = 0, uid = 0;
        if (!korvalin::imap::SplitLocator(locator, wireName, uidValidity, uid))
            return false;
        std::lock_guard lock(SessionMutex);
        MailboxState state;
        if (!LoggedIn || !Select(wireName, false, state))
            return false;
        if (state.uidValidity != uidValidity) {
            Fail("the folder " + wireName + " was renumbered; nothing was deleted");
            return false;
        }
        bool done = false;
        const std::string id = std::to_string(uid);
        if (!TrashName.empty() && TrashName != wireName) {
            if (Session.Has("MOVE")) {
                done = Session.Run("UID MOVE " + id + " " + Quoted(TrashName)) == CImapConnection::Ok;
            } else if (Session.Run("UID COPY " + id + " " + Quoted(TrashName)) == CImapConnection::Ok) {
                done = RemoveFromMailbox(uid);
            }
        } else {
            done = RemoveFromMailbox(uid);
        }
        if (!done) {
            Fail("deleting " + locator + " failed: " + Session.LastError);
            return false;
        }
        auto cached = Cache.find(wireName);
        if (cached != Cache.end())
            cached->second.mails.erase(uid);
        return true;
    } catch (const std::exception& e) {
        Fail(e.what());
        return false;
    }
}

bool CImapProvider::SendMail(CMailMessage msg)
{
    try {
        Profile profile = CurrentProfile();
        CPopMessage message;
        message.From = profile.address;
        message.AddRecipients(msg.To);
        message.AddRecipients(msg.CC);
        message.AddRecipients(msg.BCC, true);
        message.Subject = msg.Subject;
        message.Body = msg.Body;
        korvalin::pop::OutgoingMail mail;
        if (!korvalin::pop::ComposeOutgoing(message, mail)) {
            Fail("the mail has no recipient");
            return false;
        }
        bool sent;
        {
            korvalin::LockHold hold(Smtp.Lock);
            if (!Smtp.Open()) {
                Fail("SMTP: " + Smtp.LastError);
                return false;
            }
            sent = Smtp.SendData(mail.From, mail.Recipients, mail.Data);
            Smtp.Quit();
        }
        if (!sent) {
            Fail("SMTP: " + Smtp.LastError);
            return false;
        }
        if (!msg.SaveCopy)
            return true;
        // The copy in Sent is the very text the SMTP server took.
        const std::string text = korvalin::pop::NormalizeLineEnds(mail.Data);
        std::lock_guard lock(SessionMutex);
        if (!LoggedIn || SentName.empty() || !EnsureSession())
            return true;
        if (Session.RunWithLiteral("APPEND " + Quoted(SentName) + " (\\Seen)", text, "") != CImapConnection::Ok)
            Fail("the copy in " + SentName + " could not be saved: " + Session.LastError);
        return true;
    } catch (const std::exception& e) {
        Fail(e.what());
        return false;
    }
}

int CImapProvider::GetVersion()
{
    return 1;
}
