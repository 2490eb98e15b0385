#include "FileReplace.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvalin {

namespace {

std::string Reason(const std::string& what, const std::filesystem::path& file)
{
    return "cannot " + what + " " + file.string() + ": " + std::strerror(errno);
}

}  // namespace

bool ReplaceFileAtomically(const std::filesystem::path& file, const std::string& data, std::string& error, bool flush)
{
    std::filesystem::path temporary = file;
    temporary += ".tmp" + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = Reason("create", temporary);
        return false;
    }
    size_t written = 0;
    bool ok = true;
    while (ok && written < data.size()) {
        ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = Reason("write", temporary);
            ok = false;
        } else {
            written += static_cast<size_t>(n);
        }
    }
    if (ok && flush && fsync(fd) != 0) {
        error = Reason("flush", temporary);
        ok = false;
    }
    if (close(fd) != 0 && ok) {
        error = Reason("close", temporary);
        ok = false;
    }
    if (ok && rename(temporary.c_str(), file.c_str()) != 0) {
        error = Reason("rename over", file);
        ok = false;
    }
    if (!ok)
        unlink(temporary.c_str());
    return ok;
}

}  // namespace korvalin
