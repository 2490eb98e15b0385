// The HTTP messages of the web-service simulator: a parsed request (with the
// simulated host it was meant for, filled in by the router) and the response
// a service model gives back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvalin::websim {

// Name/value pairs of a query or an x-www-form-urlencoded body, decoded, in
// the order they came.
struct FormFields {
    std::vector<std::pair<std::string, std::string>> Pairs;

    static FormFields Parse(std::string_view text);
    // The first value of name, or "" when it is missing.
    std::string Value(std::string_view name) const;
    bool Has(std::string_view name) const;
};

// How the client reached the simulator, which decides how page links to the
// simulated hosts must be written so that the client can follow them.
enum class Addressing {
    Named,    // by host name: through the simulator as a proxy, or a Host header naming the host
    Prefixed, // "http://127.0.0.1:PORT/<host>/path": the host name as the first path segment
    Fallback, // a bare address answered by the default service, which then plays all its hosts
};

struct SimRequest {
    std::string Method;
    std::string Target;                                       // as sent on the request line
    std::string Version;                                      // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> Headers; // names in lower case
    std::string Body;

    // Set by the router.
    std::string Host;      // the simulated host (lower case); empty in Fallback mode
    std::string Path;      // without the host prefix and the query
    std::string Query;     // after "?", raw
    std::string Authority; // host[:port] as the client addressed it
    Addressing Mode = Addressing::Named;

    std::string Header(std::string_view lowerName) const;
    FormFields QueryFields() const { return FormFields::Parse(Query); }
    FormFields BodyFields() const { return FormFields::Parse(Body); }

    // "http://..." base through which this client reaches a simulated host.
    std::string BaseUrlOf(std::string_view host) const;
};

struct SimResponse {
    int Status = 200;
    std::string Reason = "OK";
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;
    // Send only this many bytes of the body and then close the connection
    // (the Content-Length still announces the whole body): a page cut short.
    std::optional<size_t> CutAfter;

    static SimResponse Html(std::string body);
    static SimResponse Content(std::string body, std::string contentType);
    static SimResponse Error(int status, std::string reason, std::string_view message);
    static SimResponse Redirect(const std::string& location);
};

// Parses a request line and header block (without the blank line that ends
// it). On failure returns false and says why in error.
bool ParseRequestHead(std::string_view head, SimRequest& request, std::string& error);

// The bytes of a response head: status line, the response's headers, then
// Content-Length and Connection.
std::string ResponseHead(const SimResponse& response, bool keepAlive);

} // namespace korvalin::websim
