#include "RecipientExpansion.h"

#include "AddressBooks.h"
#include "Engine.h"

#include <optional>
#include <strings.h>
#include <vector>

namespace korvalin {
namespace {

std::vector<std::string> Tokens(const std::string& text)
{
    std::vector<std::string> tokens;
    size_t pos = 0;
    const char* separators = ",; ";
    while (pos < text.size()) {
        size_t start = text.find_first_not_of(separators, pos);
        if (start == std::string::npos)
            break;
        size_t end = text.find_first_of(separators, start);
        tokens.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        pos = end == std::string::npos ? text.size() : end;
    }
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
