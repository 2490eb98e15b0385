// The account tree: how it mirrors the engine, its check rules, its labels
// and its pop-up menus.
#include "AccountTree.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>

namespace korvalin::ui::test {
namespace {

constexpr const char* kProviderMessage =
    "You cannot unselect a provider. If you want to hide a provider, right click on it and choose Hide.";

class AccountTreeTest : public FrameTest {
protected:
    AccountTree& Tree() { return frame->Tree(); }

    // Changes a check mark the way a click does.
    void Click(QTreeWidgetItem* item, bool checked) { Tree().SetChecked(item, checked); }

    QStringList MenuTexts(QMenu* menu)
    {
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                texts << action->text() + (action->isEnabled() ? "" : " [gray]");
        }
        return texts;
    }
};

TEST_F(AccountTreeTest, MirrorsProvidersAccountsAndFoldersInOrder)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann");
    auto bob = AddAccount(mail, "bob");

    ASSERT_EQ(Tree().topLevelItemCount(), 2);
    EXPECT_EQ(Tree().topLevelItem(0)->text(0), "Dravnek");
    QTreeWidgetItem* provider = Tree().topLevelItem(1);
    ASSERT_EQ(provider->childCount(), 2);
    EXPECT_EQ(provider->child(0)->text(0), "ann");
    EXPECT_EQ(provider->child(1)->text(0), "bob");
    ASSERT_EQ(provider->child(0)->childCount(), 1);
    EXPECT_EQ(provider->child(0)->child(0)->text(0), "Inbox");
    EXPECT_EQ(AccountTree::KindOf(provider->child(0)->child(0)), TreeItemKind::Folder);
    EXPECT_EQ(AccountTree::AccountOf(provider->child(0)->child(0)), ann.get());

    engine->Accounts().DeleteAccount(*ann);  // the question's default is No
    EXPECT_EQ(provider->childCount(), 2);
    Answer(MessageAnswer::Yes);
    engine->Accounts().DeleteAccount(*ann);
    ASSERT_EQ(provider->childCount(), 1);
    EXPECT_EQ(provider->child(0)->text(0), "bob");
    EXPECT_EQ(Tree().ItemFor(ann.get()), nullptr);
}

TEST_F(AccountTreeTest, UncheckingProviderWithoutAccountsRechecksItWithTheMessage)
{
    ProviderEntry& mail = AddProvider("TestMail");
    QTreeWidgetItem* provider = Tree().ItemFor(&mail);

    Click(provider, false);

    EXPECT_TRUE(Tree().IsChecked(provider));
    ASSERT_EQ(CountMessages(kProviderMessage), 1u);
    EXPECT_EQ(messages.back().icon, MessageIcon::Information);
}

TEST_F(AccountTreeTest, UncheckingProviderUnchecksItsAccountsAndFolders)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann");
    auto bob = AddAccount(mail, "bob");
    QTreeWidgetItem* provider = Tree().ItemFor(&mail);

    Click(provider, false);

    EXPECT_FALSE(Tree().IsChecked(provider));
    EXPECT_EQ(CountMessages(kProviderMessage), 0u);
    for (const auto& account : {ann, bob}) {
        EXPECT_FALSE(Tree().IsChecked(Tree().ItemFor(account.get())));
        EXPECT_FALSE(account->State().checked) << "the engine follows the tree";
        EXPECT_FALSE(account->Inbox()->checked);
        EXPECT_EQ(FolderMaskFromChecks(*account), 0);
    }
}

TEST_F(AccountTreeTest, CheckingAccountWithoutCheckedFolderChecksInboxAndLogsIn)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann", 0);
    QTreeWidgetItem* account = Tree().ItemFor(ann.get());
    ASSERT_FALSE(Tree().IsChecked(account));
    ASSERT_FALSE(Tree().IsChecked(Tree().ItemFor(ann->Inbox().get())));

    Click(account, true);

    EXPECT_TRUE(Tree().IsChecked(Tree().ItemFor(ann->Inbox().get())));
    EXPECT_TRUE(ann->Inbox()->checked);
    ASSERT_TRUE(WaitUntil([&] { return ann->LoggedIn(); }));
    EXPECT_EQ(script->loginCalls.load(), 1);
    // The service's folders arrived from the login thread.
    ASSERT_TRUE(WaitUntil([&] { return account->childCount() == 3; }));
    EXPECT_EQ(account->child(1)->text(0), "Sent");
    EXPECT_EQ(FolderMaskFromChecks(*ann), 1);
}

