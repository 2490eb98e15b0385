#include "DesktopIntegration.h"

#include "AtomicFile.h"

#include <sstream>
#include <system_error>
#include <vector>

namespace korvalin {
namespace {

constexpr const char* kDefaultSection = "[Default Applications]";
// The icon the install puts into the hicolor theme.
constexpr const char* kIconName = "korvalin";

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

bool IsSectionHeader(const std::string& line)
{
    std::string trimmed = Trim(line);
    return !trimmed.empty() && trimmed.front() == '[';
}

// The key of a "key=value" line, or "" for any other line.
std::string KeyOf(const std::string& line)
{
    size_t equals = line.find('=');
    if (equals == std::string::npos || IsSectionHeader(line))
        return {};
    return Trim(line.substr(0, equals));
}

Status EnsureFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return Status::Failure("cannot create " + folder.string() + ": " + error.message());
    return Status::Ok();
}

std::string ExecLine(const PlatformPaths& paths, const std::string& fieldCode)
{
    std::string line = "Exec=" + DesktopExecArgument(paths.executable.string());
    if (!fieldCode.empty())
        line += " " + fieldCode;
    return line + "\n";
}

}  // namespace

std::string DesktopExecArgument(const std::string& argument)
{
    bool needsQuotes = argument.empty();
    std::string escaped;
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            escaped += '\\';
            needsQuotes = true;
        } else if (c == ' ' || c == '\t' || c == '\'' || c == '>' || c == '<' || c == '~' || c == '|' || c == '&' ||
                   c == ';' || c == '*' || c == '?' || c == '#' || c == '(' || c == ')') {
            needsQuotes = true;
        }
        escaped += c;
    }
    // A literal percent sign is written twice in an Exec key.
    std::string percentSafe;
    for (char c : escaped) {
        percentSafe += c;
        if (c == '%')
            percentSafe += '%';
    }
    return needsQuotes ? "\"" + percentSafe + "\"" : percentSafe;
}

Status SetAutostart(const PlatformPaths& paths, bool enabled)
{
    if (!enabled) {
        std::error_code error;
        std::filesystem::remove(paths.autostartFile, error);
        if (error)
            return Status::Failure("cannot delete " + paths.autostartFile.string() + ": " + error.message());
        return Status::Ok();
    }
    if (Status folder = EnsureFolder(paths.autostartFile.parent_path()); !folder)
        return folder;
    // GNOME reads X-GNOME-Autostart-enabled; KDE starts it once the panel
    // (and so the tray) is up.
    std::string text = "[Desktop Entry]\nType=Application\nName=Korvalin Mail\n"
                       "Comment=Check and read mail from POP3 and web-mail accounts\n" +
                       ExecLine(paths, "") + "Icon=" + kIconName + "\nTerminal=false\n"
                       "X-GNOME-Autostart-enabled=true\nX-KDE-autostart-after=panel\n";
    return WriteFileAtomically(paths.autostartFile, text, 0644);
}

bool AutostartPresent(const PlatformPaths& paths)
{
    std::error_code error;
    return std::filesystem::exists(paths.autostartFile, error);
}

std::string FindDefaultApplication(const std::string& mimeapps, const std::string& key)
{
    bool inDefaults = false;
    for (const std::string& line : Lines(mimeapps)) {
        if (IsSectionHeader(line)) {
            inDefaults = Trim(line) == kDefaultSection;
            continue;
        }
        if (!inDefaults || KeyOf(line) != key)
            continue;
        std::string value = Trim(line.substr(line.find('=') + 1));
        return Trim(value.substr(0, value.find(';')));
    }
    return {};
}

std::string SetDefaultApplication(const std::string& mimeapps, const std::string& key, const std::string& value)
{
    const std::string entry = key + "=" + value;
    std::vector<std::string> lines = Lines(mimeapps);
    std::string out;
    bool inDefaults = false;
    bool sectionSeen = false;
    bool written = false;
    auto leaveDefaults = [&] {
        if (inDefaults && !written) {
            out += entry + "\n";
            written = true;
        }
    };
    for (const std::string& line : lines) {
        if (IsSectionHeader(line)) {
            leaveDefaults();
            inDefaults = Trim(line) == kDefaultSection;
            sectionSeen = sectionSeen || inDefaults;
            out += line + "\n";
            continue;
        }
        if (inDefaults && KeyOf(line) == key) {
            if (!written)
                out += entry + "\n";
            written = true;
            continue;
        }
        out += line + "\n";
    }
    leaveDefaults();
    if (!sectionSeen) {
        if (!out.empty() && out.back() != '\n')
            out += "\n";
        out += std::string(kDefaultSection) + "\n" + entry + "\n";
    }
    return out;
}

std::string DefaultMailtoHandler(const PlatformPaths& paths)
{
    auto text = ReadWholeFile(paths.mimeappsList);
    return text ? FindDefaultApplication(*text, kMailtoMimeType) : std::string();
}

Status MakeDefaultMailtoHandler(const PlatformPaths& paths)
{
    if (Status folder = EnsureFolder(paths.applicationsDir); !folder)
        return folder;
    std::string desktop = "[Desktop Entry]\nType=Application\nName=Korvalin Mail\n"
                          "Comment=Read and send mail of several accounts\n" +
                          ExecLine(paths, "%u") + "Icon=" + kIconName +
                          "\nTerminal=false\nCategories=Network;Email;\n"
                          "MimeType=x-scheme-handler/mailto;\n";
    if (Status written = WriteFileAtomically(paths.applicationsDir / kDesktopFileName, desktop, 0644); !written)
        return written;
    if (Status folder = EnsureFolder(paths.mimeappsList.parent_path()); !folder)
        return folder;
    std::string mimeapps;
    std::error_code missing;
    if (std::filesystem::exists(paths.mimeappsList, missing)) {
        std::string error;
        auto text = ReadWholeFile(paths.mimeappsList, &error);
        if (!text)
            return Status::Failure(error);  // never overwrite choices we could not read
        mimeapps = std::move(*text);
    }
    return WriteFileAtomically(paths.mimeappsList, SetDefaultApplication(mimeapps, kMailtoMimeType, kDesktopFileName), 0644);
}

}  // namespace korvalin
