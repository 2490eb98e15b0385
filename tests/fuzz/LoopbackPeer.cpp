#include "LoopbackPeer.h"

#include "Timeouts.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace korvalin::fuzz {

namespace {

[[noreturn]] void Die(const char* what)
{
    std::perror(what);
    std::abort();
}

void SendAll(int socket, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return;  // the client hung up before reading everything
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
}

void DrainUntilClosed(int socket)
{
    char buffer[4096];
    while (::recv(socket, buffer, sizeof buffer, 0) > 0) {
    }
}

}  // namespace

LoopbackPeer& LoopbackPeer::Instance()
{
    // Never destroyed: its thread waits in accept() until the process ends.
    static LoopbackPeer* peer = new LoopbackPeer;
    return *peer;
}

LoopbackPeer::LoopbackPeer()
{
    Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Listener < 0)
        Die("fuzz peer socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        Die("fuzz peer bind");
    if (::listen(Listener, 16) != 0)
        Die("fuzz peer listen");
    socklen_t length = sizeof address;
    if (::getsockname(Listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        Die("fuzz peer getsockname");
    Port_ = ntohs(address.sin_port);
    std::thread([this] { Serve(); }).detach();
}

void LoopbackPeer::SetReply(std::string_view bytes)
{
    std::lock_guard<std::mutex> guard(Lock);
    Reply.assign(bytes);
}

std::string LoopbackPeer::CurrentReply()
{
    std::lock_guard<std::mutex> guard(Lock);
    return Reply;
}

void LoopbackPeer::Serve()
{
    while (true) {
        int client = ::accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        SendAll(client, CurrentReply());
        ::shutdown(client, SHUT_WR);
        DrainUntilClosed(client);
        ::close(client);
    }
}

void PrepareNetworkForFuzzing()
{
    ::signal(SIGPIPE, SIG_IGN);
    SetNetworkTimeouts(NetworkTimeouts{5, 5});
}

}  // namespace korvalin::fuzz
