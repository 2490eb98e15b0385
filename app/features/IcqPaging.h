// The setup wizard's "Page me on the IC&Q#" option: a filter that forwards
// every new mail of the account to the ICQ pager's e-mail gateway.
#pragma once

#include "Filter.h"
#include "Status.h"

#include <string>

namespace korvalin {

class CAccount;
class Engine;
class FilterRules;

inline constexpr const char* kIcqPagingFilterName = "ICQ Paging";

// The paging filter for an ICQ number (digits only) at the pager's domain.
Filter IcqPagingFilter(const std::string& icqNumber, const std::string& pagerDomain);

// Appends the paging filter to the account's filters and saves them. Fails
// (without changing anything) when the number is not an ICQ number.
Status AddIcqPaging(Engine& engine, FilterRules& rules, CAccount& account, const std::string& icqNumber);

}  // namespace korvalin
