// The Hotmail provider: drives the service's web pages (login forms, folder
// and mail listings, mail pages, the compose form, the trash move and the
// address book) and cuts the values out of them between fixed markers.
//
// Three hosts come from hosts.conf: "hotmail.web" (pages, listings, mails,
// compose, trash), "hotmail.form" (password form, address book) and
// "hotmail.login" (the login target). They are read at every operation.
#pragma once

#include "MailProvider.h"

#include <mutex>
#include <string>

class CHotmail : public CMailProvider {
public:
    CHotmail();

    void SetUserProfile(std::string user, std::string password) override;
    void GetAddressBook(CAddressArray& book) override;
    void AddAddress(std::string name, std::string address) override;
    [[nodiscard]] bool DoLogin() override;
    bool GetMail(std::string locator, std::string& body, CMailMessage& msg) override;
    bool SendMail(CMailMessage msg) override;
    bool DeleteMail(std::string locator) override;
    bool GetFolders(CStringArray& names) override;
    bool GetMailSummary(CSummaryArray& list, int folder) override;
    int GetVersion() override;

    // A consistent copy of the values that concurrent operations share.
    struct SessionValues {
        std::string User, Password, InboxUrl, Disk, FormF;
        CStringArray FolderIds;
    };
    SessionValues Session() const;

private:
    struct HostAddresses {
        std::string Web, Form, Login; // "http://host[:port]"
    };
    static HostAddresses Hosts();

    void InitHardCodedStrings();
    void LearnSessionValues(const std::string& locator);
    std::string SessionQuery(const SessionValues& session) const;

    // Guards FolderIds, User, Password, FormF, InboxUrl, FoldersUrl, LoginUrl
    // and Disk: several operations run on one object at once and each must
    // see whole values. The other strings never change after construction.
    mutable std::mutex SessionLock;

    CStringArray FolderIds;
    std::string User;
    std::string Password;
    std::string FormF;
    std::string CurMbox;
    std::string Frames;
    std::string Js;
    std::string InboxUrl;
    std::string FoldersUrl;
    std::string LoginUrl;
    std::string EnterValue;
    std::string Disk;
};
