// "Search among mails..": conditions over the open folder lists, the
// counter rows, case, any or all of the subject's words, and opening a find.
#include "FeatureFrameTest.h"
#include "MailSearch.h"
#include "MailWindow.h"
#include "SearchDialog.h"
#include "SummaryView.h"
#include "SummaryWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>

namespace korvalin::ui::test {
namespace {

TEST(MailSearch, SubjectWordsSplitAtBlanksCommasAndTabsInCapitals)
{
    EXPECT_EQ(SubjectWords(" lunch,\tToday  x"), (std::vector<std::string>{"LUNCH", "TODAY", "X"}));
    EXPECT_TRUE(SubjectWords(" , ").empty());
}

TEST(MailSearch, WithoutWordsAllMatchesAndAnyDoesNot)
{
    SummaryRow row;
    row.subject = "Anything";
    SearchConditions conditions;
    conditions.subjectOn = true;
    EXPECT_TRUE(MeetsConditions(row, conditions, {}));
    conditions.anyWord = true;
    EXPECT_FALSE(MeetsConditions(row, conditions, {}));
}

class SearchTest : public FeatureFrameTest {
protected:
    SearchTest()
    {
        script->summary = {Mail("1", "Ada@Test", "Lunch today", "10 Mar"),
                           Mail("2", "bob@test", "Meeting notes", "9 Mar", false)};
        mail = &AddProvider("TestMail");
        ann = AddAccount(*mail, "ann");
        OpenInbox(*ann);
    }

    QStringList Lines(const SearchDialog& dialog) const
    {
        QStringList lines;
        for (int i = 0; i < dialog.results->count(); ++i)
            lines << dialog.results->item(i)->text();
        return lines;
    }

    ProviderEntry* mail = nullptr;
    std::shared_ptr<CAccount> ann;
};

TEST_F(SearchTest, NoConditionListsEveryEntryOfEveryOpenListWithTheCounterRows)
{
    auto bob = AddAccount(*mail, "bob");
    OpenInbox(*bob);
    SearchDialog dialog(*engine);
    EXPECT_EQ(dialog.count->text(), "Search results here");
    dialog.Search();
    EXPECT_EQ(Lines(dialog), QStringList({"[Inbox] ann@TestMail : 2 mails", "Ada@Test : Lunch today",
                                          "bob@test : Meeting notes", "[Inbox] bob@TestMail : 2 mails",
                                          "Ada@Test : Lunch today", "bob@test : Meeting notes"}));
    EXPECT_EQ(dialog.count->text(), " 6 mails found");
}

TEST_F(SearchTest, FromInLowerCaseFindsCapitalsAndTheFieldShowsCapitals)
{
    SearchDialog dialog(*engine);
    EXPECT_FALSE(dialog.from->isEnabled());
    dialog.fromOn->setChecked(true);
    EXPECT_TRUE(dialog.from->isEnabled());
    dialog.from->setText("ada@t");
    dialog.Search();
    EXPECT_EQ(Lines(dialog), QStringList({"Ada@Test : Lunch today"}));
    EXPECT_EQ(dialog.from->text(), "ADA@T");
    EXPECT_EQ(dialog.count->text(), " 1 mails found");
}

TEST_F(SearchTest, AnyWordFindsASubjectWithOnlyTheSecondWordAllNeedsBoth)
{
    SearchDialog dialog(*engine);
    EXPECT_FALSE(dialog.anyWord->isEnabled());
    dialog.subjectOn->setChecked(true);
    EXPECT_TRUE(dialog.anyWord->isEnabled());
    dialog.subject->setText("dinner, NOTES");
    dialog.anyWord->setChecked(true);
    dialog.Search();
    EXPECT_EQ(Lines(dialog), QStringList({"bob@test : Meeting notes"}));
    EXPECT_EQ(dialog.subject->text(), "dinner, NOTES") << "the subject field keeps what was typed";
    dialog.allWords->setChecked(true);
    dialog.Search();
    EXPECT_TRUE(Lines(dialog).isEmpty());
    EXPECT_EQ(dialog.count->text(), " 0 mails found");
}

TEST_F(SearchTest, NewMailsAndDatesNarrowTheSearch)
{
    SearchDialog dialog(*engine);
    dialog.newOnly->setChecked(true);
    dialog.Search();
    EXPECT_EQ(Lines(dialog), QStringList({"Ada@Test : Lunch today"}));
    dialog.newOnly->setChecked(false);
    dialog.dateOn->setChecked(true);
    dialog.date->setText("9 mar");
    dialog.Search();
    EXPECT_EQ(Lines(dialog), QStringList({"bob@test : Meeting notes"}));
    EXPECT_EQ(dialog.date->text(), "9 MAR");
}

TEST_F(SearchTest, AFolderWhoseListIsClosedIsNotSearched)
{
    engine->Mail().CloseFolder(*ann->Inbox());
    SearchDialog dialog(*engine);
    dialog.Search();
    EXPECT_TRUE(Lines(dialog).isEmpty());
}

TEST_F(SearchTest, ADoubleClickOpensTheMailEvenAfterTheListWasSorted)
{
    SearchDialog dialog(*engine);
    dialog.subjectOn->setChecked(true);
    dialog.subject->setText("notes");
    dialog.Search();
    ASSERT_EQ(dialog.Results().size(), 1u);
    std::shared_ptr<FolderSummary> summary = engine->Mail().Summary(*ann->Inbox());
    summary->Sort(1);
    summary->Sort(1);  // bob's mail moves to row 1
    dialog.OpenResult(0);
    EXPECT_TRUE(WaitUntil([&] {
        for (QMdiSubWindow* window : frame->Mdi().subWindowList()) {
            if (qobject_cast<MailWindow*>(window->widget()) != nullptr)
                return window->windowTitle() == "Mail from bob@test: Meeting notes";
        }
        return false;
    }));
}

}  // namespace
}  // namespace korvalin::ui::test
