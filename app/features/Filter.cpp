#include "Filter.h"

namespace korvalin {

bool FilterMatches(const Filter& filter, const SummaryEntry& entry)
{
    if (filter.NEW && !entry.New)
        return false;
    if (filter.FROMPRES && entry.From.find(filter.FROM) == std::string::npos)
        return false;
    if (filter.SUBJPRES && entry.Subject.find(filter.SUBJECT) == std::string::npos)
        return false;
    return true;
}

int FirstMatchingFilter(const FilterList& filters, const SummaryEntry& entry)
{
    for (size_t i = 0; i < filters.size(); ++i) {
        if (FilterMatches(filters[i], entry))
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace korvalin
