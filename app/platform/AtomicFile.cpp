#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>

namespace korvalin {
namespace {

std::string SystemError(const std::string& what, const std::filesystem::path& file)
{
    return what + " " + file.string() + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::string& data)
{
    size_t written = 0;
    while (written < data.size()) {
        ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
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

Status WriteFileAtomically(const std::filesystem::path& file, const std::string& data, mode_t mode)
{
    std::filesystem::path temp = file;
    temp += ".tmpXXXXXX";
    std::string pattern = temp.string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return Status::Failure(SystemError("cannot create a temporary file for", file));
    temp = pattern;
    auto fail = [&](const std::string& what) {
        Status status = Status::Failure(SystemError(what, file));
        ::close(fd);
        ::unlink(temp.c_str());
        return status;
    };
    if (::fchmod(fd, mode) != 0)
        return fail("cannot set the permissions of");
    if (!WriteAll(fd, data))
        return fail("cannot write");
    if (::fsync(fd) != 0)
        return fail("cannot flush");
    if (::close(fd) != 0) {
        Status status = Status::Failure(SystemError("cannot close", file));
        ::unlink(temp.c_str());
        return status;
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        Status status = Status::Failure(SystemError("cannot replace", file));
        ::unlink(temp.c_str());
        return status;
    }
    SyncDirectory(file.parent_path());
    return Status::Ok();
}

}  // namespace korvalin
