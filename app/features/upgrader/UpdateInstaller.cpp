#include "UpdateInstaller.h"

#include "AtomicFile.h"
#include "PluginFileName.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvalin {
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
    int Fd() const { return fd_; }

private:
    int fd_;
};

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

enum class Outcome { Installed, NotPlainFile, Failed };

// Copies source over target through a temporary file beside target.
Outcome Install(const std::filesystem::path& source, const std::filesystem::path& target, std::string* why)
{
    // O_NOFOLLOW: a link planted in the update folder is not followed.
    Descriptor in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (in.Fd() < 0 && errno == ELOOP)
        return Outcome::NotPlainFile;
    if (in.Fd() < 0) {
        *why = SystemError("cannot open the download");
        return Outcome::Failed;
    }
    struct stat status {};
    if (::fstat(in.Fd(), &status) != 0 || !S_ISREG(status.st_mode))
        return Outcome::NotPlainFile;
    if (Status copied = CopyIntoFileAtomically(in.Fd(), target, 0755); !copied) {
        *why = copied.error;
        return Outcome::Failed;
    }
    return Outcome::Installed;
}

}  // namespace

InstallReport InstallUpdates(const std::filesystem::path& updates, const std::filesystem::path& target)
{
    InstallReport report;
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(updates, error), end; !error && it != end; it.increment(error))
        files.push_back(it->path());
    if (error) {
        report.errors.push_back(updates.string() + ": " + error.message());
        return report;
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
        const std::string name = file.filename().string();
        if (!IsUpdatableFileName(name)) {
            report.skipped.push_back(name);
            continue;
        }
        std::string why;
        switch (Install(file, target / name, &why)) {
        case Outcome::Installed:
            report.installed.push_back(name);
            std::filesystem::remove(file, error);
            break;
        case Outcome::NotPlainFile:
            report.skipped.push_back(name);
            break;
        case Outcome::Failed:
            report.errors.push_back(name + ": " + why);
            break;
        }
    }
    return report;
}

}  // namespace korvalin
