// A client TCP connection for line-based protocols (POP3, SMTP, IMAP) and
// the program's connection tests: connect with a time-out, optionally speak
// TLS (from the start or after an upgrade command), send, and read whole
// lines. Every wait is bounded by the network time-outs (Timeouts.h): the
// connect time-out while resolving and connecting, the idle time-out whenever
// nothing moves in either direction, and the operation time-out for the whole
// life of the connection.
//
// Sending never waits for the peer alone: Queue() only collects bytes, and
// every wait (Flush, ReadLine) sends them while it reads. A client may
// therefore queue many commands at once (pipelining), which then leave in as
// few writes as the socket allows, and read the answers in order without the
// two sides blocking each other on full socket buffers.
//
// One stream belongs to one thread at a time.
#pragma once

#include "Timeouts.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

typedef struct ssl_st SSL;

namespace korvalin {

enum class StreamStatus {
    Ok,
    Closed,    // the peer closed the connection (or it was never opened)
    TimedOut,  // nothing moved for the idle time-out, or the operation time-out passed
    Failed,    // a socket error
    TooLong,   // a line longer than allowed, or more unread input than the stream keeps
};

const char* StreamStatusText(StreamStatus status);

class TcpStream {
public:
    // Lines longer than this are refused unless the caller allows more.
    static constexpr size_t kDefaultMaxLine = 64 * 1024;
    // Unread input the stream keeps at most (a peer that floods while the
    // client is still sending is cut off here).
    static constexpr size_t kMaxBufferedInput = 64 * 1024 * 1024;

    TcpStream() = default;
    ~TcpStream();
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // Resolves host (name or numeric address) and connects to the first
    // address that answers within the connect time-out. The time-outs in
    // force (GetNetworkTimeouts) are kept for the life of the connection.
    bool Connect(const std::string& host, int port);
    bool Connect(const std::string& host, int port, NetworkTimeouts timeouts);

    bool IsOpen() const { return Socket >= 0; }
    void Close();
    // The socket, for asking about its ends; -1 when closed.
    int NativeHandle() const { return Socket; }

    // Starts TLS on the open connection (at once for implicit TLS, or after
    // the server agreed to STLS/STARTTLS): TLS 1.2 at least, SNI for a host
    // name, the certificate chain checked against OpenSSL's default verify
    // paths (SSL_CERT_FILE, SSL_CERT_DIR or the system store) and the
    // certificate checked for serverName (a name or an IP address). Input
    // already received in clear text is discarded first (a server must not
    // send any before the handshake). The handshake is bounded by the
    // time-outs. False with ErrorText() saying why; the stream is then
    // closed.
    bool StartTls(const std::string& serverName);
    bool IsTls() const { return Tls != nullptr; }
    // "TLSv1.3" and the like, "" without TLS.
    std::string TlsVersion() const;

    // Adds data to the output, sent by the next Flush or ReadLine. False when
    // the stream is not connected.
    bool Queue(std::string_view data);
    // Waits until all queued output is sent.
    StreamStatus Flush();
    // Queue and Flush.
    StreamStatus Send(std::string_view data);

    // The next line without its LF and a CR before the LF. Queued output is
    // sent while waiting. A line longer than maxLength gives TooLong. When the
    // connection closes after a last line without LF, that line is returned
    // first. The view is valid until the next call on the stream.
    StreamStatus ReadLine(std::string_view& line, size_t maxLength = kDefaultMaxLine);
    StreamStatus ReadLine(std::string& line, size_t maxLength = kDefaultMaxLine);
    // Appends the next count bytes to out, whatever they are (a literal of a
    // known size). Queued output is sent while waiting. A time-out may come
    // after some of them arrived: those are appended, count is lowered by as
    // many, and the call may be repeated for the rest.
    StreamStatus ReadBytes(std::string& out, size_t& count);

    // A description of the last failure, for logs and LastError texts.
    const std::string& ErrorText() const { return Error; }
    size_t BytesReceived() const { return Received; }
    size_t BytesSent() const { return Sent; }

    // The local host name (at most maxLength bytes), "localhost" when unknown.
    static std::string LocalHostName(size_t maxLength = 80);

private:
    StreamStatus Wait(bool wantRead);
    // Milliseconds a poll may wait: the idle time-out, cut to the deadline.
    int PollMillis(bool& deadlineCut) const;
    StreamStatus Handshake(const std::string& serverName);
    bool SendTls();
    StreamStatus ReceiveTls();
    StreamStatus Fail(StreamStatus status, std::string text);
    bool SendQueued();
    StreamStatus ReceiveAvailable();
    void CompactInput();

    int Socket = -1;
    SSL* Tls = nullptr;
    bool TlsWantsRead = false;   // the last TLS write must wait for input
    bool TlsWantsWrite = false;  // the last TLS read must wait for output room
    NetworkTimeouts Timeouts;
    std::chrono::steady_clock::time_point Deadline{};
    std::string Input;       // received bytes; Input[InputPos..] is unread
    size_t InputPos = 0;
    size_t ScanPos = 0;      // no LF lies in Input[InputPos..ScanPos)
    bool PeerClosed = false;
    std::string Output;      // queued bytes; Output[OutputPos..] is unsent
    size_t OutputPos = 0;
    std::string Error;
    size_t Received = 0;
    size_t Sent = 0;
};

// Splits a server field written "host" or "host:port" ("[v6address]:port"
// for a bracketed IPv6 address). The port is defaultPort when none is given.
// False when the host is empty or the port is not a number from 1 to 65535.
bool SplitHostPort(std::string_view text, int defaultPort, std::string& host, int& port);

}  // namespace korvalin
