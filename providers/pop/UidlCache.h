// The file in which a POP3 account keeps what its checks learnt of each mail
// (by the server's UIDL), so that the first check after a restart fetches no
// header it fetched before. Line based: a first line naming the format, the
// mailbox key (server:port|user) it belongs to, then one line per mail with
// UIDL, From, Subject, Date and Message-ID separated by tabs; a backslash,
// tab, CR or LF inside a value is written as \\, \t, \r or \n.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korvalin::pop {

inline constexpr const char* kUidlCacheFile = "uidl.cache";

struct CachedMail {
    std::string Uidl, From, Subject, Date, MessageId;
};

std::string WriteUidlCache(const std::string& key, const std::vector<CachedMail>& mails);

// The mails of a cache written for key. False, with why, for a damaged file,
// a file of another format or one written for another server or login: the
// caller then starts from nothing.
bool ReadUidlCache(std::string_view text, const std::string& key, std::vector<CachedMail>& mails, std::string& why);

// "<dataRoot>/Accounts/<login>.POPMail/uidl.cache", or empty when login
// cannot name an account folder.
std::filesystem::path UidlCachePath(const std::filesystem::path& dataRoot, const std::string& login);

}  // namespace korvalin::pop
