// One filter rule of an account: conditions on a mail of a summary list and
// the actions taken on the first mail-by-mail match.
#pragma once

#include "MailProvider.h"

#include <string>
#include <vector>

namespace korvalin {

struct Filter {
    std::string NAME;
    bool NEW = false;       // new (unread) mails only
    bool FROMPRES = false;  // the From condition is in force
    std::string FROM;       // text the summary's From must contain
    bool SUBJPRES = false;  // the Subject condition is in force
    std::string SUBJECT;    // text the summary's Subject must contain
    std::string FORWARD;    // address to forward to; empty: no forwarding
    std::string REPLY;      // path of the reply text file; empty: no reply
    bool DELETE = false;
    // The automatic reply's body, built from REPLY on first use.
    std::string replyText;
    bool replyTextReady = false;

    bool HasAction() const { return !FORWARD.empty() || !REPLY.empty() || DELETE; }
};

using FilterList = std::vector<Filter>;

// All conditions hold: NEW unset or the entry new; each condition in force
// finds its text in the entry's From or Subject (case-sensitive; an empty
// text is found everywhere).
bool FilterMatches(const Filter& filter, const SummaryEntry& entry);

// The index of the first filter that matches, or -1.
int FirstMatchingFilter(const FilterList& filters, const SummaryEntry& entry);

}  // namespace korvalin
