#include "ScriptedPopServer.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace korvalin::test {
namespace {

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<std::string> words;
    std::string word;
    while (stream >> word)
        words.push_back(word);
    return words;
}

// 1-based message number of a command argument, or 0.
int MessageNumber(const std::vector<std::string>& words, size_t at, size_t count)
{
    if (words.size() <= at)
        return 0;
    const std::string& text = words[at];
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    int number = std::stoi(text);
    return number >= 1 && static_cast<size_t>(number) <= count ? number : 0;
}

}  // namespace

std::string DotStuffedBlock(std::string_view text)
{
    std::string block;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        size_t next = end == std::string_view::npos ? text.size() : end + 2;
        if (text[pos] == '.')
            block += '.';
        block.append(text.substr(pos, next - pos));
        if (end == std::string_view::npos)
            block += "\r\n";
        pos = next;
    }
    block += ".\r\n";
    return block;
}

PopMail MakePopMail(std::string uidl, std::vector<std::string> headerLines, std::string body)
{
    PopMail mail{std::move(uidl), {}};
    for (const std::string& line : headerLines)
        mail.Text += line + "\r\n";
    mail.Text += "\r\n";
    std::istringstream lines(body);
    std::string line;
    while (std::getline(lines, line))
        mail.Text += line + "\r\n";
    return mail;
}

PopMail SimplePopMail(const std::string& id, const std::string& subject, const std::string& body)
{
    return MakePopMail("uid-" + id,
                       {"Return-Path: <ann@example.org>", "From: Ann <ann@example.org>", "To: me@example.net",
                        "Subject: " + subject, "Date: Mon, 7 Dec 1998 10:20:30 +0000", "Message-ID: <" + id + ">"},
                       body);
}

ScriptedPopServer::ScriptedPopServer(PopServerOptions options) : Options(std::move(options))
{
    Start([this](PeerConnection& connection, int index) { ServeSession(connection, index); }, Options.Pieces);
}

ScriptedPopServer::~ScriptedPopServer()
{
    Stop();
}

void ScriptedPopServer::SetMails(std::vector<PopMail> mails)
{
    std::lock_guard lock(StateMutex);
    Mailbox.clear();
    for (PopMail& mail : mails)
        Mailbox.push_back(std::make_shared<PopMail>(std::move(mail)));
}

void ScriptedPopServer::AddMail(PopMail mail)
{
    std::lock_guard lock(StateMutex);
    Mailbox.push_back(std::make_shared<PopMail>(std::move(mail)));
}

void ScriptedPopServer::RemoveMail(const std::string& uidl)
{
    std::lock_guard lock(StateMutex);
    std::erase_if(Mailbox, [&](const std::shared_ptr<PopMail>& mail) { return mail->Uidl == uidl; });
}

std::vector<std::string> ScriptedPopServer::Uidls() const
{
    std::lock_guard lock(StateMutex);
    std::vector<std::string> uidls;
    for (const auto& mail : Mailbox)
        uidls.push_back(mail->Uidl);
    return uidls;
}

void ScriptedPopServer::SetScript(Script script)
{
    std::lock_guard lock(StateMutex);
    UserScript = std::move(script);
}

void ScriptedPopServer::SetOptions(PopServerOptions options)
{
    std::lock_guard lock(StateMutex);
    Options = std::move(options);
    SetPieces(Options.Pieces);
}

std::vector<PopSession> ScriptedPopServer::Sessions() const
{
    std::lock_guard lock(StateMutex);
    std::vector<PopSession> sessions;
    for (const auto& [index, session] : SessionLog)
        sessions.push_back(session);
    return sessions;
}

int ScriptedPopServer::CountCommands(std::string_view prefix) const
{
    int count = 0;
    for (const std::string& command : AllCommands())
        if (command.compare(0, prefix.size(), prefix) == 0)
            ++count;
    return count;
}

std::vector<std::string> ScriptedPopServer::AllCommands() const
{
    std::vector<std::string> all;
    for (const PopSession& session : Sessions())
        all.insert(all.end(), session.Commands.begin(), session.Commands.end());
    return all;
}

void ScriptedPopServer::ClearSessions()
{
    std::lock_guard lock(StateMutex);
    SessionLog.clear();
}

void ScriptedPopServer::ServeSession(PeerConnection& connection, int index)
{
    PopServerOptions options;
    {
        std::lock_guard lock(StateMutex);
        options = Options;
        SessionLog[index].Index = index;
    }
    if (options.Silent) {
        connection.Idle();
        return;
    }
    if (options.ImplicitTls && !connection.StartTls(options.Tls))
        return;
    connection.ReplyDelay();
    connection.Write(options.Greeting + "\r\n");

    std::vector<std::shared_ptr<PopMail>> snapshot;
    std::vector<bool> deleted;
    PopSession session;
    session.Index = index;
    std::string command;
    while (connection.ReadLine(command)) {
        int waiting = connection.BufferedLines() + 1;
        Script script;
        {
            std::lock_guard lock(StateMutex);
            PopSession& logged = SessionLog[index];
            if (logged.Commands.empty())
                logged.FirstCommand = Now();
            logged.Commands.push_back(command);
            if (!connection.IsTls())
                logged.ClearCommands.push_back(command);
            logged.MostBuffered = std::max(logged.MostBuffered, waiting);
            script = UserScript;
        }
        connection.ReplyDelay();
        std::optional<PeerReply> scripted = script ? script(command, index) : std::nullopt;
        if (scripted) {
            connection.Write(scripted->Bytes);
            if (scripted->CloseAfter)
                return;
            if (scripted->StallAfter) {
                connection.Idle();
                return;
            }
            continue;
        }
        if (Upper(command) == "STLS" && options.Stls && options.Tls != nullptr && !connection.IsTls() &&
            !session.LoggedIn) {
            connection.Write("+OK begin TLS\r\n");
            if (!connection.StartTls(options.Tls))
                return;
            session.Tls = true;
            continue;
        }
        session.Tls = connection.IsTls();
        bool quit = false;
        std::string reply = Answer(command, session, snapshot, deleted, quit);
        {
            std::lock_guard lock(StateMutex);
            PopSession& logged = SessionLog[index];
            logged.LoggedIn = session.LoggedIn;
            if (quit) {
                logged.Quit = true;
                logged.QuitAnswered = Now();
                logged.Deleted = session.Deleted;
            }
        }
        connection.Write(reply);
        if (quit)
            return;
    }
}

