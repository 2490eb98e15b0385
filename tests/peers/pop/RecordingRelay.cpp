#include "RecordingRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace korvalin::test {
namespace {

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

bool SendAll(int socket, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::send(socket, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

RecordingRelay::RecordingRelay(int targetPort) : TargetPort(targetPort)
{
    ListenSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    if (ListenSocket < 0 || ::bind(ListenSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(ListenSocket, 16) != 0)
        throw std::runtime_error("relay cannot listen");
    socklen_t length = sizeof address;
    ::getsockname(ListenSocket, reinterpret_cast<sockaddr*>(&address), &length);
    ListenPort = ntohs(address.sin_port);
    Acceptor = std::thread(&RecordingRelay::AcceptLoop, this);
}

RecordingRelay::~RecordingRelay()
{
    Stopping = true;
    Acceptor.join();
    {
        std::lock_guard lock(Mutex);
        for (int socket : Sockets)
            ::shutdown(socket, SHUT_RDWR);
    }
    for (std::thread& worker : Workers)
        worker.join();
    for (int socket : Sockets)
        ::close(socket);
    ::close(ListenSocket);
}

std::vector<std::string> RecordingRelay::ClientLines() const
{
    std::lock_guard lock(Mutex);
    return Lines;
}

int RecordingRelay::CountLines(const std::string& prefix) const
{
    int count = 0;
    for (const std::string& line : ClientLines())
        count += line.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return count;
}

int RecordingRelay::LargestBatch() const
{
    std::lock_guard lock(Mutex);
    return Batch;
}

void RecordingRelay::Clear()
{
    std::lock_guard lock(Mutex);
    Lines.clear();
    Batch = 0;
}

void RecordingRelay::AcceptLoop()
{
    while (!Stopping) {
        pollfd p{ListenSocket, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        int client = ::accept4(ListenSocket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::lock_guard lock(Mutex);
        Sockets.push_back(client);
        Workers.emplace_back(&RecordingRelay::Forward, this, client);
    }
}

void RecordingRelay::Forward(int client)
{
    int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in target = Loopback(TargetPort);
    if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        if (server >= 0)
            ::close(server);
        ::shutdown(client, SHUT_RDWR);
        return;
    }
    int one = 1;
    ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    {
        std::lock_guard lock(Mutex);
        Sockets.push_back(server);
    }
    std::string partial;
    char chunk[64 * 1024];
    while (!Stopping) {
        pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(p, 2, 50) <= 0)
            continue;
        if (p[0].revents) {
            ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
            if (n <= 0 || !SendAll(server, chunk, static_cast<size_t>(n)))
                break;
            partial.append(chunk, static_cast<size_t>(n));
            int complete = 0;
            std::lock_guard lock(Mutex);
            size_t end;
            while ((end = partial.find("\r\n")) != std::string::npos) {
                Lines.push_back(partial.substr(0, end));
                partial.erase(0, end + 2);
                ++complete;
            }
            Batch = std::max(Batch, complete);
        }
        if (p[1].revents) {
            ssize_t n = ::recv(server, chunk, sizeof chunk, 0);
            if (n <= 0 || !SendAll(client, chunk, static_cast<size_t>(n)))
                break;
        }
    }
    ::shutdown(client, SHUT_RDWR);
    ::shutdown(server, SHUT_RDWR);
}

}  // namespace korvalin::test
