// CPopProvider: a POP3 mailbox that sends through SMTP, presented to the
// program like any other provider ("POPMail", version 1, no folders, no
// address book). Every operation is one short session of its own.
#pragma once

#include "MailProvider.h"
#include "PopClient.h"
#include "SmtpClient.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class CPopProvider : public CMailProvider {
public:
    CPopProvider();
    ~CPopProvider() override;

    // user is the account line "login=display name=address=POP3 server=SMTP
    // server"; servers are "host" or "host:port".
    void SetUserProfile(std::string user, std::string password) override;
    [[nodiscard]] bool DoLogin() override;
    bool GetMail(std::string locator, std::string& body, CMailMessage& msg) override;
    bool SendMail(CMailMessage msg) override;
    bool DeleteMail(std::string locator) override;
    bool GetFolders(CStringArray& names) override;
    bool GetMailSummary(CSummaryArray& list, int folder) override;
    int GetVersion() override;

    std::string UserName;
    std::string DisplayName;
    std::string Password;
    CSmtpClient Smtp;
    CPopClient Pop;
    std::string PopServer;
    std::string SmtpServer;
    std::string FromAddress;

    // Deletes several mails in one session (DELE commands pipelined when the
    // server allows it). True only if every mail was deleted and the session
    // ended well.
    bool DeleteMails(const std::vector<std::string>& locators);

    // Called in every POP3 operation once the mailbox is listed; the tests
    // use it to fail an operation midway.
    std::function<void()> OnListed;

    // The folder above "Accounts": the program's data root, which is the
    // plug-in's current directory. The checks keep what they learnt in the
    // account folder under it (when that folder exists), for the next start.
    std::filesystem::path DataRoot{"."};

private:
    // What a check keeps of a mail, by the server's UIDL, so that the next
    // check fetches headers only for mails it has not seen.
    struct KnownMail {
        std::string From, Subject, Date, MessageId;
        // Read from the account's cache file: good for a summary, but a mail
        // is fetched or deleted only after its header was read again.
        bool FromFile = false;
    };

    // The open session's view of the mailbox: the message count and, when
    // the server answers UIDL, every message's unique id.
    struct Listing {
        int Count = 0;
        std::vector<std::string> Uidls;  // empty when the server has no UIDL
        bool HasUidls() const { return !Uidls.empty(); }
    };
    // UIDL, or STAT when the server has no UIDL.
    bool ListMailbox(Listing& listing);
    // Reads the answer to a UIDL already sent into listing; counted says
    // listing.Count holds the STAT count already (a list of another length
    // is then not used).
    bool TakeUidls(Listing& listing, bool counted);

    // Fetches the header blocks of the numbers in order (pipelined when the
    // server allows it, or when queued says the TOP commands are sent
    // already) and hands each to take. On a failed TOP the answers still
    // outstanding are read and dropped, failedNumber names the number, and
    // the result is false.
    bool FetchHeaders(const std::vector<int>& numbers, const std::function<void(int, CPopMessage&)>& take,
                      int& failedNumber, bool queued = false);

    // The id a summary entry carries for message number: the Message-ID of
    // its header, else its UIDL, else a digest of its header.
    std::string MessageIdOf(const CPopMessage& message, const Listing& listing, int number) const;
    // Parses a fetched header into what a check keeps, and keeps it by UIDL.
    KnownMail Remember(CPopMessage& message, const Listing& listing, int number);

    // The current number of the mail a locator names, checked by its id in
    // the open session: 0 when the mail is gone, -1 when the session failed.
    int LocateMail(const std::string& id, int number, const Listing& listing);
    bool FetchMail(const std::string& locator, std::string& body, CMailMessage& msg);
    bool ListMails(CSummaryArray& list);
    bool CheckMailbox(CSummaryArray& list);
    // The account's cache file: read at the first check, written after each
    // check that changed what is known.
    std::filesystem::path CacheFile() const;
    void ReadCache();
    void WriteCache();
    // Forgets what the checks learnt when the server or login changes.
    void ForgetMailbox();

    std::mutex ProfileMutex;  // guards the account fields above
    // Guarded by Pop.Lock:
    std::unordered_map<std::string, KnownMail> KnownMails;  // by UIDL
    bool NoUidl = false;  // the server refused UIDL: do not ask again
    std::string MailboxKey;  // server, port and user the above belong to
    bool CacheRead = false;   // the cache file was tried for this mailbox
    bool CacheChanged = false;  // KnownMails differs from the cache file
};

namespace korvalin::pop {

// The five fields of an account line; runs of "=" separate like one, so an
// empty field shifts the following ones, and missing fields are empty.
struct AccountLine {
    std::string UserName, DisplayName, FromAddress, PopServer, SmtpServer;
};
AccountLine SplitAccountLine(std::string_view line);

// id "##" number; false when there is no "##" followed by a number. The
// number follows the last "##", so an id may itself hold "##".
bool SplitLocator(std::string_view locator, std::string& id, int& number);
std::string MakeLocator(const std::string& id, int number);

}  // namespace korvalin::pop
