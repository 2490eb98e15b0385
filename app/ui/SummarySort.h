// The order a summary list takes when a column heading is clicked. Row 0
// (the counter row) stays first; every other row, in its current order, is
// inserted after it at the first place where it belongs:
//   the state column: ascending, a read mail goes before the first new one;
//     descending, a new mail goes before the first read one;
//   the text columns (From, Subject, Date, Size): ascending, before the first
//     placed row whose text is greater than or equal to its own; descending,
//     before the first whose text is less than or equal;
//   otherwise at the end. Texts compare as text without regard to letter
//   case, dates and sizes included (so "10 ..." sorts before "9 ...").
#pragma once

#include <array>
#include <string>
#include <vector>

namespace korvalin::ui {

inline constexpr int kSummaryColumns = 5;  // state, From, Subject, Date, Size

struct SortRow {
    std::array<std::string, kSummaryColumns> texts;  // column 0 unused
    bool isNew = false;
};

// Case-insensitive text order of two texts: <0, 0 or >0.
int CompareTextNoCase(const std::string& a, const std::string& b);

// The new order of rows as indices into rows; rows[0] stays at index 0.
std::vector<size_t> SortedOrder(const std::vector<SortRow>& rows, int column, bool ascending);

}  // namespace korvalin::ui
