// Cutting values out of page lines and cleaning them up: the text helpers
// that every web provider uses. Every search is case-sensitive; offsets are
// never needed by the caller.
#pragma once

#include <string>
#include <string_view>

namespace korvalin {

// Every kind of white space a page may put around a value.
inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
// Blanks, tabs and line ends only: a vertical tab or form feed stays.
inline constexpr std::string_view kBlanksAndLineEnds = " \t\r\n";

// The text after the first `open` of line up to the next `close` after it;
// empty when either is missing.
std::string TextBetween(std::string_view line, std::string_view open, std::string_view close);

// text without the bytes of `blanks` at either end.
std::string Trim(std::string_view text, std::string_view blanks = kWhiteSpace);
// text without the white space at its start.
std::string TrimLeft(std::string_view text);

// text with every `from`, left to right and not overlapping, replaced by
// `to`; an empty `from` leaves text as it is.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// "&quot;", "&lt;" and "&gt;" as the characters they stand for.
std::string DecodeBrackets(std::string_view text);

// text without the CR and LF bytes that end it.
std::string WithoutLineEnd(std::string_view text);

} // namespace korvalin
