// korvalin: the mail program. Its only parameter is an optional recipient
// (an address or a "mailto:" link) to compose a new mail to; --version and
// --help answer without opening a window (or needing a display).
#include "CommandLine.h"
#include "Program.h"
#include "ProgramApplication.h"
#include "StartupTrace.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> given(argv + 1, argv + argc);
    if (auto answer = korvalin::AnswerCommandLine(given, KORVALIN_VERSION)) {
        std::fputs(answer->text.c_str(), stdout);
        return answer->exitCode;
    }
    korvalin::ui::StartupStage("main entered");
    korvalin::ui::ProgramApplication application(argc, argv);
    korvalin::ui::StartupStage("QApplication created");
    QApplication::setApplicationName("korvalin");
    QApplication::setApplicationDisplayName("Korvalin Mail");
    QApplication::setOrganizationName("Dravnek");
    QApplication::setDesktopFileName("korvalin");

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return korvalin::ui::Program(std::move(arguments)).Run();
}
