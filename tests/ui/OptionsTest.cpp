// The Options sheet: its pages over the settings record, the check timer
// after saving, the prefix and signature limits, and the providers page.
#include "AccountTree.h"
#include "DesktopIntegration.h"
#include "GeneralPage.h"
#include "OptionsSheet.h"
#include "ProvidersPage.h"
#include "SendingPage.h"
#include "UiTestSupport.h"
#include "UserInformation.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace korvalin::ui::test {
namespace {

TEST(OptionsValues, TheCheckTimerStartsStopsOrRestartsAsTheChoicesChanged)
{
    UserSettings settings;
    OptionsValues before = OptionsValues::FromSettings(settings);
    before.checkInterval = 5;
    OptionsValues after = before;
    EXPECT_EQ(SaveOptions(before, after, settings), CheckTimerChange::None);
    after.checkInterval = 10;
    EXPECT_EQ(SaveOptions(before, after, settings), CheckTimerChange::Restart);
    EXPECT_EQ(settings.Int(setting::kCheckInterval), 10);
    after.autoCheck = false;
    EXPECT_EQ(SaveOptions(before, after, settings), CheckTimerChange::Stop);
    EXPECT_FALSE(settings.Flag(setting::kAutoCheck));
    before.autoCheck = false;
    after.autoCheck = true;
    EXPECT_EQ(SaveOptions(before, after, settings), CheckTimerChange::Start);
    before.autoCheck = false;
    after.autoCheck = false;
    EXPECT_EQ(SaveOptions(before, after, settings), CheckTimerChange::None) << "no checking, no timer";
}

TEST(OptionsValues, PrefixesAndSignatureAreCutToWhatTheRecordHoldsNeverInsideACharacter)
{
    UserSettings settings;
    OptionsValues values = OptionsValues::FromSettings(settings);
    values.replyPrefix = "1234567";
    values.forwardPrefix = "ab\xC3\xA9\xC3\xA9";  // "abéé": 6 bytes
    values.signature = std::string(500, 's');
    SaveOptions(values, values, settings);
    EXPECT_EQ(settings.ReplyPrefix(), "123456");
    EXPECT_EQ(settings.ForwardPrefix(), "ab\xC3\xA9\xC3\xA9");
    EXPECT_EQ(settings.Signature().size(), 404u);
    EXPECT_EQ(CutToBytes("abc\xC3\xA9", 4), "abc");
    EXPECT_EQ(CutToBytes("\xE2\x82\xAC\xE2\x82\xAC", 5), "\xE2\x82\xAC");
}

TEST(OptionsValues, EverySettingMakesTheRoundTrip)
{
    UserSettings settings;
    OptionsValues values = OptionsValues::FromSettings(settings);
    EXPECT_EQ(values.replyPrefix, "= ");
    EXPECT_EQ(values.checkInterval, 2);
    EXPECT_EQ(values.loginAbortMinutes, 3);
    values.askBeforeDelete = false;
    values.hideOnStartup = true;
    values.startWithSession = true;
    values.playSound = false;
    values.checkInternet = false;
    values.clearSavedMails = true;
    values.loginAbortMinutes = 45;
    values.startOnline = false;
    values.checkMailtoHandler = false;
    values.popupOnNewMail = true;
    EXPECT_TRUE(values.desktopNotifications) << "a record of 0 at offset 28 shows them";
    values.desktopNotifications = false;
    values.prefixReply = false;
    values.prefixForward = true;
    values.addSignature = false;
    values.saveCopy = false;
    SaveOptions(values, values, settings);
    const OptionsValues read = OptionsValues::FromSettings(settings);
    EXPECT_FALSE(read.askBeforeDelete);
    EXPECT_TRUE(read.hideOnStartup);
    EXPECT_TRUE(read.startWithSession);
    EXPECT_FALSE(read.playSound);
    EXPECT_FALSE(read.checkInternet);
    EXPECT_TRUE(read.clearSavedMails);
    EXPECT_EQ(read.loginAbortMinutes, 45);
    EXPECT_FALSE(read.startOnline);
    EXPECT_FALSE(read.checkMailtoHandler);
    EXPECT_TRUE(read.popupOnNewMail);
    EXPECT_FALSE(read.desktopNotifications);
    EXPECT_EQ(settings.Int(setting::kNoDesktopNotifications), 1);
    EXPECT_FALSE(read.prefixReply);
    EXPECT_TRUE(read.prefixForward);
    EXPECT_FALSE(read.addSignature);
    EXPECT_FALSE(read.saveCopy);
}

class OptionsSheetTest : public FrameTest {
protected:
    // Opens the sheet from its command, lets change() work on it and saves it.
    void RunSheet(const std::function<void(OptionsSheet&)>& change, bool save = true)
    {
        QTimer::singleShot(0, frame.get(), [&] {
            auto* sheet = qobject_cast<OptionsSheet*>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            change(*sheet);
            if (save)
                sheet->accept();
            else
                sheet->reject();
        });
        frame->Commands().options->trigger();
    }
};

TEST_F(OptionsSheetTest, ChangingOnlyTheIntervalFrom5To10RestartsTheTimerWith600000Milliseconds)
{
    engine->Settings().SetInt(setting::kCheckInterval, 5);
    frame->StartCheckTimer(5);
    RunSheet([](OptionsSheet& sheet) {
        EXPECT_EQ(sheet.General().interval->value(), 5);
        sheet.General().interval->setValue(10);
    });
    EXPECT_TRUE(frame->CheckTimer().isActive());
    EXPECT_EQ(frame->CheckTimer().interval(), 600000);
    EXPECT_EQ(engine->Settings().Int(setting::kCheckInterval), 10);
    EXPECT_TRUE(std::filesystem::exists(paths.storeFile)) << "the settings were saved";
}

TEST_F(OptionsSheetTest, UncheckingAutomonitorDisablesIntervalAndHideAndStopsTheTimerAfterSave)
{
    engine->Settings().SetFlag(setting::kHideOnStartup, true);
    frame->StartCheckTimer(2);
    RunSheet([](OptionsSheet& sheet) {
        GeneralPage& page = sheet.General();
        EXPECT_TRUE(page.interval->isEnabled());
        page.autoCheck->setChecked(false);
        EXPECT_FALSE(page.interval->isEnabled());
        EXPECT_FALSE(page.hideOnStartup->isEnabled());
        EXPECT_FALSE(page.hideOnStartup->isChecked());
    });
    EXPECT_FALSE(frame->CheckTimer().isActive());
    EXPECT_FALSE(engine->Settings().Flag(setting::kAutoCheck));
    EXPECT_FALSE(engine->Settings().Flag(setting::kHideOnStartup));
}

TEST_F(OptionsSheetTest, CancelChangesNothing)
{
    frame->StartCheckTimer(2);
    RunSheet([](OptionsSheet& sheet) { sheet.General().interval->setValue(45); }, false);
    EXPECT_EQ(engine->Settings().Int(setting::kCheckInterval), 2);
    EXPECT_EQ(frame->CheckTimer().interval(), 120000);
    EXPECT_FALSE(std::filesystem::exists(paths.storeFile));
}

TEST_F(OptionsSheetTest, AnIntervalOf45IsAcceptedAndStartWithSessionWritesTheAutostartEntry)
{
    RunSheet([](OptionsSheet& sheet) {
        EXPECT_EQ(sheet.Pages().count(), 3);
        EXPECT_EQ(sheet.Pages().tabText(2), "Email Providers");
        sheet.General().interval->setValue(45);
        sheet.General().startWithSession->setChecked(true);
    });
    EXPECT_EQ(engine->Settings().Int(setting::kCheckInterval), 45);
    EXPECT_TRUE(AutostartPresent(paths));
    RunSheet([](OptionsSheet& sheet) { sheet.General().startWithSession->setChecked(false); });
    EXPECT_FALSE(AutostartPresent(paths));
}

TEST_F(OptionsSheetTest, PrefixBoxesTakeFiveCharacters)
{
    RunSheet([](OptionsSheet& sheet) {
        SendingPage& page = sheet.Sending();
        EXPECT_EQ(page.replyPrefix->text(), "= ");
        EXPECT_TRUE(page.replyPrefix->isEnabled());
        EXPECT_FALSE(page.forwardPrefix->isEnabled()) << "forward prefixing is off by default";
        page.replyPrefix->clear();
        QTest::keyClicks(page.replyPrefix, "123456");
        EXPECT_EQ(page.replyPrefix->text(), "12345");
        page.prefixForward->setChecked(true);
        EXPECT_TRUE(page.forwardPrefix->isEnabled());
        page.forwardPrefix->setText("| ");
    });
    EXPECT_EQ(engine->Settings().ReplyPrefix(), "12345");
    EXPECT_EQ(engine->Settings().ForwardPrefix(), "| ");
    EXPECT_TRUE(engine->Settings().Flag(setting::kPrefixForward));
}

TEST_F(OptionsSheetTest, UseDefaultShowsTheBuiltInSignatureAndTheBoxTakes400Characters)
{
    const std::string builtIn = UserSettings::DefaultSignature(VendorWeb(paths));
    engine->Settings().SetSignature(builtIn);
    RunSheet([&](OptionsSheet& sheet) {
        SendingPage& page = sheet.Sending();
        EXPECT_TRUE(page.useDefault->isChecked());
        EXPECT_FALSE(page.signature->isEnabled());
        page.useDefault->setChecked(false);
        EXPECT_TRUE(page.signature->isEnabled());
        page.signature->setPlainText("Ann\nLee");
        page.signature->setPlainText(QString(401, 'x'));
        EXPECT_EQ(page.signature->toPlainText(), "Ann\nLee") << "401 characters do not fit";
        page.signature->setPlainText(QString(199, 'x') + "\n" + QString(199, 'y'));
        EXPECT_EQ(SignatureBoxLength(page.signature->toPlainText()), 400);
        page.useDefault->setChecked(true);
        EXPECT_EQ(page.signature->toPlainText().toStdString() + "", SignatureForBox(builtIn).toStdString());
        page.useDefault->setChecked(false);
        page.signature->setPlainText("Ann\nLee");
    });
    EXPECT_EQ(engine->Settings().Signature(), "Ann\r\nLee");
}

TEST_F(OptionsSheetTest, TheProvidersPageHidesAndShowsAtOnceButNotAProviderWithAccounts)
{
    ProviderEntry& busy = AddProvider("Busy");
    ProviderEntry& idle = AddProvider("Idle");
    AddAccount(busy, "ann");
    OptionsSheet sheet(*engine);
    ProvidersPage& page = sheet.Providers();
    ASSERT_EQ(page.List().count(), 2);
    EXPECT_EQ(page.List().currentRow(), 0);
    EXPECT_FALSE(page.HiddenBox().isEnabled());
    page.List().setCurrentRow(1);
    EXPECT_TRUE(page.HiddenBox().isEnabled());
    page.HiddenBox().setChecked(true);
    EXPECT_TRUE(idle.hidden);
    EXPECT_EQ(frame->Tree().ItemFor(&idle), nullptr);
    EXPECT_TRUE(messages.empty()) << "no notice from the page";
    page.HiddenBox().setChecked(false);
    EXPECT_FALSE(idle.hidden);
    EXPECT_NE(frame->Tree().ItemFor(&idle), nullptr);
}

}  // namespace
}  // namespace korvalin::ui::test
