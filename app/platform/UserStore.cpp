#include "UserStore.h"

#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace korvalin {
namespace {

constexpr const char* kHeader = "KORVALIN-STORE 1";

bool PlainNameByte(unsigned char c)
{
    return c >= 0x21 && c <= 0x7e && c != '%';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void AppendHex(std::string& out, unsigned char c)
{
    static const char digits[] = "0123456789abcdef";
    out += digits[c >> 4];
    out += digits[c & 0x0f];
}

std::optional<char> HexByte(std::string_view text, size_t at)
{
    if (at + 1 >= text.size())
        return std::nullopt;
    int high = HexDigit(text[at]);
    int low = HexDigit(text[at + 1]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<char>(high * 16 + low);
}

std::optional<std::string> DecodeName(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            if (!PlainNameByte(static_cast<unsigned char>(text[i])))
                return std::nullopt;
            out += text[i];
            continue;
        }
        auto byte = HexByte(text, i + 1);
        if (!byte)
            return std::nullopt;
        out += *byte;
        i += 2;
    }
    return out;
}

std::optional<std::string> DecodeBytes(std::string_view text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    for (size_t i = 0; i < text.size(); i += 2) {
        auto byte = HexByte(text, i);
        if (!byte)
            return std::nullopt;
        out += *byte;
    }
    return out;
}

// Holds an exclusive advisory lock on "<store>.lock" for its lifetime.
class StoreLock {
public:
    explicit StoreLock(const std::filesystem::path& store)
    {
        std::filesystem::path lockFile = store;
        lockFile += ".lock";
        fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            error_ = "cannot open " + lockFile.string() + ": " + std::strerror(errno);
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = "cannot lock " + lockFile.string() + ": " + std::strerror(errno);
                return;
            }
        }
    }
    ~StoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

}  // namespace

std::string EncodeStore(const StoreValues& values)
{
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [name, bytes] : values) {
        for (unsigned char c : name) {
            if (PlainNameByte(c)) {
                text += static_cast<char>(c);
            } else {
                text += '%';
                AppendHex(text, c);
            }
        }
        text += ' ';
        for (unsigned char c : bytes)
            AppendHex(text, c);
        text += '\n';
    }
    return text;
}

std::optional<StoreValues> DecodeStore(const std::string& text, std::string* error)
{
    auto fail = [&](const std::string& why) -> std::optional<StoreValues> {
        if (error != nullptr)
            *error = why;
        return std::nullopt;
    };
    StoreValues values;
    size_t lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            return fail("the last line is not complete");
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kHeader)
                return fail("it does not begin with \"" + std::string(kHeader) + "\"");
            continue;
        }
        size_t blank = line.find(' ');
        if (blank == std::string_view::npos || blank == 0)
            return fail("line " + std::to_string(lineNumber) + " has no value name");
        auto name = DecodeName(line.substr(0, blank));
        auto bytes = DecodeBytes(line.substr(blank + 1));
        if (!name || !bytes)
            return fail("line " + std::to_string(lineNumber) + " is malformed");
        values[*name] = *bytes;
    }
    if (lineNumber == 0)
        return fail("it is empty");
    return values;
}

UserStore::UserStore(std::filesystem::path file) : file_(std::move(file)) {}

bool UserStore::Exists() const
{
    std::error_code error;
    return std::filesystem::exists(file_, error);
}

std::optional<StoreValues> UserStore::Load(std::string* error) const
{
    std::string readError;
    auto text = ReadWholeFile(file_, &readError);
    if (!text) {
        if (error != nullptr)
            *error = readError;
        return std::nullopt;
    }
    std::string formatError;
    auto values = DecodeStore(*text, &formatError);
    if (!values && error != nullptr)
        *error = file_.string() + " is damaged: " + formatError;
    return values;
}

StoreValue UserStore::Read(const std::string& name) const
{
    StoreValue result;
    if (!Exists())
        return result;
    std::string error;
    auto values = Load(&error);
    if (!values) {
        result.state = StoreRead::Unreadable;
        result.error = error;
        return result;
    }
    auto found = values->find(name);
    if (found != values->end()) {
        result.state = StoreRead::Found;
        result.bytes = found->second;
    }
    return result;
}

Status UserStore::Write(const std::map<std::string, std::optional<std::string>>& changes)
{
    std::error_code dirError;
    std::filesystem::create_directories(file_.parent_path(), dirError);
    if (dirError)
        return Status::Failure("cannot create " + file_.parent_path().string() + ": " + dirError.message());

    StoreLock lock(file_);
    if (!lock.Error().empty())
        return Status::Failure(lock.Error());
    StoreValues values;
    if (Exists()) {
        std::string error;
        auto loaded = Load(&error);
        if (!loaded)
            return Status::Failure(error);
        values = std::move(*loaded);
    }
    for (const auto& [name, bytes] : changes) {
        if (bytes)
            values[name] = *bytes;
        else
            values.erase(name);
    }
    return WriteFileAtomically(file_, EncodeStore(values), 0600);
}

Status UserStore::WriteValue(const std::string& name, const std::string& bytes)
{
    return Write({{name, bytes}});
}

Status UserStore::RemoveValue(const std::string& name)
{
    if (!Exists())
        return Status::Ok();
    return Write({{name, std::nullopt}});
}

Status UserStore::RemoveAll()
{
    std::error_code error;
    std::filesystem::remove(file_, error);
    if (error)
        return Status::Failure("cannot delete " + file_.string() + ": " + error.message());
    return Status::Ok();
}

}  // namespace korvalin
