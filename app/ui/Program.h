// The korvalin program from start to end: the start-up steps in their
// order (windows, command line, single instance, home window, configuration,
// logon), the event loop, and the orderly end.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace korvalin::ui {

class Program {
public:
    explicit Program(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

    // Runs the program in the running QApplication; returns the exit code.
    int Run();

private:
    std::vector<std::string> arguments_;
};

}  // namespace korvalin::ui
