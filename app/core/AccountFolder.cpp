#include "AccountFolder.h"

#include <system_error>

namespace korvalin {

std::optional<std::string> UnsafeAccountName(const std::string& login, const std::string& provider)
{
    for (const std::string* part : {&login, &provider}) {
        if (part->find('/') != std::string::npos || part->find("..") != std::string::npos ||
            part->find('\0') != std::string::npos) {
            return "The login name \"" + std::string(login.c_str()) + "\" cannot be used for " + provider +
                   ": a login name may not contain \"/\" or \"..\".";
        }
    }
    return std::nullopt;
}

std::filesystem::path AccountFolderPath(const std::filesystem::path& dataRoot, const std::string& login,
                                        const std::string& provider)
{
    return dataRoot / kAccountsFolder / (login + "." + provider);
}

Status CreateFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return Status::Failure("cannot create the folder " + folder.string() + ": " + error.message());
    return Status::Ok();
}

Status DeleteFolderAndFiles(const std::filesystem::path& folder)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(folder, error);
    if (!std::filesystem::exists(status))
        return Status::Ok();
    // A link is unlinked, never entered: what it points to is not ours.
    if (std::filesystem::is_symlink(status) || !std::filesystem::is_directory(status)) {
        std::error_code removeError;
        std::filesystem::remove(folder, removeError);
        if (removeError)
            return Status::Failure("cannot remove " + folder.string() + ": " + removeError.message());
        return Status::Ok();
    }
    std::string problems;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError))
            continue;
        std::error_code removeError;
        if (!std::filesystem::remove(it->path(), removeError))
            problems += " cannot delete " + it->path().string() + ": " + removeError.message() + ";";
    }
    if (error)
        return Status::Failure("cannot list " + folder.string() + ": " + error.message());
    std::error_code removeError;
    std::filesystem::remove(folder, removeError);
    if (removeError)
        return Status::Failure("cannot remove the folder " + folder.string() + ":" + problems + " " + removeError.message());
    return Status::Ok();
}

}  // namespace korvalin
