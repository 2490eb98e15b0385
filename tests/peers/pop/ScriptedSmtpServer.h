// An in-process SMTP server for the tests: greeting, HELO/EHLO, MAIL, RCPT,
// DATA, RSET, NOOP, QUIT, with every mail kept as received (envelope and the
// raw, still dot-stuffed data), and a script that answers any command in the
// peer's place ("<DATA-END>" stands for the final "." of the data).
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

private:
    void ServeSession(PeerConnection& connection, int index);

    mutable std::mutex StateMutex;
    SmtpServerOptions Options;
    Script UserScript;
    std::vector<SmtpMail> Received;
    std::vector<std::string> CommandLog;
};

// The mail's data with the SMTP dot-stuffing removed.
std::string Unstuffed(const std::string& data);

}  // namespace korvalin::test
