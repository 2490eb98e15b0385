// The program's application object: memory that runs out while an event is
// handled ends the program through FatalError with the out-of-memory text,
// instead of an exception escaping the event loop.
#pragma once

#include <QApplication>

#include <functional>
#include <string>

namespace korvalin::ui {

inline constexpr const char* kOutOfMemoryText =
    "Fatal Error: Out of memory. Please close other applications and run Korvalin again";

// Ends the program with a text (the port's FatalError); does not return.
using FatalStop = std::function<void(const std::string& text)>;

// Returns what deliver returns; when deliver runs out of memory, stop gets
// the out-of-memory text (without a stop, or if it returns, the text goes
// to stderr and the process ends with exit code -1).
bool DeliverOrStop(const std::function<bool()>& deliver, const FatalStop& stop);

class ProgramApplication : public QApplication {
public:
    ProgramApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    // Who ends the program from now on; null: nobody but the process exit.
    static void SetFatalStop(FatalStop stop);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace korvalin::ui
