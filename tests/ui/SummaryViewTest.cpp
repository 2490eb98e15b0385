// The summary list of an open folder: columns, sorting, selection, double
// click and pop-ups, and the new-mail list that points into it.
#include "AccountTree.h"
#include "MailWindow.h"
#include "NewMailsBox.h"
#include "SummaryView.h"
#include "SummaryWindow.h"
#include "TrayIcon.h"
#include "UiTestSupport.h"

#include <QHeaderView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTest>

#include <random>

namespace korvalin::ui::test {
namespace {

constexpr const char* kCounterRowMessage = "This entry tells you the number of mails in this folder";

class SummaryViewTest : public FrameTest {
protected:
    // Logs ann in at TestMail and waits until the inbox lists the service's mails.
    SummaryWindow& OpenInbox()
    {
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        ProviderEntry& mail = AddProvider("TestMail");
        account = AddAccount(mail, "ann");
        EXPECT_TRUE(engine->Accounts().LoginWithProgress(*account));
        SummaryWindow* window = nullptr;
        EXPECT_TRUE(WaitUntil([&] {
            window = frame->FolderWindow(*account->Inbox());
            return window != nullptr &&
                   window->View().topLevelItemCount() == static_cast<int>(script->summary.size()) + 1;
        }));
        if (window == nullptr)
            throw std::runtime_error("the inbox did not open");
        frame->Mdi().setActiveSubWindow(window);
        return *window;
    }

    static QStringList ColumnTexts(const SummaryView& view, int column)
    {
        QStringList texts;
        for (int row = 0; row < view.topLevelItemCount(); ++row)
            texts << view.topLevelItem(row)->text(column);
        return texts;
    }

    static void ClickHeader(SummaryView& view, int column)
    {
        QHeaderView* header = view.header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
    }

