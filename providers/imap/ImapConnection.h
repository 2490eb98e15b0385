// One IMAP connection: greeting, capabilities, login, tagged commands with
// their untagged responses, and IDLE. Every response is read as whole lines;
// a line that ends with a literal marker "{n}" has its n bytes read and
// kept in place, so that the response parser sees the wire form. Sizes are
// capped (a line, a literal, a whole response), every wait is bounded by the
// network time-outs and can be cut short by a stop flag, and a connection
// whose dialogue was lost (a BYE, a broken line, a stray tag) is marked
// broken and never used again.
#pragma once

#include "ImapResponse.h"
#include "ServerField.h"
#include "TcpStream.h"

#include <atomic>
#include <functional>
#include <set>
#include <string>

namespace korvalin::imap {

class CImapConnection {
public:
    static constexpr size_t kMaxLine = 1024 * 1024;
    static constexpr uint64_t kMaxLiteral = 48 * 1024 * 1024;
    static constexpr size_t kMaxResponse = 64 * 1024 * 1024;
    // Untagged answers one command may bring (a server that never ends one is cut off).
    static constexpr size_t kMaxUntagged = 4 * 1024 * 1024;

    enum Result { Ok, No, Bad, Broken };
    using Handler = std::function<void(const ImapResponse&)>;

    CImapConnection() = default;
    CImapConnection(const CImapConnection&) = delete;
    CImapConnection& operator=(const CImapConnection&) = delete;
    ~CImapConnection();

    // stop, when given, ends every wait within about a second once it is set.
    void SetStopFlag(const std::atomic<bool>* stop) { Stop = stop; }

    // Connects and reads the greeting (and the capabilities when the
    // greeting did not list them), with TLS as mode says: at once, or by
    // STARTTLS (required, or when offered). False on a BYE, anything but
    // OK/PREAUTH, or TLS that was asked for and did not come about; the
    // password is then never sent.
    bool Open(const std::string& host, int port, korvalin::Security mode = korvalin::Security::Opportunistic);
    bool IsTls() const { return Socket.IsTls(); }
    // LOGIN or AUTHENTICATE PLAIN; the capabilities are read again after it.
    bool Login(const std::string& user, const std::string& password);
    // LOGOUT when the connection is sound, then closes.
    void Logout();
    void Close();

    bool IsOpen() const { return Socket.IsOpen() && !IsBroken; }
    bool Has(const std::string& capability) const { return Capabilities.count(capability) != 0; }

    // Sends "tag command" and reads up to its tagged answer; every untagged
    // response on the way goes to handler (CAPABILITY is also kept here).
    Result Run(const std::string& command, const Handler& handler = {});
    // Pipelining: Send queues a command and returns its tag; Finish reads up
    // to that tag's answer. Answers must be finished in the order sent.
    std::string Send(const std::string& command);
    Result Finish(const std::string& tag, const Handler& handler = {});
    // "tag prefix {n}" CR LF, waiting for "+" unless the server takes
    // LITERAL+, then data and suffix (APPEND).
    Result RunWithLiteral(const std::string& prefix, const std::string& data, const std::string& suffix,
                          const Handler& handler = {});

    // IDLE: Begin sends it and waits for the "+"; Wait reads what comes for
    // at most seconds (Quiet when nothing came); End sends DONE and reads
    // the tagged answer.
    enum WaitResult { Got, Quiet, Lost };
    bool BeginIdle();
    WaitResult WaitIdle(int seconds, const Handler& handler);
    bool EndIdle(const Handler& handler = {});

    // The tagged answer's text of the last command, or what broke.
    std::string LastError;
    std::string LastResponseCode;  // e.g. "UIDVALIDITY", upper case
    std::string LastCodeArguments;
    std::set<std::string> Capabilities;  // upper case

private:
    // One response in wire form; false (and broken) on a transport failure
    // or when a size cap is passed. quietSeconds > 0: give up quietly after
    // that long without any byte (quiet is then set).
    bool ReadRaw(std::string& wire, int quietSeconds = 0, bool* quiet = nullptr);
    bool ReadResponse(ImapResponse& response, int quietSeconds = 0, bool* quiet = nullptr);
    bool ReadLine(std::string& line, size_t maxLength, int quietSeconds, bool* quiet);
    // Appends exactly count bytes (a literal's contents) to wire.
    bool ReadLiteral(std::string& wire, size_t count);
    template <typename Read>
    bool AwaitRead(Read read, int quietSeconds, bool* quiet);
    bool FlushOut();
    // Keeps what every response may carry: capabilities and BYE.
    void Observe(const ImapResponse& response);
    bool Fail(const std::string& text);
    void TakeCapabilities(std::string_view list);

    korvalin::TcpStream Socket;
    const std::atomic<bool>* Stop = nullptr;
    int IdleLimit = 60;
    unsigned NextTag = 0;
    bool IsBroken = false;
    std::string IdleTag;
};

}  // namespace korvalin::imap
