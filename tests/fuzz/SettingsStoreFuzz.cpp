// The per-user settings store as read back from the disk, and the values
// kept in it: the settings record and the account lists. A store that was
// read is written and read again unchanged.
#include "AccountList.h"
#include "FuzzCheck.h"
#include "UserSettings.h"
#include "UserStore.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace korvalin;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::optional<StoreValues> values = DecodeStore(text, &error);
    if (!values) {
        KORVALIN_FUZZ_CHECK(!error.empty());
        // The bytes alone, as one stored value of each kind.
        values = StoreValues{{"Dravnek", text}, {"popgate", text}};
    } else {
        std::optional<StoreValues> again = DecodeStore(EncodeStore(*values), &error);
        KORVALIN_FUZZ_CHECK(again && *again == *values);
    }
    for (const auto& [name, bytes] : *values) {
        DecodedAccountList list = DecodeAccountList(bytes);
        std::string encoded;
        for (const StoredAccount& account : list.accounts)
            encoded += EncodeAccountRecord(account);
        DecodedAccountList again = DecodeAccountList(encoded);
        KORVALIN_FUZZ_CHECK(!again.damaged && again.accounts.size() == list.accounts.size());

        UserSettings settings;
        settings.Overlay(bytes);
        (void)settings.Signature();
        (void)settings.ReplyPrefix();
        int minutes = settings.CheckIntervalMinutes();
        KORVALIN_FUZZ_CHECK(minutes >= 1 && minutes <= 60);
        minutes = settings.LoginAbortMinutes();
        KORVALIN_FUZZ_CHECK(minutes >= 1 && minutes <= 60);
    }
    return 0;
}
