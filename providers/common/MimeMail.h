// Reading and writing Internet mail (RFC 5322 with MIME) for every plug-in.
//
// Reading is lenient: whatever bytes a server hands over give a result, a
// broken structure shows as much as can be recovered. Every text that comes
// out is UTF-8: header values with their encoded words and parameters
// decoded, bodies converted from the charset they name. Writing builds a
// complete outgoing message: plain text in UTF-8, non-ASCII header values
// encoded, lines short enough for any server.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace korvalin::mime {

// The header fields the program shows and matches, decoded to UTF-8.
struct MailHeaders {
    std::string From;        // "Name <address>" entries joined with ", "
    std::string To;
    std::string Cc;
    std::string Subject;
    std::string Date;        // the Date value as written, unfolded
    std::string MessageId;   // with its angle brackets, "" when none
    std::string InReplyTo;   // as MessageId
    std::string References;  // message ids with angle brackets, blank-separated
};

// One part of a mail that is not shown as text: an attachment, or an image
// or other resource the mail's HTML names by "cid:".
struct MailPart {
    std::string FileName;     // sanitised (SafeFileName); "" for a nameless part
    std::string ContentType;  // "type/subtype", lower case
    std::string ContentId;    // without angle brackets, "" when none
    std::string Data;         // the decoded bytes
    bool Listed = true;       // false for an inline resource of the HTML
};

struct ParsedMail {
    MailHeaders Headers;
    // The mail as one HTML text: plain text escaped in <pre>, HTML passed on
    // as the mail wrote it (the viewer sanitises it), forwarded mails inline.
    std::string Body;
    std::vector<MailPart> Parts;
};

// Parses a whole message (header block, blank line, body). Never fails.
ParsedMail ParseMail(std::string_view raw);

// The page for the host: the body and the parts in the form of MailPage.h.
std::string PageOf(const ParsedMail& mail);

// Parses a header block alone, such as the answer to TOP n 0.
MailHeaders ParseHeaders(std::string_view headerBlock);

// Decodes RFC 2047 encoded words of one unstructured header value.
std::string DecodeHeaderText(std::string_view value);

// A file name that is safe to offer for saving: the last path component,
// no control characters, no leading dots or blanks, at most 200 bytes; ""
// when nothing is left.
std::string SafeFileName(std::string_view name);

// "&", "<", ">" and '"' as HTML entities.
std::string EscapeHtml(std::string_view text);

// RFC 3676: joins the soft-broken lines of a format=flowed text and removes
// the space stuffing; delsp=yes also drops the space before each soft break.
std::string UnflowText(std::string_view text, bool delsp);

struct MailAddress {
    std::string Name;  // display name, UTF-8, may be empty
    std::string Address;
};

struct OutgoingMail {
    MailAddress From;
    std::vector<MailAddress> To;
    std::vector<MailAddress> Cc;
    std::string Subject;      // UTF-8
    std::string Text;         // UTF-8, any line ends
    std::time_t Date = 0;
    std::string InReplyTo;    // the original's Message-ID, "" when none
    std::string References;   // the original's References, "" when none
    bool EightBit = false;    // the server takes 8-bit bodies (8BITMIME)
};

struct ComposedMail {
    std::string Header;  // header lines, each ended with CR LF, no blank line
    std::string Body;    // the encoded body, lines ended with CR LF
    std::string MessageId;
};

// The complete outgoing message: Date, From, To, Cc, Subject, Message-ID (on
// the sender's domain), In-Reply-To and References when given, MIME-Version,
// and a text/plain UTF-8 body in quoted-printable (8bit when allowed and no
// line is longer than 998 octets).
ComposedMail ComposeMail(const OutgoingMail& mail);

}  // namespace korvalin::mime
