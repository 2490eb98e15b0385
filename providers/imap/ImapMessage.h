// Turns what IMAP hands over into what the program shows: the summary
// fields of a header block, and a whole message into the mail's fields and
// its viewer body.
#pragma once

#include "MailProvider.h"

#include <string>
#include <string_view>

namespace korvalin::imap {

struct HeaderSummary {
    std::string From, Subject, Date, MessageId;
};
// From, Subject (decoded), Date in summary form ("1998/12/7"), Message-ID.
// Plain header blocks (ASCII, unfolded, no encoded words, simple addresses)
// are read directly; every other goes through the MIME unit.
HeaderSummary SummarizeHeader(std::string_view header);
// The direct reading alone: false when the block is not plain.
bool SummarizePlainHeader(std::string_view header, HeaderSummary& summary);
// The MIME unit's reading alone.
HeaderSummary SummarizeHeaderWithMime(std::string_view header);

// Fills From, To, CC and Subject and appends the viewer body; false when the
// message has no header at all.
bool RenderMail(std::string_view raw, std::string& body, CMailMessage& msg);

}  // namespace korvalin::imap
