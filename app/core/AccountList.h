// The stored account list of one provider: records one after another, no
// count, no terminator. A record is the login (NUL-terminated), a
// has-password byte, the password (NUL-terminated, only when that byte is 1),
// a save-password byte and the folder mask (2 bytes, little-endian).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvalin {

struct StoredAccount {
    std::string login;
    bool hasPassword = false;
    std::string password;  // only when hasPassword
    bool savePassword = false;
    uint16_t folderMask = 1;
};

std::string EncodeAccountRecord(const StoredAccount& account);

struct DecodedAccountList {
    std::vector<StoredAccount> accounts;  // the records read before any damage
    bool damaged = false;
    std::string why;  // when damaged
};

DecodedAccountList DecodeAccountList(const std::string& value);

}  // namespace korvalin
