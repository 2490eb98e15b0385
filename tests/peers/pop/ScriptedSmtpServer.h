// An in-process SMTP server for the tests: greeting, HELO/EHLO, STARTTLS,
// AUTH PLAIN/LOGIN (any credentials), MAIL, RCPT, DATA, RSET, NOOP, QUIT,
// with every mail kept as received (envelope and the raw, still dot-stuffed
// data), TLS from the start or after STARTTLS, and a script that answers any
// command in the peer's place ("<DATA-END>" stands for the final "." of the
// data).
#pragma once

#include "LinePeer.h"

namespace korvalin::test {

struct SmtpMail {
    std::string MailFrom;              // the MAIL command's argument as sent
    std::vector<std::string> RcptTo;   // the RCPT commands' arguments as sent
    std::string Data;                  // lines between DATA and ".", each ended with CR LF, as sent
};

struct SmtpServerOptions {
    std::string Greeting = "220 scripted ESMTP ready";
    std::string HeloReply = "250 scripted at your service";
    std::string DataEndReply = "250 OK queued";
    std::string EhloReply;          // EHLO's reply when set (lines joined with CR LF), else HeloReply
    std::string EhloReplyAfterTls;  // EHLO's reply once TLS is up, when set
    SSL_CTX* Tls = nullptr;         // STARTTLS starts TLS with this context
    bool ImplicitTls = false;       // TLS before the greeting
    PieceOptions Pieces;
};

class ScriptedSmtpServer : public LinePeer {
public:
    using Script = std::function<std::optional<PeerReply>(const std::string& command, int session)>;

    explicit ScriptedSmtpServer(SmtpServerOptions options = {});
    ~ScriptedSmtpServer() override;

    void SetScript(Script script);
    std::vector<SmtpMail> Mails() const;
    std::vector<std::string> Commands() const;  // every command line of every session
    std::vector<std::string> CommandsInClear() const;  // those that came before TLS

private:
    void ServeSession(PeerConnection& connection, int index);

    mutable std::mutex StateMutex;
    SmtpServerOptions Options;
    Script UserScript;
    std::vector<SmtpMail> Received;
    std::vector<std::string> CommandLog;
    std::vector<std::string> ClearLog;
};

// The mail's data with the SMTP dot-stuffing removed.
std::string Unstuffed(const std::string& data);

}  // namespace korvalin::test
