// printf-style texts for messages, labels and status panes.
#pragma once

#include <cstddef>
#include <string>

namespace korvalin {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "%3.1f%%" of done out of total (100.0% when total is 0).
std::string PercentText(size_t done, size_t total);

// a and b are the same text, letter case aside (ASCII).
bool EqualWithoutCase(const std::string& a, const std::string& b);

}  // namespace korvalin
