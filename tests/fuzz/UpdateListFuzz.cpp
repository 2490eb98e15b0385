// The vendor's update list as downloaded: whatever it says, only plain
// plug-in file names are ever planned for download.
#include "FuzzCheck.h"
#include "UpdateList.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace korvalin;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<UpdateFile> files = {
        {"korvalin", 24, true},
        {"popgate.so", 3, false},
        {"hotgate.so", 1, false},
        {"hidden.so", 1, true},
    };
    UpdatePlan plan = PlanUpdate(files, text);
    for (const std::string& name : plan.downloads) {
        KORVALIN_FUZZ_CHECK(IsUpdatableFileName(name));
        KORVALIN_FUZZ_CHECK(name != "korvalin" && name != "hidden.so");
    }
    return 0;
}
