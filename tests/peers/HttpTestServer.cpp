#include "HttpTestServer.h"

#include "FormEncoding.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace korvalin::test {
namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

void SendAll(int socket, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = ::send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<size_t>(n);
    }
}

// Reads until the header block and the announced body are in; false when the
// client went away first or nothing came for five seconds.
bool ReadRequest(int socket, std::string& raw, size_t& headerEnd)
{
    char chunk[4096];
    size_t wanted = std::string::npos;
    while (true) {
        if (wanted == std::string::npos) {
            headerEnd = raw.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                size_t length = 0;
                std::string head = Lower(raw.substr(0, headerEnd));
                size_t field = head.find("\r\ncontent-length:");
                if (field != std::string::npos)
                    length = std::strtoul(head.c_str() + field + 17, nullptr, 10);
                wanted = headerEnd + 4 + length;
            }
        }
        if (wanted != std::string::npos && raw.size() >= wanted)
            return true;
        pollfd p{socket, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            return false;
        ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
        if (n <= 0)
            return false;
        raw.append(chunk, static_cast<size_t>(n));
    }
}

HttpRequest ParseRequest(const std::string& raw, size_t headerEnd)
{
    HttpRequest request;
    std::string head = raw.substr(0, headerEnd);
    size_t lineEnd = head.find("\r\n");
    std::string requestLine = head.substr(0, lineEnd);
    size_t firstBlank = requestLine.find(' ');
    size_t lastBlank = requestLine.rfind(' ');
    request.Method = requestLine.substr(0, firstBlank);
    request.Target = requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1);
    size_t position = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (position < head.size()) {
        size_t next = head.find("\r\n", position);
        if (next == std::string::npos)
            next = head.size();
        std::string line = head.substr(position, next - position);
        size_t colon = line.find(':');
        if (colon != std::string::npos)
            request.Headers[Lower(Trim(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
        position = next + 2;
    }
    request.Body = raw.substr(headerEnd + 4);

    std::string target = request.Target;
    size_t scheme = target.find("://");
    if (scheme != std::string::npos) {
        size_t pathStart = target.find('/', scheme + 3);
        request.Host = target.substr(scheme + 3, pathStart == std::string::npos ? std::string::npos : pathStart - scheme - 3);
        target = pathStart == std::string::npos ? "/" : target.substr(pathStart);
    } else {
        request.Host = request.Header("host");
    }
    size_t colon = request.Host.find(':');
    if (colon != std::string::npos)
        request.Host = request.Host.substr(0, colon);
    size_t question = target.find('?');
    request.Path = target.substr(0, question);
    request.Query = question == std::string::npos ? std::string() : target.substr(question + 1);
    return request;
}

}  // namespace

std::string HttpRequest::Header(const std::string& lowerName) const
{
    auto found = Headers.find(lowerName);
    return found == Headers.end() ? std::string() : found->second;
}

std::map<std::string, std::string> HttpRequest::ParseForm(const std::string& text)
{
    std::map<std::string, std::string> values;
    size_t position = 0;
    while (position <= text.size()) {
        size_t next = text.find('&', position);
        if (next == std::string::npos)
            next = text.size();
        std::string pair = text.substr(position, next - position);
        size_t equals = pair.find('=');
        if (!pair.empty()) {
            if (equals == std::string::npos)
                values[DecodeFormValue(pair)] = "";
            else
                values[DecodeFormValue(pair.substr(0, equals))] = DecodeFormValue(pair.substr(equals + 1));
        }
        position = next + 1;
    }
    return values;
}

HttpResponse HttpResponse::Page(std::string body)
{
    HttpResponse response;
    response.Headers.push_back({"Content-Type", "text/html"});
    response.Body = std::move(body);
    return response;
}

HttpResponse HttpResponse::Redirect(const std::string& location)
{
    HttpResponse response;
    response.Status = 302;
    response.Reason = "Found";
    response.Headers.push_back({"Location", location});
    return response;
}

HttpResponse HttpResponse::NotFound()
{
    HttpResponse response = Page("<html><body>Not found</body></html>\n");
    response.Status = 404;
    response.Reason = "Not Found";
    return response;
}

HttpTestServer::HttpTestServer(Handler handler) : RequestHandler(std::move(handler))
{
    ListenSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (ListenSocket < 0)
        throw std::runtime_error("test server: socket() failed");
    int yes = 1;
    ::setsockopt(ListenSocket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(ListenSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(ListenSocket, 64) != 0)
        throw std::runtime_error("test server: cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    ::getsockname(ListenSocket, reinterpret_cast<sockaddr*>(&address), &length);
    ListenPort = ntohs(address.sin_port);
    Acceptor = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer()
{
    Stopping = true;
    ::shutdown(ListenSocket, SHUT_RDWR);
    ::close(ListenSocket);
    Acceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(Mutex);
        workers.swap(Workers);
    }
    for (auto& worker : workers)
        worker.join();
}

std::string HttpTestServer::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(ListenPort);
}

std::vector<HttpRequest> HttpTestServer::Requests() const
{
    std::lock_guard lock(Mutex);
    return Received;
}

void HttpTestServer::ClearRequests()
{
    std::lock_guard lock(Mutex);
    Received.clear();
}

void HttpTestServer::AcceptLoop()
{
    while (!Stopping) {
        pollfd p{ListenSocket, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        int client = ::accept(ListenSocket, nullptr, nullptr);
        if (client < 0)
            continue;
        std::lock_guard lock(Mutex);
        Workers.emplace_back([this, client] { Serve(client); });
    }
}

void HttpTestServer::Serve(int client)
{
    std::string raw;
    size_t headerEnd = 0;
    if (ReadRequest(client, raw, headerEnd)) {
        HttpRequest request = ParseRequest(raw, headerEnd);
        {
            std::lock_guard lock(Mutex);
            Received.push_back(request);
        }
        HttpResponse response = RequestHandler(request);
        std::string head = "HTTP/1.1 " + std::to_string(response.Status) + " " + response.Reason + "\r\n";
        for (const auto& [name, value] : response.Headers)
            head += name + ": " + value + "\r\n";
        if (response.StallSeconds > 0) {
            head += "Content-Length: " + std::to_string(response.Body.size() + 1000) + "\r\n\r\n";
            SendAll(client, head + response.Body);
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(response.StallSeconds);
            while (!Stopping && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } else {
            head += "Content-Length: " + std::to_string(response.Body.size()) + "\r\nConnection: close\r\n\r\n";
            SendAll(client, head + response.Body);
        }
    }
    ::close(client);
}

}  // namespace korvalin::test
