// Fuzz target: one IMAP server response in wire form, through the parser
// and everything the provider takes out of a parsed response.
#include "ImapItems.h"
#include "ImapResponse.h"
#include "ImapUtf7.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace korvalin::imap;
    const std::string_view wire(reinterpret_cast<const char*>(data), size);
    TrailingLiteral(wire, 1u << 20);
    ImapResponse response;
    std::string error;
    if (ParseResponse(wire, response, error)) {
        MailboxInfo info;
        TakeListEntry(response, info);
        FetchItems items;
        TakeFetch(response, items);
        MailboxState state;
        TakeMailboxState(response, state);
        if (!response.values.empty())
            DecodeMailboxName(response.values.back().Text());
    }
    std::string name;
    uint64_t validity = 0, uid = 0;
    SplitLocator(wire, name, validity, uid);
    DecodeMailboxName(wire);
    return 0;
}
