// One HTTP exchange at a time the way a browser makes it, and line-by-line
// reading of the answer. A CWebRequest lives on the stack of one provider
// operation and belongs to that thread; several may run at once.
//
// The answer body is stored byte for byte; the status code is not examined
// (an error page is handed to the parser like any other page). Redirections
// are followed, nothing is cached, the proxy comes from the standard
// http_proxy/https_proxy/no_proxy variables, and every exchange has a connect
// and a stall time-out (Timeouts.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CWebRequest {
public:
    explicit CWebRequest(std::string_view firstUrl = {});
    virtual ~CWebRequest();
    CWebRequest(const CWebRequest&) = delete;
    CWebRequest& operator=(const CWebRequest&) = delete;

    // GET url; the body is appended to response. False on any transport
    // failure, with whatever had arrived left in response.
    bool GetPage(std::string url, std::string& response);

    // POST the form body (sent unchanged) to url, with
    // "Content-Type: application/x-www-form-urlencoded" unless
    // SendFormContentType is false.
    bool PostForm(std::string url, std::string body, std::string& response);

    // Sets the buffer that ReadLine reads; true when it is not null. ReadPos
    // is not reset.
    bool AttachResponse(const std::string* response);

    // Copies the next line of the attached response into buffer, terminated
    // with a zero byte, and returns the number of bytes consumed; 0 at the end
    // and on every later call. CR and LF each end a line on their own (CR LF
    // gives a line and then a line holding the LF alone). With dropLineEnd the
    // line end is not copied. A line that does not fit into size - 1 bytes is
    // delivered in terminated pieces.
    size_t ReadLine(char* buffer, size_t size, bool dropLineEnd);

    // The same, into a string (no terminator); pieces are at most size - 1 bytes.
    static constexpr size_t kLineSize = 2048;
    size_t ReadLine(std::string& line, bool dropLineEnd, size_t size = kLineSize);

    // The bare address of a header line such as "Ann &lt;ann@x&gt;"; the text
    // itself when it holds no "&lt;".
    std::string TextAfterLt(const std::string& text);

    // Extra request header lines ("Cookie: a=b") sent with every later fetch.
    std::vector<std::string> ExtraHeaders;
    bool SendFormContentType = true;
    // An answer (body, or header blocks) longer than this fails the fetch.
    static constexpr size_t kMaxAnswerBytes = size_t{64} << 20;
    size_t MaxAnswerBytes = kMaxAnswerBytes;

    // The raw response header blocks of the last fetch (every block when
    // redirections were followed), as the server sent them.
    const std::string& ResponseHeaders() const { return ResponseHeaderText; }
    // The transport's own description of the last failure, for the log.
    const std::string& LastError() const { return LastErrorText; }
    // The HTTP status code of the last answer (after redirections), 0 when
    // none arrived. The fetches themselves never look at it.
    long LastStatus() const { return LastStatusCode; }
    // True when the last exchange arrived whole (fetched, the result of that
    // GetPage or PostForm) and its answer carries a 2xx status: an error
    // page is a failure, never an empty folder or mailbox.
    bool Accepted(bool fetched) const { return fetched && LastStatusCode >= 200 && LastStatusCode < 300; }

    std::string Scratch;
    size_t ReadPos = 0;

private:
    bool Perform(const std::string& url, const std::string* formBody, std::string& response);

    void* Connection = nullptr;  // the transport handle, kept so that fetches reuse its connection
    const std::string* Response = nullptr;
    std::string ResponseHeaderText;
    std::string LastErrorText;
    long LastStatusCode = 0;
};

namespace korvalin {
// Answers every later fetch in place of the network, for the fuzz targets
// that feed pages to the providers: given the asking request (for its extra
// headers), the address and the form body (null for a GET), it fills the
// answer's raw header block and status code, appends the body and says
// whether the answer arrived whole. Null puts the network back.
// Process-wide; set it before any fetch starts.
using WebStandIn = bool (*)(const CWebRequest& request, const std::string& url, const std::string* formBody,
                            std::string& headers, long& status, std::string& body);
void SetWebStandIn(WebStandIn standIn);

// A literal blank in a URL is sent as %20 (the transport refuses raw blanks).
std::string EscapeUrlBlanks(std::string url);
}  // namespace korvalin
