// GoPlay pages fed to a whole provider session.
#include "Goplay.h"
#include "PageFeed.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    korvalin::fuzz::RunSessionOf<CGoplay>({reinterpret_cast<const char*>(data), size});
    return 0;
}
