#include "FeatureTestBed.h"
#include "FilterDialog.h"
#include "FilterFile.h"

#include <gtest/gtest.h>

namespace korvalin::test {
namespace {

TEST(FilterDescription, BuildsTheSentenceStepByStep)
{
    FilterDialogValues values;
    EXPECT_EQ(FilterDescription(values, "joe", "HotMail"), "[Filter Name]: Mails coming to joe@HotMail  <No Action>");

    values.name = "Boss";
    values.newOnly = true;
    values.fromChecked = true;
    values.fromText = "Smith";
    values.subjectChecked = true;
    values.subjectText = "Report";
    values.forwardChecked = true;
    values.forwardText = "me@x";
    values.replyChecked = true;
    values.replyText = "r.txt";
    values.deleteChecked = true;
    EXPECT_EQ(FilterDescription(values, "joe", "HotMail"),
              "[Boss]: Mails coming to joe@HotMail which are new and with \"Smith\" in the sender's name and with "
              "\"Report\" in the subject should be forwarded to \"me@x\" and should be autoreplied with \"r.txt\" "
              "and should be deleted.");

    // A checked condition or action without its text adds nothing.
    values.newOnly = false;
    values.fromText.clear();
    values.forwardText.clear();
    values.replyChecked = false;
    EXPECT_EQ(FilterDescription(values, "joe", "HotMail"),
              "[Boss]: Mails coming to joe@HotMail with \"Report\" in the subject should be deleted.");

    values.deleteChecked = false;
    values.replyChecked = true;
    EXPECT_EQ(FilterDescription(values, "joe", "HotMail"),
              "[Boss]: Mails coming to joe@HotMail with \"Report\" in the subject should be autoreplied with "
              "\"r.txt\" ");
    values.replyChecked = false;
    values.fromText = "Smith";
    EXPECT_EQ(FilterDescription(values, "joe", "HotMail"),
              "[Boss]: Mails coming to joe@HotMail with \"Smith\" in the sender's name and with \"Report\" in the "
              "subject  <No Action>");
}

TEST(FilterHelp, JoinsTheThreeTexts)
{
    const std::string help = FilterHelpText();
    EXPECT_EQ(help.rfind("What is a Filter?\n\nA Filter is a rule", 0), 0u);
    EXPECT_NE(help.find("actions specified in the rule will be taken.\n\nHow do I create a Filter?"), std::string::npos);
    EXPECT_NE(help.find("press the <Save> button.\n\nWhat if a mail matches more than one filters?"),
              std::string::npos);
    EXPECT_TRUE(help.ends_with("Use the Move Up,Move Down buttons to set the order of the filters."));
}

class FilterDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        joe = bed.AddAccount("HotMail", "joe");
        ann = bed.AddAccount("YahooMail", "ann");
    }
    FilterList Saved(const std::string& file)
    {
        return ParseFilterFile(ReadFile(bed.bed.paths.dataRoot / "Filters" / file));
    }

    FeatureBed bed;
    std::shared_ptr<CAccount> joe, ann;
};

TEST_F(FilterDialogTest, OpensWithNothingSelectedAndEverythingButNameAndListDisabled)
{
    Filter stored;
    stored.NAME = "Old";
    stored.DELETE = true;
    WriteFile(bed.bed.paths.dataRoot / "Filters" / "ann.YahooMail", FilterFileText({stored}));
    FilterDialog dialog(bed.engine(), bed.hooks.Filters(), *ann);
    FilterDialogState state = dialog.State();
    EXPECT_EQ(state.accounts, (std::vector<std::string>{"joe@HotMail", "ann@YahooMail"}));
    EXPECT_EQ(state.account, 1);
    EXPECT_EQ(state.filterNames, (std::vector<std::string>{"Old"}));
    EXPECT_EQ(state.selected, -1);
    EXPECT_FALSE(state.newEnabled || state.deleteEnabled || state.newOnlyEnabled || state.checkBoxesEnabled ||
                 state.fromFieldEnabled || state.browseEnabled || state.upEnabled || state.downEnabled);
    EXPECT_EQ(state.mainButton, "Close");
    EXPECT_EQ(state.description, kFilterDescriptionPlaceholder);
    dialog.TypeName("N");
    EXPECT_EQ(dialog.State().description.find("[N]: Mails coming to ann@YahooMail"), 0u) << "built at the first change";
}

