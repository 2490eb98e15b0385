// The common provider of the ".femail" page family (MailCity, AngelFire):
// after a login that learns the Read Mail link and the mailbox path, it
// reads the folder page, the listings twenty mails at a time, the mail
// pages with their MIME parts, the compose form and the address book. The
// services differ in their login and in the markers of a FemailDialect.
#pragma once

#include "FemailDialect.h"
#include "MailProvider.h"

#include <mutex>
#include <string>

class CWebRequest;

class CFemailProvider : public CMailProvider {
public:
    explicit CFemailProvider(const korvalin::femail::FemailDialect &dialect);

    void SetUserProfile(std::string user, std::string password) override;
    void GetAddressBook(CAddressArray &book) override;
    void AddAddress(std::string name, std::string address) override;
    bool GetMail(std::string locator, std::string &body, CMailMessage &msg) override;
    bool SendMail(CMailMessage msg) override;
    bool DeleteMail(std::string locator) override;
    bool GetFolders(CStringArray &names) override;
    bool GetMailSummary(CSummaryArray &list, int folder) override;
    int GetVersion() override;

    // The values a login and the folder page leave behind, copied whole.
    struct SessionValues {
        std::string User, Password;
        std::string ReadMailLink; // the inbox listing, absolute
        std::string PagePrefix;   // what the built page addresses start with
        std::string MailboxPath;  // between the prefix and the page suffix
        CStringArray FolderLinks; // aligned with the names of the last GetFolders
    };
    SessionValues Session() const;

protected:
    // What a login answer yields.
    struct SessionLinks {
        std::string ReadMailLink, PagePrefix, MailboxPath;
    };

    // Posts the login form ("user", "passwd", "version", "partner_key") to
    // formAddress and reads the answer's first six lines. False when the
    // sixth refuses the login (the password reminder after its start) or
    // the answer is shorter; otherwise request reads on from line seven.
    bool PostLoginForm(const std::string &formAddress, std::string_view partnerKey, CWebRequest &request,
                       std::string &answer) const;
    // Starts using the links of a login that succeeded.
    void StartSession(const SessionLinks &links);

private:
    // prefix + mailbox path + suffix: the compose page, the address book
    // and the address form.
    static std::string PageAddress(const SessionValues &session, std::string_view suffix);

    const korvalin::femail::FemailDialect &Dialect;
    mutable std::mutex SessionLock; // guards Values
    SessionValues Values;
};
