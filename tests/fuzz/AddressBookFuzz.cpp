// An account's address book file as read back from the disk: writing what
// was read and reading it again gives the same book.
#include "AddressBookFile.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace korvalin;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CAddressArray book = ParseAddressBook(text);
    CAddressArray again = ParseAddressBook(AddressBookText(book));
    CAddressArray third = ParseAddressBook(AddressBookText(again));
    // One pass may lose what the format cannot hold ("=" in a name); after
    // that the book stays as it is.
    KORVALIN_FUZZ_CHECK(third.size() == again.size());
    for (size_t i = 0; i < again.size(); ++i)
        KORVALIN_FUZZ_CHECK(third[i].Marked == again[i].Marked && third[i].Name == again[i].Name &&
                            third[i].Address == again[i].Address);
    return 0;
}
