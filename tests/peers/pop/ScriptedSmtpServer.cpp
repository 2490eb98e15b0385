#include "ScriptedSmtpServer.h"

#include <algorithm>
#include <cctype>

namespace korvalin::test {
namespace {

std::string UpperVerb(const std::string& command)
{
    std::string verb = command.substr(0, command.find_first_of(" :"));
    std::transform(verb.begin(), verb.end(), verb.begin(), [](unsigned char c) { return std::toupper(c); });
    return verb;
}

}  // namespace

std::string Unstuffed(const std::string& data)
{
    std::string text;
    size_t pos = 0;
    while (pos < data.size()) {
        if (data[pos] == '.')
            ++pos;
        size_t end = data.find("\r\n", pos);
        size_t next = end == std::string::npos ? data.size() : end + 2;
        text.append(data, pos, next - pos);
        pos = next;
    }
    return text;
}

ScriptedSmtpServer::ScriptedSmtpServer(SmtpServerOptions options) : Options(std::move(options))
{
    Start([this](PeerConnection& connection, int index) { ServeSession(connection, index); }, Options.Pieces);
}

ScriptedSmtpServer::~ScriptedSmtpServer()
{
    Stop();
}

void ScriptedSmtpServer::SetScript(Script script)
{
    std::lock_guard lock(StateMutex);
    UserScript = std::move(script);
}

std::vector<SmtpMail> ScriptedSmtpServer::Mails() const
{
    std::lock_guard lock(StateMutex);
    return Received;
}

std::vector<std::string> ScriptedSmtpServer::Commands() const
{
    std::lock_guard lock(StateMutex);
    return CommandLog;
}

std::vector<std::string> ScriptedSmtpServer::CommandsInClear() const
{
    std::lock_guard lock(StateMutex);
    return ClearLog;
}

void ScriptedSmtpServer::ServeSession(PeerConnection& connection, int index)
{
    auto scripted = [&](const std::string& command) -> std::optional<PeerReply> {
        Script script;
        {
            std::lock_guard lock(StateMutex);
            script = UserScript;
        }
        return script ? script(command, index) : std::nullopt;
    };
    // Writes a script's reply; false when the session ends with it.
    auto play = [&](const PeerReply& reply) {
        connection.Write(reply.Bytes);
        if (reply.StallAfter)
            connection.Idle();
        return !reply.CloseAfter && !reply.StallAfter;
    };

    if (Options.ImplicitTls && !connection.StartTls(Options.Tls))
        return;
    if (auto reply = scripted("<GREETING>")) {
        if (!play(*reply))
            return;
    } else {
        connection.Write(Options.Greeting + "\r\n");
    }

    SmtpMail mail;
    bool haveMail = false;
    std::string command;
    auto readLine = [&](std::string& line) {
        if (!connection.ReadLine(line))
            return false;
        std::lock_guard lock(StateMutex);
        CommandLog.push_back(line);
        if (!connection.IsTls())
            ClearLog.push_back(line);
        return true;
    };
    while (readLine(command)) {
        connection.ReplyDelay();
        std::string verb = UpperVerb(command);
        std::optional<PeerReply> reply = scripted(command);
        if (reply && !play(*reply))
            return;
        if (verb == "MAIL") {
            mail = SmtpMail{command.substr(command.find(':') == std::string::npos ? 4 : command.find(':') + 1), {}, {}};
            haveMail = true;
            if (!reply)
                connection.Write("250 sender OK\r\n");
        } else if (verb == "RCPT") {
            std::string argument = command.substr(command.find(':') == std::string::npos ? 4 : command.find(':') + 1);
            bool empty = argument.find("<>") != std::string::npos;
            if (haveMail && !empty)
                mail.RcptTo.push_back(argument);
            if (!reply)
                connection.Write(empty ? "501 empty recipient refused\r\n" : "250 recipient OK\r\n");
        } else if (verb == "DATA") {
            if (reply)
                continue;  // the script refused (or answered) DATA itself
            connection.Write("354 end data with <CR><LF>.<CR><LF>\r\n");
            std::string line;
            while (connection.ReadLine(line) && line != ".")
                mail.Data += line + "\r\n";
            {
                std::lock_guard lock(StateMutex);
                Received.push_back(mail);
            }
            haveMail = false;
            if (auto end = scripted("<DATA-END>")) {
                if (!play(*end))
                    return;
            } else {
                connection.Write(Options.DataEndReply + "\r\n");
            }
        } else if (reply) {
            continue;
        } else if (verb == "EHLO" && connection.IsTls() && !Options.EhloReplyAfterTls.empty()) {
            connection.Write(Options.EhloReplyAfterTls + "\r\n");
        } else if (verb == "EHLO" && !Options.EhloReply.empty()) {
            connection.Write(Options.EhloReply + "\r\n");
        } else if (verb == "HELO" || verb == "EHLO") {
            connection.Write(Options.HeloReply + "\r\n");
        } else if (verb == "STARTTLS" && Options.Tls != nullptr && !connection.IsTls()) {
            connection.Write("220 go ahead\r\n");
            if (!connection.StartTls(Options.Tls))
                return;
        } else if (verb == "AUTH") {
            if (UpperVerb(command.substr(5)) == "LOGIN") {
                std::string line;
                connection.Write("334 VXNlcm5hbWU6\r\n");
                if (!readLine(line))
                    return;
                connection.Write("334 UGFzc3dvcmQ6\r\n");
                if (!readLine(line))
                    return;
            }
            connection.Write("235 authenticated\r\n");
        } else if (verb == "RSET" || verb == "NOOP") {
            haveMail = false;
            connection.Write("250 OK\r\n");
        } else if (verb == "QUIT") {
            connection.Write("221 bye\r\n");
            return;
        } else {
            connection.Write("500 unknown command\r\n");
        }
    }
}

}  // namespace korvalin::test
