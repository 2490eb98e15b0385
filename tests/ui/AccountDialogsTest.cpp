// The account boxes: what the login box shows at a login and in properties
// mode, the POP settings checks, the Add New Account box and the sound
// picker.
#include "AccountDialogs.h"
#include "SoundPicker.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>

namespace korvalin::ui::test {
namespace {

LoginForm PopForm()
{
    LoginForm form;
    form.providerName = "POPMail";
    form.login = "ann";
    form.password = "old";
    form.soundPath = "/sounds/ding.wav";
    form.isPop = true;
    form.pop = {"pop.example.org", "smtp.example.org", "Ann", "ann@example.org", true};
    return form;
}

struct Told {
    std::vector<std::string> texts;
    Teller Recorder()
    {
        return [this](const std::string& text) { texts.push_back(text); };
    }
};

TEST(LoginBox, AtALoginThePasswordAndForPopTheServersAreAsked)
{
    Told told;
    LoginForm web = PopForm();
    web.isPop = false;
    LoginBox webBox(web, LoginBoxMode::Login, told.Recorder());
    EXPECT_TRUE(webBox.PopGroup().isHidden());
    webBox.Pop().address->clear();
    webBox.accept();
    EXPECT_EQ(webBox.result(), QDialog::Accepted) << "hidden POP fields are not checked";

    LoginBox box(PopForm(), LoginBoxMode::Login, told.Recorder());
    EXPECT_EQ(box.windowTitle(), "Enter your login information");
    EXPECT_FALSE(box.LoginField().isEnabled()) << "the login name is never changed here";
    EXPECT_TRUE(box.SoundGroup().isHidden());
    EXPECT_FALSE(box.PopGroup().isHidden()) << "a wrong server can be put right at a failed login";
    box.show();
    box.PasswordField().setText("new");
    box.Pop().pop3->setText("pop2.example.org");
    box.Pop().smtp->clear();
    box.accept();
    EXPECT_EQ(told.texts, (std::vector<std::string>{kInvalidPopSettings}));
    box.Pop().smtp->setText("smtp2.example.org");
    box.accept();
    EXPECT_EQ(box.result(), QDialog::Accepted);
    const LoginForm form = box.Form();
    EXPECT_EQ(form.password, "new");
    EXPECT_EQ(form.login, "ann");
    EXPECT_EQ(form.soundPath, "/sounds/ding.wav");
    EXPECT_EQ(form.pop.pop3Server, "pop2.example.org");
    EXPECT_EQ(form.pop.smtpServer, "smtp2.example.org");
}

TEST(LoginBox, PropertiesShowTheSoundAndForPopTheServersAndTheBoxGrowsForThem)
{
    Told told;
    LoginForm web = PopForm();
    web.isPop = false;
    LoginBox webBox(web, LoginBoxMode::Properties, told.Recorder());
    EXPECT_FALSE(webBox.SoundGroup().isHidden());
    EXPECT_TRUE(webBox.PopGroup().isHidden());

    LoginBox popBox(PopForm(), LoginBoxMode::Properties, told.Recorder());
    LoginBox loginBox(web, LoginBoxMode::Login, told.Recorder());
    EXPECT_FALSE(popBox.PopGroup().isHidden());
    EXPECT_GT(popBox.sizeHint().height(), webBox.sizeHint().height());
    EXPECT_GT(webBox.sizeHint().height(), loginBox.sizeHint().height());

    popBox.Sound().SetPath("/sounds/bell.wav");
    popBox.Pop().deleteFromServer->setChecked(false);
    popBox.Pop().pop3->setText(" pop2.example.org ");
    const LoginForm form = popBox.Form();
    EXPECT_EQ(form.soundPath, "/sounds/bell.wav");
    EXPECT_FALSE(form.pop.deleteFromServer);
    EXPECT_EQ(form.pop.pop3Server, "pop2.example.org");
}

TEST(LoginBox, PopPropertiesWithAnAddressWithoutAtAreRefusedAndTheBoxStays)
{
    Told told;
    LoginBox box(PopForm(), LoginBoxMode::Properties, told.Recorder());
    box.show();
    box.Pop().address->setText("ann.example.org");
    box.accept();
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(told.texts, (std::vector<std::string>{kInvalidPopSettings}));
    box.Pop().address->setText("ann@example.org");
    box.Pop().name->clear();
    box.accept();
    EXPECT_EQ(told.texts.size(), 2u);
    box.Pop().name->setText("Ann");
    box.accept();
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(PopSettingsBox, StartsEmptyAndChecksTheSameFields)
{
    Told told;
    PopSettingsBox box(PopSettings{}, told.Recorder());
    EXPECT_EQ(box.windowTitle(), "POP Mail Account settings");
    EXPECT_TRUE(box.Fields().smtp->text().isEmpty());
    box.show();
    box.Fields().smtp->setText("smtp.example.org");
    box.Fields().pop3->setText("pop.example.org");
    box.Fields().name->setText("Ann");
    box.Fields().address->setText("ann@example.org");
    box.Fields().smtp->clear();
    box.accept();
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(told.texts, (std::vector<std::string>{kInvalidPopSettings}));
    box.Fields().smtp->setText("smtp.example.org:2525");
    box.accept();
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_EQ(box.Settings().smtpServer, "smtp.example.org:2525");
    EXPECT_EQ(box.Settings().emailAddress, "ann@example.org");
}

TEST(NewAccountBox, OffersEveryProviderWithNoneChosen)
{
    NewAccountForm form;
    form.providerNames = {"HotMail", "POPMail"};
    NewAccountBox box(form);
    EXPECT_EQ(box.windowTitle(), "Add New Account");
    EXPECT_EQ(box.Providers().count(), 2);
    EXPECT_EQ(box.Providers().currentIndex(), -1);
    EXPECT_EQ(box.Form().provider, -1);
    box.Providers().setCurrentIndex(1);
    EXPECT_EQ(box.Form().provider, 1);
}

TEST(SoundPicker, BrowseTakesTheChosenFileAndCancelKeepsTheOldOne)
{
    SoundPicker picker("/sounds/ding.wav", "Pl&ay");
    QString startedIn;
    std::optional<QString> answer = QString("/other/bell.wav");
    picker.SetFileChooser([&](const QString& start) {
        startedIn = start;
        return answer;
    });
    picker.Browse();
    EXPECT_EQ(startedIn, "/sounds");
    EXPECT_EQ(picker.Path(), "/other/bell.wav");
    answer.reset();
    picker.Browse();
    EXPECT_EQ(picker.Path(), "/other/bell.wav");
    picker.SetPath("/no/such/file.wav");
    picker.Play();  // a missing file plays nothing and does not fail
}

// Through the engine: a login asks in login mode, "&Properties" in
// properties mode.
class LoginBoxThroughEngine : public FrameTest {
protected:
    // Answers the next login box with Cancel and notes whether it showed the sound.
    void CancelNextLoginBox()
    {
        auto* poll = new QTimer(frame.get());
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll] {
            auto* box = qobject_cast<LoginBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            soundShown = !box->SoundGroup().isHidden();
            ++boxes;
            box->reject();
            poll->deleteLater();
        });
        poll->start(10);
    }

    int boxes = 0;
    bool soundShown = false;
};

TEST_F(LoginBoxThroughEngine, ALoginAsksWithoutTheSoundAndPropertiesWithIt)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto account = engine->Accounts().AddAccount(mail, "ann", std::nullopt, false, 1);
    CancelNextLoginBox();
    EXPECT_FALSE(engine->Accounts().LoginWithProgress(*account));
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(soundShown);

    CancelNextLoginBox();
    engine->Accounts().EditAccount(*account);
    EXPECT_EQ(boxes, 2);
    EXPECT_TRUE(soundShown);
}

}  // namespace
}  // namespace korvalin::ui::test
