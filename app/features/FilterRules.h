// The filter lists of the accounts: read from each account's filter file at
// its first login, edited in the Filters dialog, written back by SaveFilters,
// and applied to every mail that enters a summary list.
//
// ApplyFilters runs on check threads while the dialog edits on the UI
// thread: each works on a copy of the list taken under the lock.
#pragma once

#include "Filter.h"
#include "PerAccount.h"

#include <optional>
#include <string>

namespace korvalin {

class CAccount;
class Engine;
class FolderSummary;

inline constexpr const char* kFilterSaveFailed = "Error saving filter file. Filters will not be saved";
inline constexpr const char* kCachedMailUnreadable = "Error opening file in which the mail is cached.";
inline constexpr const char* kMailNotStored = "Error opening file to store the mail";
inline constexpr const char* kAutoReplyPrefix = "Autoreply: ";

class FilterRules {
public:
    explicit FilterRules(Engine& engine) : engine_(engine) {}

    // At login: reads the filter file unless the account's list was read already.
    void LoadFilters(CAccount& account);
    // Writes the list; on failure tells the person and keeps the previous file.
    bool SaveFilters(CAccount& account);
    // Reads the filter file once, so that a list shown or extended before
    // the first login is the stored one (and saving it loses nothing).
    void EnsureLoaded(CAccount& account);

    FilterList Filters(const CAccount& account) const;
    // Replaces the list; a filter whose REPLY did not change keeps its reply text.
    void SetFilters(CAccount& account, FilterList filters);
    void AppendFilter(CAccount& account, Filter filter);

    // Runs the first matching filter of the summary's account on entry.
    // True when the mail's deletion was queued: the entry must not be listed.
    bool ApplyFilters(FolderSummary& summary, SummaryEntry& entry);

private:
    struct AccountFilters {
        bool loaded = false;
        FilterList filters;
    };

    std::optional<std::string> ReplyText(CAccount& account, size_t index, const Filter& filter);
    bool Forward(FolderSummary& summary, SummaryEntry& entry, const Filter& filter);
    bool Reply(FolderSummary& summary, SummaryEntry& entry, size_t index, const Filter& filter);
    bool FetchIntoCache(FolderSummary& summary, SummaryEntry& entry, std::string* body);

    Engine& engine_;
    PerAccount<AccountFilters> lists_;
};

}  // namespace korvalin
