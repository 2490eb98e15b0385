#include "ImapItems.h"

#include "ImapUtf7.h"

#include <cctype>

namespace korvalin::imap {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool ParseNumber(std::string_view text, uint64_t& value)
{
    ImapValue atom;
    atom.text.assign(text);
    return atom.Number(value);
}

// The last part of a hierarchical name, for the usual-name guess.
std::string_view LeafName(std::string_view name, const std::string& delimiter)
{
    if (delimiter.size() == 1) {
        size_t cut = name.rfind(delimiter[0]);
        if (cut != std::string_view::npos)
            return name.substr(cut + 1);
    }
    return name;
}

}  // namespace

bool TakeListEntry(const ImapResponse& response, MailboxInfo& info)
{
    if (response.kind != ImapResponse::Untagged || (response.name != "LIST" && response.name != "XLIST"))
        return false;
    const auto& v = response.values;
    if (v.size() < 3 || v[0].kind != ImapValue::List || (v[2].kind != ImapValue::Atom && v[2].kind != ImapValue::String))
        return false;
    info = MailboxInfo{};
    info.wireName = v[2].text;
    if (info.wireName.empty())
        return false;
    info.inbox = EqualNoCase(info.wireName, "INBOX");
    bool special = false;
    for (const ImapValue& flag : v[0].items) {
        if (flag.IsAtom("\\Noselect") || flag.IsAtom("\\NonExistent"))
            info.noSelect = true;
        else if (flag.IsAtom("\\Sent"))
            info.sent = special = true;
        else if (flag.IsAtom("\\Trash"))
            info.trash = special = true;
        else if (flag.IsAtom("\\Drafts"))
            info.drafts = special = true;
        else if (flag.IsAtom("\\Junk"))
            info.junk = special = true;
    }
    const std::string delimiter = v[1].kind == ImapValue::Nil ? std::string() : v[1].Text();
    info.displayName = DecodeMailboxName(info.wireName);
    if (!special) {
        std::string_view leaf = LeafName(info.wireName, delimiter);
        info.sent = EqualNoCase(leaf, "Sent") || EqualNoCase(leaf, "Sent Items") || EqualNoCase(leaf, "Sent Messages");
        info.trash = EqualNoCase(leaf, "Trash") || EqualNoCase(leaf, "Deleted Items") ||
                     EqualNoCase(leaf, "Deleted Messages");
        info.drafts = EqualNoCase(leaf, "Drafts");
        info.junk = EqualNoCase(leaf, "Junk") || EqualNoCase(leaf, "Spam");
    }
    return true;
}

bool TakeFetch(const ImapResponse& response, FetchItems& items)
{
    if (response.kind != ImapResponse::Untagged || response.name != "FETCH" || !response.hasNumber ||
        response.values.size() != 1 || response.values[0].kind != ImapValue::List)
        return false;
    items = FetchItems{};
    const auto& list = response.values[0].items;
    for (size_t i = 0; i + 1 < list.size(); i += 2) {
        const ImapValue& name = list[i];
        const ImapValue& value = list[i + 1];
        if (name.kind != ImapValue::Atom)
            return false;
        if (name.IsAtom("UID")) {
            if (!value.Number(items.uid))
                return false;
        } else if (name.IsAtom("FLAGS")) {
            if (value.kind != ImapValue::List)
                return false;
            items.hasFlags = true;
            for (const ImapValue& flag : value.items) {
                items.seen = items.seen || flag.IsAtom("\\Seen");
                items.deleted = items.deleted || flag.IsAtom("\\Deleted");
            }
        } else if (name.IsAtom("RFC822.SIZE")) {
            items.hasSize = value.Number(items.size);
        } else if (name.IsAtom("MODSEQ")) {
            if (value.kind == ImapValue::List && !value.items.empty())
                value.items[0].Number(items.modseq);
        } else if (StartsNoCase(name.text, "BODY[HEADER") || EqualNoCase(name.text, "RFC822.HEADER")) {
            items.hasHeader = true;
            items.header = value.Text();
        } else if (EqualNoCase(name.text, "BODY[]") || EqualNoCase(name.text, "RFC822")) {
            items.hasBody = true;
            items.body = value.Text();
        }
    }
    return items.uid != 0;
}

void TakeMailboxState(const ImapResponse& response, MailboxState& state)
{
    if (response.kind != ImapResponse::Untagged)
        return;
    if (response.name == "EXISTS" && response.hasNumber) {
        state.exists = response.number;
        return;
    }
    if (response.name != "OK")
        return;
    uint64_t value = 0;
    if (!ParseNumber(response.codeArguments, value))
        return;
    if (response.code == "UIDVALIDITY")
        state.uidValidity = value;
    else if (response.code == "UIDNEXT")
        state.uidNext = value;
    else if (response.code == "HIGHESTMODSEQ")
        state.highestModseq = value;
}

std::string MakeLocator(const std::string& wireName, uint64_t uidValidity, uint64_t uid)
{
    return "imap:" + std::to_string(uidValidity) + ":" + std::to_string(uid) + ":" + wireName;
}

bool SplitLocator(std::string_view locator, std::string& wireName, uint64_t& uidValidity, uint64_t& uid)
{
    if (locator.substr(0, 5) != "imap:")
        return false;
    locator.remove_prefix(5);
    size_t first = locator.find(':');
    if (first == std::string_view::npos)
        return false;
    size_t second = locator.find(':', first + 1);
    if (second == std::string_view::npos)
        return false;
    if (!ParseNumber(locator.substr(0, first), uidValidity) ||
        !ParseNumber(locator.substr(first + 1, second - first - 1), uid) || uid == 0)
        return false;
    wireName.assign(locator.substr(second + 1));
    return !wireName.empty();
}

}  // namespace korvalin::imap
