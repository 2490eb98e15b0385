#include "AddressBookFile.h"

#include <algorithm>
#include <vector>

namespace korvalin {
namespace {

std::vector<std::string_view> Tokens(std::string_view line)
{
    std::vector<std::string_view> tokens;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t start = line.find_first_not_of('=', pos);
        if (start == std::string_view::npos)
            break;
        size_t end = line.find('=', start);
        tokens.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        pos = end == std::string_view::npos ? line.size() : end;
    }
    return tokens;
}

std::string OneLine(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

}  // namespace

CAddressArray ParseAddressBook(std::string_view text)
{
    CAddressArray book;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        std::vector<std::string_view> tokens = Tokens(line);
        AddressEntry entry;
        entry.Marked = !tokens.empty() && tokens[0].size() == 1 && (tokens[0][0] == 'y' || tokens[0][0] == 'Y');
        if (tokens.size() > 1)
            entry.Name = tokens[1];
        if (tokens.size() > 2)
            entry.Address = tokens[2];
        book.push_back(std::move(entry));
    }
    return book;
}

std::string AddressBookText(const CAddressArray& book)
{
    std::string text;
    for (const AddressEntry& entry : book)
        text += std::string(entry.Marked ? "y" : "n") + "=" + OneLine(entry.Name) + "=" + OneLine(entry.Address) +
                "\r\n";
    return text;
}

}  // namespace korvalin
