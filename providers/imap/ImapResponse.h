// One IMAP server response, parsed from its wire form: the text of a
// response line with every literal in place ("{n}" CR LF and n bytes), as
// CImapConnection assembles it. The parser never trusts the text: sizes are
// checked against what is there, nesting is bounded, and any fault gives
// false with a reason instead of a partial result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvalin::imap {

// An atom (numbers, flags and section names included), a string (quoted or
// literal, decoded), NIL, or a parenthesised list.
struct ImapValue {
    enum Kind { Atom, String, Nil, List };
    Kind kind = Atom;
    std::string text;               // Atom and String
    std::vector<ImapValue> items;   // List

    bool IsAtom(std::string_view name) const;  // an atom of that name, without regard to case
    // The text of an atom or string; "" for NIL and lists.
    const std::string& Text() const;
    // The value of an unsigned decimal atom; false when it is not one.
    bool Number(uint64_t& value) const;
};

struct ImapResponse {
    enum Kind {
        Untagged,      // "* ..."
        Continuation,  // "+ ..."
        Tagged,        // "tag ..."
    };
    Kind kind = Untagged;
    std::string tag;
    // For "* 12 EXISTS" and "* 3 FETCH (...)": the number, with hasNumber set.
    bool hasNumber = false;
    uint64_t number = 0;
    // The response's name, upper-cased: OK NO BAD BYE PREAUTH CAPABILITY LIST
    // FLAGS EXISTS EXPUNGE FETCH SEARCH ...; empty for a continuation.
    std::string name;
    // A status response (OK, NO, BAD, BYE, PREAUTH) and a continuation: the
    // response code in brackets, upper-cased ("UIDVALIDITY"), its arguments as
    // written, and the human text.
    std::string code;
    std::string codeArguments;
    std::string text;
    // Every other response: the values after the name.
    std::vector<ImapValue> values;

    bool IsStatus() const;
};

// Limits on what one response may hold.
inline constexpr size_t kMaxNesting = 24;
inline constexpr size_t kMaxValues = 4 * 1024 * 1024;

bool ParseResponse(std::string_view wire, ImapResponse& response, std::string& error);

// The size of the literal that ends line ("{n}" or "{n+}"), or -1 when the
// line does not end with one; -2 when it ends with a malformed or too big one.
int64_t TrailingLiteral(std::string_view line, uint64_t maxSize);

// A string argument for a command: text as a quoted string with '"' and
// '\\' escaped. False when a quoted string cannot carry it (CR, LF, NUL).
bool QuoteArgument(std::string_view text, std::string& quoted);

}  // namespace korvalin::imap
