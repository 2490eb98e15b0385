// The first-run setup wizard: the accounts page's enabling, adding web, POP
// and ICQ-paged accounts, Next's question about an account not added, and
// the behaviour page's interval limit and defaults.
#include "FeatureFrameTest.h"
#include "SetupWizard.h"
#include "SoundPicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace korvalin::ui::test {
namespace {

class SetupWizardTest : public FeatureFrameTest {
protected:
    SetupWizardTest()
    {
        web = &AddProvider("TestMail");
        pop = &AddProvider("POPMail");
        wizard = std::make_unique<SetupWizard>(*engine, &features.Filters());
        wizard->restart();
        wizard->next();
    }

    WizardAccountsPage& Page() { return wizard->Accounts(); }

    void Type(int provider, const QString& login)
    {
        Page().provider->setCurrentIndex(provider);
        Page().login->setText(login);
    }

    ProviderEntry* web = nullptr;
    ProviderEntry* pop = nullptr;
    std::unique_ptr<SetupWizard> wizard;
};

TEST_F(SetupWizardTest, TheAccountsPageEnablesTheLoginWithAProviderAndAddWithALogin)
{
    ASSERT_EQ(wizard->currentId(), SetupWizard::kAccounts);
    EXPECT_EQ(wizard->windowTitle(), "Korvalin Setup");
    ASSERT_EQ(Page().provider->count(), 2);
    EXPECT_EQ(Page().provider->currentIndex(), -1);
    EXPECT_FALSE(Page().login->isEnabled());
    EXPECT_FALSE(Page().addButton->isEnabled());
    EXPECT_FALSE(Page().icqNumber->isEnabled());
    EXPECT_EQ(Page().sound->Path().toStdString(), DefaultSoundPath(paths).string());

    Type(0, "ann");
    EXPECT_TRUE(Page().login->isEnabled());
    EXPECT_TRUE(Page().addButton->isEnabled());
    Page().icqPaging->setChecked(true);
    EXPECT_TRUE(Page().icqNumber->isEnabled());
    Page().provider->setCurrentIndex(-1);
    EXPECT_TRUE(Page().login->text().isEmpty()) << "choosing no provider clears the login";
    EXPECT_FALSE(Page().addButton->isEnabled());
}

TEST_F(SetupWizardTest, AddCreatesTheAccountWithThePagesSoundAndClearsThePage)
{
    Type(0, "ann");
    Page().password->setText("secret");
    Page().savePassword->setChecked(true);
    Page().sound->SetPath("/sounds/bell.wav");
    Page().addButton->click();
    ASSERT_EQ(web->accounts.size(), 1u);
    const AccountState state = web->accounts.Snapshot()[0]->State();
    EXPECT_EQ(state.login, "ann");
    EXPECT_EQ(state.password, "secret");
    EXPECT_TRUE(state.savePassword);
    EXPECT_EQ(state.soundPath, "/sounds/bell.wav");
    EXPECT_EQ(Page().provider->currentIndex(), -1);
    EXPECT_TRUE(Page().login->text().isEmpty());
    EXPECT_TRUE(Page().password->text().isEmpty());
    EXPECT_FALSE(Page().savePassword->isChecked());
    EXPECT_TRUE(messages.empty());
}

TEST_F(SetupWizardTest, APopAccountNeedsItsSettingsAndCancelAddsNothing)
{
    std::optional<PopSettings> answer;
    Page().SetPopSettingsAsker([&] { return answer; });
    Type(1, "bob");
    Page().addButton->click();
    EXPECT_TRUE(pop->accounts.empty());
    EXPECT_EQ(Page().login->text(), "bob") << "the page keeps what was typed";

    answer = PopSettings{"pop.example.org", "smtp.example.org", "Bob", "bob@example.org", true};
    Page().addButton->click();
    ASSERT_EQ(pop->accounts.size(), 1u);
    const AccountState state = pop->accounts.Snapshot()[0]->State();
    EXPECT_TRUE(state.isPop);
    EXPECT_EQ(state.pop.smtpServer, "smtp.example.org");
    EXPECT_TRUE(state.pop.deleteFromServer);
}

TEST_F(SetupWizardTest, IcqPagingAddsAForwardingFilterAndABadNumberAddsNoAccount)
{
    Type(0, "ann");
    Page().icqPaging->setChecked(true);
    Page().icqNumber->setText("12ab");
    Page().addButton->click();
    EXPECT_TRUE(web->accounts.empty());
    ASSERT_EQ(messages.size(), 1u);

    Page().icqNumber->setText("123456");
    Page().addButton->click();
    ASSERT_EQ(web->accounts.size(), 1u);
    const FilterList filters = features.Filters().Filters(*web->accounts.Snapshot()[0]);
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].NAME, "ICQ Paging");
    EXPECT_TRUE(filters[0].NEW);
    EXPECT_EQ(filters[0].FORWARD.rfind("123456@", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(paths.dataRoot / "Filters" / "ann.TestMail"));
    EXPECT_FALSE(Page().icqPaging->isChecked());
}

TEST_F(SetupWizardTest, NextWithALoginNotAddedAsksOnceYesStaysNoGoesOnWithoutTheAccount)
{
    Type(0, "ann");
    Answer(MessageAnswer::Yes);
    wizard->next();
    EXPECT_EQ(wizard->currentId(), SetupWizard::kAccounts);
    EXPECT_EQ(CountMessages(kAccountNotAddedQuestion), 1u);
    EXPECT_EQ(messages[0].icon, MessageIcon::Question);

    Answer(MessageAnswer::No);
    wizard->next();
    EXPECT_EQ(wizard->currentId(), SetupWizard::kBehaviour);
    EXPECT_EQ(CountMessages(kAccountNotAddedQuestion), 2u);
    EXPECT_TRUE(web->accounts.empty());
}

TEST_F(SetupWizardTest, TheBehaviourPageRefusesAnIntervalOf45AndHasItsDefaults)
{
    wizard->next();
    WizardBehaviourPage& page = wizard->Behaviour();
    const SetupWizardChoices defaults = page.Choices();
    EXPECT_TRUE(defaults.autoCheck);
    EXPECT_EQ(defaults.checkIntervalMinutes, 2);
    EXPECT_TRUE(defaults.hideOnStartup);
    EXPECT_TRUE(defaults.startWithSession);
    EXPECT_TRUE(defaults.playSound);
    EXPECT_FALSE(defaults.startOffline);

    page.interval->setValue(45);
    EXPECT_EQ(page.interval->value(), 45) << "the spin goes to 60";
    EXPECT_FALSE(page.validatePage());
    EXPECT_EQ(CountMessages("Please enter an integer between 1 and 30."), 1u);
    page.interval->setValue(30);
    EXPECT_TRUE(page.validatePage());
    page.startOffline->setChecked(true);
    EXPECT_TRUE(wizard->Choices().startOffline);
    EXPECT_EQ(wizard->Choices().checkIntervalMinutes, 30);
}

}  // namespace
}  // namespace korvalin::ui::test
