// The Address Book dialog, stand-alone and as the compose window's picker.
#include "AddressBookWindow.h"
#include "FeatureFrameTest.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace korvalin::ui::test {
namespace {

class AddressBookWindowTest : public FeatureFrameTest {
protected:
    AddressBookWindowTest()
    {
        ProviderEntry& mail = AddProvider("TestMail");
        ann = AddAccount(mail, "ann");
        bob = AddAccount(mail, "bob");
        features.Books().EnsureLoaded(*ann);
        ann->SetAddressBook({{false, "Carol", "carol@x.example"}, {true, "Dave", "dave@y.example"}});
    }

    std::shared_ptr<CAccount> ann, bob;
};

TEST_F(AddressBookWindowTest, StandAloneHidesTheRecipientsAndOnlyMarkedEntriesChange)
{
    AddressBookWindow window(AddressBookDialog::OpenStandAlone(*engine, features.Books()));
    EXPECT_EQ(window.windowTitle(), "Address Book");
    EXPECT_TRUE(window.ToField().isHidden());
    EXPECT_TRUE(window.CancelButton().isHidden());
    EXPECT_EQ(window.Accounts().currentText(), "ann@TestMail");
    ASSERT_EQ(window.Names().count(), 2);
    EXPECT_FALSE(window.Address().isEnabled());

    window.Names().setCurrentRow(0);
    EXPECT_EQ(window.Address().text(), "carol@x.example");
    EXPECT_FALSE(window.Address().isEnabled()) << "uploaded entries stay as they are";
    EXPECT_FALSE(window.DeleteButton().isEnabled());

    window.Names().setCurrentRow(1);
    EXPECT_TRUE(window.Address().isEnabled());
    window.Address().clear();
    QTest::keyClicks(&window.Address(), "dave@z.example");
    EXPECT_EQ(ann->AddressBook()[1].Address, "dave@z.example");
    window.DeleteButton().click();
    EXPECT_EQ(ann->AddressBook().size(), 1u);
    EXPECT_EQ(window.Names().count(), 1);
}

TEST_F(AddressBookWindowTest, NewAddsAMarkedEntryToTheShownBookAndSelectsIt)
{
    AddressBookWindow window(AddressBookDialog::OpenStandAlone(*engine, features.Books()));
    window.Accounts().setCurrentIndex(1);
    window.SetNewAddressAsker([] { return std::optional<NewAddress>(NewAddress{"Eve", "eve@z.example"}); });
    window.NewButton().click();
    ASSERT_EQ(bob->AddressBook().size(), 1u);
    EXPECT_TRUE(bob->AddressBook()[0].Marked);
    EXPECT_EQ(window.Names().currentItem()->text(), "Eve");
    EXPECT_TRUE(window.DeleteButton().isEnabled());
}

TEST_F(AddressBookWindowTest, ThePickerPutsAddressesInFrontAndKeepsWhatWasTyped)
{
    AddressBookWindow window(
        AddressBookDialog::OpenRecipientPicker(*engine, features.Books(), *ann, {"first@x", "", ""}));
    EXPECT_FALSE(window.ToField().isHidden());
    EXPECT_EQ(window.ToField().text(), "first@x");
    QTest::keyClicks(&window.CcField(), "typed@y");
    window.Names().setCurrentRow(0);
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == "&Cc >")
            button->click();
    }
    EXPECT_EQ(window.CcField().text(), "carol@x.example,typed@y");
    EXPECT_EQ(window.ToField().text(), "first@x");
    window.Names().setCurrentRow(1);
    emit window.Names().itemDoubleClicked(window.Names().item(1));
    EXPECT_EQ(window.ToField().text(), "dave@y.example,first@x");
    EXPECT_EQ(window.Logic().Recipients().cc, "carol@x.example,typed@y");
}

using AddressBookCommandTest = FeatureFrameTest;

TEST_F(AddressBookCommandTest, WithoutAccountsTheCommandOnlyTellsSo)
{
    frame->Commands().addressBook->trigger();
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"There are no accounts to get address book for."}));
}

}  // namespace
}  // namespace korvalin::ui::test
