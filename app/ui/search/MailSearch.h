// "Search among mails..": simple conditions over the mails of the folders
// whose lists are open, in memory only (no service is asked, no summary
// file read).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace korvalin {
class Engine;
class FolderSummary;
struct SummaryRow;
}  // namespace korvalin

namespace korvalin::ui {

struct SearchConditions {
    bool newOnly = false;
    bool fromOn = false;
    std::string from;
    bool dateOn = false;
    std::string date;
    bool subjectOn = false;
    std::string subject;
    bool anyWord = false;  // "an&y" of the subject words, else "a&ll"
};

struct SearchResult {
    std::shared_ptr<FolderSummary> summary;
    int row = 0;
    std::string messageId;  // finds the mail again should its row move
    std::string subject;
    std::string from;
};

// ASCII letters in upper case; other bytes stay.
std::string UpperCase(std::string text);
// The subject's words, split at blanks, commas and tabs, in upper case.
std::vector<std::string> SubjectWords(const std::string& subject);

// Whether row meets the conditions; from and date must be in upper case
// already, words as SubjectWords gives them.
bool MeetsConditions(const SummaryRow& row, const SearchConditions& conditions, const std::vector<std::string>& words);

// Every row (counter rows included) of every open folder list of every
// account, providers and accounts in order, that meets the conditions.
std::vector<SearchResult> SearchMails(Engine& engine, const SearchConditions& conditions);

// Opens a found mail as its list would (its row now, should it have moved).
void OpenFoundMail(const SearchResult& result);

}  // namespace korvalin::ui
