// A folder's summary file as read back from the disk: whatever was read
// survives being written and read again unchanged.
#include "FuzzCheck.h"
#include "SummaryFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool SameStored(const SummaryEntry& a, const SummaryEntry& b)
{
    return a.Cache == b.Cache && a.New == b.New && a.MessageId == b.MessageId && a.From == b.From &&
           a.Subject == b.Subject && a.Message.From == b.Message.From && a.Message.To == b.Message.To &&
           a.Message.CC == b.Message.CC && a.Message.Subject == b.Message.Subject;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<SummaryEntry> entries = korvalin::ParseSummaryFile(text);
    std::vector<SummaryEntry> kept;
    for (const SummaryEntry& entry : entries)
        if (!entry.Cache.empty())
            kept.push_back(entry);
    std::vector<SummaryEntry> again = korvalin::ParseSummaryFile(korvalin::FormatSummaryFile(entries));
    KORVALIN_FUZZ_CHECK(again.size() == kept.size());
    for (size_t i = 0; i < kept.size(); ++i)
        KORVALIN_FUZZ_CHECK(SameStored(kept[i], again[i]));
    (void)korvalin::SummaryFilePath("/nowhere", text);
    return 0;
}
