// Check threads merging while the UI thread works on the same lists, and
// the request worker downloads: run under ThreadSanitizer in CI.
#include "MailTestBed.h"

#include <random>
#include <set>

using namespace korvalin;
using namespace korvalin::test;

namespace {

class MailConcurrency : public MailTest {};

void ExpectConsistent(const FolderSummary& summary)
{
    std::vector<SummaryRow> rows = summary.Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].messageId, "<Korvalin>");
    std::set<std::string> ids;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(ids.insert(rows[i].messageId).second) << "listed twice: " << rows[i].messageId;
        EXPECT_EQ(summary.FindRow(rows[i].messageId), static_cast<int>(i));
        std::optional<SummaryEntry> entry = summary.Entry(static_cast<int>(i));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->MessageId, rows[i].messageId);
    }
}

}  // namespace

TEST_F(MailConcurrency, ChecksMergeWhileTheUserDeletesDownloadsAndSorts)
{
    bed.engine->Settings().SetFlag(setting::kAskBeforeDelete, false);
    bed.engine->Settings().SetFlag(setting::kPopupOnNewMail, true);
    auto sent = joe->AddFolder("Sent", true, true);
    auto ann = AddLoggedIn("ann");
    std::vector<std::shared_ptr<FolderSummary>> summaries;
    for (MailFolder* folder : {joe->Inbox().get(), sent.get(), ann->Inbox().get()})
        summaries.push_back(engine().Mail().OpenFolder(*folder));

    std::mt19937 random(7);
    int next = 0;
    for (int round = 0; round < 30; ++round) {
        for (int k = 0; k < 8; ++k) {
            std::string id = "<m" + std::to_string(next++) + ">";
            script->AddMail(random() % 2 == 0 ? -1 : 0, MakeMail(id, random() % 3 != 0, std::to_string(random() % 31)));
        }
        engine().Checks().OnCheckTimer();
        for (const auto& summary : summaries)
            engine().Mail().CheckFolder(summary->Folder(), true);
        for (int action = 0; action < 12; ++action) {
            const auto& summary = summaries[random() % summaries.size()];
            const int rows = static_cast<int>(summary->RowCount());
            const int row = rows > 1 ? 1 + static_cast<int>(random() % static_cast<unsigned>(rows - 1)) : 0;
            switch (random() % 6) {
            case 0:
                summary->Delete({row});
                break;
            case 1:
                summary->Download({row, row + 1});
                break;
            case 2:
                summary->MarkAsRead({row});
                break;
            case 3:
                summary->Sort(static_cast<int>(random() % 5));
                break;
            case 4:
                summary->ClearLocalCopy({row});
                break;
            default:
                summary->DeleteFromServer({row});
                break;
            }
            summary->Rows();
            engine().NewMail().Entries();
        }
        if (round % 10 == 9)
            engine().Checks().StopAll();
    }
    Settle();
    for (const auto& summary : summaries)
        ExpectConsistent(*summary);
    for (const NewMailEntry& entry : engine().NewMail().Entries()) {
        ASSERT_LT(static_cast<size_t>(entry.row), entry.summary->RowCount());
        EXPECT_EQ(entry.summary->Rows()[static_cast<size_t>(entry.row)].subject, entry.subject)
            << "new-mail entries still point at their mails";
    }
    engine().Mail().CloseAll();
}
