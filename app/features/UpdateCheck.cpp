#include "UpdateCheck.h"

#include "AtomicFile.h"
#include "Engine.h"
#include "FeaturePort.h"
#include "TextFormat.h"
#include "UpdateOfferBox.h"
#include "UpdateTransfer.h"

#include <strings.h>

namespace korvalin {
namespace {

// "Text mode": every line of the answer followed by a line feed.
std::string AsLines(const std::string& text)
{
    std::string lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines += line + "\n";
        pos = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

}  // namespace

UpdateCheck::UpdateCheck(Engine& engine, FeaturePort& port) : engine_(engine), port_(port) {}

UpdateCheck::~UpdateCheck()
{
    cancel_ = true;
    if (fetcher_.joinable())
        fetcher_.join();
}

void UpdateCheck::StartUpdateCheck()
{
    if (started_.exchange(true))
        return;
    engine_.Log().Info(kCommon, "Checking for updates");
    fetcher_ = std::thread([this, url = UpdateUrl(engine_.Paths(), kUpdateListFile),
                            file = engine_.Paths().dataRoot / kUpdateListFile] { FetchList(url, file); });
}

// On its own thread: touches nothing of the engine, which may be gone
// before this thread ends; what it has to say goes through the UI thread.
void UpdateCheck::FetchList(const std::string& url, const std::filesystem::path& file)
{
    TransferFailure failure;
    std::optional<std::string> text = FetchText(url, kUpdateListLimit, &failure, &cancel_);
    Status stored = text ? WriteFileAtomically(file, AsLines(*text), 0644) : Status::Failure(failure.why);
    if (cancel_)
        return;
    std::weak_ptr<int> alive = lifetime_;
    port_.PostToUiThread([this, alive, stored] {
        if (!alive.lock())
            return;
        if (stored)
            ProcessUpdateList();
        else
            engine_.Log().Info(kCommon, "No update list: %s", stored.error.c_str());
    });
}

std::vector<UpdateFile> UpdateCheck::KnownFiles() const
{
    std::vector<UpdateFile> files;
    for (const ProgramFile& file : engine_.Providers().Files()) {
        bool hidden = false;
        for (const auto& provider : engine_.Providers().Providers()) {
            if (provider->library && provider->hidden &&
                strcasecmp(provider->library->FileName().c_str(), file.fileName.c_str()) == 0)
                hidden = true;
        }
        files.push_back({file.fileName, file.version, file.excluded || hidden});
    }
    return files;
}

void UpdateCheck::ProcessUpdateList()
{
    UiPort& ui = engine_.Ui();
    ui.SetStatusText(kMessagePane, "Initializing..");
    ui.StartBusyAnimation();
    std::string error;
    std::optional<std::string> list = ReadWholeFile(engine_.Paths().dataRoot / kUpdateListFile, &error);
    if (!list) {
        engine_.Log().Error(kCommon, "The update list: %s", error.c_str());
        Tell(ui, kUpdateFileError);
        Finish();
        return;
    }
    UpdatePlan plan = PlanUpdate(KnownFiles(), *list);
    for (const std::string& name : plan.refusedNames)
        engine_.Log().Warning(kCommon, "The update list names \"%s\", which is not a plug-in file: not downloaded",
                              name.c_str());
    if (plan.downloads.empty()) {
        engine_.Log().Info(kCommon, "No updates");
        Finish();
        return;
    }

    UpdateOfferBox box(ui, plan.featuresText);
    port_.RunUpdateOffer(box);
    if (!box.Accepted()) {
        engine_.Log().Info(kCommon, "The update was declined");
        Finish();
        return;
    }
    ui.SetStatusText(kMessagePane, "Downloading..");
    const char* message = nullptr;
    if (!DownloadFiles(plan.downloads, &message)) {
        Tell(ui, message);
        Finish();
        return;
    }
    const std::filesystem::path upgrader = engine_.Paths().executableDir / kUpgraderName;
    if (!port_.StartProgram(upgrader)) {
        engine_.Log().Error(kCommon, "Cannot start %s", upgrader.c_str());
        Tell(ui, kUpdateOtherError);
        Finish();
        return;
    }
    engine_.Log().Info(kCommon, "Handing over to %s", upgrader.c_str());
    // The process ends at once: every open folder's summary is written first.
    engine_.Mail().CloseAll();
    port_.ExitProcess(0);
}

bool UpdateCheck::DownloadFiles(const std::vector<std::string>& names, const char** message)
{
    UiPort& ui = engine_.Ui();
    const std::filesystem::path folder = engine_.Paths().dataRoot / kUpdateFolder;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    if (!error)
        std::filesystem::create_directory(folder, error);
    if (error) {
        engine_.Log().Error(kCommon, "Cannot make the download folder %s: %s", folder.c_str(),
                            error.message().c_str());
        *message = kUpdateOtherError;
        return false;
    }

    std::atomic<bool> done{false};
    bool ok = true;
    TransferFailure failure;
    std::thread downloader([&] {
        const int count = static_cast<int>(names.size());
        for (int k = 1; k <= count && ok; ++k) {
            const std::string& name = names[static_cast<size_t>(k - 1)];
            ui.SetStatusText(kMessagePane, Format("Downloading %d of %d (0 bytes)", k, count));
            auto progress = [&](uint64_t received, std::optional<uint64_t> remaining) {
                ui.SetStatusText(kMessagePane, Format("Downloading %d of %d (%d Kb done)", k, count,
                                                      static_cast<int>(received / 1024)));
                if (remaining)
                    ui.SetStatusText(kProgressPane,
                                     Format("%3.1f%%", 100.0 * static_cast<double>(received) /
                                                           static_cast<double>(received + *remaining)));
            };
            ok = FetchToFile(UpdateUrl(engine_.Paths(), name), folder / name, kUpdateFileLimit, progress, &failure);
        }
        done = true;
    });
    ui.KeepAliveUntil([&] { return done.load(); });
    downloader.join();
    if (!ok) {
        engine_.Log().Error(kCommon, "Update download: %s", failure.why.c_str());
        *message = failure.network ? kUpdateFileError : kUpdateOtherError;
    }
    return ok;
}

void UpdateCheck::Finish()
{
    engine_.Ui().SetStatusText(kMessagePane, "");
    engine_.Ui().StopBusyAnimation();
    std::error_code error;
    std::filesystem::remove(engine_.Paths().dataRoot / kUpdateListFile, error);
}

}  // namespace korvalin
