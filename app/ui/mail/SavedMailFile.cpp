#include "SavedMailFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvalin::ui {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now; the error number of a failed close, else 0.
    int Close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

// Copies everything of source into target; 0 or the error number.
int CopyContents(int source, int target)
{
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        if (int error = WriteAll(target, buffer.data(), static_cast<size_t>(got)))
            return error;
    }
}

}  // namespace

int CopyMailFile(const std::string& from, const std::string& to)
{
    Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.Get() < 0)
        return errno;
    std::string temporary = to + ".XXXXXX";
    Descriptor target(::mkostemp(temporary.data(), O_CLOEXEC));
    if (target.Get() < 0)
        return errno;
    // A replaced file keeps its permissions.
    struct stat existing {};
    const mode_t mode = ::stat(to.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    int error = CopyContents(source.Get(), target.Get());
    if (error == 0 && ::fchmod(target.Get(), mode) != 0)
        error = errno;
    if (error == 0 && ::fsync(target.Get()) != 0)
        error = errno;
    if (int closed = target.Close(); error == 0)
        error = closed;
    if (error == 0 && ::rename(temporary.c_str(), to.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.c_str());
    return error;
}

}  // namespace korvalin::ui
