#include "FileReplace.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvalin {

namespace {

std::string SystemError(const std::string& what, const std::filesystem::path& file, int number)
{
    return what + " " + file.string() + ": " + std::strerror(number);
}

void SyncDirectory(const std::filesystem::path& dir)
{
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

int WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

bool ReplaceFileWith(const std::filesystem::path& file, mode_t mode, bool flush, const FileFill& fill,
                     FileReplaceError& error)
{
    std::filesystem::path temp = file;
    temp += ".tmpXXXXXX";
    std::string pattern = temp.string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = {SystemError("cannot create a temporary file for", file, errno), errno};
        return false;
    }
    temp = pattern;
    auto fail = [&](const char* what, int number, bool open) {
        error = {SystemError(what, file, number), number};
        if (open)
            ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    if (::fchmod(fd, mode) != 0)
        return fail("cannot set the permissions of", errno, true);
    const char* what = "cannot write";
    if (int number = fill(fd, what); number != 0)
        return fail(what, number, true);
    if (flush && ::fsync(fd) != 0)
        return fail("cannot flush", errno, true);
    if (::close(fd) != 0)
        return fail("cannot close", errno, false);
    if (::rename(temp.c_str(), file.c_str()) != 0)
        return fail("cannot replace", errno, false);
    if (flush)
        SyncDirectory(file.parent_path());
    return true;
}

bool ReplaceFileAtomically(const std::filesystem::path& file, const std::string& data, std::string& error, bool flush)
{
    FileReplaceError failure;
    bool ok = ReplaceFileWith(
        file, 0600, flush, [&](int fd, const char*&) { return WriteAll(fd, data.data(), data.size()); }, failure);
    if (!ok)
        error = failure.Text;
    return ok;
}

}  // namespace korvalin