TEST_F(FilterDialogTest, NewSaveAndTheRefusalOfAFilterWithoutActions)
{
    FilterDialog dialog(bed.engine(), bed.hooks.Filters(), *joe);
    dialog.TypeName("Boss");
    EXPECT_TRUE(dialog.State().newEnabled);
    dialog.TypeName("");
    EXPECT_FALSE(dialog.State().newEnabled);
    dialog.TypeName("Boss");
    dialog.PressNew();
    FilterDialogState state = dialog.State();
    EXPECT_EQ(state.selected, 0);
    EXPECT_EQ(state.mainButton, "Save");
    EXPECT_TRUE(state.values.newOnly);
    EXPECT_TRUE(state.checkBoxesEnabled && state.newOnlyEnabled && state.deleteEnabled);
    EXPECT_FALSE(state.forwardFieldEnabled || state.replyFieldEnabled || state.browseEnabled);

    // Forward and reply boxes set but empty, delete clear: refused.
    dialog.SetForwardChecked(true);
    dialog.SetReplyChecked(true);
    EXPECT_TRUE(dialog.State().browseEnabled);
    EXPECT_FALSE(dialog.PressMainButton());
    EXPECT_EQ(bed.bed.ui.MessageTexts(), (std::vector<std::string>{kFilterWithoutActions}));
    EXPECT_EQ(dialog.State().selected, 0);

    dialog.TypeForward("me@home.example");
    dialog.SetFromChecked(true);
    dialog.TypeFrom("Smith");
    EXPECT_FALSE(dialog.PressMainButton());  // saved, not closed
    state = dialog.State();
    EXPECT_EQ(state.selected, -1);
    EXPECT_EQ(state.mainButton, "Close");
    FilterList filters = bed.hooks.Filters().Filters(*joe);
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].FORWARD, "me@home.example");
    EXPECT_TRUE(filters[0].REPLY.empty());  // its box was set without a path
    EXPECT_TRUE(filters[0].FROMPRES);
    EXPECT_EQ(filters[0].FROM, "Smith");

    EXPECT_TRUE(dialog.PressMainButton());  // Close saves the file
    EXPECT_EQ(Saved("joe.HotMail").size(), 1u);
}

TEST_F(FilterDialogTest, ClearingABoxEmptiesItsTextAndBrowseFillsTheReply)
{
    FilterDialog dialog(bed.engine(), bed.hooks.Filters(), *joe);
    dialog.TypeName("R");
    dialog.PressNew();
    dialog.SetSubjectChecked(true);
    dialog.TypeSubject("Invoice");
    dialog.SetSubjectChecked(false);
    EXPECT_TRUE(dialog.State().values.subjectText.empty());
    EXPECT_FALSE(dialog.State().subjectFieldEnabled);

    dialog.SetReplyChecked(true);
    dialog.BrowsedReplyFile("/home/joe/away.txt");
    EXPECT_EQ(dialog.State().values.replyText, "/home/joe/away.txt");
    EXPECT_EQ(bed.hooks.Filters().Filters(*joe)[0].REPLY, "/home/joe/away.txt");
    dialog.SetReplyChecked(false);
    FilterDialogState state = dialog.State();
    EXPECT_TRUE(state.values.replyText.empty());
    EXPECT_FALSE(state.replyFieldEnabled || state.browseEnabled);
}

TEST_F(FilterDialogTest, UpDownDeleteAndTheirEnabling)
{
    FilterDialog dialog(bed.engine(), bed.hooks.Filters(), *joe);
    for (const char* name : {"A", "B", "C"}) {
        dialog.TypeName(name);
        dialog.PressNew();
        dialog.SetDeleteChecked(true);
        dialog.PressMainButton();
    }
    dialog.Select(0);
    EXPECT_FALSE(dialog.State().upEnabled);
    EXPECT_TRUE(dialog.State().downEnabled);
    dialog.Select(2);
    EXPECT_TRUE(dialog.State().upEnabled);
    EXPECT_FALSE(dialog.State().downEnabled);

    dialog.PressUp();
    EXPECT_EQ(dialog.State().filterNames, (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(dialog.State().selected, 1);
    dialog.PressDown();
    EXPECT_EQ(dialog.State().filterNames, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(dialog.State().selected, 2);

    dialog.PressDelete();  // selects the one before
    EXPECT_EQ(dialog.State().filterNames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(dialog.State().selected, 1);
    EXPECT_EQ(dialog.State().values.name, "B");
    dialog.Select(0);
    dialog.PressDelete();  // the first: nothing selected after
    EXPECT_EQ(dialog.State().selected, -1);
    EXPECT_EQ(bed.hooks.Filters().Filters(*joe).size(), 1u);
}

TEST_F(FilterDialogTest, ChoosingAnotherAccountSavesTheShownOne)
{
    FilterDialog dialog(bed.engine(), bed.hooks.Filters(), *joe);
    dialog.TypeName("Spam");
    dialog.PressNew();
    dialog.SetDeleteChecked(true);
    dialog.PressMainButton();
    dialog.ChooseAccount(1);
    EXPECT_EQ(Saved("joe.HotMail").size(), 1u);
    FilterDialogState state = dialog.State();
    EXPECT_EQ(state.account, 1);
    EXPECT_TRUE(state.filterNames.empty());
    EXPECT_EQ(state.selected, -1);
    EXPECT_EQ(state.description.find("[Spam]: Mails coming to ann@YahooMail"), 0u);
}

}  // namespace
}  // namespace korvalin::test
