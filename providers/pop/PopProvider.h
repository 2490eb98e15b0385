// CPopProvider: a POP3 mailbox that sends through SMTP, presented to the
// program like any other provider ("POPMail", version 1, no folders, no
// address book). Every operation is one short session of its own.
#pragma once

#include "MailProvider.h"
#include "PopClient.h"
#include "SmtpClient.h"

#include <mutex>
#include <string>

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

private:
    // The id a summary entry carries for message number in the open session:
    // the Message-ID of its header, else the server's UIDL, else a digest of
    // its header.
    std::string MessageIdOf(int number, const CPopMessage& message);
    // The current number of the mail a locator names, checked by its id in
    // the open session: 0 when the mail is gone, -1 when the session failed.
    int LocateMail(const std::string& id, int number);
    bool FetchMail(const std::string& locator, std::string& body, CMailMessage& msg);
    bool RemoveMail(const std::string& locator);
    bool ListMails(CSummaryArray& list);

    std::mutex ProfileMutex;  // guards the account fields above
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
