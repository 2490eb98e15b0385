#include "SimHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace korvalin::websim {
namespace {

constexpr int kPollSliceMs = 100; // how often a waiting thread looks at the stop flag

// Closes a connection so that an answer sent before unread request bytes
// still reaches the client: end the sending side, let the client finish,
// then close (closing with unread bytes would reset the connection).
class SocketCloser {
public:
    explicit SocketCloser(int socket) : Socket(socket) {}
    ~SocketCloser()
    {
        ::shutdown(Socket, SHUT_WR);
        char discard[4096];
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd waiting{Socket, POLLIN, 0};
            int ready = ::poll(&waiting, 1, 50);
            if (ready < 0 || (ready > 0 && ::recv(Socket, discard, sizeof discard, 0) <= 0))
                break;
        }
        ::close(Socket);
    }
    SocketCloser(const SocketCloser&) = delete;
    SocketCloser& operator=(const SocketCloser&) = delete;

private:
    int Socket;
};

bool SendAll(int socket, std::string_view data)
{
    while (!data.empty()) {
        ssize_t sent = ::send(socket, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

// Parses a Content-Length value: digits only, within the limit.
bool ParseLength(const std::string& text, size_t limit, size_t& length)
{
    if (text.empty() || text.size() > 12)
        return false;
    length = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        length = length * 10 + static_cast<size_t>(c - '0');
    }
    return length <= limit;
}

bool WantsKeepAlive(const SimRequest& request)
{
    std::string connection = request.Header("connection");
    for (char& c : connection)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (request.Version == "HTTP/1.0")
        return connection.find("keep-alive") != std::string::npos;
    return connection.find("close") == std::string::npos;
}

} // namespace

SimHttpServer::SimHttpServer(Handler handler, uint16_t port, ServerLimits limits)
    : RequestHandler(std::move(handler)), Limits(limits)
{
    ListenSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (ListenSocket < 0)
        throw std::runtime_error(std::string("cannot create a socket: ") + std::strerror(errno));
    int yes = 1;
    ::setsockopt(ListenSocket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(ListenSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(ListenSocket, 64) != 0) {
        std::string reason = std::strerror(errno);
        ::close(ListenSocket);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + reason);
    }
    socklen_t length = sizeof address;
    ::getsockname(ListenSocket, reinterpret_cast<sockaddr*>(&address), &length);
    ListenPort = ntohs(address.sin_port);
    Acceptor = std::thread([this] { AcceptLoop(); });
}

SimHttpServer::~SimHttpServer()
{
    Stop();
}

void SimHttpServer::Stop()
{
    if (Stopping.exchange(true))
        return;
    Acceptor.join();
    ::close(ListenSocket);
    std::list<std::unique_ptr<Connection>> connections;
    {
        std::lock_guard lock(ConnectionsLock);
        connections.swap(Connections);
    }
    for (auto& connection : connections)
        connection->Thread.join();
}

void SimHttpServer::ReapFinished()
{
    std::lock_guard lock(ConnectionsLock);
    for (auto it = Connections.begin(); it != Connections.end();) {
        if ((*it)->Finished) {
            (*it)->Thread.join();
            it = Connections.erase(it);
        } else {
            ++it;
        }
    }
}

void SimHttpServer::AcceptLoop()
{
    while (!Stopping) {
        pollfd waiting{ListenSocket, POLLIN, 0};
        int ready = ::poll(&waiting, 1, kPollSliceMs);
        ReapFinished();
        if (ready <= 0)
            continue;
        int client = ::accept4(ListenSocket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        timeval sendLimit{5, 0};
        ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);

        std::lock_guard lock(ConnectionsLock);
        if (Connections.size() >= Limits.MaxConnections) {
            SimResponse busy = SimResponse::Error(503, "Service Unavailable", "too many connections");
            SendAll(client, ResponseHead(busy, false) + busy.Body);
            ::close(client);
            continue;
        }
        auto connection = std::make_unique<Connection>();
        Connection* raw = connection.get();
        Connections.push_back(std::move(connection));
        raw->Thread = std::thread([this, raw, client] {
            Serve(client);
            raw->Finished = true;
        });
    }
}

void SimHttpServer::Serve(int socket)
{
    SocketCloser closer(socket);
    std::string buffer;
    char chunk[8192];

    // Waits until buffer holds `wanted` bytes; false when the client left,
    // the server stops, or nothing came within the time allowed.
    auto fill = [&](auto&& complete, int patienceMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
        while (!complete()) {
            if (Stopping || std::chrono::steady_clock::now() >= deadline)
                return false;
            pollfd waiting{socket, POLLIN, 0};
            int ready = ::poll(&waiting, 1, kPollSliceMs);
            if (ready < 0 && errno != EINTR)
                return false;
            if (ready <= 0)
                continue;
            ssize_t received = ::recv(socket, chunk, sizeof chunk, 0);
            if (received <= 0)
                return false;
            buffer.append(chunk, static_cast<size_t>(received));
        }
        return true;
    };

    while (!Stopping) {
        size_t headEnd = std::string::npos;
        bool headComplete = fill(
            [&] {
                headEnd = buffer.find("\r\n\r\n");
                return headEnd != std::string::npos || buffer.size() > Limits.MaxHeadBytes;
            },
            Limits.IdleMilliseconds);
        if (!headComplete)
            return;
        if (headEnd == std::string::npos || headEnd > Limits.MaxHeadBytes) {
            SimResponse tooLarge =
                SimResponse::Error(431, "Request Header Fields Too Large", "the request head is too long");
            SendAll(socket, ResponseHead(tooLarge, false) + tooLarge.Body);
            return;
        }

        SimRequest request;
        std::string error;
        if (!ParseRequestHead(std::string_view(buffer).substr(0, headEnd), request, error)) {
            SimResponse bad = SimResponse::Error(400, "Bad Request", error);
            SendAll(socket, ResponseHead(bad, false) + bad.Body);
            return;
        }
        buffer.erase(0, headEnd + 4);

        if (!request.Header("transfer-encoding").empty()) {
            SimResponse unsupported = SimResponse::Error(411, "Length Required", "send the body with a Content-Length");
            SendAll(socket, ResponseHead(unsupported, false) + unsupported.Body);
            return;
        }
        size_t bodyLength = 0;
        std::string lengthText = request.Header("content-length");
        if (!lengthText.empty() && !ParseLength(lengthText, Limits.MaxBodyBytes, bodyLength)) {
            SimResponse bad = SimResponse::Error(413, "Payload Too Large", "bad or too large Content-Length");
            SendAll(socket, ResponseHead(bad, false) + bad.Body);
            return;
        }
        if (bodyLength > 0 && request.Header("expect") == "100-continue" && buffer.empty())
            SendAll(socket, "HTTP/1.1 100 Continue\r\n\r\n");
        if (!fill([&] { return buffer.size() >= bodyLength; }, Limits.IdleMilliseconds))
            return;
        request.Body = buffer.substr(0, bodyLength);
        buffer.erase(0, bodyLength);

        SimResponse response = RequestHandler(request);
        bool keepAlive = WantsKeepAlive(request) && !response.CutAfter;
        std::string_view body = response.Body;
        if (response.CutAfter)
            body = body.substr(0, *response.CutAfter);
        if (request.Method == "HEAD")
            body = {};
        if (!SendAll(socket, ResponseHead(response, keepAlive)) || !SendAll(socket, body) || !keepAlive)
            return;
    }
}

} // namespace korvalin::websim
