#include "LinePeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/ssl.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace korvalin::test {

PeerConnection::PeerConnection(int socket, const std::atomic<bool>& stopping, PieceOptions pieces)
    : Socket(socket), Stopping(stopping), Pieces(pieces)
{
}

PeerConnection::~PeerConnection()
{
    if (Tls != nullptr)
        SSL_free(Tls);
}

bool PeerConnection::StartTls(SSL_CTX* context)
{
    if (context == nullptr || Tls != nullptr)
        return false;
    Buffer.clear();
    Tls = SSL_new(context);
    SSL_set_fd(Tls, Socket);
    if (SSL_accept(Tls) != 1) {
        ClientGone = true;
        return false;
    }
    return true;
}

bool PeerConnection::Fill(int timeoutMillis)
{
    if (ClientGone)
        return false;
    char chunk[16 * 1024];
    if (Tls == nullptr || SSL_pending(Tls) == 0) {
        pollfd p{Socket, POLLIN, 0};
        int ready = ::poll(&p, 1, timeoutMillis);
        if (ready <= 0)
            return false;
    }
    ssize_t n = Tls != nullptr ? SSL_read(Tls, chunk, sizeof chunk) : ::recv(Socket, chunk, sizeof chunk, 0);
    if (n <= 0) {
        ClientGone = true;
        return false;
    }
    Buffer.append(chunk, static_cast<size_t>(n));
    return true;
}

bool PeerConnection::ReadLine(std::string& line)
{
    while (true) {
        size_t end = Buffer.find('\n');
        if (end != std::string::npos) {
            line = Buffer.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            Buffer.erase(0, end + 1);
            return true;
        }
        if (Stopping || ClientGone)
            return false;
        Fill(50);
    }
}

int PeerConnection::BufferedLines()
{
    while (Fill(0)) {
    }
    return static_cast<int>(std::count(Buffer.begin(), Buffer.end(), '\n'));
}

void PeerConnection::ReplyDelay()
{
    if (Pieces.ReplyDelayMillis > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(Pieces.ReplyDelayMillis));
}

void PeerConnection::Write(std::string_view bytes)
{
    size_t piece = Pieces.PieceSize > 0 ? Pieces.PieceSize : bytes.size();
    while (!bytes.empty() && !Stopping) {
        size_t size = std::min(piece, bytes.size());
        ssize_t n = Tls != nullptr ? SSL_write(Tls, bytes.data(), static_cast<int>(size))
                                   : ::send(Socket, bytes.data(), size, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<size_t>(n));
        if (Pieces.PieceSize > 0 && !bytes.empty() && Pieces.PieceDelayMicros > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(Pieces.PieceDelayMicros));
    }
}

void PeerConnection::Idle()
{
    while (!Stopping && !ClientGone) {
        Fill(50);
        Buffer.clear();
    }
}

void PeerConnection::Close()
{
    ::shutdown(Socket, SHUT_RDWR);
    ClientGone = true;
}

LinePeer::LinePeer()
{
    // A TLS write to a client that left must not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    ListenSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (ListenSocket < 0)
        throw std::runtime_error("socket() failed");
    int one = 1;
    ::setsockopt(ListenSocket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(ListenSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(ListenSocket, 64) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    ::getsockname(ListenSocket, reinterpret_cast<sockaddr*>(&address), &length);
    ListenPort = ntohs(address.sin_port);
}

LinePeer::~LinePeer()
{
    Stop();
}

void LinePeer::Start(Serve serve, PieceOptions pieces)
{
    Server = std::move(serve);
    Pieces = pieces;
    Acceptor = std::thread(&LinePeer::AcceptLoop, this);
}

void LinePeer::SetPieces(PieceOptions pieces)
{
    std::lock_guard lock(Mutex);
    Pieces = pieces;
}

void LinePeer::Stop()
{
    if (Stopping.exchange(true))
        return;
    if (Acceptor.joinable())
        Acceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(Mutex);
        for (int client : Clients)
            ::shutdown(client, SHUT_RDWR);
        workers.swap(Workers);
    }
    for (std::thread& worker : workers)
        worker.join();
    std::lock_guard lock(Mutex);
    for (int client : Clients)
        ::close(client);
    Clients.clear();
    if (ListenSocket >= 0)
        ::close(ListenSocket);
    ListenSocket = -1;
}

void LinePeer::AcceptLoop()
{
    while (!Stopping) {
        pollfd p{ListenSocket, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        int client = ::accept4(ListenSocket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        int one = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        int index = Accepted++;
        std::lock_guard lock(Mutex);
        Clients.push_back(client);
        PieceOptions pieces = Pieces;
        Workers.emplace_back([this, client, index, pieces] {
            PeerConnection connection(client, Stopping, pieces);
            Server(connection, index);
            ::shutdown(client, SHUT_RDWR);
        });
    }
}

}  // namespace korvalin::test