std::string ScriptedPopServer::Answer(const std::string& command, PopSession& session,
                                      std::vector<std::shared_ptr<PopMail>>& snapshot, std::vector<bool>& deleted,
                                      bool& quit)
{
    std::vector<std::string> words = Words(command);
    std::string verb = words.empty() ? std::string() : Upper(words[0]);
    PopServerOptions options;
    {
        std::lock_guard lock(StateMutex);
        options = Options;
    }
    if (verb == "CAPA") {
        if (!options.Capa)
            return "-ERR unknown command\r\n";
        std::string list = "+OK capabilities follow\r\nTOP\r\nUSER\r\n";
        if (options.Uidl)
            list += "UIDL\r\n";
        if (options.Pipelining)
            list += "PIPELINING\r\n";
        if (options.Stls && !session.Tls)
            list += "STLS\r\n";
        if (options.SaslPlain)
            list += "SASL PLAIN\r\n";
        return list + ".\r\n";
    }
    if (verb == "QUIT") {
        quit = true;
        if (session.LoggedIn) {
            std::lock_guard lock(StateMutex);
            for (size_t i = 0; i < snapshot.size(); ++i) {
                if (!deleted[i])
                    continue;
                session.Deleted.push_back(snapshot[i]->Uidl);
                std::erase(Mailbox, snapshot[i]);
            }
        }
        return "+OK bye\r\n";
    }
    if (!session.LoggedIn) {
        if (verb == "USER")
            return words.size() == 2 && words[1] == options.User ? "+OK\r\n" : "-ERR [AUTH] no such user\r\n";
        bool plain = verb == "AUTH" && words.size() == 3 && Upper(words[1]) == "PLAIN" && options.SaslPlain;
        if (plain) {
            std::string credentials = std::string(1, '\0') + options.User + '\0' + options.Pass;
            std::string expected(4 * ((credentials.size() + 2) / 3) + 1, '\0');
            int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(expected.data()),
                                         reinterpret_cast<const unsigned char*>(credentials.data()),
                                         static_cast<int>(credentials.size()));
            expected.resize(static_cast<size_t>(length));
            if (words[2] != expected)
                return "-ERR [AUTH] authentication failed\r\n";
        }
        if (verb == "PASS" || plain) {
            if (!plain && (command.size() <= 5 || command.substr(5) != options.Pass))
                return "-ERR [AUTH] invalid user name or password\r\n";
            session.LoggedIn = true;
            std::lock_guard lock(StateMutex);
            snapshot = Mailbox;
            deleted.assign(snapshot.size(), false);
            return "+OK logged in\r\n";
        }
        return "-ERR not logged in\r\n";
    }

    size_t count = snapshot.size();
    auto live = [&](int number) { return number > 0 && !deleted[static_cast<size_t>(number - 1)]; };
    if (verb == "STAT") {
        size_t messages = 0;
        size_t octets = 0;
        for (size_t i = 0; i < count; ++i) {
            if (!deleted[i]) {
                ++messages;
                octets += snapshot[i]->Text.size();
            }
        }
        return "+OK " + std::to_string(messages) + " " + std::to_string(octets) + "\r\n";
    }
    if (verb == "NOOP")
        return "+OK\r\n";
    if (verb == "RSET") {
        deleted.assign(count, false);
        return "+OK\r\n";
    }
    if (verb == "UIDL" || verb == "LIST") {
        if (verb == "UIDL" && !options.Uidl)
            return "-ERR unknown command\r\n";
        auto value = [&](size_t i) {
            return verb == "UIDL" ? snapshot[i]->Uidl : std::to_string(snapshot[i]->Text.size());
        };
        if (words.size() > 1) {
            int number = MessageNumber(words, 1, count);
            if (!live(number))
                return "-ERR no such message\r\n";
            return "+OK " + std::to_string(number) + " " + value(static_cast<size_t>(number - 1)) + "\r\n";
        }
        std::string list = "+OK\r\n";
        for (size_t i = 0; i < count; ++i)
            if (!deleted[i])
                list += std::to_string(i + 1) + " " + value(i) + "\r\n";
        return list + ".\r\n";
    }
    if (verb == "TOP" || verb == "RETR") {
        int number = MessageNumber(words, 1, count);
        if (!live(number))
            return "-ERR no such message\r\n";
        const std::string& text = snapshot[static_cast<size_t>(number - 1)]->Text;
        std::string part = text;
        if (verb == "TOP") {
            size_t blank = text.find("\r\n\r\n");
            part = blank == std::string::npos ? text : text.substr(0, blank + 4);
        }
        return "+OK " + std::to_string(text.size()) + " octets\r\n" + DotStuffedBlock(part);
    }
    if (verb == "DELE") {
        int number = MessageNumber(words, 1, count);
        if (!live(number))
            return "-ERR no such message\r\n";
        deleted[static_cast<size_t>(number - 1)] = true;
        return "+OK marked\r\n";
    }
    return "-ERR unknown command\r\n";
}

}  // namespace korvalin::test
