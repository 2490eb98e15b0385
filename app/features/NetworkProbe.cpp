#include "NetworkProbe.h"

#include "Timeouts.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace korvalin {
namespace {

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

// Resolves host; the resolver's code (0 on success) is returned.
int Resolve(const std::string& host, int port, int family, int type, AddressList& list)
{
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = type;
    addrinfo* found = nullptr;
    int code = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    list.reset(code == 0 ? found : nullptr);
    return code;
}

// Connects fd to address within seconds; 0 or the error number.
int ConnectWithin(int fd, const addrinfo& address, int seconds)
{
    int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return errno;
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return errno;
    pollfd wait{fd, POLLOUT, 0};
    int ready;
    do {
        ready = ::poll(&wait, 1, seconds * 1000);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0)
        return errno;
    if (ready == 0)
        return ETIMEDOUT;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

}  // namespace

bool SystemNetworkProbe::CanCreateSocket()
{
    Socket probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return probe.Fd() >= 0;
}

RouteAnswer SystemNetworkProbe::QueryRoute(const std::string& host)
{
    AddressList list;
    int code = Resolve(host, 80, AF_INET, SOCK_DGRAM, list);
    if (code == EAI_NONAME || code == EAI_ADDRFAMILY || code == EAI_NODATA || code == EAI_SERVICE)
        return RouteAnswer::BadAddress;  // the name does not exist: someone answered, so there is a network
    if (code != 0)
        return RouteAnswer::NoRoute;  // no name service reachable
    Socket udp(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (udp.Fd() < 0)
        return RouteAnswer::NoRoute;
    // Connecting a UDP socket sends nothing; it only picks the route.
    if (::connect(udp.Fd(), list->ai_addr, list->ai_addrlen) != 0)
        return errno == EFAULT || errno == EINVAL ? RouteAnswer::BadAddress : RouteAnswer::NoRoute;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(udp.Fd(), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return errno == EFAULT ? RouteAnswer::BadAddress : RouteAnswer::NoRoute;
    return RouteAnswer::Route;
}

int SystemNetworkProbe::Connect(const std::string& host, int port, std::string* why)
{
    AddressList list;
    int code = Resolve(host, port, AF_UNSPEC, SOCK_STREAM, list);
    if (code != 0) {
        if (why != nullptr)
            *why = "cannot find " + host + ": " + ::gai_strerror(code);
        return code == EAI_SYSTEM && errno != 0 ? errno : EHOSTUNREACH;
    }
    const int seconds = GetNetworkTimeouts().ConnectSeconds;
    int error = ENETUNREACH;
    for (const addrinfo* address = list.get(); address != nullptr; address = address->ai_next) {
        Socket tcp(::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol));
        if (tcp.Fd() < 0) {
            error = errno;
            continue;
        }
        error = ConnectWithin(tcp.Fd(), *address, seconds);
        if (error == 0)
            return 0;
    }
    if (why != nullptr)
        *why = "cannot connect to " + host + ":" + std::to_string(port) + ": " + std::strerror(error);
    return error;
}

}  // namespace korvalin
