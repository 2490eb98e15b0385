// When the main frame's commands are available.
#include "CommandRules.h"

#include <gtest/gtest.h>

namespace korvalin::ui {
namespace {

TEST(CommandRules, AccountCommandsFollowTheSelectedItem)
{
    CommandFacts facts;
    facts.selected = TreeItemKind::Provider;
    CommandStates states = EvaluateCommands(facts);
    EXPECT_FALSE(states.deleteAccount);
    EXPECT_FALSE(states.logOff);

    facts.selected = TreeItemKind::Folder;
    states = EvaluateCommands(facts);
    EXPECT_TRUE(states.deleteAccount);
    EXPECT_TRUE(states.accountProperties);
    EXPECT_FALSE(states.logOff) << "Log off needs the account item itself";
    EXPECT_FALSE(states.setFilters);

    facts.selected = TreeItemKind::Account;
    states = EvaluateCommands(facts);
    EXPECT_TRUE(states.logOff);
    EXPECT_TRUE(states.setFilters);
}

TEST(CommandRules, ComposeNeedsALoggedInAccountOrAFolderListInFront)
{
    struct Case {
        bool loggedIn, summaryActive, compose;
    };
    for (const Case& c : {Case{false, false, false}, Case{true, false, true}, Case{false, true, true}}) {
        CommandFacts facts;
        facts.anyAccountLoggedIn = c.loggedIn;
        facts.summaryActive = c.summaryActive;
        EXPECT_EQ(EvaluateCommands(facts).compose, c.compose) << c.loggedIn << c.summaryActive;
    }
}

TEST(CommandRules, CheckAndStopExcludeEachOther)
{
    CommandFacts facts;
    facts.selected = TreeItemKind::Account;
    facts.online = true;
    EXPECT_TRUE(EvaluateCommands(facts).check);
    EXPECT_FALSE(EvaluateCommands(facts).stop);

    facts.checkRunning = true;
    EXPECT_FALSE(EvaluateCommands(facts).check);
    EXPECT_TRUE(EvaluateCommands(facts).stop);

    facts.checkRunning = false;
    facts.online = false;
    EXPECT_FALSE(EvaluateCommands(facts).check) << "no check while offline";
}

TEST(CommandRules, ModeCommandsFollowTheMode)
{
    CommandFacts facts;
    facts.addressBooksAvailable = true;
    facts.online = true;
    CommandStates states = EvaluateCommands(facts);
    EXPECT_TRUE(states.goOffline);
    EXPECT_FALSE(states.goOnline);
    EXPECT_FALSE(states.viewPending);
    EXPECT_TRUE(states.synchronize);

    facts.online = false;
    states = EvaluateCommands(facts);
    EXPECT_FALSE(states.goOffline);
    EXPECT_TRUE(states.goOnline);
    EXPECT_TRUE(states.viewPending);
    EXPECT_FALSE(states.synchronize);
}

TEST(CommandRules, MailCommandsNeedASelectedRowAndDeleteNeedsTheFocusAwayFromTheTree)
{
    CommandFacts facts;
    facts.summaryActive = true;
    CommandStates states = EvaluateCommands(facts);
    EXPECT_FALSE(states.openMail);
    EXPECT_FALSE(states.deleteMail);
    EXPECT_TRUE(states.markRead) << "Mark As Read is always there";

    facts.summaryRowSelected = true;
    states = EvaluateCommands(facts);
    EXPECT_TRUE(states.openMail);
    EXPECT_TRUE(states.deleteMail);
    EXPECT_TRUE(states.download);
    EXPECT_TRUE(states.clearLocal);

    facts.treeHasFocus = true;
    EXPECT_FALSE(EvaluateCommands(facts).deleteMail);
}

TEST(CommandRules, DeleteFromServerNeedsOnlineAndEverySelectedMailCached)
{
    CommandFacts facts;
    facts.summaryActive = true;
    facts.summaryRowSelected = true;
    facts.online = true;
    EXPECT_FALSE(EvaluateCommands(facts).deleteFromServer);
    facts.summarySelectionAllCached = true;
    EXPECT_TRUE(EvaluateCommands(facts).deleteFromServer);
    facts.online = false;
    EXPECT_FALSE(EvaluateCommands(facts).deleteFromServer);
}

TEST(CommandRules, DebugWindowIsCheckedWhileLogging)
{
    CommandFacts facts;
    EXPECT_FALSE(EvaluateCommands(facts).debugWindowChecked);
    facts.logLevel = 15;
    EXPECT_TRUE(EvaluateCommands(facts).debugWindowChecked);
}

}  // namespace
}  // namespace korvalin::ui
