#include "MailCache.h"

#include "AccountFolder.h"
#include "AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace korvalin {
namespace {

constexpr const char* kPrefix = "KVX";
constexpr const char* kExtension = ".htm";
constexpr unsigned kNameCount = 0x10000;

std::string NameFor(unsigned number)
{
    char name[16];
    std::snprintf(name, sizeof name, "%s%X%s", kPrefix, number, kExtension);
    return name;
}

std::string ReferencePrefix(const std::filesystem::path& accountFolder)
{
    return std::string("./") + kAccountsFolder + "/" + accountFolder.filename().string() + "/";
}

// Reserves a free name by creating the file; returns it, or nothing.
std::optional<std::string> ReserveName(const std::filesystem::path& accountFolder, std::string* error)
{
    static thread_local std::minstd_rand numbers{std::random_device{}()};
    const unsigned start = numbers() % kNameCount;
    for (unsigned step = 0; step < kNameCount; ++step) {
        std::string name = NameFor((start + step) % kNameCount);
        int fd = ::open((accountFolder / name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) {
            *error = "cannot create a file in " + accountFolder.string() + ": " + std::strerror(errno);
            return std::nullopt;
        }
    }
    *error = "every cached mail name is in use in " + accountFolder.string();
    return std::nullopt;
}

}  // namespace

bool IsCachedMailFileName(const std::string& name)
{
    const size_t prefix = std::strlen(kPrefix);
    const size_t extension = std::strlen(kExtension);
    if (name.size() < prefix + 1 + extension || name.size() > prefix + 4 + extension)
        return false;
    if (name.compare(0, prefix, kPrefix) != 0 || name.compare(name.size() - extension, extension, kExtension) != 0)
        return false;
    return std::all_of(name.begin() + static_cast<long>(prefix), name.end() - static_cast<long>(extension),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

std::string CacheReference(const std::filesystem::path& accountFolder, const std::string& fileName)
{
    return ReferencePrefix(accountFolder) + fileName;
}

std::optional<std::filesystem::path> CachedMailFile(const std::filesystem::path& accountFolder,
                                                    const std::string& reference)
{
    const std::string prefix = ReferencePrefix(accountFolder);
    if (reference.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    std::string name = reference.substr(prefix.size());
    if (!IsCachedMailFileName(name))
        return std::nullopt;
    return accountFolder / name;
}

std::optional<std::string> StoreCachedMail(const std::filesystem::path& accountFolder, const std::string& body,
                                           std::string* error)
{
    std::optional<std::string> name = ReserveName(accountFolder, error);
    if (!name)
        return std::nullopt;
    std::string text = body;
    std::replace(text.begin(), text.end(), '\0', '\n');
    const std::filesystem::path file = accountFolder / *name;
    if (Status written = WriteFileAtomically(file, text, 0600); !written) {
        *error = written.error;
        ::unlink(file.c_str());
        return std::nullopt;
    }
    return CacheReference(accountFolder, *name);
}

Status DeleteCachedMail(const std::filesystem::path& accountFolder, const std::string& reference)
{
    std::optional<std::filesystem::path> file = CachedMailFile(accountFolder, reference);
    if (!file)
        return Status::Ok();
    if (::unlink(file->c_str()) != 0 && errno != ENOENT)
        return Status::Failure("cannot delete " + file->string() + ": " + std::strerror(errno));
    return Status::Ok();
}

}  // namespace korvalin
