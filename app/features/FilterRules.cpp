#include "FilterRules.h"

#include "AccountFolder.h"
#include "AtomicFile.h"
#include "Engine.h"
#include "FilterFile.h"

#include <cerrno>
#include <cstring>

namespace korvalin {

void FilterRules::LoadFilters(CAccount& account)
{
    if (lists_.With(account, [](AccountFilters& list) { return list.loaded; }))
        return;
    std::optional<std::filesystem::path> file =
        FilterFilePath(engine_.Paths().dataRoot, account.Login(), account.ProviderName());
    FilterList filters;
    if (!file) {
        engine_.Log().Error(account, "The login cannot name a filter file; the account has no filters");
    } else {
        std::string error;
        if (std::optional<std::string> text = ReadWholeFile(*file, &error))
            filters = ParseFilterFile(*text);
        else if (std::filesystem::exists(*file))
            engine_.Log().Warning(account, "The filter file cannot be read: %s", error.c_str());
    }
    lists_.With(account, [&](AccountFilters& list) {
        if (list.loaded)
            return;  // read meanwhile by another caller
        list.loaded = true;
        list.filters = std::move(filters);
    });
}

void FilterRules::EnsureLoaded(CAccount& account)
{
    LoadFilters(account);
}

bool FilterRules::SaveFilters(CAccount& account)
{
    const FilterList filters = Filters(account);
    const std::filesystem::path folder = engine_.Paths().dataRoot / kFiltersFolder;
    std::optional<std::filesystem::path> file = FilterFilePath(engine_.Paths().dataRoot, account.Login(),
                                                               account.ProviderName());
    Status written = file ? CreateFolder(folder) : Status::Failure("the login cannot name a filter file");
    if (written)
        written = WriteFileAtomically(*file, FilterFileText(filters), 0600);
    if (written)
        return true;
    // The previous file stays as it was: it is replaced only by a complete one.
    engine_.Log().Error(account, "Saving the filters: %s", written.error.c_str());
    Tell(engine_.Ui(), "The filters of " + account.LogName() + " could not be written: " + written.error);
    Tell(engine_.Ui(), kFilterSaveFailed);
    return false;
}

FilterList FilterRules::Filters(const CAccount& account) const
{
    return lists_.With(account, [](const AccountFilters& list) { return list.filters; });
}

void FilterRules::SetFilters(CAccount& account, FilterList filters)
{
    lists_.With(account, [&](AccountFilters& list) {
        for (Filter& filter : filters) {
            if (filter.replyTextReady)
                continue;
            for (const Filter& old : list.filters) {
                if (old.replyTextReady && old.NAME == filter.NAME && old.REPLY == filter.REPLY) {
                    filter.replyText = old.replyText;
                    filter.replyTextReady = true;
                    break;
                }
            }
        }
        list.loaded = true;
        list.filters = std::move(filters);
    });
}

void FilterRules::AppendFilter(CAccount& account, Filter filter)
{
    EnsureLoaded(account);
    lists_.With(account, [&](AccountFilters& list) { list.filters.push_back(std::move(filter)); });
}

std::optional<std::string> FilterRules::ReplyText(CAccount& account, size_t index, const Filter& filter)
{
    if (filter.replyTextReady)
        return filter.replyText;
    std::string error;
    std::optional<std::string> file = ReadWholeFile(filter.REPLY, &error);
    if (!file) {
        engine_.Log().Error(account, "The reply file of filter %s cannot be read: %s", filter.NAME.c_str(),
                            error.c_str());
        Tell(engine_.Ui(), "The reply file of the filter \"" + filter.NAME + "\" could not be read: " + error);
        return std::nullopt;
    }
    std::string text = "--------Auto replied by Korvalin Mail---------\n";
    text += "Get Korvalin Mail from " + VendorWeb(engine_.Paths()) + " \n";
    text += "and add power to your web based email accounts.\n";
    text += "----------------------------------------------\n";
    size_t pos = 0;
    while (pos < file->size()) {
        size_t end = file->find('\n', pos);
        std::string line = file->substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text += line + "\n";
        pos = end == std::string::npos ? file->size() : end + 1;
    }
    lists_.With(account, [&](AccountFilters& list) {
        if (index < list.filters.size() && list.filters[index].NAME == filter.NAME &&
            list.filters[index].REPLY == filter.REPLY) {
            list.filters[index].replyText = text;
            list.filters[index].replyTextReady = true;
        }
    });
    return text;
}

}  // namespace korvalin
