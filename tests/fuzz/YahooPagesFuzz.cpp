// Yahoo Mail pages fed to a whole provider session.
#include "YahooMail.h"
#include "PageFeed.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    korvalin::fuzz::RunSessionOf<CYahooMail>({reinterpret_cast<const char*>(data), size});
    return 0;
}
