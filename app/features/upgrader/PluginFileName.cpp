#include "PluginFileName.h"

#include <algorithm>
#include <cctype>

namespace korvalin {

bool IsUpdatableFileName(std::string_view name)
{
    constexpr std::string_view kSuffix = ".so";
    if (name.size() <= kSuffix.size() || name.size() > 255 || name.front() == '.')
        return false;
    if (name.substr(name.size() - kSuffix.size()) != kSuffix || name.find("..") != std::string_view::npos)
        return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '_' || c == '-' || c == '.';
    });
}

}  // namespace korvalin
