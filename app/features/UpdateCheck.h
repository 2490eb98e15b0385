// The self-update: once per run, the first time the program is online, the
// vendor's list of current versions is fetched on a thread of its own; on
// the UI thread it is matched against the program's files, and when a
// plug-in is outdated or new the person is offered to download the files
// into "UpDir" and hand over to korvalin-upgrader.
#pragma once

#include "UpdateList.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>
#include <memory>
#include <mutex>
#include <thread>

namespace korvalin {

class Engine;
class FeaturePort;

inline constexpr const char* kUpdateFileError =
    "Error updating Korvalin. Please check your internet connection or disk space.";
inline constexpr const char* kUpdateOtherError =
    "Error updating Korvalin. Please check your internet connection and disk space";
inline constexpr const char* kUpgraderName = "korvalin-upgrader";

inline constexpr size_t kUpdateListLimit = 1024 * 1024;
inline constexpr uint64_t kUpdateFileLimit = 256ull * 1024 * 1024;

class UpdateCheck {
public:
    UpdateCheck(Engine& engine, FeaturePort& port);
    // Waits for the list's thread (its transfer is bounded by time-outs).
    ~UpdateCheck();
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    // Starts fetching the list, at most once per run. A failure is silent.
    void StartUpdateCheck();
    bool Started() const { return started_.load(); }
    // On the UI thread, once the list is stored.
    void ProcessUpdateList();

    // The program's files with their versions, as the update sees them now.
    std::vector<UpdateFile> KnownFiles() const;

private:
    void FetchList(const std::string& url, const std::filesystem::path& file);
    // True when every file arrived; otherwise the message to show.
    bool DownloadFiles(const std::vector<std::string>& names, const char** message);
    void Finish();

    Engine& engine_;
    FeaturePort& port_;
    std::atomic<bool> started_{false};
    std::atomic<bool> cancel_{false};
    std::thread fetcher_;
    // Lets posted work find out whether this object still exists.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

}  // namespace korvalin
