// korvalin: the mail program. Its only parameter is an optional recipient
// (an address or a "mailto:" link) to compose a new mail to.
#include "Program.h"
#include "ProgramApplication.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    korvalin::ui::ProgramApplication application(argc, argv);
    QApplication::setApplicationName("korvalin");
    QApplication::setApplicationDisplayName("Korvalin Mail");
    QApplication::setOrganizationName("Dravnek");
    QApplication::setDesktopFileName("korvalin");

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return korvalin::ui::Program(std::move(arguments)).Run();
}
