#include "AccountList.h"

namespace korvalin {
namespace {

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    bool AtEnd() const { return at_ >= bytes_.size(); }
    bool Text(std::string& out)
    {
        size_t end = bytes_.find('\0', at_);
        if (end == std::string::npos)
            return false;
        out = bytes_.substr(at_, end - at_);
        at_ = end + 1;
        return true;
    }
    bool Byte(uint8_t& out)
    {
        if (at_ >= bytes_.size())
            return false;
        out = static_cast<uint8_t>(bytes_[at_++]);
        return true;
    }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

}  // namespace

std::string EncodeAccountRecord(const StoredAccount& account)
{
    std::string record = account.login + '\0';
    record += static_cast<char>(account.hasPassword ? 1 : 0);
    if (account.hasPassword)
        record += account.password + '\0';
    record += static_cast<char>(account.savePassword ? 1 : 0);
    record += static_cast<char>(account.folderMask & 0xff);
    record += static_cast<char>(account.folderMask >> 8);
    return record;
}

DecodedAccountList DecodeAccountList(const std::string& value)
{
    DecodedAccountList result;
    Reader reader(value);
    while (!reader.AtEnd()) {
        StoredAccount account;
        uint8_t hasPassword = 0, savePassword = 0, maskLow = 0, maskHigh = 0;
        // A has-password byte other than 1 means "no password".
        if (!reader.Text(account.login) || !reader.Byte(hasPassword) ||
            (hasPassword == 1 && !reader.Text(account.password)) || !reader.Byte(savePassword) ||
            !reader.Byte(maskLow) || !reader.Byte(maskHigh)) {
            result.damaged = true;
            result.why = "record " + std::to_string(result.accounts.size() + 1) + " is incomplete or malformed";
            break;
        }
        account.hasPassword = hasPassword == 1;
        account.savePassword = savePassword != 0;
        account.folderMask = static_cast<uint16_t>(maskLow | (maskHigh << 8));
        result.accounts.push_back(std::move(account));
    }
    return result;
}

}  // namespace korvalin
