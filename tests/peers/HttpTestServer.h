// A small HTTP/1.1 server on 127.0.0.1 (port chosen by the system) for tests.
// It serves one request per connection (it answers "Connection: close"),
// accepts origin-form ("/path?q") and absolute-form ("http://host/path")
// request targets, records every request, and hands each to a handler.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvalin::test {

struct HttpRequest {
    std::string Method;
    std::string Target;  // as sent on the request line
    std::string Host;    // from the absolute target, else the Host header (without port)
    std::string Path;    // path without the query
    std::string Query;   // after "?", without it
    std::map<std::string, std::string> Headers;  // names in lower case
    std::string Body;

    std::string Header(const std::string& lowerName) const;
    // Values of a form body or query ("a=1&b=2"), decoded.
    static std::map<std::string, std::string> ParseForm(const std::string& text);
};

struct HttpResponse {
    int Status = 200;
    std::string Reason = "OK";
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;
    int StallSeconds = 0;  // send the headers, then stay silent this long before closing

    static HttpResponse Page(std::string body);
    static HttpResponse Redirect(const std::string& location);
    static HttpResponse NotFound();
};

class HttpTestServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    explicit HttpTestServer(Handler handler);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int Port() const { return ListenPort; }
    std::string BaseUrl() const;  // "http://127.0.0.1:<port>"
    std::vector<HttpRequest> Requests() const;
    void ClearRequests();

private:
    void AcceptLoop();
    void Serve(int client);

    Handler RequestHandler;
    int ListenSocket = -1;
    int ListenPort = 0;
    std::atomic<bool> Stopping{false};
    std::thread Acceptor;
    mutable std::mutex Mutex;
    std::vector<HttpRequest> Received;
    std::vector<std::thread> Workers;
};

}  // namespace korvalin::test
