#include "TcpStream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace korvalin {
namespace {

constexpr size_t kReadChunk = 64 * 1024;

std::string ErrnoText(const char* what, int error)
{
    return std::string(what) + ": " + std::strerror(error);
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Connects fd to address within the deadline; 0 or the errno of the failure.
int ConnectWithin(int fd, const addrinfo& address, std::chrono::steady_clock::time_point deadline)
{
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return errno;
    while (true) {
        pollfd p{fd, POLLOUT, 0};
        int ready = ::poll(&p, 1, MillisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
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
}

}  // namespace

const char* StreamStatusText(StreamStatus status)
{
    switch (status) {
    case StreamStatus::Ok:
        return "ok";
    case StreamStatus::Closed:
        return "connection closed";
    case StreamStatus::TimedOut:
        return "timed out";
    case StreamStatus::Failed:
        return "socket error";
    case StreamStatus::TooLong:
        return "reply too long";
    }
    return "?";
}

TcpStream::~TcpStream()
{
    Close();
}

bool TcpStream::Connect(const std::string& host, int port)
{
    return Connect(host, port, GetNetworkTimeouts());
}

bool TcpStream::Connect(const std::string& host, int port, NetworkTimeouts timeouts)
{
    Close();
    Timeouts = timeouts;
    Error.clear();

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    std::string service = std::to_string(port);
    int resolved = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (resolved != 0) {
        Error = "cannot resolve " + host + ": " + ::gai_strerror(resolved);
        return false;
    }

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Timeouts.ConnectSeconds);
    for (addrinfo* address = found; address != nullptr; address = address->ai_next) {
        int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                          address->ai_protocol);
        if (fd < 0) {
            Error = ErrnoText("socket", errno);
            continue;
        }
        int error = ConnectWithin(fd, *address, deadline);
        if (error == 0) {
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            Socket = fd;
            break;
        }
        Error = ErrnoText("connect", error);
        ::close(fd);
        if (error == ETIMEDOUT)
            break;
    }
    ::freeaddrinfo(found);
    return Socket >= 0;
}

void TcpStream::Close()
{
    if (Socket >= 0)
        ::close(Socket);
    Socket = -1;
    Input.clear();
    InputPos = ScanPos = 0;
    PeerClosed = false;
    Output.clear();
    OutputPos = 0;
}

StreamStatus TcpStream::Fail(StreamStatus status, std::string text)
{
    Error = std::move(text);
    return status;
}

bool TcpStream::SendQueued()
{
    while (OutputPos < Output.size()) {
        ssize_t n = ::send(Socket, Output.data() + OutputPos, Output.size() - OutputPos, MSG_NOSIGNAL);
        if (n > 0) {
            OutputPos += static_cast<size_t>(n);
            Sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        Error = ErrnoText("send", errno);
        return false;
    }
    Output.clear();
    OutputPos = 0;
    return true;
}

bool TcpStream::Queue(std::string_view data)
{
    if (Socket < 0) {
        Error = "not connected";
        return false;
    }
    Output.append(data);
    return true;
}

StreamStatus TcpStream::Flush()
{
    while (Socket >= 0 && OutputPos < Output.size()) {
        StreamStatus status = Wait(false);
        if (status != StreamStatus::Ok)
            return status;
    }
    return Socket >= 0 ? StreamStatus::Ok : StreamStatus::Closed;
}

StreamStatus TcpStream::Send(std::string_view data)
{
    if (!Queue(data))
        return Socket < 0 ? StreamStatus::Closed : StreamStatus::Failed;
    return Flush();
}

void TcpStream::CompactInput()
{
    if (InputPos == 0)
        return;
    if (InputPos >= Input.size()) {
        Input.clear();
    } else if (InputPos > Input.size() / 2 || InputPos > kReadChunk) {
        Input.erase(0, InputPos);
    } else {
        return;
    }
    ScanPos -= std::min(ScanPos, InputPos);
    InputPos = 0;
}

StreamStatus TcpStream::ReceiveAvailable()
{
    CompactInput();
    if (Input.size() - InputPos > kMaxBufferedInput)
        return Fail(StreamStatus::TooLong, "more unread input than the stream keeps");
    char chunk[kReadChunk];
    while (true) {
        ssize_t n = ::recv(Socket, chunk, sizeof chunk, 0);
        if (n > 0) {
            Input.append(chunk, static_cast<size_t>(n));
            Received += static_cast<size_t>(n);
            return StreamStatus::Ok;
        }
        if (n == 0) {
            PeerClosed = true;
            return StreamStatus::Ok;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return StreamStatus::Ok;
        return Fail(StreamStatus::Failed, ErrnoText("recv", errno));
    }
}

// Waits until the socket can take more output or (with wantRead) has input,
// sending and receiving whatever it can meanwhile. Ok means progress was made.
StreamStatus TcpStream::Wait(bool wantRead)
{
    if (Socket < 0)
        return Fail(StreamStatus::Closed, "not connected");
    while (true) {
        bool sending = OutputPos < Output.size();
        short events = static_cast<short>((sending ? POLLOUT : 0) | (PeerClosed ? 0 : POLLIN));
        if (events == 0)
            return Fail(StreamStatus::Closed, "connection closed by the server");
        pollfd p{Socket, events, 0};
        int ready = ::poll(&p, 1, Timeouts.IdleSeconds * 1000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Fail(StreamStatus::Failed, ErrnoText("poll", errno));
        if (ready == 0)
            return Fail(StreamStatus::TimedOut,
                        "no answer for " + std::to_string(Timeouts.IdleSeconds) + " s");
        bool progress = false;
        if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
            size_t before = Input.size() - InputPos;
            bool wasClosed = PeerClosed;
            StreamStatus status = ReceiveAvailable();
            if (status != StreamStatus::Ok)
                return status;
            progress = Input.size() - InputPos != before || PeerClosed != wasClosed;
            if (progress && wantRead)
                return StreamStatus::Ok;
        }
        if (sending && (p.revents & (POLLOUT | POLLERR | POLLHUP))) {
            size_t unsent = Output.size() - OutputPos;
            if (!SendQueued())
                return StreamStatus::Failed;
            if (Output.size() - OutputPos != unsent)
                return StreamStatus::Ok;
        }
        if (progress)
            return StreamStatus::Ok;
    }
}

StreamStatus TcpStream::ReadLine(std::string_view& line, size_t maxLength)
{
    while (true) {
        const char* start = Input.data() + InputPos;
        size_t available = Input.size() - InputPos;
        size_t scanned = ScanPos > InputPos ? ScanPos - InputPos : 0;
        const void* lf = scanned < available ? std::memchr(start + scanned, '\n', available - scanned) : nullptr;
        if (lf != nullptr) {
            size_t length = static_cast<size_t>(static_cast<const char*>(lf) - start);
            InputPos += length + 1;
            ScanPos = InputPos;
            if (length > 0 && start[length - 1] == '\r')
                --length;
            if (length > maxLength)
                return Fail(StreamStatus::TooLong, "a line longer than " + std::to_string(maxLength) + " bytes");
            line = std::string_view(start, length);
            return StreamStatus::Ok;
        }
        ScanPos = Input.size();
        if (available > maxLength + 1)
            return Fail(StreamStatus::TooLong, "a line longer than " + std::to_string(maxLength) + " bytes");
        if (PeerClosed) {
            if (available == 0)
                return Fail(StreamStatus::Closed, "connection closed by the server");
            InputPos = ScanPos = Input.size();
            if (available > 0 && start[available - 1] == '\r')
                --available;
            line = std::string_view(start, available);
            return StreamStatus::Ok;
        }
        StreamStatus status = Wait(true);
        if (status != StreamStatus::Ok)
            return status;
    }
}

StreamStatus TcpStream::ReadLine(std::string& line, size_t maxLength)
{
    std::string_view view;
    StreamStatus status = ReadLine(view, maxLength);
    if (status == StreamStatus::Ok)
        line.assign(view);
    return status;
}

std::string TcpStream::LocalHostName(size_t maxLength)
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "localhost";
    std::string text(name);
    if (text.size() > maxLength)
        text.resize(maxLength);
    return text;
}

bool SplitHostPort(std::string_view text, int defaultPort, std::string& host, int& port)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        size_t close = text.find(']');
        if (close == std::string_view::npos)
            return false;
        host.assign(text.substr(1, close - 1));
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return false;
            portText = rest.substr(1);
            if (portText.empty())
                return false;
        }
    } else {
        size_t colon = text.find(':');
        if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
            host.assign(text);  // a bare IPv6 address: no port
        } else if (colon != std::string_view::npos) {
            host.assign(text.substr(0, colon));
            portText = text.substr(colon + 1);
            if (portText.empty())
                return false;
        } else {
            host.assign(text);
        }
    }
    if (host.empty())
        return false;
    port = defaultPort;
    if (!portText.empty()) {
        int value = 0;
        for (char c : portText) {
            if (c < '0' || c > '9' || value > 65535)
                return false;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 65535)
            return false;
        port = value;
    }
    return true;
}

}  // namespace korvalin
