// A fetched mail's header block and body: the summary and mail header
// parses, field lookup, recipient lists, dates, the digest stand-in for a
// missing Message-ID and the line end and dot handling of a reply.
#include "FuzzCheck.h"
#include "MailSession.h"
#include "MimeMail.h"
#include "PopMessage.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace korvalin::pop;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t split = text.find("\r\n\r\n");
    const std::string header = text.substr(0, split);
    const std::string body = split == std::string::npos ? std::string() : text.substr(split + 4);

    CPopMessage summary;
    summary.Header = header;
    summary.ParseSummaryHeader();

    CPopMessage mail;
    mail.Header = header;
    mail.Body = body;
    mail.ParseMailHeader();
    std::string value;
    (void)mail.FindField("DATE: ", value);
    (void)mail.HeaderMessageId();

    CPopMessage list;
    list.AddRecipients(header);
    list.AddRecipients(body, true);

    (void)SummaryDate(header);
    (void)HeaderDigestId(header);
    (void)korvalin::mime::EscapeHtml(body);
    std::string command = korvalin::CommandLine(header);
    KORVALIN_FUZZ_CHECK(command.size() >= 2 && command.find_first_of("\r\n") == command.size() - 2);

    std::string normal = NormalizeLineEnds(body);
    for (size_t at = normal.find_first_of("\r\n"); at != std::string::npos; at = normal.find_first_of("\r\n", at + 2))
        KORVALIN_FUZZ_CHECK(normal.compare(at, 2, "\r\n") == 0);
    mail.StuffDots();
    return 0;
}
