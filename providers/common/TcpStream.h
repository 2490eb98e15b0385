// A client TCP connection for line-based protocols (POP3, SMTP) and the
// program's connection tests: connect with a time-out, send, and read whole
// lines. Every wait is bounded by the network time-outs (Timeouts.h): the
// connect time-out while connecting, the idle time-out whenever nothing moves
// in either direction.
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

#include <cstddef>
#include <string>
#include <string_view>

namespace korvalin {

enum class StreamStatus {
    Ok,
    Closed,    // the peer closed the connection (or it was never opened)
    TimedOut,  // nothing moved for the idle time-out
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

    // A description of the last failure, for logs and LastError texts.
    const std::string& ErrorText() const { return Error; }
    size_t BytesReceived() const { return Received; }
    size_t BytesSent() const { return Sent; }

    // The local host name (at most maxLength bytes), "localhost" when unknown.
    static std::string LocalHostName(size_t maxLength = 80);

private:
    StreamStatus Wait(bool wantRead);
    StreamStatus Fail(StreamStatus status, std::string text);
    bool SendQueued();
    StreamStatus ReceiveAvailable();
    void CompactInput();

    int Socket = -1;
    NetworkTimeouts Timeouts;
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
