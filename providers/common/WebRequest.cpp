#include "WebRequest.h"

#include "Timeouts.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

namespace {

void InitialiseTransportOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Where one part of an answer goes, with the size it may reach.
struct AnswerSink {
    std::string* text;
    size_t limit;
    bool tooLong = false;
};

size_t AppendBody(char* data, size_t size, size_t count, void* target)
{
    auto* sink = static_cast<AnswerSink*>(target);
    const size_t bytes = size * count;
    if (bytes > sink->limit || sink->text->size() > sink->limit - bytes) {
        sink->tooLong = true;
        return 0;  // ends the transfer with a write error
    }
    sink->text->append(data, bytes);
    return bytes;
}

std::atomic<korvalin::WebStandIn> StandIn{nullptr};

class HeaderList {
public:
    void Add(const std::string& line) { List = curl_slist_append(List, line.c_str()); }
    curl_slist* Get() const { return List; }
    ~HeaderList() { curl_slist_free_all(List); }

private:
    curl_slist* List = nullptr;
};

}  // namespace

namespace korvalin {

void SetWebStandIn(WebStandIn standIn)
{
    StandIn.store(standIn);
}

std::string EscapeUrlBlanks(std::string url)
{
    std::string escaped;
    escaped.reserve(url.size());
    for (char c : url) {
        if (c == ' ')
            escaped += "%20";
        else
            escaped.push_back(c);
    }
    return escaped;
}

}  // namespace korvalin

CWebRequest::CWebRequest(std::string_view)
{
    InitialiseTransportOnce();
}

CWebRequest::~CWebRequest()
{
    if (Connection != nullptr)
        curl_easy_cleanup(static_cast<CURL*>(Connection));
}

bool CWebRequest::GetPage(std::string url, std::string& response)
{
    return Perform(url, nullptr, response);
}

bool CWebRequest::PostForm(std::string url, std::string body, std::string& response)
{
    return Perform(url, &body, response);
}

bool CWebRequest::Perform(const std::string& url, const std::string* formBody, std::string& response)
{
    if (korvalin::WebStandIn standIn = StandIn.load()) {
        ResponseHeaderText.clear();
        LastErrorText.clear();
        LastStatusCode = 0;
        return standIn(*this, url, formBody, ResponseHeaderText, LastStatusCode, response);
    }
    if (Connection == nullptr)
        Connection = curl_easy_init();
    else
        curl_easy_reset(static_cast<CURL*>(Connection));  // keeps the connection cache
    CURL* curl = static_cast<CURL*>(Connection);
    ResponseHeaderText.clear();
    LastErrorText.clear();
    LastStatusCode = 0;
    if (curl == nullptr) {
        LastErrorText = "cannot create an HTTP session";
        return false;
    }

    const korvalin::NetworkTimeouts timeouts = korvalin::GetNetworkTimeouts();
    const std::string address = korvalin::EscapeUrlBlanks(url);
    char errorBuffer[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "MySession");
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeouts.ConnectSeconds));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts.IdleSeconds));
    AnswerSink body{&response, MaxAnswerBytes};
    AnswerSink head{&ResponseHeaderText, MaxAnswerBytes};
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &AppendBody);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &head);

    HeaderList headers;
    headers.Add("Expect:");  // no 100-continue round trip for long forms
    if (formBody == nullptr) {
        headers.Add("Cache-Control: no-cache");
        headers.Add("Pragma: no-cache");
    } else {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(formBody->size()));
        curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, formBody->c_str());
        headers.Add(SendFormContentType ? "Content-Type: application/x-www-form-urlencoded" : "Content-Type:");
    }
    for (const std::string& line : ExtraHeaders)
        headers.Add(line);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.Get());

    CURLcode result = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &LastStatusCode);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    if (body.tooLong || head.tooLong) {
        LastErrorText = "the answer is longer than " + std::to_string(MaxAnswerBytes) + " bytes";
        response.clear();
        return false;
    }
    if (result != CURLE_OK) {
        LastErrorText = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(result);
        return false;
    }
    return true;
}

bool CWebRequest::AttachResponse(const std::string* response)
{
    Response = response;
    return Response != nullptr;
}

size_t CWebRequest::ReadLine(std::string& line, bool dropLineEnd, size_t size)
{
    line.clear();
    if (Response == nullptr || size < 2 || ReadPos >= Response->size())
        return 0;
    const size_t available = std::min(size - 1, Response->size() - ReadPos);
    const char* start = Response->data() + ReadPos;
    const char* lineEnd = std::find_if(start, start + available, [](char c) { return c == '\r' || c == '\n'; });
    if (lineEnd == start + available) {
        line.assign(start, available);
        ReadPos += available;
        return available;
    }
    const size_t index = static_cast<size_t>(lineEnd - start);
    line.assign(start, dropLineEnd ? index : index + 1);
    ReadPos += index + 1;
    return index + 1;
}

size_t CWebRequest::ReadLine(char* buffer, size_t size, bool dropLineEnd)
{
    std::string line;
    size_t consumed = ReadLine(line, dropLineEnd, size);
    if (consumed == 0 || buffer == nullptr)
        return consumed;
    std::memcpy(buffer, line.data(), line.size());
    buffer[line.size()] = '\0';
    return consumed;
}

std::string CWebRequest::TextAfterLt(const std::string& text)
{
    static constexpr std::string_view kLt = "&lt;";
    size_t found = text.find(kLt);
    if (found == std::string::npos)
        return text;
    std::string after = text.substr(found + kLt.size());
    size_t ampersand = after.find('&');
    if (ampersand == std::string::npos)
        return after;
    Scratch = after.substr(0, ampersand);
    return Scratch;
}
