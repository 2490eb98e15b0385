#include "SummarySort.h"

#include <algorithm>
#include <cctype>

namespace korvalin::ui {

int CompareTextNoCase(const std::string& a, const std::string& b)
{
    const size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Inserting each row before the first placed row it belongs before keeps
// the placed rows in order, so the result is a sort: the state column
// splits read from new keeping each group's order; a text column orders by
// text, and rows with equal texts come out in reverse of their old order
// (each goes in before the equal ones already placed).
std::vector<size_t> SortedOrder(const std::vector<SortRow>& rows, int column, bool ascending)
{
    std::vector<size_t> order;
    if (rows.empty())
        return order;
    if (column < 0 || column >= kSummaryColumns)
        column = 1;
    for (size_t r = 1; r < rows.size(); ++r)
        order.push_back(r);
    if (column == 0) {
        std::stable_partition(order.begin(), order.end(),
                              [&](size_t r) { return ascending ? !rows[r].isNew : rows[r].isNew; });
    } else {
        const size_t c = static_cast<size_t>(column);
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const int text = CompareTextNoCase(rows[a].texts[c], rows[b].texts[c]);
            if (text != 0)
                return ascending ? text < 0 : text > 0;
            return a > b;
        });
    }
    order.insert(order.begin(), 0);
    return order;
}

}  // namespace korvalin::ui
