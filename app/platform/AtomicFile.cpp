#include "AtomicFile.h"

#include "FileReplace.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace korvalin {
namespace {

std::string SystemError(const std::string& what, const std::filesystem::path& file)
{
    return what + " " + file.string() + ": " + std::strerror(errno);
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

Status Replace(const std::filesystem::path& file, mode_t mode, const FileFill& fill)
{
    FileReplaceError error;
    if (!ReplaceFileWith(file, mode, true, fill, error))
        return Status::Failure(error.Text, error.Number);
    return Status::Ok();
}

}  // namespace

Status WriteFileAtomically(const std::filesystem::path& file, const std::string& data, mode_t mode)
{
    return Replace(file, mode, [&](int fd, const char*&) { return WriteAll(fd, data.data(), data.size()); });
}

Status CopyIntoFileAtomically(int source, const std::filesystem::path& file, mode_t mode)
{
    return Replace(file, mode, [&](int fd, const char*& what) {
        std::vector<char> buffer(64 * 1024);
        for (;;) {
            const ssize_t got = ::read(source, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                what = "cannot read the source of";
                return errno;
            }
            if (got == 0)
                return 0;
            if (int error = WriteAll(fd, buffer.data(), static_cast<size_t>(got)))
                return error;
        }
    });
}

}  // namespace korvalin
