// The NetAddress provider: posts the login form, learns the mailbox id from
// the answer and reaches every later page under "/tpl/" through it (folder
// and mail listings, mail pages, the move to the deleted-mail folder, the
// send form and the address book).
//
// Three values come from hosts.conf, read at every operation:
// "netaddress.host" (every page), "netaddress.classic" and
// "netaddress.domain" (named in the login and send forms).
#pragma once

#include "MailProvider.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class CNetAddress : public CMailProvider {
public:
    // The provider's name keys the account lists and account folders, so it
    // never changes.
    static constexpr const char *kProviderName = "NetAddress(Tellmark)";

    CNetAddress();

    void SetUserProfile(std::string user, std::string password) override;
    void GetAddressBook(CAddressArray &book) override;
    void AddAddress(std::string name, std::string address) override;
    [[nodiscard]] bool DoLogin() override;
    bool GetMail(std::string locator, std::string &body, CMailMessage &msg) override;
    bool SendMail(CMailMessage msg) override;
    bool DeleteMail(std::string locator) override;
    bool GetFolders(CStringArray &names) override;
    bool GetMailSummary(CSummaryArray &list, int folder) override;
    int GetVersion() override;

    // A consistent copy of the values that concurrent operations share.
    struct SessionValues {
        std::string User, Password, MailboxId;
        CStringArray FolderLinks;
    };
    SessionValues Session() const;
    // Mails listed by every GetMailSummary so far; the delete form carries it.
    uint32_t ListedMailCount() const { return ListedMails.load(); }

private:
    struct HostValues {
        std::string Base;    // "http://host[:port]"
        std::string Host;    // the host as configured, for the login form
        std::string Classic; // the classic site's host
        std::string Domain;  // the mail domain
    };
    static HostValues Hosts();
    // Base + "/tpl/" + section + "/" + mailbox id + "/" + page.
    static std::string PageUrl(const HostValues &hosts, const std::string &section, const std::string &mailboxId,
                               const std::string &page);

    // Guards User, Password, MailboxId and FolderLinks: several operations
    // run on one object at once and each must see whole values.
    mutable std::mutex SessionLock;
    std::string User;
    std::string Password;
    std::string MailboxId;
    CStringArray FolderLinks;
    std::atomic<uint32_t> ListedMails{0};
};
