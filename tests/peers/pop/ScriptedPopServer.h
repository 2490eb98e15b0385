// An in-process POP3 server for the tests: a mailbox of mails with unique
// ids, the commands USER, PASS, AUTH PLAIN, STLS, STAT, LIST, UIDL, TOP,
// RETR, DELE, NOOP, RSET, CAPA and QUIT, TLS from the start or after STLS, and the means to misbehave the way real servers will
// not on demand: a script that answers any command in its place, replies cut
// into pieces or delayed, a greeting that never comes.
//
// Each session sees the mailbox as it was at PASS; mails marked with DELE
// leave the mailbox at QUIT. The test may change the mailbox between
// sessions, as another client would.
#pragma once

#include "LinePeer.h"

#include <map>
#include <memory>

namespace korvalin::test {

struct PopMail {
    std::string Uidl;
    std::string Text;  // header lines, an empty line, body lines; each line ended with CR LF
};

// A mail with the given header lines and body (lines separated by "\n").
PopMail MakePopMail(std::string uidl, std::vector<std::string> headerLines, std::string body);
// A plain mail: From, To, Subject, Date, Message-ID "<id>".
PopMail SimplePopMail(const std::string& id, const std::string& subject, const std::string& body = "Hello.");

struct PopServerOptions {
    std::string Greeting = "+OK scripted POP3 server ready";
    std::string User = "user";
    std::string Pass = "secret";
    bool Capa = true;        // answers CAPA
    bool Pipelining = true;  // CAPA lists PIPELINING
    bool Uidl = true;        // answers UIDL (and CAPA lists it)
    bool Silent = false;     // accepts connections and never says a word
    SSL_CTX* Tls = nullptr;  // the context of STLS and implicit TLS
    bool Stls = false;       // CAPA lists STLS (before TLS) and STLS starts TLS
    bool ImplicitTls = false;  // TLS before the greeting
    bool SaslPlain = false;  // CAPA lists SASL PLAIN and AUTH PLAIN logs in
    PieceOptions Pieces;
};

struct PopSession {
    int Index = 0;
    std::vector<std::string> Commands;
    std::vector<std::string> ClearCommands;  // those that came before TLS
    bool Tls = false;
    int MostBuffered = 0;  // most commands that had arrived unanswered at once
    bool LoggedIn = false;
    bool Quit = false;     // QUIT was answered
    std::vector<std::string> Deleted;  // uids removed at QUIT
    std::chrono::steady_clock::time_point FirstCommand{};
    std::chrono::steady_clock::time_point QuitAnswered{};
};

class ScriptedPopServer : public LinePeer {
public:
    using Script = std::function<std::optional<PeerReply>(const std::string& command, int session)>;

    explicit ScriptedPopServer(PopServerOptions options = {});
    ~ScriptedPopServer() override;

    void SetMails(std::vector<PopMail> mails);
    void AddMail(PopMail mail);
    // Removes the mail with this uid, as another client's DELE would.
    void RemoveMail(const std::string& uidl);
    std::vector<std::string> Uidls() const;

    // Answers commands before the peer does; returning nothing leaves the
    // command to the peer. Runs on the connection's thread.
    void SetScript(Script script);
    void SetOptions(PopServerOptions options);

    std::vector<PopSession> Sessions() const;
    // Commands of every session that begin with prefix ("TOP", "DELE 3").
    int CountCommands(std::string_view prefix) const;
    std::vector<std::string> AllCommands() const;
    void ClearSessions();

private:
    void ServeSession(PeerConnection& connection, int index);
    std::string Answer(const std::string& command, PopSession& session,
                       std::vector<std::shared_ptr<PopMail>>& snapshot, std::vector<bool>& deleted, bool& quit);

    mutable std::mutex StateMutex;
    PopServerOptions Options;
    Script UserScript;
    std::vector<std::shared_ptr<PopMail>> Mailbox;
    std::map<int, PopSession> SessionLog;
};

// Text as a POP3 multi-line block: lines starting with "." get one more, then ".".
std::string DotStuffedBlock(std::string_view text);

}  // namespace korvalin::test
