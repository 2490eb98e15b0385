// The downloads of the update: the list and the files, from the vendor's
// web site. HTTPS unless "vendor.web" names another scheme, certificates
// checked, redirections only to the same kind of address, every exchange
// bounded by the network time-outs and a size limit. An answer with an
// error status is a failure, never a file.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace korvalin {

struct PlatformPaths;

// "<vendor.web>/update/" + name; "https://" when the setting names no scheme.
std::string UpdateUrl(const PlatformPaths& paths, const std::string& name);

struct TransferFailure {
    bool network = false;  // the transfer or the file failed (as opposed to anything else)
    std::string why;
};

// The bytes received so far and, when the server told the length, how many remain.
using TransferProgress = std::function<void(uint64_t received, std::optional<uint64_t> remaining)>;

// The text at url, or the failure. Setting *cancel ends the transfer soon.
std::optional<std::string> FetchText(const std::string& url, size_t limit, TransferFailure* failure,
                                     const std::atomic<bool>* cancel = nullptr);

// Writes what url answers into file (replaced whole once complete), calling
// progress after each piece of at most 1024 bytes.
bool FetchToFile(const std::string& url, const std::filesystem::path& file, uint64_t limit,
                 const TransferProgress& progress, TransferFailure* failure);

}  // namespace korvalin
