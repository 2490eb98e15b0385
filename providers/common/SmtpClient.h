// The SMTP dialogue shared by the plug-ins that send mail: greeting, EHLO
// (HELO only when EHLO is refused), STARTTLS as the server field asks, EHLO
// again after it, AUTH PLAIN or AUTH LOGIN when the server offers AUTH, then
// MAIL FROM (with SIZE when offered), RCPT TO for every recipient, DATA with
// the dot-stuffed message, and QUIT. Replies are read as whole lines,
// multi-line replies ("250-...") up to their last line; every wait is
// bounded by the network time-outs.
//
// A field that asks for TLS (smtps://, smtp://) never lets a credential or a
// mail leave before TLS is up with a checked certificate.
#pragma once

#include "MailSession.h"

#include <string>
#include <string_view>
#include <vector>

class CSmtpClient : public CMailSession {
public:
    // Which reply is expected; each has its code and failure text.
    enum Step {
        StepOk = 0,
        StepGreeting = 1,
        StepData = 2,
        StepQuit = 3,
        StepReady = 4,     // 220 to STARTTLS
        StepAuthed = 5,    // 235 to AUTH
        StepContinue = 6,  // 334 within AUTH LOGIN
        StepCount
    };
    static int ExpectedCode(int step);
    static const char* StepError(int step);

    static constexpr size_t kMaxReplyLine = 8 * 1024;
    static constexpr int kMaxReplyLines = 200;

    CSmtpClient();
    ~CSmtpClient() override;
    CSmtpClient(const CSmtpClient&) = delete;
    CSmtpClient& operator=(const CSmtpClient&) = delete;

    // Server field (ServerField.h; a bare host uses port 25); an empty text
    // leaves the configuration as it was. An unusable field makes Open fail.
    void Configure(const std::string& server);
    // The credentials AUTH uses when the server offers it; none: no AUTH.
    void SetLogin(const std::string& user, const std::string& pass);

    bool Open();
    bool Quit() { return Leave(); }
    // Sends one mail: data is the whole message (header block, empty line,
    // body) with CR LF or LF line ends, not dot-stuffed. True when the
    // server accepted it.
    bool SendData(const std::string& from, const std::vector<std::string>& recipients, std::string_view data);
    bool ReadReply(int step);

    // What EHLO said (after STARTTLS, what it said then).
    bool Offers(std::string_view keyword) const;
    // The SIZE limit the server announced, 0 for none.
    size_t SizeLimit() const { return MaxSize; }
    // The name EHLO/HELO gave: the host's fully qualified name, else the
    // address literal of the connection's local end.
    const std::string& ClientName() const { return HeloName; }

    // LastReply holds the last reply, its lines joined with CR LF.

protected:
    bool SayQuit() override;
    bool Hello();
    bool UpgradeToTls();
    bool Authenticate();

    std::vector<std::string> Extensions;  // EHLO keywords and their arguments, upper case keyword
    size_t MaxSize = 0;
    std::string HeloName;
};

namespace korvalin::smtp {
// data with CR LF line ends, every line starting with "." given one more,
// ended with CR LF and the final ".".
std::string DataBlock(std::string_view data);
std::string Base64(std::string_view bytes);
}  // namespace korvalin::smtp
