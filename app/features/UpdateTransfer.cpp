#include "UpdateTransfer.h"

#include "HostValue.h"
#include "Timeouts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace korvalin {
namespace {

constexpr size_t kPieceSize = 1024;

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// Where the answer's bytes go: a string or a file, with the limit and progress.
struct Sink {
    std::string* text = nullptr;
    int fd = -1;
    uint64_t limit = 0;
    uint64_t received = 0;
    const TransferProgress* progress = nullptr;
    CURL* curl = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    bool overLimit = false;
    std::string writeError;
};

bool WritePiece(Sink& sink, const char* data, size_t size)
{
    if (sink.text != nullptr) {
        sink.text->append(data, size);
        return true;
    }
    while (size > 0) {
        ssize_t n = ::write(sink.fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            sink.writeError = std::strerror(errno);
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

size_t Receive(char* data, size_t size, size_t count, void* target)
{
    Sink& sink = *static_cast<Sink*>(target);
    const size_t total = size * count;
    if (sink.received + total > sink.limit) {
        sink.overLimit = true;
        return 0;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(sink.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    for (size_t done = 0; done < total; done += kPieceSize) {
        const size_t piece = std::min(kPieceSize, total - done);
        sink.received += piece;
        if (sink.progress != nullptr && *sink.progress) {
            std::optional<uint64_t> remaining;
            if (length >= 0 && static_cast<uint64_t>(length) >= sink.received)
                remaining = static_cast<uint64_t>(length) - sink.received;
            (*sink.progress)(sink.received, remaining);
        }
        if (!WritePiece(sink, data + done, piece))
            return 0;
    }
    return total;
}

int CheckCancel(void* target, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const Sink& sink = *static_cast<const Sink*>(target);
    return sink.cancel != nullptr && sink.cancel->load() ? 1 : 0;
}

bool Perform(const std::string& url, Sink& sink, TransferFailure* failure)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        *failure = {false, "cannot start an HTTP transfer"};
        return false;
    }
    sink.curl = curl.get();
    const NetworkTimeouts timeouts = GetNetworkTimeouts();
    const bool secure = url.rfind("https://", 0) == 0;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, "MySession");
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    // A secure address never hands over to a plain one.
    curl_easy_setopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeouts.ConnectSeconds));
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts.IdleSeconds));
    curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Receive);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &CheckCancel);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &sink);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    CURLcode result = curl_easy_perform(curl.get());
    curl_slist_free_all(headers);
    if (result == CURLE_OK)
        return true;
    if (sink.overLimit)
        *failure = {true, url + " is larger than " + std::to_string(sink.limit) + " bytes"};
    else if (!sink.writeError.empty())
        *failure = {true, "cannot write the download: " + sink.writeError};
    else
        *failure = {true, url + ": " + (errorText[0] != '\0' ? errorText : curl_easy_strerror(result))};
    return false;
}

}  // namespace

std::string UpdateUrl(const PlatformPaths& paths, const std::string& name)
{
    std::string base = HostValue(paths, "vendor.web");
    if (base.find("://") == std::string::npos)
        base = "https://" + base;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/update/" + name;
}

std::optional<std::string> FetchText(const std::string& url, size_t limit, TransferFailure* failure,
                                     const std::atomic<bool>* cancel)
{
    std::string text;
    Sink sink;
    sink.text = &text;
    sink.limit = limit;
    sink.cancel = cancel;
    if (!Perform(url, sink, failure))
        return std::nullopt;
    return text;
}

bool FetchToFile(const std::string& url, const std::filesystem::path& file, uint64_t limit,
                 const TransferProgress& progress, TransferFailure* failure)
{
    std::string temp = file.string() + ".partXXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *failure = {true, "cannot create a file in " + file.parent_path().string() + ": " + std::strerror(errno)};
        return false;
    }
    Sink sink;
    sink.fd = fd;
    sink.limit = limit;
    sink.progress = &progress;
    bool ok = Perform(url, sink, failure);
    if (::fsync(fd) != 0 && ok) {
        *failure = {true, "cannot write " + file.string() + ": " + std::strerror(errno)};
        ok = false;
    }
    ::close(fd);
    if (ok && ::rename(temp.c_str(), file.c_str()) != 0) {
        *failure = {true, "cannot write " + file.string() + ": " + std::strerror(errno)};
        ok = false;
    }
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

}  // namespace korvalin
