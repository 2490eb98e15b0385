// An account's "Sound.kvx" as read back from the disk: what was read is
// written again line for line.
#include "AccountSettingsFile.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string OneLine(const std::string& value)
{
    return value.substr(0, value.find_first_of("\r\n"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace korvalin;
    const std::string text(reinterpret_cast<const char*>(data), size);
    AccountFileSettings read = ParseAccountSettings(text);

    PopSettings pop;
    pop.emailAddress = read.emailAddress.value_or("");
    pop.displayName = read.displayName.value_or("");
    pop.smtpServer = read.smtpServer.value_or("");
    pop.pop3Server = read.pop3Server.value_or("");
    pop.deleteFromServer = read.deleteFromServer.value_or(false);
    AccountFileSettings again = ParseAccountSettings(FormatAccountSettings(read.soundPath, pop, true));
    KORVALIN_FUZZ_CHECK(again.soundPath == OneLine(read.soundPath));
    KORVALIN_FUZZ_CHECK(again.emailAddress == OneLine(pop.emailAddress));
    KORVALIN_FUZZ_CHECK(again.displayName == OneLine(pop.displayName));
    KORVALIN_FUZZ_CHECK(again.smtpServer == OneLine(pop.smtpServer));
    KORVALIN_FUZZ_CHECK(again.pop3Server == OneLine(pop.pop3Server));
    KORVALIN_FUZZ_CHECK(again.deleteFromServer == pop.deleteFromServer);
    (void)PopAccountLine("someone", pop);
    return 0;
}
