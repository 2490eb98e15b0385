// hosts.conf as a person (or anything else) may have written it.
#include "FuzzCheck.h"
#include "HostsConfig.h"
#include "PageText.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const auto& [key, value] : korvalin::ParseHostsText(text)) {
        KORVALIN_FUZZ_CHECK(korvalin::Trim(key, korvalin::kBlanksAndLineEnds) == key &&
                            korvalin::Trim(value, korvalin::kBlanksAndLineEnds) == value);
        (void)korvalin::HttpBase(value);
        (void)korvalin::DefaultHost(key);
    }
    return 0;
}
