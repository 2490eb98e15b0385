#include "MailSearch.h"

#include "Engine.h"

#include <algorithm>

namespace korvalin::ui {

std::string UpperCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::vector<std::string> SubjectWords(const std::string& subject)
{
    std::vector<std::string> words;
    const char* separators = " ,\t";
    size_t pos = 0;
    while (pos < subject.size()) {
        const size_t start = subject.find_first_not_of(separators, pos);
        if (start == std::string::npos)
            break;
        size_t end = subject.find_first_of(separators, start);
        if (end == std::string::npos)
            end = subject.size();
        words.push_back(UpperCase(subject.substr(start, end - start)));
        pos = end;
    }
    return words;
}

bool MeetsConditions(const SummaryRow& row, const SearchConditions& conditions, const std::vector<std::string>& words)
{
    if (conditions.newOnly && !row.isNew)
        return false;
    if (conditions.fromOn && UpperCase(row.from).find(conditions.from) == std::string::npos)
        return false;
    if (conditions.dateOn && UpperCase(row.date).find(conditions.date) == std::string::npos)
        return false;
    if (!conditions.subjectOn)
        return true;
    const std::string subject = UpperCase(row.subject);
    auto contained = [&subject](const std::string& word) { return subject.find(word) != std::string::npos; };
    if (conditions.anyWord)
        return std::any_of(words.begin(), words.end(), contained);
    return std::all_of(words.begin(), words.end(), contained);
}

std::vector<SearchResult> SearchMails(Engine& engine, const SearchConditions& asked)
{
    SearchConditions conditions = asked;
    conditions.from = UpperCase(conditions.from);
    conditions.date = UpperCase(conditions.date);
    const std::vector<std::string> words = conditions.subjectOn ? SubjectWords(conditions.subject)
                                                                : std::vector<std::string>{};
    std::vector<SearchResult> results;
    for (const auto& account : engine.Accounts().AllAccounts()) {
        for (const auto& folder : account->Folders()) {
            std::shared_ptr<FolderSummary> summary = engine.Mail().Summary(*folder);
            if (!summary)
                continue;
            const std::vector<SummaryRow> rows = summary->Rows();
            for (size_t i = 0; i < rows.size(); ++i) {
                const SummaryRow& row = rows[i];
                if (MeetsConditions(row, conditions, words))
                    results.push_back({summary, static_cast<int>(i), row.messageId, row.subject, row.from});
            }
        }
    }
    return results;
}

void OpenFoundMail(const SearchResult& result)
{
    if (!result.summary)
        return;
    int row = result.row;
    if (row > 0 && !result.messageId.empty()) {
        const int now = result.summary->FindRow(result.messageId);
        if (now < 1)
            return;  // the mail is no longer listed
        row = now;
    }
    result.summary->OpenMail(row);
}

}  // namespace korvalin::ui
