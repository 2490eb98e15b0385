#include "TcpStream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace korvalin {
namespace {

constexpr size_t kReadChunk = 64 * 1024;
using Clock = std::chrono::steady_clock;

std::string ErrnoText(const char* what, int error)
{
    return std::string(what) + ": " + std::strerror(error);
}

int MillisecondsLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// A name lookup that may outlive the wait for it: the resolver thread owns it
// until it finishes, so one that could not be cancelled is left to it.
struct Lookup {
    gaicb Request{};
    addrinfo Hints{};
    std::string Host, Service;
};

// Resolves host within the deadline: numeric addresses at once, names on the
// resolver's own thread. 0 or a getaddrinfo error; EAI_AGAIN with timedOut
// when the deadline passed.
int ResolveWithin(const std::string& host, int port, Clock::time_point deadline, addrinfo*& found, bool& timedOut)
{
    timedOut = false;
    found = nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) == 0)
        return 0;
    auto* lookup = new Lookup;
    lookup->Host = host;
    lookup->Service = service;
    lookup->Hints.ai_family = AF_UNSPEC;
    lookup->Hints.ai_socktype = SOCK_STREAM;
    lookup->Hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
    lookup->Request.ar_name = lookup->Host.c_str();
    lookup->Request.ar_service = lookup->Service.c_str();
    lookup->Request.ar_request = &lookup->Hints;
    gaicb* list[1] = {&lookup->Request};
    int started = ::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr);
    if (started != 0) {
        delete lookup;
        return started;
    }
    while (::gai_error(&lookup->Request) == EAI_INPROGRESS) {
        int left = MillisecondsLeft(deadline);
        if (left <= 0)
            break;
        timespec wait{left / 1000, (left % 1000) * 1000000L};
        ::gai_suspend(list, 1, &wait);
    }
    int result = ::gai_error(&lookup->Request);
    if (result == EAI_INPROGRESS) {
        timedOut = true;
        if (::gai_cancel(&lookup->Request) == EAI_CANCELED)
            delete lookup;
        // else: still running on the resolver's thread, which keeps using it.
        return EAI_AGAIN;
    }
    if (result == 0)
        found = lookup->Request.ar_result;
    delete lookup;
    return result;
}

