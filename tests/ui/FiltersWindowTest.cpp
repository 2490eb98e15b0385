// The Filters dialog: enabling, adding and saving a filter, the refusal of a
// filter without actions, help, the reply file, order, and the filter file.
#include "FeatureFrameTest.h"
#include "FiltersWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace korvalin::ui::test {
namespace {

class FiltersWindowTest : public FeatureFrameTest {
protected:
    FiltersWindowTest()
    {
        ProviderEntry& mail = AddProvider("TestMail");
        ann = AddAccount(mail, "ann");
        bob = AddAccount(mail, "bob");
        window = std::make_unique<FiltersWindow>(*engine, features.Filters(), *ann);
    }

    void AddFilter(const QString& name)
    {
        window->name->clear();
        QTest::keyClicks(window->name, name);
        window->newButton->click();
    }

    std::filesystem::path FilterFile(const CAccount& account) const
    {
        return paths.dataRoot / "Filters" / (account.Login() + "." + account.ProviderName());
    }

    std::shared_ptr<CAccount> ann, bob;
    std::unique_ptr<FiltersWindow> window;
};

TEST_F(FiltersWindowTest, OpensOnTheAccountWithNothingSelectedAndOnlyTheNameToType)
{
    EXPECT_EQ(window->windowTitle(), "Filters");
    ASSERT_EQ(window->accounts->count(), 2);
    EXPECT_EQ(window->accounts->currentText(), "ann@TestMail");
    EXPECT_EQ(window->mainButton->text(), "Close");
    EXPECT_FALSE(window->newButton->isEnabled());
    EXPECT_FALSE(window->deleteButton->isEnabled());
    EXPECT_FALSE(window->newOnly->isEnabled());
    EXPECT_FALSE(window->forwardOn->isEnabled());
    EXPECT_TRUE(window->name->isEnabled());
    EXPECT_TRUE(window->helpButton->isEnabled());
    QTest::keyClicks(window->name, "x");
    EXPECT_TRUE(window->newButton->isEnabled());
    QTest::keyClick(window->name, Qt::Key_Backspace);
    EXPECT_FALSE(window->newButton->isEnabled());
}

TEST_F(FiltersWindowTest, NewSelectsAFilterForNewMailsAndSaveNeedsAnAction)
{
    AddFilter("Boss");
    EXPECT_EQ(window->filters->count(), 1);
    EXPECT_EQ(window->filters->currentRow(), 0);
    EXPECT_TRUE(window->newOnly->isChecked());
    EXPECT_EQ(window->mainButton->text(), "Save");
    EXPECT_FALSE(window->forward->isEnabled());

    window->forwardOn->setChecked(true);
    window->replyOn->setChecked(true);
    EXPECT_TRUE(window->forward->isEnabled());
    EXPECT_TRUE(window->browseButton->isEnabled());
    window->mainButton->click();
    EXPECT_EQ(CountMessages(kFilterWithoutActions), 1u) << "boxes set, texts empty, no delete";
    EXPECT_EQ(window->mainButton->text(), "Save");

    QTest::keyClicks(window->forward, "me@home.example");
    window->fromOn->setChecked(true);
    QTest::keyClicks(window->from, "boss");
    EXPECT_EQ(window->description->text().toStdString(),
              "[Boss]: Mails coming to ann@TestMail which are new and with \"boss\" in the sender's name should be "
              "forwarded to \"me@home.example\" ");
    window->mainButton->click();
    EXPECT_EQ(window->mainButton->text(), "Close");
    EXPECT_EQ(window->filters->currentRow(), -1);

    window->mainButton->click();
    EXPECT_EQ(window->result(), QDialog::Accepted);
    std::ifstream file(FilterFile(*ann));
    std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(text.find("FORWARD=me@home.example"), std::string::npos) << text;
    EXPECT_NE(text.find("FROM=boss"), std::string::npos);
    EXPECT_NE(text.find("REPLY=\r\n"), std::string::npos) << "the unset reply box keeps no text";
}

TEST_F(FiltersWindowTest, ClearingABoxEmptiesItsFieldAndBrowseFillsTheReplyFile)
{
    AddFilter("Away");
    window->replyOn->setChecked(true);
    window->SetFileChooser([] { return std::optional<QString>("/home/ann/away.txt"); });
    window->browseButton->click();
    EXPECT_EQ(window->reply->text(), "/home/ann/away.txt");
    window->replyOn->setChecked(false);
    EXPECT_TRUE(window->reply->text().isEmpty());
    EXPECT_FALSE(window->reply->isEnabled());
    EXPECT_FALSE(window->browseButton->isEnabled());
}

TEST_F(FiltersWindowTest, UpAndDownMoveTheSelectedFilterAndDeleteSelectsTheOneBefore)
{
    for (const char* name : {"one", "two", "three"}) {
        AddFilter(name);
        window->deleteIt->setChecked(true);
        window->mainButton->click();
    }
    window->filters->setCurrentRow(0);
    EXPECT_FALSE(window->upButton->isEnabled());
    EXPECT_TRUE(window->downButton->isEnabled());
    window->downButton->click();
    EXPECT_EQ(window->filters->item(1)->text(), "one");
    EXPECT_EQ(window->filters->currentRow(), 1);
    window->filters->setCurrentRow(2);
    EXPECT_FALSE(window->downButton->isEnabled());
    window->deleteButton->click();
    EXPECT_EQ(window->filters->count(), 2);
    EXPECT_EQ(window->filters->currentRow(), 1);
}

TEST_F(FiltersWindowTest, ChoosingAnotherAccountSavesTheShownOneAndHelpExplains)
{
    AddFilter("Spam");
    window->deleteIt->setChecked(true);
    window->mainButton->click();
    window->accounts->setCurrentIndex(1);
    EXPECT_TRUE(std::filesystem::exists(FilterFile(*ann)));
    EXPECT_EQ(window->filters->count(), 0);
    window->helpButton->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Help on Filters");
    EXPECT_EQ(messages[0].text.rfind("What is a Filter?\n\n", 0), 0u);
}

TEST_F(FiltersWindowTest, ClosingTheWindowDropsUnsavedEditsAndKeepsTheList)
{
    AddFilter("Keep");
    window->deleteIt->setChecked(true);
    window->mainButton->click();
    window->filters->setCurrentRow(0);
    window->deleteIt->setChecked(false);
    window->reject();
    std::ifstream file(FilterFile(*ann));
    std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(text.find("DELETE=y"), std::string::npos) << text;
}

}  // namespace
}  // namespace korvalin::ui::test
