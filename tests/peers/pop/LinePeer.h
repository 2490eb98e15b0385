// The common ground of the scripted POP3 and SMTP peers: a TCP server on
// 127.0.0.1 (port chosen by the system) that serves each connection on a
// thread of its own, reads the client's lines and writes replies, optionally
// cut into small pieces with a pause between them. Destroying the server
// ends every connection and joins its threads.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace korvalin::test {

// What a script answers to one command instead of the peer's own reply.
struct PeerReply {
    std::string Bytes;        // written as they stand (line ends included)
    bool CloseAfter = false;  // close the connection after writing
    bool StallAfter = false;  // after writing, never answer again (until the client leaves)

    static PeerReply Line(std::string text) { return {text + "\r\n"}; }
    static PeerReply Close(std::string bytes = {}) { return {std::move(bytes), true, false}; }
    static PeerReply Stall(std::string bytes = {}) { return {std::move(bytes), false, true}; }
};

struct PieceOptions {
    size_t PieceSize = 0;         // > 0: every write goes out in pieces of this many bytes
    int PieceDelayMicros = 500;   // pause between pieces
    int ReplyDelayMillis = 0;     // pause before every reply
};

class PeerConnection {
public:
    PeerConnection(int socket, const std::atomic<bool>& stopping, PieceOptions pieces);
    ~PeerConnection();
    PeerConnection(const PeerConnection&) = delete;
    PeerConnection& operator=(const PeerConnection&) = delete;

    // The next line without CR LF; false when the client left or the server stops.
    bool ReadLine(std::string& line);
    // Complete lines already received but not yet read (more arrive with
    // pipelining; a client that waits for every answer leaves none).
    int BufferedLines();
    void Write(std::string_view bytes);
    void ReplyDelay();
    // Waits until the client leaves or the server stops.
    void Idle();
    void Close();
    // The server side of a TLS handshake on this connection; every read and
    // write afterwards goes through TLS. False when the handshake failed.
    bool StartTls(SSL_CTX* context);
    bool IsTls() const { return Tls != nullptr; }

private:
    bool Fill(int timeoutMillis);

    int Socket;
    SSL* Tls = nullptr;
    const std::atomic<bool>& Stopping;
    PieceOptions Pieces;
    std::string Buffer;
    bool ClientGone = false;
};

class LinePeer {
public:
    using Serve = std::function<void(PeerConnection&, int sessionIndex)>;

    LinePeer();
    virtual ~LinePeer();
    LinePeer(const LinePeer&) = delete;
    LinePeer& operator=(const LinePeer&) = delete;

    int Port() const { return ListenPort; }
    // "127.0.0.1:<port>", the form a server field of an account takes.
    std::string Address() const { return "127.0.0.1:" + std::to_string(ListenPort); }
    int ConnectionCount() const { return Accepted.load(); }

protected:
    // Starts accepting; each connection is handed to serve on its own thread.
    void Start(Serve serve, PieceOptions pieces);
    void SetPieces(PieceOptions pieces);
    // Ends every connection and joins the threads (derived destructors call it first).
    void Stop();

    static std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }

private:
    void AcceptLoop();

    int ListenSocket = -1;
    int ListenPort = 0;
    std::atomic<bool> Stopping{false};
    std::atomic<int> Accepted{0};
    Serve Server;
    mutable std::mutex Mutex;
    PieceOptions Pieces;
    std::vector<int> Clients;
    std::vector<std::thread> Workers;
    std::thread Acceptor;
};

}  // namespace korvalin::test
