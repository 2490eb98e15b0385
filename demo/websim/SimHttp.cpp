#include "SimHttp.h"

#include "FormEncoding.h"
#include "PageText.h"

#include <algorithm>

namespace korvalin::websim {
namespace {

std::string_view Trim(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool IsToken(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return c > 32 && c < 127 && c != ':' && c != '(' && c != ')' && c != '"';
    });
}

} // namespace

FormFields FormFields::Parse(std::string_view text)
{
    FormFields fields;
    while (!text.empty()) {
        size_t ampersand = text.find('&');
        std::string_view pair = text.substr(0, ampersand);
        if (!pair.empty()) {
            size_t equals = pair.find('=');
            std::string name = DecodeFormValue(pair.substr(0, equals));
            std::string value =
                equals == std::string_view::npos ? std::string() : DecodeFormValue(pair.substr(equals + 1));
            fields.Pairs.emplace_back(std::move(name), std::move(value));
        }
        if (ampersand == std::string_view::npos)
            break;
        text = text.substr(ampersand + 1);
    }
    return fields;
}

std::string FormFields::Value(std::string_view name) const
{
    for (const auto& [key, value] : Pairs)
        if (key == name)
            return value;
    return {};
}

bool FormFields::Has(std::string_view name) const
{
    return std::any_of(Pairs.begin(), Pairs.end(), [&](const auto& pair) { return pair.first == name; });
}

std::string SimRequest::Header(std::string_view lowerName) const
{
    for (const auto& [name, value] : Headers)
        if (name == lowerName)
            return value;
    return {};
}

std::string SimRequest::BaseUrlOf(std::string_view host) const
{
    switch (Mode) {
    case Addressing::Prefixed:
        return "http://" + Authority + "/" + std::string(host);
    case Addressing::Fallback:
        return "http://" + Authority;
    case Addressing::Named:
        break;
    }
    size_t colon = Authority.rfind(':');
    std::string port = colon == std::string::npos ? std::string() : Authority.substr(colon);
    return "http://" + std::string(host) + port;
}

SimResponse SimResponse::Html(std::string body)
{
    return Content(std::move(body), "text/html");
}

SimResponse SimResponse::Content(std::string body, std::string contentType)
{
    SimResponse response;
    response.Headers.emplace_back("Content-Type", std::move(contentType));
    response.Body = std::move(body);
    return response;
}

SimResponse SimResponse::Error(int status, std::string reason, std::string_view message)
{
    SimResponse response = Html("<html><head><title>" + reason + "</title></head>\n<body><h1>" + reason + "</h1>\n<p>" +
                                HtmlEscape(message) + "</p>\n</body></html>\n");
    response.Status = status;
    response.Reason = std::move(reason);
    return response;
}

SimResponse SimResponse::Redirect(const std::string& location)
{
    SimResponse response = Html("<html><body><a href=\"" + HtmlEscape(location) + "\">moved</a></body></html>\n");
    response.Status = 302;
    response.Reason = "Found";
    response.Headers.emplace_back("Location", location);
    return response;
}

bool ParseRequestHead(std::string_view head, SimRequest& request, std::string& error)
{
    size_t lineEnd = head.find('\n');
    std::string_view requestLine = Trim(head.substr(0, lineEnd));
    size_t firstBlank = requestLine.find(' ');
    size_t lastBlank = requestLine.rfind(' ');
    if (firstBlank == std::string_view::npos || lastBlank == firstBlank) {
        error = "malformed request line";
        return false;
    }
    request.Method = std::string(requestLine.substr(0, firstBlank));
    request.Target = std::string(Trim(requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1)));
    request.Version = std::string(requestLine.substr(lastBlank + 1));
    if (!IsToken(request.Method) || request.Target.empty() || request.Target.find(' ') != std::string::npos ||
        request.Version.rfind("HTTP/1.", 0) != 0) {
        error = "malformed request line";
        return false;
    }

    request.Headers.clear();
    while (lineEnd != std::string_view::npos) {
        size_t start = lineEnd + 1;
        lineEnd = head.find('\n', start);
        std::string_view line = head.substr(start, lineEnd == std::string_view::npos ? lineEnd : lineEnd - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) {
            error = "malformed header line";
            return false;
        }
        request.Headers.emplace_back(AsciiLower(line.substr(0, colon)), std::string(Trim(line.substr(colon + 1))));
    }
    return true;
}

std::string ResponseHead(const SimResponse& response, bool keepAlive)
{
    std::string head = "HTTP/1.1 " + std::to_string(response.Status) + " " + response.Reason + "\r\n";
    for (const auto& [name, value] : response.Headers)
        head += name + ": " + value + "\r\n";
    head += "Content-Length: " + std::to_string(response.Body.size()) + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    head += "\r\n";
    return head;
}

} // namespace korvalin::websim
