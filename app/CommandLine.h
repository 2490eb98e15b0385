// What the korvalin command line asks for before any window exists:
// --version and --help print and end; anything else is a recipient (an
// address or a "mailto:" link) for the program to compose a new mail to.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvalin {

struct CommandLineAnswer {
    std::string text;  // printed to standard output
    int exitCode = 0;
};

// The answer to print and the exit code when the arguments ask only for
// information, else nothing (the program starts).
std::optional<CommandLineAnswer> AnswerCommandLine(const std::vector<std::string>& arguments,
                                                   const std::string& version);

}  // namespace korvalin
