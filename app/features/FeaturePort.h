// What this part of the program needs from the Qt program beyond UiPort:
// running work on the UI thread, the "Update Korvalin?" box, and handing
// over to the upgrader.
#pragma once

#include <filesystem>
#include <functional>

namespace korvalin {

class UpdateOfferBox;

class FeaturePort {
public:
    virtual ~FeaturePort() = default;

    // Runs work on the UI thread later (the update list arrived on its own thread).
    virtual void PostToUiThread(std::function<void()> work) = 0;

    // Runs the modal "Update Korvalin?" box until box.Closed(): its buttons
    // call box.OnUpdateNow(), box.OnDontUpdate() and box.OnTellMeMore();
    // closing the window calls box.OnClose().
    virtual void RunUpdateOffer(UpdateOfferBox& box) = 0;

    // Starts program without arguments and without waiting for it, in the
    // current directory; false when it could not be started.
    virtual bool StartProgram(const std::filesystem::path& program);

    // Ends the process at once with code, saving nothing.
    virtual void ExitProcess(int code);
};

}  // namespace korvalin
