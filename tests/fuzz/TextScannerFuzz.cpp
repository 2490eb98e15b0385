// The HTML marker scanner, the page text helpers, form value coding, the
// line reader of HTTP answers and host:port splitting: markers, offsets and
// line sizes taken from the input, the rest of it as the page.
#include "FormEncoding.h"
#include "FuzzCheck.h"
#include "PageText.h"
#include "TcpStream.h"
#include "TextScanner.h"
#include "WebRequest.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

using namespace korvalin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string marker = input.ConsumeRandomLengthString(16);
    const std::string other = input.ConsumeRandomLengthString(16);
    const int position = input.ConsumeIntegralInRange<int>(-2, 4096);
    const int start = input.ConsumeIntegralInRange<int>(-2, 4096);
    const int end = input.ConsumeIntegralInRange<int>(-2, 4096);
    const size_t lineSize = input.ConsumeIntegralInRange<size_t>(0, 300);
    const bool dropLineEnd = input.ConsumeBool();
    const std::string text = input.ConsumeRemainingBytesAsString();

    CTextScanner scanner;
    int found = scanner.Find(text, marker);
    KORVALIN_FUZZ_CHECK(found == -1 || text.compare(static_cast<size_t>(found), marker.size(), marker) == 0);
    int after = scanner.FindAfter(text, marker, position);
    KORVALIN_FUZZ_CHECK(after == -1 || (after > position && text.compare(static_cast<size_t>(after), marker.size(), marker) == 0));
    const std::string& cut = scanner.Extract(text, start, end);
    KORVALIN_FUZZ_CHECK(cut.size() <= text.size());
    (void)scanner.StripTags(text);

    (void)TextBetween(text, marker, other);
    std::string trimmed = Trim(text);
    KORVALIN_FUZZ_CHECK(trimmed.size() <= text.size());
    (void)TrimLeft(text);
    (void)ReplaceAll(text, marker, other);
    (void)DecodeBrackets(text);
    KORVALIN_FUZZ_CHECK(WithoutLineEnd(text).size() <= text.size());

    KORVALIN_FUZZ_CHECK(DecodeFormValue(EncodeFormValue(text)) == text);
    (void)DecodeFormValue(text);

    CWebRequest request;
    request.AttachResponse(&text);
    std::string line;
    size_t consumed = 0;
    while (size_t step = request.ReadLine(line, dropLineEnd, lineSize)) {
        KORVALIN_FUZZ_CHECK(line.size() <= step && (lineSize == 0 || line.size() < lineSize));
        consumed += step;
    }
    KORVALIN_FUZZ_CHECK(lineSize < 2 || consumed == text.size());
    (void)request.TextAfterLt(text);

    std::string host;
    int port = 0;
    if (SplitHostPort(text, 110, host, port))
        KORVALIN_FUZZ_CHECK(!host.empty() && port >= 1 && port <= 65535);
    return 0;
}
