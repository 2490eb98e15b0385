// The state of the "Logging in..." box, shared by the UI thread that shows
// it and the worker thread that runs the login. The UI drives the box's two
// timers (OnPoll every 100 ms, OnSecond every second) and its Cancel button;
// when the abort count-down reaches zero or Cancel is pressed, the box
// closes with Cancel and the worker is abandoned: it finishes its network
// call later, and its result is ignored.
#pragma once

#include <mutex>
#include <string>

namespace korvalin {

enum class LoginBoxResult { Open, Ok, Cancel };

class LoginProgressBox {
public:
    LoginProgressBox(std::string text, int abortMinutes);

    // UI side.
    std::string Text() const;
    std::string CancelText() const;  // "Cancel  [mm:ss]"
    int RemainingSeconds() const;
    void OnPoll();
    void OnSecond();
    void OnCancel();
    bool Closed() const;
    LoginBoxResult Result() const;

    // Worker side.
    void SetText(std::string text);
    void Finish(bool loggedIn);
    bool Abandoned() const;

    bool WorkerEnded() const;
    bool StoredResult() const;

private:
    void CloseLocked(LoginBoxResult result);

    mutable std::mutex mutex_;
    std::string text_;
    int remainingSeconds_;
    LoginBoxResult result_ = LoginBoxResult::Open;
    bool workerEnded_ = false;
    bool storedResult_ = false;
};

}  // namespace korvalin