TEST_F(AccountTreeTest, RefusedLoginThenCancelUnchecksTheAccount)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann", 0);
    script->acceptedPassword = "other";
    // The login box asks again after the refusal; the person cancels it. It
    // runs inside the login's own modal loop, so a timer answers it.
    int loginBoxes = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->windowTitle() == "Enter your login information") {
                ++loginBoxes;
                widget->close();
            }
        }
    });
    closer.start(20);

    Click(Tree().ItemFor(ann.get()), true);

    ASSERT_TRUE(WaitUntil([&] { return loginBoxes == 1 && !Tree().IsChecked(Tree().ItemFor(ann.get())); }));
    EXPECT_FALSE(ann->LoggedIn());
    EXPECT_FALSE(ann->State().checked);
    EXPECT_EQ(CountMessages("Login for ann on TestMail failed"), 1u);
    EXPECT_EQ(CountMessages("Login failed"), 1u);
}

TEST_F(AccountTreeTest, LabelsCarryTheNewMailCount)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann");
    Tree().SetNewMailCount(*ann->Inbox(), 2);
    Tree().SetNewMailCount(*ann, 2);
    EXPECT_EQ(Tree().ItemFor(ann->Inbox().get())->text(0), "Inbox (2)");
    EXPECT_EQ(Tree().ItemFor(ann.get())->text(0), "ann (2)");

    ann->Update([](AccountState& state) { state.login = "anna"; });
    Tree().Apply({TreeChangeKind::AccountRenamed, &mail, ann.get()});
    EXPECT_EQ(Tree().ItemFor(ann.get())->text(0), "anna (2)");

    Tree().SetNewMailCount(*ann->Inbox(), 0);
    EXPECT_EQ(Tree().ItemFor(ann->Inbox().get())->text(0), "Inbox");

    EXPECT_EQ(BareLabel("Inbox (12)"), "Inbox");
    EXPECT_EQ(BareLabel("My mail  "), "My mail");
    EXPECT_EQ(CountedLabel("Sent (1)", 3), "Sent (3)");
}

TEST_F(AccountTreeTest, PopUpMenusGrayOutWhatDoesNotApply)
{
    ProviderEntry& pop = AddProvider("POPMail");
    auto ann = AddAccount(pop, "ann");

    QMenu* program = frame->BuildTreeMenu(Tree().topLevelItem(0));
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->title(), "&Provider");
    QStringList texts = MenuTexts(program);
    ASSERT_GE(texts.size(), 3);
    EXPECT_EQ(texts.mid(0, 3), QStringList({"Add New Account [gray]", "Create an account with... [gray]", "Hide [gray]"}));
    EXPECT_EQ(program->defaultAction(), program->actions().first());

    Tree().setCurrentItem(Tree().ItemFor(&pop));
    texts = MenuTexts(frame->BuildTreeMenu(Tree().ItemFor(&pop)));
    EXPECT_EQ(texts.mid(0, 3), QStringList({"Add New Account", "Create an account with... [gray]", "Hide"}));

    QMenu* account = frame->BuildTreeMenu(Tree().ItemFor(ann.get()));
    EXPECT_EQ(account->title(), "&Account");
    texts = MenuTexts(account);
    EXPECT_TRUE(texts.contains("Compose New Mail [gray]")) << texts.join(", ").toStdString();
    EXPECT_TRUE(texts.contains("Log Off [gray]"));

    QMenu* folder = frame->BuildTreeMenu(Tree().ItemFor(ann->Inbox().get()));
    EXPECT_EQ(folder->title(), "&Folder");
    EXPECT_TRUE(MenuTexts(folder).contains("Compose New Mail [gray]"));
}

TEST_F(AccountTreeTest, TreeCommandsCarryTheirStatusAndToolTips)
{
    const MainCommands& c = frame->Commands();
    struct Case {
        QAction* action;
        const char* status;
        const char* tip;
    };
    for (const Case& command : {
             Case{c.createAccount, "Go to the web page of the provider to create an account", "New account"},
             Case{c.addAccount, "Add a new account to be monitored by Dravnek", "Add New Account"},
             Case{c.logOff, "Log off this account", "Log Off"},
         }) {
        EXPECT_EQ(command.action->statusTip(), command.status);
        EXPECT_EQ(command.action->toolTip(), command.tip);
    }
}

TEST_F(AccountTreeTest, FolderChecksBecomeTheMaskOfTheFirstSixteenFolders)
{
    ProviderEntry& mail = AddProvider("TestMail");
    script->folders.clear();
    for (int i = 1; i <= 17; ++i)
        script->folders.push_back("Folder " + std::to_string(i));
    auto ann = AddAccount(mail, "ann", 0xFFFF);
    ASSERT_TRUE(engine->Accounts().LoginWithProgress(*ann));
    QTreeWidgetItem* account = Tree().ItemFor(ann.get());
    ASSERT_EQ(account->childCount(), 18);

    Click(account->child(1), false);
    Click(account->child(17), true);  // the eighteenth folder has no bit

    EXPECT_EQ(FolderMaskFromChecks(*ann), 0xFFFD);
}

}  // namespace
}  // namespace korvalin::ui::test
