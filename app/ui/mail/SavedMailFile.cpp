#include "SavedMailFile.h"

#include "AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvalin::ui {

int CopyMailFile(const std::string& from, const std::string& to)
{
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return errno;
    // A replaced file keeps its permissions.
    struct stat existing {};
    const mode_t mode = ::stat(to.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    const Status copied = CopyIntoFileAtomically(source, to, mode);
    ::close(source);
    if (copied)
        return 0;
    return copied.errorNumber != 0 ? copied.errorNumber : EIO;
}

}  // namespace korvalin::ui