// The client context for the trust settings in force. SSL_CERT_FILE and
// SSL_CERT_DIR are read when the context is made, so a change of them makes
// a new one.
SSL_CTX* ClientContext(std::string& error)
{
    static std::mutex mutex;
    static SSL_CTX* context = nullptr;
    static std::string contextKey;
    auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    std::string key = variable(X509_get_default_cert_file_env()) + '\n' + variable(X509_get_default_cert_dir_env());
    std::lock_guard lock(mutex);
    if (context != nullptr && key == contextKey)
        return context;
    SSL_CTX* made = SSL_CTX_new(TLS_client_method());
    if (made == nullptr) {
        error = "TLS is not available";
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
    SSL_CTX_set_verify(made, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_mode(made, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // The line protocols end every answer explicitly, so a close without
    // close_notify reads as an ordinary end of the connection.
    SSL_CTX_set_options(made, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (SSL_CTX_set_default_verify_paths(made) != 1) {
        SSL_CTX_free(made);
        error = "cannot load the trusted certificates";
        return nullptr;
    }
    if (context != nullptr)
        SSL_CTX_free(context);  // connections using it hold their own reference
    context = made;
    contextKey = key;
    return context;
}

// The socket BIO with writes that never raise SIGPIPE (a peer that closed
// must not end the program).
int SendWithoutSignal(BIO* bio, const char* data, int length)
{
    int fd = -1;
    BIO_get_fd(bio, &fd);
    BIO_clear_retry_flags(bio);
    ssize_t n = ::send(fd, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        BIO_set_retry_write(bio);
    return static_cast<int>(n);
}

BIO* SocketBio(int fd)
{
    static BIO_METHOD* method = [] {
        const BIO_METHOD* socket = BIO_s_socket();
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR,
                                        "socket without SIGPIPE");
        if (made == nullptr)
            return made;
        BIO_meth_set_write(made, SendWithoutSignal);
        BIO_meth_set_read(made, BIO_meth_get_read(socket));
        BIO_meth_set_ctrl(made, BIO_meth_get_ctrl(socket));
        BIO_meth_set_create(made, BIO_meth_get_create(socket));
        BIO_meth_set_destroy(made, BIO_meth_get_destroy(socket));
        return made;
    }();
    if (method == nullptr)
        return nullptr;
    BIO* bio = BIO_new(method);
    if (bio != nullptr)
        BIO_set_fd(bio, fd, BIO_NOCLOSE);
    return bio;
}

std::string OpenSslErrorText()
{
    unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return {};
    const char* reason = ERR_reason_error_string(code);
    return reason != nullptr ? reason : "error " + std::to_string(code);
}

bool IsIpLiteral(const std::string& name)
{
    unsigned char address[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, name.c_str(), address) == 1 || ::inet_pton(AF_INET6, name.c_str(), address) == 1;
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

    Clock::time_point start = Clock::now();
    Deadline = start + std::chrono::seconds(Timeouts.OperationSeconds);
    auto deadline = std::min(Deadline, start + std::chrono::seconds(Timeouts.ConnectSeconds));

    addrinfo* found = nullptr;
    bool timedOut = false;
    int resolved = ResolveWithin(host, port, deadline, found, timedOut);
    if (timedOut) {
        Error = "cannot resolve " + host + ": no answer for " + std::to_string(Timeouts.ConnectSeconds) + " s";
        return false;
    }
    if (resolved != 0) {
        Error = "cannot resolve " + host + ": " + ::gai_strerror(resolved);
        return false;
    }

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
    if (Tls != nullptr) {
        ERR_clear_error();
        if (Socket >= 0)
            SSL_shutdown(Tls);  // one try at close_notify, without waiting
        SSL_free(Tls);
        ERR_clear_error();
        Tls = nullptr;
    }
    TlsWantsRead = TlsWantsWrite = false;
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
    if (Tls != nullptr)
        return SendTls();
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
    if (Tls != nullptr)
        return ReceiveTls();
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

int TcpStream::PollMillis(bool& deadlineCut) const
{
    int idle = Timeouts.IdleSeconds * 1000;
    int left = MillisecondsLeft(Deadline);
    deadlineCut = left < idle;
    return deadlineCut ? left : idle;
}

// Waits until the socket can take more output or (with wantRead) has input,
// sending and receiving whatever it can meanwhile. Ok means progress was made.
StreamStatus TcpStream::Wait(bool wantRead)
{
    if (Socket < 0)
        return Fail(StreamStatus::Closed, "not connected");
    while (true) {
        bool sending = OutputPos < Output.size();
        bool reading = !PeerClosed;
        // TLS may need the other direction first (a record to finish, a key update to answer).
        short sendEvents = static_cast<short>(TlsWantsRead ? POLLIN : POLLOUT);
        short readEvents = static_cast<short>(TlsWantsWrite ? POLLOUT : POLLIN);
        short events = static_cast<short>((sending ? sendEvents : 0) | (reading ? readEvents : 0));
        if (events == 0)
            return Fail(StreamStatus::Closed, "connection closed by the server");
        pollfd p{Socket, events, 0};
        bool deadlineCut = false;
        int ready = ::poll(&p, 1, PollMillis(deadlineCut));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Fail(StreamStatus::Failed, ErrnoText("poll", errno));
        if (ready == 0)
            return Fail(StreamStatus::TimedOut,
                        deadlineCut ? "the operation took longer than " + std::to_string(Timeouts.OperationSeconds) + " s"
                                    : "no answer for " + std::to_string(Timeouts.IdleSeconds) + " s");
        bool progress = false;
        if (reading && (p.revents & (readEvents | POLLHUP | POLLERR))) {
            size_t before = Input.size() - InputPos;
            bool wasClosed = PeerClosed;
            StreamStatus status = ReceiveAvailable();
            if (status != StreamStatus::Ok)
                return status;
            progress = Input.size() - InputPos != before || PeerClosed != wasClosed;
            if (progress && wantRead)
                return StreamStatus::Ok;
        }
        if (sending && (p.revents & (sendEvents | POLLERR | POLLHUP))) {
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

bool TcpStream::SendTls()
{
    TlsWantsRead = false;
    while (OutputPos < Output.size()) {
        // Never less than a write that must be repeated asked for: the
        // output only grows until it is sent.
        size_t length = std::min(Output.size() - OutputPos, kReadChunk);
        ERR_clear_error();
        int n = SSL_write(Tls, Output.data() + OutputPos, static_cast<int>(length));
        if (n > 0) {
            OutputPos += static_cast<size_t>(n);
            Sent += static_cast<size_t>(n);
            continue;
        }
        int error = SSL_get_error(Tls, n);
        if (error == SSL_ERROR_WANT_WRITE)
            return true;
        if (error == SSL_ERROR_WANT_READ) {
            TlsWantsRead = true;
            return true;
        }
        std::string reason = OpenSslErrorText();
        Error = "TLS send failed" + (reason.empty() ? std::string() : ": " + reason);
        return false;
    }
    Output.clear();
    OutputPos = 0;
    return true;
}

StreamStatus TcpStream::ReceiveTls()
{
    TlsWantsWrite = false;
    char chunk[kReadChunk];
    while (Input.size() - InputPos <= kMaxBufferedInput) {
        ERR_clear_error();
        int n = SSL_read(Tls, chunk, sizeof chunk);
        if (n > 0) {
            Input.append(chunk, static_cast<size_t>(n));
            Received += static_cast<size_t>(n);
            continue;  // a record may hold more than one read takes
        }
        int error = SSL_get_error(Tls, n);
        if (error == SSL_ERROR_WANT_READ)
            return StreamStatus::Ok;
        if (error == SSL_ERROR_WANT_WRITE) {
            TlsWantsWrite = true;
            return StreamStatus::Ok;
        }
        if (error == SSL_ERROR_ZERO_RETURN) {
            PeerClosed = true;
            return StreamStatus::Ok;
        }
        std::string reason = OpenSslErrorText();
        if (error == SSL_ERROR_SYSCALL && reason.empty())
            return Fail(StreamStatus::Failed, ErrnoText("recv", errno));
        return Fail(StreamStatus::Failed, "TLS receive failed" + (reason.empty() ? std::string() : ": " + reason));
    }
    return StreamStatus::Ok;
}

bool TcpStream::StartTls(const std::string& serverName)
{
    if (Socket < 0) {
        Error = "not connected";
        return false;
    }
    if (Tls != nullptr)
        return true;
    if (Flush() != StreamStatus::Ok) {
        Close();
        return false;
    }
    StreamStatus status = Handshake(serverName);
    if (status != StreamStatus::Ok) {
        Close();
        return false;
    }
    return true;
}

StreamStatus TcpStream::Handshake(const std::string& serverName)
{
    // Whatever came before the handshake was not protected: it is dropped.
    Input.clear();
    InputPos = ScanPos = 0;
    PeerClosed = false;
    SSL_CTX* context = ClientContext(Error);
    if (context == nullptr)
        return StreamStatus::Failed;
    Tls = SSL_new(context);
    BIO* bio = Tls != nullptr ? SocketBio(Socket) : nullptr;
    if (bio == nullptr)
        return Fail(StreamStatus::Failed, "TLS is not available: " + OpenSslErrorText());
    SSL_set_bio(Tls, bio, bio);
    X509_VERIFY_PARAM* check = SSL_get0_param(Tls);
    X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    bool named;
    if (IsIpLiteral(serverName)) {
        named = X509_VERIFY_PARAM_set1_ip_asc(check, serverName.c_str()) == 1;
    } else {
        named = SSL_set_tlsext_host_name(Tls, serverName.c_str()) == 1 && SSL_set1_host(Tls, serverName.c_str()) == 1;
    }
    if (!named)
        return Fail(StreamStatus::Failed, "cannot check a certificate for " + serverName);
    while (true) {
        ERR_clear_error();
        int result = SSL_connect(Tls);
        if (result == 1)
            return StreamStatus::Ok;
        int error = SSL_get_error(Tls, result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            pollfd p{Socket, static_cast<short>(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0};
            bool deadlineCut = false;
            int ready = ::poll(&p, 1, PollMillis(deadlineCut));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                return Fail(StreamStatus::Failed, ErrnoText("poll", errno));
            if (ready == 0)
                return Fail(StreamStatus::TimedOut, "TLS handshake timed out");
            continue;
        }
        long verified = SSL_get_verify_result(Tls);
        std::string reason = OpenSslErrorText();
        if (verified == X509_V_ERR_HOSTNAME_MISMATCH || verified == X509_V_ERR_IP_ADDRESS_MISMATCH)
            return Fail(StreamStatus::Failed, "host name mismatch: the certificate is not for " + serverName);
        if (verified != X509_V_OK)
            return Fail(StreamStatus::Failed, "certificate for " + serverName +
                                                  " not trusted: " + X509_verify_cert_error_string(verified));
        if (error == SSL_ERROR_SYSCALL || error == SSL_ERROR_ZERO_RETURN || reason.empty())
            return Fail(StreamStatus::Failed, "connection closed during the TLS handshake with " + serverName);
        return Fail(StreamStatus::Failed, "TLS handshake with " + serverName + " failed: " + reason);
    }
}

std::string TcpStream::TlsVersion() const
{
    return Tls != nullptr ? SSL_get_version(Tls) : "";
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

StreamStatus TcpStream::ReadBytes(std::string& out, size_t& count)
{
    while (true) {
        const size_t available = Input.size() - InputPos;
        const size_t take = std::min(available, count);
        out.append(Input, InputPos, take);
        InputPos += take;
        ScanPos = std::max(ScanPos, InputPos);
        count -= take;
        if (count == 0)
            return StreamStatus::Ok;
        if (PeerClosed)
            return Fail(StreamStatus::Closed, "connection closed by the server");
        StreamStatus status = Wait(true);
        if (status != StreamStatus::Ok)
            return status;
    }
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
