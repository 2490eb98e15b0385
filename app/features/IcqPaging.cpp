#include "IcqPaging.h"

#include "Engine.h"
#include "FilterRules.h"
#include "HostValue.h"

#include <algorithm>
#include <cctype>

namespace korvalin {

Filter IcqPagingFilter(const std::string& icqNumber, const std::string& pagerDomain)
{
    Filter filter;
    filter.NAME = kIcqPagingFilterName;
    filter.NEW = true;
    filter.FORWARD = icqNumber + "@" + pagerDomain;
    return filter;
}

Status AddIcqPaging(Engine& engine, FilterRules& rules, CAccount& account, const std::string& icqNumber)
{
    const bool digits = !icqNumber.empty() && std::all_of(icqNumber.begin(), icqNumber.end(),
                                                          [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!digits)
        return Status::Failure("\"" + icqNumber + "\" is not an ICQ number: please enter its digits only.");
    rules.AppendFilter(account, IcqPagingFilter(icqNumber, HostValue(engine.Paths(), "icq.pager")));
    if (!rules.SaveFilters(account))
        return Status::Failure("The ICQ paging filter could not be saved.");
    engine.Log().Info(account, "ICQ paging to %s added", icqNumber.c_str());
    return Status::Ok();
}

}  // namespace korvalin
