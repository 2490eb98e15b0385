// The Yahoo Mail provider: logs in through the service's login form, learns
// the navigation links (Check Mail, Compose, Folders, Addresses) and the mail
// host from the answer, and from then on follows links taken from the pages:
// folder list, listings page by page, mail pages, the folder form that
// deletes, the compose form and the address book.
//
// Two hosts come from hosts.conf: "yahoo.login" (the login page and form)
// and "yahoo.account" (the sign-up page and the login's return address).
// The mail host is whatever the login answer names.
#pragma once

#include "MailProvider.h"

#include <map>
#include <mutex>
#include <string>

class CYahooMail : public CMailProvider {
public:
    CYahooMail();

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

    // The values a login and the listings leave behind, copied whole.
    struct SessionValues {
        std::string User, Password;
        std::string CheckMailLink, ComposeLink, FoldersLink, AddressesLink;
        std::string BaseAddress;       // the mail host, e.g. "http://mail.host"
        std::string FolderFormAddress; // the form of the folder listed last
        CStringArray FolderLinks;      // aligned with the names of the last GetFolders
    };
    SessionValues Session() const;

private:
    struct HostAddresses {
        std::string Login, Account; // as written in hosts.conf: "host[:port]"
    };
    static HostAddresses Hosts();

    // The form address of the listing that showed a mail, falling back to
    // the folder listed last.
    std::string FormAddressFor(const std::string &messageId) const;
    void LearnListing(const std::string &formAddress, const std::map<std::string, std::string> &formByMessage);

    mutable std::mutex SessionLock; // guards every member below
    SessionValues Values;
    // Several folders are listed at once, so each mail remembers the form of
    // its own folder; deleting through another folder's form would miss it.
    std::map<std::string, std::string> FormAddressByMessage;
};
