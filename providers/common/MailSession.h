// What the line-based mail dialogues (POP3, SMTP) share: the server field's
// settings, the login, one TCP stream, who is using the session, whether its
// connection broke, the last error texts, and the helpers that keep these
// consistent when a session opens, fails or ends.
#pragma once

#include "ServerField.h"
#include "TcpStream.h"

#include <atomic>
#include <semaphore>
#include <string>
#include <string_view>

class CMailSession {
public:
    virtual ~CMailSession() = default;
    CMailSession(const CMailSession&) = delete;
    CMailSession& operator=(const CMailSession&) = delete;

    // Ends the session at once without QUIT, whoever uses it (after a
    // failure that left the dialogue in an unknown state).
    void Abandon() { Disconnect(); }
    // The connection failed or the dialogue was lost: the session ends without QUIT.
    bool IsBroken() const { return Broken; }

    std::binary_semaphore Lock{1};  // held by one provider operation from opening to leaving
    std::atomic<int> UseCount{0};
    std::string LastError;
    std::string LastReply;
    std::string LastSocketError;  // the transport's own words for the last "Socket Error"
    int Port;
    std::string Server;
    korvalin::Security Mode = korvalin::Security::Opportunistic;
    std::string FieldError;  // why the server field is unusable, "" when it is fine
    std::string User;
    std::string Pass;
    korvalin::TcpStream Socket;
    bool Connected = false;

protected:
    // protocol names the session in the log ("POP3"); defaultPort is the
    // port of a bare host and of an unusable field.
    CMailSession(korvalin::MailProtocol protocol, const char* name, int defaultPort);

    // Server, Port and Mode from a server field; an unusable one keeps its
    // text as Server and leaves FieldError set. LastError becomes "OK".
    void ApplyServerField(const std::string& server);
    // "POP3 host:port", how the log names this session.
    std::string Where() const;
    // Queues line as one command (korvalin::CommandLine); a failed send
    // shows in the reply that is then missing.
    void SendCommand(const std::string& line);
    // Records a transport failure: "Socket Error", its text, and a broken session.
    bool SocketFailed(korvalin::StreamStatus status);
    void Disconnect();
    // Connects the stream (TLS at once for an implicit TLS field); a failure
    // is in LastError and the log.
    bool Connect();
    // Sends QUIT and reads its answer.
    virtual bool SayQuit() = 0;
    // Ends the opening with text as LastError (and in the log).
    bool OpenFailed(const std::string& text);
    // Joins an open session; false when none is open.
    bool Join();
    // Leaves the session; the last one out sends QUIT (unless the connection
    // broke) and closes. False when QUIT was not answered.
    bool Leave();

    bool Broken = false;

private:
    korvalin::MailProtocol Protocol;
    const char* Name;
    int DefaultPort;
};

namespace korvalin {

// line + CR LF, with any CR or LF inside line dropped: a value typed by the
// person (an address, a user name) can never add a command of its own.
std::string CommandLine(std::string_view line);

// Holds a semaphore for one scope.
class LockHold {
public:
    explicit LockHold(std::binary_semaphore& lock) : Lock(lock) { Lock.acquire(); }
    ~LockHold() { Lock.release(); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

private:
    std::binary_semaphore& Lock;
};

// Holds a session's lock for one provider operation, and drops the session
// on every way out that did not end it (an exception midway), so that the
// next operation starts a fresh one instead of joining a dead one.
class SessionHold {
public:
    explicit SessionHold(CMailSession& session) : Session(session) { Session.Lock.acquire(); }
    ~SessionHold()
    {
        if (Session.Connected)
            Session.Abandon();
        Session.Lock.release();
    }
    SessionHold(const SessionHold&) = delete;
    SessionHold& operator=(const SessionHold&) = delete;

private:
    CMailSession& Session;
};

}  // namespace korvalin
