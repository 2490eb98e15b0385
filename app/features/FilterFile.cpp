#include "FilterFile.h"

#include "AccountFolder.h"

#include <array>

namespace korvalin {
namespace {

constexpr std::array<std::string_view, 9> kKeys{"NAME=",    "NEW=",    "FROMPRES=", "FROM=",  "SUBJPRES=",
                                                 "SUBJECT=", "FORWARD=", "REPLY=",    "DELETE="};

bool IsYes(std::string_view value)
{
    return value.size() == 1 && (value[0] == 'y' || value[0] == 'Y');
}

std::string_view Flag(bool on)
{
    return on ? "y" : "n";
}

std::string_view OneLine(std::string_view value)
{
    return value.substr(0, value.find_first_of("\r\n"));
}

// The next line of text from pos (without its CR LF or LF), or nothing at the end.
std::optional<std::string_view> NextLine(std::string_view text, size_t& pos)
{
    if (pos >= text.size())
        return std::nullopt;
    size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

}  // namespace

std::optional<std::filesystem::path> FilterFilePath(const std::filesystem::path& dataRoot, const std::string& login,
                                                    const std::string& providerName)
{
    if (UnsafeAccountName(login, providerName))
        return std::nullopt;
    return dataRoot / kFiltersFolder / (login + "." + providerName);
}

FilterList ParseFilterFile(std::string_view text)
{
    FilterList filters;
    size_t pos = 0;
    for (;;) {
        std::array<std::string_view, kKeys.size()> values;
        for (size_t k = 0; k < kKeys.size(); ++k) {
            std::optional<std::string_view> line = NextLine(text, pos);
            if (!line || line->substr(0, kKeys[k].size()) != kKeys[k])
                return filters;
            values[k] = line->substr(kKeys[k].size());
        }
        Filter filter;
        filter.NAME = values[0];
        filter.NEW = IsYes(values[1]);
        filter.FROMPRES = IsYes(values[2]);
        filter.FROM = values[3];
        filter.SUBJPRES = IsYes(values[4]);
        filter.SUBJECT = values[5];
        filter.FORWARD = values[6];
        filter.REPLY = values[7];
        filter.DELETE = IsYes(values[8]);
        filters.push_back(std::move(filter));
    }
}

std::string FilterFileText(const FilterList& filters)
{
    std::string text;
    for (const Filter& filter : filters) {
        const std::array<std::string_view, kKeys.size()> values{
            OneLine(filter.NAME),    Flag(filter.NEW),         Flag(filter.FROMPRES),
            OneLine(filter.FROM),    Flag(filter.SUBJPRES),    OneLine(filter.SUBJECT),
            OneLine(filter.FORWARD), OneLine(filter.REPLY),    Flag(filter.DELETE)};
        for (size_t k = 0; k < kKeys.size(); ++k) {
            text.append(kKeys[k]);
            text.append(values[k]);
            text.append("\r\n");
        }
    }
    return text;
}

}  // namespace korvalin
