#include "UidlCache.h"

#include <unordered_set>

namespace korvalin::pop {

namespace {

constexpr std::string_view kFirstLine = "korvalin uidl cache 1";

void AppendEscaped(std::string& out, std::string_view value)
{
    for (char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
}

bool Unescape(std::string_view text, std::string& value)
{
    value.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r')
            return false;
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case '\\': value += '\\'; break;
        case 't': value += '\t'; break;
        case 'r': value += '\r'; break;
        case 'n': value += '\n'; break;
        default: return false;
        }
    }
    return true;
}

// The next line without its LF; false at the end or on a last line without LF.
bool NextLine(std::string_view text, size_t& pos, std::string_view& line)
{
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
        return false;
    line = text.substr(pos, end - pos);
    pos = end + 1;
    return true;
}

}  // namespace

std::string WriteUidlCache(const std::string& key, const std::vector<CachedMail>& mails)
{
    std::string out(kFirstLine);
    out += '\n';
    AppendEscaped(out, key);
    out += '\n';
    for (const CachedMail& mail : mails) {
        const std::string* fields[] = {&mail.Uidl, &mail.From, &mail.Subject, &mail.Date, &mail.MessageId};
        for (size_t i = 0; i < 5; ++i) {
            if (i > 0)
                out += '\t';
            AppendEscaped(out, *fields[i]);
        }
        out += '\n';
    }
    return out;
}

bool ReadUidlCache(std::string_view text, const std::string& key, std::vector<CachedMail>& mails, std::string& why)
{
    mails.clear();
    size_t pos = 0;
    std::string_view line;
    if (!NextLine(text, pos, line) || line != kFirstLine) {
        why = "not a cache of unique ids";
        return false;
    }
    std::string storedKey;
    if (!NextLine(text, pos, line) || !Unescape(line, storedKey)) {
        why = "damaged at line 2";
        return false;
    }
    if (storedKey != key) {
        why = "written for another server or login";
        return false;
    }
    std::unordered_set<std::string> seen;
    for (int number = 3; pos < text.size(); ++number) {
        CachedMail mail;
        std::string* fields[] = {&mail.Uidl, &mail.From, &mail.Subject, &mail.Date, &mail.MessageId};
        bool ok = NextLine(text, pos, line);
        size_t start = 0;
        for (size_t i = 0; ok && i < 5; ++i) {
            size_t tab = line.find('\t', start);
            if ((tab == std::string_view::npos) != (i == 4)) {
                ok = false;
                break;
            }
            size_t end = i == 4 ? line.size() : tab;
            ok = Unescape(line.substr(start, end - start), *fields[i]);
            start = end + 1;
        }
        ok = ok && !mail.Uidl.empty() && !mail.MessageId.empty() && seen.insert(mail.Uidl).second;
        if (!ok) {
            why = "damaged at line " + std::to_string(number);
            mails.clear();
            return false;
        }
        mails.push_back(std::move(mail));
    }
    return true;
}

std::filesystem::path UidlCachePath(const std::filesystem::path& dataRoot, const std::string& login)
{
    if (login.empty() || login.find('/') != std::string::npos || login.find("..") != std::string::npos ||
        login.find('\0') != std::string::npos)
        return {};
    return dataRoot / "Accounts" / (login + ".POPMail") / kUidlCacheFile;
}

}  // namespace korvalin::pop
