#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace korvalin {
namespace {

std::string SystemError(const std::string& what, const std::filesystem::path& file)
{
    return what + " " + file.string() + ": " + std::strerror(errno);
}

// 0, or the error number of the failed write.
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

// Why a filling step failed: what was being done and the error number.
struct FillError {
    const char* what = nullptr;
    int number = 0;
};

void SyncDirectory(const std::filesystem::path& dir)
{
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, std::string* error)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (error != nullptr)
            *error = SystemError("cannot open", file);
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        if (error != nullptr)
            *error = SystemError("cannot read", file);
        return std::nullopt;
    }
    return bytes.str();
}

namespace {

// The one way files are replaced: fill writes the new contents into a
// temporary file beside file, which is flushed and renamed over file.
template <typename Fill>
Status ReplaceAtomically(const std::filesystem::path& file, mode_t mode, Fill fill)
{
    std::filesystem::path temp = file;
    temp += ".tmpXXXXXX";
    std::string pattern = temp.string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return Status::Failure(SystemError("cannot create a temporary file for", file), errno);
    temp = pattern;
    auto fail = [&](const char* what, int number) {
        errno = number;
        Status status = Status::Failure(SystemError(what, file), number);
        ::close(fd);
        ::unlink(temp.c_str());
        return status;
    };
    if (::fchmod(fd, mode) != 0)
        return fail("cannot set the permissions of", errno);
    if (FillError error = fill(fd); error.number != 0)
        return fail(error.what, error.number);
    if (::fsync(fd) != 0)
        return fail("cannot flush", errno);
    if (::close(fd) != 0) {
        Status status = Status::Failure(SystemError("cannot close", file), errno);
        ::unlink(temp.c_str());
        return status;
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        Status status = Status::Failure(SystemError("cannot replace", file), errno);
        ::unlink(temp.c_str());
        return status;
    }
    SyncDirectory(file.parent_path());
    return Status::Ok();
}

}  // namespace

Status WriteFileAtomically(const std::filesystem::path& file, const std::string& data, mode_t mode)
{
    return ReplaceAtomically(file, mode, [&](int fd) {
        return FillError{"cannot write", WriteAll(fd, data.data(), data.size())};
    });
}

Status CopyIntoFileAtomically(int source, const std::filesystem::path& file, mode_t mode)
{
    return ReplaceAtomically(file, mode, [&](int fd) {
        std::vector<char> buffer(64 * 1024);
        for (;;) {
            const ssize_t got = ::read(source, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return FillError{"cannot read the source of", errno};
            if (got == 0)
                return FillError{};
            if (int error = WriteAll(fd, buffer.data(), static_cast<size_t>(got)))
                return FillError{"cannot write", error};
        }
    });
}

}  // namespace korvalin
