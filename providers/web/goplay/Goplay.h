// The GoPlay provider. The service keeps its login in a cookie and drives
// the whole mailbox through one form: folder views, mail views, moves and
// the compose steps are posts of fixed button fields to the mailbox form
// address, each carrying the cookie (and no content type). Sending and the
// address book go through the compose pages, whose address names the
// session id ("sid").
//
// One host comes from hosts.conf, read at every operation: "goplay.host".
#pragma once

#include "MailProvider.h"

#include <mutex>
#include <string>

class CGoplay : public CMailProvider {
public:
    CGoplay();

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
        std::string User, Password;
        std::string CookieHeader; // "Cookie: name=value"
        std::string MailboxLink;
        std::string FormAddress; // the mailbox form's address
        std::string StartOn, EndOn;
        std::string Sid;
        CStringArray FolderForms; // the form body that shows each folder
    };
    SessionValues Session() const;

private:
    static std::string Base(); // "http://host[:port]"
    // The session values with the mailbox form's values present: when no
    // folder list was read since the login, the mailbox page is read first.
    // False when there is no login or the mailbox page does not give them.
    bool MailboxFormSession(SessionValues &session);
    bool ReadMailboxPage(SessionValues &session, CStringArray *names);
    // The compose step of sending and of the address book: asks for a new
    // mail's form and returns its message number; empty on failure.
    std::string OpenComposeForm(const SessionValues &session);
    void RememberSid(const std::string &sid);

    // Guards every value below: several operations run on one object at
    // once and each must see whole values.
    mutable std::mutex SessionLock;
    std::string User;
    std::string Password;
    std::string CookieHeader;
    std::string MailboxLink;
    std::string FormAddress;
    std::string StartOn;
    std::string EndOn;
    std::string Sid;
    CStringArray FolderForms;
};
