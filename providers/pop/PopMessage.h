// One mail as the POP3/SMTP plug-in handles it: the raw header block and body
// of a fetched mail with the fields cut out of it, or an outgoing mail with
// its recipients and composed header block. Never handed to the host.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

class CPopMessage {
public:
    struct Recipient {
        std::string Address;
        std::string Name;  // the text before "<", as written (may be empty)
        bool Hidden = false;  // a BCC recipient: RCPT only, in no header
        bool Copy = false;    // a CC recipient: in the Cc header
    };

    virtual ~CPopMessage() = default;

    std::string From;
    std::string Subject;
    std::string Header;  // header lines joined with CR LF, no CR LF after the last
    std::string Date;    // summary form: year "/" two-digit month "/" day
    std::string Body;
    std::string MessageId;
    std::vector<Recipient> Recipients;

    // Outgoing only: the sender's display name, the Message-IDs of the mail
    // answered (the thread before it, then the mail itself), and whether
    // the server takes 8-bit bodies.
    std::string FromName;
    std::string InReplyTo;
    std::string References;
    bool EightBit = false;

    // After TOP: From (required), Date (required), Subject, Message-ID; the
    // parse stops at the first missing required field. From and Subject are
    // decoded to UTF-8 (encoded words, charsets).
    void ParseSummaryHeader();
    // After RETR: From (required), To (required, into Recipients), Subject,
    // Message-ID (required), CC (into Recipients); decoded as above.
    void ParseMailHeader();

    // Adds the addresses of a list such as "Ann <a@x>, b@y; \"Doe, J\" <j@z>".
    // Entries are separated by "," or ";" outside double quotes and angle
    // brackets; an entry with "<" has its name before it and its address up
    // to the next ">"; an entry without "<" is all address. Empty entries
    // are skipped; an entry with "<" but no ">" ends the list.
    void AddRecipients(std::string_view list, bool hidden = false);

    // The outgoing MIME message: Header becomes its header block (Date,
    // From, To, Cc, Subject, Message-ID, In-Reply-To and References when
    // known, MIME-Version, Content-Type, Content-Transfer-Encoding), each
    // line ended with CR LF, and Body its encoded text. To lists the
    // recipients that are neither hidden nor copies. False when the message
    // has no recipient at all.
    bool ComposeHeader(std::time_t now);
    bool ComposeHeader() { return ComposeHeader(std::time(nullptr)); }

    // Body line ends become CR LF, and every line that begins with "." gets
    // one more "." (SMTP transparency).
    void StuffDots();

    // The value of the header field whose upper-case marker (such as "FROM: ")
    // starts a header line, unfolded; false when there is none.
    bool FindField(std::string_view marker, std::string& value) const;
    // The Message-ID of the header, whatever other fields are missing; "" when none.
    std::string HeaderMessageId() const;
};

namespace korvalin::pop {

// "Mon, 7 Dec 1998 10:20:30 +0000" or "7 Dec 1998 10:20:30 +0000" -> "1998/12/7".
// A month name other than "Jan" .. "Dec" is kept as written (without the
// slash after it).
std::string SummaryDate(std::string_view dateValue);

// "Mon, 07 Dec 1998 10:20:30 +0100": English day and month names whatever the
// locale, four-digit year, numeric zone of the local time.
std::string FormatMailDate(std::time_t when);

// A stable stand-in for a missing Message-ID: a digest of the header block.
std::string HeaderDigestId(std::string_view header);

// The thread of a reply as the host hands it over in the Extra text of a
// POP mail: Message-IDs in angle brackets separated by blanks, the mail
// answered last. It becomes InReplyTo and References; ids this plug-in made
// up itself (header digests) and words without "@" in brackets are dropped.
void TakeThread(std::string_view extra, CPopMessage& message);

// Bare CR and bare LF become CR LF.
std::string NormalizeLineEnds(std::string_view text);

}  // namespace korvalin::pop
