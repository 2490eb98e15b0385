#include "ScriptedImapServer.h"

#include <cctype>

namespace korvalin::test {
namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string WithTag(std::string bytes, const std::string& tag)
{
    for (size_t at = bytes.find("$T"); at != std::string::npos; at = bytes.find("$T", at + tag.size()))
        bytes.replace(at, 2, tag);
    return bytes;
}

}  // namespace

ScriptedImapServer::ScriptedImapServer(Script script, std::string capabilities)
    : Answer(std::move(script)), Capabilities(std::move(capabilities))
{
    Start([this](PeerConnection& connection, int session) { Serve(connection, session); }, {});
}

ScriptedImapServer::~ScriptedImapServer()
{
    Stop();
}

std::vector<std::string> ScriptedImapServer::Commands() const
{
    std::lock_guard lock(Mutex);
    std::vector<std::string> lines;
    for (const ImapCommand& command : Received)
        lines.push_back(command.Line);
    return lines;
}

std::vector<std::string> ScriptedImapServer::CommandsNamed(const std::string& name) const
{
    std::lock_guard lock(Mutex);
    std::vector<std::string> lines;
    for (const ImapCommand& command : Received)
        if (command.Name == name)
            lines.push_back(command.Line);
    return lines;
}

void ScriptedImapServer::Serve(PeerConnection& connection, int session)
{
    struct CountEnd {
        std::atomic<int>& count;
        ~CountEnd() { ++count; }
    } countEnd{Ended};
    connection.Write("* OK [CAPABILITY " + Capabilities + "] scripted IMAP server ready\r\n");
    std::string line;
    while (connection.ReadLine(line)) {
        ImapCommand command;
        command.Session = session;
        size_t space = line.find(' ');
        command.Tag = line.substr(0, space);
        command.Line = space == std::string::npos ? std::string() : line.substr(space + 1);
        std::string first = Upper(command.Line.substr(0, command.Line.find(' ')));
        command.Name = first;
        if (first == "UID") {
            std::string rest = command.Line.substr(std::min(command.Line.size(), size_t{4}));
            command.Name += " " + Upper(rest.substr(0, rest.find(' ')));
        }
        {
            std::lock_guard lock(Mutex);
            Received.push_back(command);
        }
        std::optional<PeerReply> reply = Answer ? Answer(command) : std::nullopt;
        if (!reply) {
            const std::string& t = command.Tag;
            if (first == "CAPABILITY")
                reply = PeerReply{"* CAPABILITY " + Capabilities + "\r\n" + t + " OK done\r\n"};
            else if (first == "AUTHENTICATE" && command.Line.find(' ', 13) == std::string::npos) {
                connection.Write("+ \r\n");
                std::string credentials;
                if (!connection.ReadLine(credentials))
                    return;
                reply = PeerReply{t + " OK done\r\n"};
            } else if (first == "LOGIN" || first == "AUTHENTICATE" || first == "NOOP")
                reply = PeerReply{t + " OK done\r\n"};
            else if (first == "LOGOUT")
                reply = PeerReply::Close("* BYE bye\r\n" + t + " OK done\r\n");
            else
                reply = PeerReply{t + " BAD not scripted\r\n"};
        }
        connection.ReplyDelay();
        connection.Write(WithTag(reply->Bytes, command.Tag));
        if (reply->CloseAfter)
            return;
        if (reply->StallAfter) {
            connection.Idle();
            return;
        }
    }
}

}  // namespace korvalin::test
