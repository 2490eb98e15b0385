// Fuzz target: a received message through the MIME unit (headers, body,
// parts, the page written for the host) and a page read back from the cache.
#include "FuzzCheck.h"
#include "MailPage.h"
#include "MimeMail.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace korvalin::mime;
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const ParsedMail mail = ParseMail(raw);
    const std::string page = PageOf(mail);
    // What the plug-in wrote, the viewer reads back part for part.
    const ReadPageResult back = ReadPage(page);
    // A body cannot forge parts: only those after the page's last marker count.
    KORVALIN_FUZZ_CHECK(back.Parts.size() <= mail.Parts.size());
    (void)ParseHeaders(raw.substr(0, raw.find("\r\n\r\n")));
    (void)DecodeHeaderText(raw.substr(0, 4096));
    (void)ReadPage(raw);
    return 0;
}
