// The MailExcite provider: logs in through the service's registration host,
// learns the mailbox key from the answer's frame, then reads the mail
// host's ".dcg" pages with that key (folders, listings, mails, address book)
// and posts its forms (send, move to Trash, new address).
//
// Three hosts come from hosts.conf, read at every operation:
// "excite.registration" (login, sign-up), "excite.mail" (pages and forms)
// and "excite.folderaction" (the move to Trash).
#pragma once

#include "MailProvider.h"

#include <mutex>
#include <string>

class CMailExcite : public CMailProvider {
public:
    CMailExcite();

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
        std::string User, Password, MailboxKey;
        CStringArray FolderLinks;
    };
    SessionValues Session() const;

private:
    struct HostBases {
        std::string Registration, Mail; // "http://host[:port]"
        std::string FolderAction;       // with the port named: "http://host:80"
    };
    static HostBases Hosts();

    // Guards User, Password, MailboxKey and FolderLinks: several operations
    // run on one object at once and each must see whole values.
    mutable std::mutex SessionLock;
    std::string User;
    std::string Password;
    std::string MailboxKey;
    CStringArray FolderLinks;
};
