#include "RecipientExpansion.h"

#include "AddressBooks.h"
#include "Engine.h"

#include <optional>
#include <strings.h>
#include <vector>

namespace korvalin {
namespace {

void SplitAtBlanks(const std::string& item, std::vector<std::string>& tokens)
{
    size_t pos = 0;
    while (pos < item.size()) {
        size_t start = item.find_first_not_of(" \t", pos);
        if (start == std::string::npos)
            break;
        size_t end = item.find_first_of(" \t", start);
        tokens.push_back(item.substr(start, end == std::string::npos ? std::string::npos : end - start));
        pos = end == std::string::npos ? item.size() : end;
    }
}

// Whether item is a display name with an address in angle brackets
// ("Ann Lee <ann@example.org>"), which stays one recipient.
bool IsNamedAddress(const std::string& item)
{
    const size_t open = item.find('<');
    const size_t close = item.find('>', open == std::string::npos ? 0 : open);
    return open != std::string::npos && close != std::string::npos && item.find('@', open) < close;
}

// The recipients of text: split at "," and ";" (outside quotes and angle
// brackets), then at blanks, except where a piece names an address in angle
// brackets, which keeps its display name. Unbalanced quotes or brackets
// make no names: then every ",", ";" and blank separates.
std::vector<std::string> Tokens(const std::string& text)
{
    std::vector<std::string> tokens;
    std::string item;
    bool quoted = false;
    bool bracketed = false;
    auto flush = [&] {
        if (IsNamedAddress(item)) {
            const size_t start = item.find_first_not_of(" \t");
            const size_t end = item.find_last_not_of(" \t");
            tokens.push_back(item.substr(start, end - start + 1));
        } else {
            SplitAtBlanks(item, tokens);
        }
        item.clear();
    };
    for (char c : text) {
        if (c == '"' && !bracketed)
            quoted = !quoted;
        else if (c == '<' && !quoted)
            bracketed = true;
        else if (c == '>' && !quoted)
            bracketed = false;
        if ((c == ',' || c == ';') && !quoted && !bracketed) {
            flush();
            continue;
        }
        item += c;
    }
    if (quoted || bracketed) {
        tokens.clear();
        std::string plain = text;
        for (char& c : plain)
            c = c == ',' || c == ';' ? ' ' : c;
        SplitAtBlanks(plain, tokens);
        return tokens;
    }
    flush();
    return tokens;
}

class Expander {
public:
    Expander(Engine& engine, AddressBooks& books, CAccount& sender) : sender_(sender)
    {
        books.EnsureLoaded(sender);
        for (const auto& account : engine.Accounts().AllAccounts()) {
            if (account.get() == &sender)
                continue;
            books.EnsureLoaded(*account);
            others_.push_back(account);
        }
    }

    // The expansion of text, or nothing when it went deeper than allowed.
    std::optional<std::string> Expand(const std::string& text, int depth) const
    {
        std::string result;
        for (const std::string& token : Tokens(text)) {
            std::optional<std::string> expanded = ExpandToken(token, depth);
            if (!expanded)
                return std::nullopt;
            if (expanded->empty())
                continue;
            result += (result.empty() ? "" : ",") + *expanded;
        }
        return result;
    }

private:
    std::optional<std::string> ExpandToken(const std::string& token, int depth) const
    {
        if (token.find('@') != std::string::npos)
            return token;
        std::optional<std::string> address = Lookup(token);
        if (!address)
            return token;
        if (address->find('@') != std::string::npos)
            return address;
        if (depth >= kRecipientExpansionDepth || ++lookups_ > kMaxLookups)
            return std::nullopt;
        return Expand(*address, depth + 1);
    }

    std::optional<std::string> Lookup(const std::string& name) const
    {
        if (auto found = Find(sender_, name))
            return found;
        for (const auto& account : others_) {
            if (auto found = Find(*account, name))
                return found;
        }
        return std::nullopt;
    }

    static std::optional<std::string> Find(const CAccount& account, const std::string& name)
    {
        for (const AddressEntry& entry : account.AddressBook()) {
            if (strcasecmp(entry.Name.c_str(), name.c_str()) == 0)
                return entry.Address;
        }
        return std::nullopt;
    }

    // Names that each stand for several names could multiply without end.
    static constexpr int kMaxLookups = 10000;

    CAccount& sender_;
    std::vector<std::shared_ptr<CAccount>> others_;
    mutable int lookups_ = 0;
};

}  // namespace

std::string ExpandRecipients(Engine& engine, AddressBooks& books, CAccount& sender, const std::string& text)
{
    Expander expander(engine, books, sender);
    std::string result;
    for (const std::string& token : Tokens(text)) {
        std::optional<std::string> expanded = expander.Expand(token, 0);
        if (!expanded) {
            engine.Log().Warning(sender, "The name %s stands for too many names in turn (a cycle?); it stays as typed",
                                 token.c_str());
            expanded = token;
        }
        if (!expanded->empty())
            result += (result.empty() ? "" : ",") + *expanded;
    }
    return result;
}

}  // namespace korvalin
