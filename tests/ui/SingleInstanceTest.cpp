// One copy per user and data folder: the hand-over between two processes,
// and what the running copy does with a handed-over recipient.
#include "SingleInstance.h"
#include "UiTestSupport.h"
#include "UserStore.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>

namespace korvalin::ui::test {
namespace {

TEST(HandOverLine, RoundTripsARecipientAndShow)
{
    QString recipient = "x";
    ASSERT_TRUE(DecodeHandOver(EncodeHandOver(""), &recipient));
    EXPECT_TRUE(recipient.isEmpty());
    ASSERT_TRUE(DecodeHandOver(EncodeHandOver("ann@example.org"), &recipient));
    EXPECT_EQ(recipient, "ann@example.org");
    // A line break inside the recipient cannot split the line.
    EXPECT_EQ(EncodeHandOver("a@b\nshow"), QByteArray("to a@bshow\n"));
    EXPECT_FALSE(DecodeHandOver("hello\n", &recipient));
    EXPECT_FALSE(DecodeHandOver("to \n", &recipient));
}

class TwoCopiesTest : public ::testing::Test {
protected:
    // The key the program uses: its store file in the data folder.
    QString Key() const { return QString::fromStdString((std::filesystem::absolute(home) / "registry").string()); }

    // Runs a second korvalin on the same data folder; returns its exit code.
    int RunSecondCopy(const QStringList& arguments)
    {
        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KORVALIN_HOME", QString::fromStdString(home.string()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(environment);
        second.start(KORVALIN_PROGRAM, arguments);
        // The hand-over is answered by this process's event loop.
        EXPECT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 20000))
            << second.readAllStandardError().toStdString();
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    TempFolder folder;
    std::filesystem::path home = folder.Path() / "home";
};

TEST_F(TwoCopiesTest, SecondCopyWithoutParameterAsksTheFirstToShowAndEnds)
{
    SingleInstance first(Key());
    ASSERT_EQ(first.Claim(), SingleInstance::Role::First) << first.Error().toStdString();
    QSignalSpy shown(&first, &SingleInstance::ShowRequested);
    QSignalSpy recipients(&first, &SingleInstance::RecipientReceived);

    EXPECT_EQ(RunSecondCopy({}), 0);

    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(recipients.count(), 0);
    // The duplicate ended before reading any configuration.
    EXPECT_FALSE(std::filesystem::exists(home / "registry"));
}

TEST_F(TwoCopiesTest, SecondCopyWithMailtoHandsTheRecipientOver)
{
    SingleInstance first(Key());
    ASSERT_EQ(first.Claim(), SingleInstance::Role::First);
    QSignalSpy recipients(&first, &SingleInstance::RecipientReceived);

    EXPECT_EQ(RunSecondCopy({"mailto:someone@example.org"}), 0);

    ASSERT_EQ(recipients.count(), 1);
    EXPECT_EQ(recipients.at(0).at(0).toString(), "someone@example.org");
}

TEST_F(TwoCopiesTest, TheClaimIsFreeAgainOnceTheFirstCopyHasGone)
{
    {
        SingleInstance first(Key());
        ASSERT_EQ(first.Claim(), SingleInstance::Role::First);
    }
    SingleInstance next(Key());
    EXPECT_EQ(next.Claim(), SingleInstance::Role::First);
    SingleInstance other(Key() + "-elsewhere");
    EXPECT_EQ(other.Claim(), SingleInstance::Role::First) << "another data folder is another program";
}

class HandedOverRecipientTest : public FrameTest {};

TEST_F(HandedOverRecipientTest, OpensOneComposeWindowAndLeavesNoRecipientBehind)
{
    ProviderEntry& mail = AddProvider("TestMail");
    auto ann = AddAccount(mail, "ann");
    ASSERT_TRUE(engine->Accounts().LoginWithProgress(*ann));
    frame->SetLogonStarted();

    frame->ComposeForHandedOverRecipient("someone@example.org");

    ASSERT_EQ(composes.size(), 1u);
    EXPECT_EQ(composes[0].recipient, "someone@example.org");
    EXPECT_EQ(composes[0].sender, ann.get());
    EXPECT_EQ(composes[0].senderText, "Sender: ann@TestMail");
    EXPECT_TRUE(engine->PendingRecipient().empty());
    EXPECT_NE(UserStore(paths.storeFile).Read("Recipient").state, StoreRead::Found);
}

TEST_F(HandedOverRecipientTest, BeforeTheLogonTheRecipientWaitsForIt)
{
    frame->ComposeForHandedOverRecipient("later@example.org");
    EXPECT_TRUE(composes.empty());
    EXPECT_EQ(engine->PendingRecipient(), "later@example.org");
}

}  // namespace
}  // namespace korvalin::ui::test