    std::shared_ptr<CAccount> account;
};

TEST_F(SummaryViewTest, ShowsFiveColumnsWithTheCounterRowFirst)
{
    script->summary = {Mail("1", "ada@test", "Hello", "9 Mar"), Mail("2", "bob@test", "Lunch", "10 Mar", false)};
    SummaryView& view = OpenInbox().View();

    ASSERT_EQ(view.columnCount(), 5);
    EXPECT_EQ(view.headerItem()->text(1), "From");
    EXPECT_EQ(view.headerItem()->text(2), "Subject");
    EXPECT_EQ(view.headerItem()->text(3), "Date");
    EXPECT_EQ(view.headerItem()->text(4), "Size");
    EXPECT_GE(view.columnWidth(2), 185);
    EXPECT_EQ(ColumnTexts(view, 1), QStringList({"[Inbox] ann@TestMail", "ada@test", "bob@test"}));
    EXPECT_EQ(view.topLevelItem(0)->text(2), "2 mails");
    EXPECT_TRUE(view.topLevelItem(1)->font(1).bold()) << "a new mail stands out";
    EXPECT_FALSE(view.topLevelItem(2)->font(1).bold());
    EXPECT_EQ(frame->Tree().ItemFor(account->Inbox().get())->text(0), "Inbox (1)");
}

TEST_F(SummaryViewTest, DateColumnSortsAsTextAndTheSecondClickReverses)
{
    script->summary = {Mail("1", "a", "s", "9 Mar 2026"), Mail("2", "b", "s", "10 Mar 2026"),
                       Mail("3", "c", "s", "1 Apr 2026")};
    SummaryView& view = OpenInbox().View();

    ClickHeader(view, 3);
    const QStringList first = ColumnTexts(view, 3);
    ClickHeader(view, 3);
    const QStringList second = ColumnTexts(view, 3);

    const QStringList ascending = {"", "1 Apr 2026", "10 Mar 2026", "9 Mar 2026"};
    const QStringList descending = {"", "9 Mar 2026", "10 Mar 2026", "1 Apr 2026"};
    EXPECT_TRUE((first == ascending && second == descending) || (first == descending && second == ascending))
        << first.join("|").toStdString() << " then " << second.join("|").toStdString();
}

// The order of a click, inserted row by row as the list's definition says.
std::vector<QString> InsertionOrder(const std::vector<QStringList>& rows, int column, bool ascending)
{
    std::vector<size_t> order{0};
    for (size_t r = 1; r < rows.size(); ++r) {
        auto at = order.end();
        for (auto it = order.begin() + 1; it != order.end(); ++it) {
            const int text = QString::compare(rows[*it][column], rows[r][column], Qt::CaseInsensitive);
            if (ascending ? text >= 0 : text <= 0) {
                at = it;
                break;
            }
        }
        order.insert(at, r);
    }
    std::vector<QString> ids;
    for (size_t index : order)
        ids.push_back(rows[index][0]);
    return ids;
}

TEST_F(SummaryViewTest, EveryClickOrdersAsRowByRowInsertionAndRowZeroStays)
{
    std::mt19937 random(11);
    const std::vector<std::string> words = {"alpha", "Beta", "beta", "10", "9", "x y", "X Y"};
    for (int i = 0; i < 14; ++i) {
        script->summary.push_back(Mail("id" + std::to_string(i), words[random() % words.size()],
                                       words[random() % words.size()], words[random() % words.size()]));
    }
    SummaryView& view = OpenInbox().View();
    const QString counter = view.topLevelItem(0)->text(1);

    for (int column : {1, 2, 3, 1, 3}) {
        std::vector<QStringList> before;
        for (int row = 0; row < view.topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = view.topLevelItem(row);
            before.push_back({item->text(1) + "/" + item->text(2) + "/" + item->text(3), item->text(1),
                              item->text(2), item->text(3)});
        }
        ClickHeader(view, column);
        std::vector<QString> after;
        for (int row = 0; row < view.topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = view.topLevelItem(row);
            after.push_back(item->text(1) + "/" + item->text(2) + "/" + item->text(3));
        }
        EXPECT_EQ(view.topLevelItem(0)->text(1), counter);
        const bool matchesAscending = after == InsertionOrder(before, column, true);
        const bool matchesDescending = after == InsertionOrder(before, column, false);
        EXPECT_TRUE(matchesAscending || matchesDescending) << "column " << column;
    }
}

TEST_F(SummaryViewTest, SelectAllThenDeleteNeverOffersTheCounterRow)
{
    script->summary = {Mail("1", "a", "one"), Mail("2", "b", "two"), Mail("3", "c", "three")};
    SummaryWindow& window = OpenInbox();
    SummaryView& view = window.View();

    frame->Commands().selectAll->trigger();
    EXPECT_EQ(view.SelectedRows(), (std::vector<int>{1, 2, 3}));
    frame->UpdateCommands();
    ASSERT_TRUE(frame->Commands().deleteMail->isEnabled());
    for (int i = 0; i < 3; ++i)
        Answer(MessageAnswer::Yes);
    frame->Commands().deleteMail->trigger();

    EXPECT_EQ(CountMessages(kCounterRowMessage), 0u);
    ASSERT_TRUE(WaitUntil([&] { return view.topLevelItemCount() == 1; }));
    EXPECT_EQ(view.topLevelItem(0)->text(2), "0 mails");
    EXPECT_TRUE(WaitUntil([&] { return script->deleted.load() == 3; }));
}

// The window may go while the command asks (its question runs the event loop).
TEST_F(SummaryViewTest, AWindowClosedDuringTheDeleteQuestionIsLeftAlone)
{
    script->summary = {Mail("1", "a", "one")};
    SummaryWindow& window = OpenInbox();
    window.View().topLevelItem(1)->setSelected(true);
    QPointer<SummaryWindow> watched = &window;
    port.SetMessagePresenter([&](QWidget*, const MessageBoxRequest& request) {
        messages.push_back(request);
        delete watched.data();
        MessageBoxReply reply;
        reply.answer = MessageAnswer::Yes;
        return reply;
    });
    frame->Commands().deleteMail->trigger();
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(SummaryViewTest, ARangeSelectionLeavesTheCounterRowOut)
{
    script->summary = {Mail("1", "a", "one"), Mail("2", "b", "two")};
    SummaryView& view = OpenInbox().View();
    view.setCurrentItem(view.topLevelItem(0));
    view.selectionModel()->select(QItemSelection(view.model()->index(0, 0), view.model()->index(2, 4)),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(view.SelectedRows(), (std::vector<int>{1, 2}));

    view.clearSelection();
    view.topLevelItem(0)->setSelected(true);  // on its own it may be chosen
    EXPECT_EQ(view.SelectedRows(), (std::vector<int>{0}));
}

TEST_F(SummaryViewTest, DoubleClickOnTheEmptyAreaComposesFromTheFolderAccount)
{
    script->summary = {Mail("1", "a", "one")};
    SummaryWindow& window = OpenInbox();
    SummaryView& view = window.View();
    window.resize(500, 400);
    view.clearSelection();

    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(50, view.viewport()->height() - 10));

    ASSERT_EQ(composes.size(), 1u);
    EXPECT_EQ(composes[0].sender, account.get());
    EXPECT_TRUE(composes[0].recipient.empty());
}

TEST_F(SummaryViewTest, NewComposesFromTheFolderInFrontWhateverTheTreeSelects)
{
    script->summary = {Mail("1", "a", "one")};
    OpenInbox();
    auto bob = AddAccount(*engine->Providers().Providers().back(), "bob");
    {
        QSignalBlocker quiet(&frame->Tree());  // selecting bob would log him in
        frame->Tree().setCurrentItem(frame->Tree().ItemFor(bob.get()));
    }
    ASSERT_EQ(frame->Tree().Selection().account, bob.get());
    frame->UpdateCommands();
    ASSERT_TRUE(frame->Commands().compose->isEnabled());
    frame->Commands().compose->trigger();
    ASSERT_EQ(composes.size(), 1u);
    EXPECT_EQ(composes[0].sender, account.get());
}

TEST_F(SummaryViewTest, TheEngineCanSelectOneMailOfAList)
{
    script->summary = {Mail("1", "a", "one"), Mail("2", "b", "two"), Mail("3", "c", "three")};
    SummaryWindow& window = OpenInbox();
    SummaryView& view = window.View();
    view.topLevelItem(1)->setSelected(true);
    const std::string id = window.Summary()->Entry(3)->MessageId;
    port.SelectMail(window.Summary(), id);
    EXPECT_TRUE(WaitUntil([&] { return view.SelectedRows() == std::vector<int>{3}; }));
    EXPECT_EQ(view.currentItem(), view.topLevelItem(3));
}

TEST_F(SummaryViewTest, DoubleClickOnAMailOpensItAndItIsReadThen)
{
    script->summary = {Mail("1", "ada@test", "Hello")};
    SummaryView& view = OpenInbox().View();
    const QRect row = view.visualItemRect(view.topLevelItem(1));

    view.setCurrentItem(view.topLevelItem(1));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, row.center());

    ASSERT_TRUE(WaitUntil([&] {
        for (QMdiSubWindow* window : frame->Mdi().subWindowList()) {
            if (qobject_cast<MailWindow*>(window->widget()) != nullptr)
                return window->windowTitle() == "Mail from ada@test: Hello";
        }
        return false;
    }));
    EXPECT_TRUE(WaitUntil([&] { return frame->Tree().ItemFor(account->Inbox().get())->text(0) == "Inbox"; }));
    EXPECT_TRUE(composes.empty());
}

TEST_F(SummaryViewTest, PopUpsOverARowAndOverTheEmptyArea)
{
    script->summary = {Mail("1", "a", "one", "", false)};  // read: not fetched on its own
    SummaryWindow& window = OpenInbox();
    window.View().setCurrentItem(window.View().topLevelItem(1));

    QMenu* summary = frame->BuildSummaryMenu(window, true);
    EXPECT_EQ(summary->title(), "&Summary");
    QStringList texts;
    for (QAction* action : summary->actions())
        texts << action->text();
    EXPECT_EQ(texts, QStringList({"Open Mail", "Delete Mail", "Compose New Mail", "Mark As Read", "Download this mail",
                                  "&Delete from server", "Remove local copy"}));
    EXPECT_EQ(summary->defaultAction(), summary->actions().first());
    EXPECT_FALSE(summary->actions()[5]->isEnabled()) << "the mail has no local copy";

    QMenu* folder = frame->BuildSummaryMenu(window, false);
    EXPECT_EQ(folder->title(), "&Folder");
    ASSERT_EQ(folder->actions().size(), 2);
    EXPECT_EQ(folder->actions()[0]->text(), "Compose New Mail");
    EXPECT_EQ(folder->actions()[1]->text(), "Korvalin Options");
}

TEST_F(SummaryViewTest, NewMailEntriesKeepPointingAtTheirMailAfterRowsAreDeleted)
{
    script->summary = {Mail("1", "ada@test", "First"), Mail("2", "bob@test", "Second"),
                       Mail("3", "cy@test", "Third")};
    SummaryView& view = OpenInbox().View();
    ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Count() == 3; }));
    ASSERT_TRUE(frame->Tray().Animating() || WaitUntil([&] { return frame->Tray().Animating(); }));

    // The person deletes the first mail from the list.
    view.clearSelection();
    view.topLevelItem(1)->setSelected(true);
    Answer(MessageAnswer::Yes);
    frame->Commands().deleteMail->trigger();
    ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Count() == 2; }));

    // "Mail1" of the tray, the newest, still opens "Third".
    frame->OpenNewMail(0);
    EXPECT_TRUE(WaitUntil([&] {
        for (QMdiSubWindow* window : frame->Mdi().subWindowList()) {
            if (window->windowTitle() == "Mail from cy@test: Third")
                return true;
        }
        return false;
    }));
}

TEST_F(SummaryViewTest, NewMailsBoxReadsAndClosingStopsTheTray)
{
    script->summary = {Mail("1", "ada@test", "First"), Mail("2", "bob@test", "Second")};
    OpenInbox();
    ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Count() == 2; }));
    NewMailsBox* box = frame->OpenNewMailsBox();
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->Senders().count(), 2);
    EXPECT_EQ(box->Subjects().item(0)->text(), "Second") << "newest first";

    box->Subjects().setCurrentRow(1);
    EXPECT_EQ(box->Senders().currentRow(), 1) << "both lists keep the same line";
    box->ReadButton().click();
    ASSERT_TRUE(WaitUntil([&] { return box->Senders().count() == 1; }));
    EXPECT_EQ(box->Senders().item(0)->text(), "bob@test");

    box->close();
    EXPECT_TRUE(engine->NewMail().Empty());
    EXPECT_TRUE(WaitUntil([&] { return !frame->Tray().Animating(); }));
    EXPECT_EQ(frame->Tray().Tip(), "Korvalin Mail");
}

}  // namespace
}  // namespace korvalin::ui::test
