// An account's filter file as read back from the disk: the filters read
// survive being written and read again (a value is written up to a line
// break inside it, as the file format demands).
#include "FilterFile.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string OneLine(const std::string& value)
{
    return value.substr(0, value.find_first_of("\r\n"));
}

bool SameRule(const korvalin::Filter& read, const korvalin::Filter& again)
{
    return OneLine(read.NAME) == again.NAME && read.NEW == again.NEW && read.FROMPRES == again.FROMPRES &&
           OneLine(read.FROM) == again.FROM && read.SUBJPRES == again.SUBJPRES &&
           OneLine(read.SUBJECT) == again.SUBJECT && OneLine(read.FORWARD) == again.FORWARD &&
           OneLine(read.REPLY) == again.REPLY && read.DELETE == again.DELETE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace korvalin;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FilterList filters = ParseFilterFile(text);
    FilterList again = ParseFilterFile(FilterFileText(filters));
    KORVALIN_FUZZ_CHECK(again.size() == filters.size());
    for (size_t i = 0; i < filters.size(); ++i)
        KORVALIN_FUZZ_CHECK(SameRule(filters[i], again[i]));
    SummaryEntry entry;
    entry.From = "Ann <ann@example.com>";
    entry.Subject = "Hello";
    entry.New = true;
    (void)FirstMatchingFilter(filters, entry);
    (void)FilterFilePath("/nowhere", std::string(text), "popgate");
    return 0;
}
