#include "CommandLine.h"

namespace korvalin {

std::optional<CommandLineAnswer> AnswerCommandLine(const std::vector<std::string>& arguments,
                                                   const std::string& version)
{
    for (const std::string& argument : arguments) {
        if (argument == "--version" || argument == "-v")
            return CommandLineAnswer{"Korvalin Mail " + version + "\n", 0};
        if (argument == "--help" || argument == "-h")
            return CommandLineAnswer{
                "Usage: korvalin [RECIPIENT]\n"
                "Checks and reads your mail accounts from one window and the tray.\n"
                "\n"
                "  RECIPIENT      an address or a mailto: link: open a new mail to it\n"
                "                 (in the copy already running, if there is one)\n"
                "  -h, --help     show this text and end\n"
                "  -v, --version  show the version and end\n"
                "\n"
                "Data: $KORVALIN_HOME, else ~/.local/share/korvalin.\n",
                0};
    }
    return std::nullopt;
}

}  // namespace korvalin
