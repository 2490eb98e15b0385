// CImapProvider: an IMAP mailbox that sends through SMTP, presented to the
// program like any other provider ("IMAPMail", version 1). One connection
// serves the operations, one at a time; a second one, on a thread of its
// own, IDLEs on the inbox and tells the program through HostLink when the
// inbox changed. A check of a folder seen before in this run asks only for
// what changed since.
#pragma once

#include "ImapConnection.h"
#include "ImapItems.h"
#include "ImapWatcher.h"
#include "MailProvider.h"
#include "SmtpClient.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CImapProvider : public CMailProvider {
public:
    CImapProvider();
    ~CImapProvider() override;

    // user is the account line "login=display name=address=IMAP server=SMTP
    // server", as for a POP account; servers are "host" or "host:port".
    // Ends the sessions of the profile before (the push connection too).
    void SetUserProfile(std::string user, std::string password) override;
    [[nodiscard]] bool DoLogin() override;
    bool GetMail(std::string locator, std::string& body, CMailMessage& msg) override;
    bool SendMail(CMailMessage msg) override;
    bool DeleteMail(std::string locator) override;
    bool GetFolders(CStringArray& names) override;
    bool GetMailSummary(CSummaryArray& list, int folder) override;
    int GetVersion() override;

    // What the last failure was, for the log and the tests.
    std::string LastError() const;
    // The push connection, null before the first login.
    const korvalin::imap::CImapWatcher* Watcher() const { return Push.get(); }
    // Timing of the push connection for the next login (tests shorten it).
    korvalin::imap::CImapWatcher::Timing PushTiming;

private:
    struct Profile {
        std::string user, displayName, address, imapServer, smtpServer, password;
    };
    struct KnownMail {
        SummaryEntry entry;
        bool seen = false;
    };
    struct FolderCache {
        korvalin::imap::MailboxState state;
        std::map<uint64_t, KnownMail> mails;  // by UID
    };

    Profile CurrentProfile() const;
    bool OpenConnection(korvalin::imap::CImapConnection& connection, const Profile& profile);
    // The operations' connection, opened again when it broke. Session lock held.
    bool EnsureSession();
    // The first command of an operation: run again on a fresh connection
    // when the one kept from before turns out to be dead.
    korvalin::imap::CImapConnection::Result RunFirst(const std::string& command,
                                                     const korvalin::imap::CImapConnection::Handler& handler);
    // SELECT or EXAMINE. listTag, when given, gets the tag of a UID FETCH of
    // the whole folder's listing items sent right behind it (a first listing
    // needs nothing from the answer before it asks); its answer is for the
    // caller to finish.
    bool Select(const std::string& wireName, bool readOnly, korvalin::imap::MailboxState& state,
                std::string* listTag = nullptr);
    bool ListInto(const std::string& wireName, CSummaryArray& list);
    bool RemoveFromMailbox(uint64_t uid);
    void NotifyInboxChanged();
    void Fail(const std::string& text);

    mutable std::mutex ProfileMutex;
    Profile Account;

    std::mutex SessionMutex;  // held by one operation at a time; guards what follows
    korvalin::imap::CImapConnection Session;
    bool LoggedIn = false;
    std::vector<korvalin::imap::MailboxInfo> Mailboxes;  // in GetFolders order
    std::string TrashName, SentName;
    std::map<std::string, FolderCache> Cache;  // by wire name
    std::string Error;

    std::unique_ptr<korvalin::imap::CImapWatcher> Push;
    CSmtpClient Smtp;
};

namespace korvalin::imap {
// "12k": a size in kilobytes, rounded up.
std::string SizeText(uint64_t bytes);
}  // namespace korvalin::imap
