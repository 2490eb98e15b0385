#include "Startup.h"

#include "AccountFolder.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <unistd.h>

namespace korvalin {
namespace {

bool IsStaleCacheFile(const std::string& name)
{
    if (name.size() < 7 || name.compare(0, 3, "KVX") != 0)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".htm";
}

int HexValue(char c)
{
    if (std::isdigit(static_cast<unsigned char>(c)))
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecoded(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = HexValue(text[i + 1]);
            int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool ContainsMailtoScheme(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("mailto:") != std::string::npos;
}

}  // namespace

DataRootResult PrepareDataRoot(const std::filesystem::path& dataRoot)
{
    DataRootResult result;
    std::error_code error;
    std::filesystem::create_directories(dataRoot, error);
    if (error || ::chdir(dataRoot.c_str()) != 0) {
        result.status = Status::Failure("cannot use " + dataRoot.string() + " as the data folder" +
                                        (error ? ": " + error.message() : std::string()));
        return result;
    }
    result.freshInstallation = !std::filesystem::exists(dataRoot / kAccountsFolder, error);
    for (const char* folder : {kAccountsFolder, kFiltersFolder}) {
        if (Status created = CreateFolder(dataRoot / folder); !created) {
            result.status = created;
            return result;
        }
    }
    if (!result.freshInstallation)
        return result;
    for (std::filesystem::directory_iterator it(dataRoot, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && IsStaleCacheFile(it->path().filename().string())) {
            std::error_code removeError;
            std::filesystem::remove(it->path(), removeError);
        }
    }
    return result;
}

std::string RecipientFromArguments(const std::vector<std::string>& arguments)
{
    std::string recipient;
    for (std::string argument : arguments) {
        if (!argument.empty() && argument.front() == '-')
            argument.erase(0, 1);
        if (ContainsMailtoScheme(argument) && argument.size() >= 7) {
            argument.erase(0, 7);
            argument = PercentDecoded(argument.substr(0, argument.find('?')));
        }
        recipient = argument;
    }
    return recipient;
}

}  // namespace korvalin
