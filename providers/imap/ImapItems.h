// What the provider takes out of IMAP responses: a LIST entry, the items
// of one FETCH, a mailbox's state from SELECT/EXAMINE, and the mail locator.
#pragma once

#include "ImapResponse.h"

#include <cstdint>
#include <string>

namespace korvalin::imap {

struct MailboxInfo {
    std::string wireName;     // as the server names it (modified UTF-7)
    std::string displayName;  // UTF-8
    bool noSelect = false;
    bool inbox = false;
    // Special use, from the LIST flags or, failing those, the usual names.
    bool sent = false, trash = false, drafts = false, junk = false;
};
// "* LIST (flags) delimiter name"; false for any other response.
bool TakeListEntry(const ImapResponse& response, MailboxInfo& info);

struct FetchItems {
    uint64_t uid = 0;
    bool hasFlags = false;
    bool seen = false;
    bool deleted = false;
    bool hasSize = false;
    uint64_t size = 0;
    bool hasHeader = false;
    std::string header;  // BODY[HEADER...]
    bool hasBody = false;
    std::string body;    // BODY[]
    uint64_t modseq = 0;
};
// "* n FETCH (...)"; false for any other response or one without UID.
bool TakeFetch(const ImapResponse& response, FetchItems& items);

struct MailboxState {
    uint64_t exists = 0;
    uint64_t uidValidity = 0;
    uint64_t uidNext = 0;
    uint64_t highestModseq = 0;  // 0: not offered
};
// Keeps what an untagged answer to SELECT/EXAMINE says of the mailbox.
void TakeMailboxState(const ImapResponse& response, MailboxState& state);

// Locator: "imap:" UIDVALIDITY ":" UID ":" wire name of the mailbox.
std::string MakeLocator(const std::string& wireName, uint64_t uidValidity, uint64_t uid);
bool SplitLocator(std::string_view locator, std::string& wireName, uint64_t& uidValidity, uint64_t& uid);

}  // namespace korvalin::imap
