// Desktop notifications against a small notification server on a private
// session bus (a dbus-daemon the test starts and ends): one notification per
// pass, escaped text, the replacement id, the actions, the switches.
#include "DesktopNotifier.h"
#include "NewMailList.h"
#include "UiTestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>

namespace korvalin::ui::test {

// Records every Notify call and hands out ids 1, 2, ...; can send the
// server's signals.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    explicit FakeNotificationServer(QDBusConnection bus) : bus_(std::move(bus)) {}
    std::vector<Call> calls;

    void Invoke(uint id, const QString& action)
    {
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                         "org.freedesktop.Notifications", "ActionInvoked");
        signal << id << action;
        bus_.send(signal);
    }

public slots:
    uint Notify(const QString&, uint replacesId, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int)
    {
        calls.push_back({replacesId, summary, body, actions, hints});
        return replacesId != 0 ? replacesId : static_cast<uint>(calls.size());
    }
    QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }

private:
    QDBusConnection bus_;
};

namespace {

class PrivateBus {
public:
    PrivateBus()
    {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus("server");
        QDBusConnection::disconnectFromBus("client");
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }
    QDBusConnection Connect(const QString& name) { return QDBusConnection::connectToBus(address_, name); }

private:
    QProcess daemon_;
    QString address_;
};

class NotificationTest : public FrameTest {
protected:
    NotificationTest()
        : server(bus.Connect("server")),
          notifier(*engine, bus.Connect("client"),
                   {[this](const std::shared_ptr<FolderSummary>&, int row) { openedRows.push_back(row); },
                    [this] { ++boxesOpened; }})
    {
        QDBusConnection serverBus = QDBusConnection(QStringLiteral("server"));
        EXPECT_TRUE(serverBus.isConnected());
        EXPECT_TRUE(serverBus.registerObject("/org/freedesktop/Notifications", &server,
                                             QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(serverBus.registerService("org.freedesktop.Notifications"));
        port.SetBusyEndedListener([this] { notifier.PassEnded(); });
    }
    ~NotificationTest() override { port.SetBusyEndedListener({}); }

    // Logs "ann" in; the inbox opens and its first check runs.
    void FirstPass()
    {
        ProviderEntry& mail = AddProvider("TestMail");
        account = AddAccount(mail, "ann");
        ASSERT_TRUE(engine->Accounts().LoginWithProgress(*account));
        ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Count() == script->summary.size(); }));
    }
    // Checks the inbox again; expected mails are new afterwards.
    void AnotherPass(size_t expected)
    {
        ASSERT_TRUE(WaitUntil([&] { return engine->Checks().CanCheck(); }));
        engine->Checks().CheckCommand({&account->Provider(), account.get(), nullptr});
        ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Count() == expected; }));
    }

    PrivateBus bus;
    FakeNotificationServer server;
    DesktopNotifier notifier;
    std::shared_ptr<CAccount> account;
    std::vector<int> openedRows;
    int boxesOpened = 0;
};

TEST_F(NotificationTest, OnePerPassWithEscapedTextReplacingThePreviousOne)
{
    script->summary = {Mail("1", "Ada <ada@test>", "Tom & Jerry"), Mail("2", "bob@test", "<b>Hi</b>\r\nthere")};
    FirstPass();
    ASSERT_TRUE(WaitUntil([&] { return notifier.LastId() != 0; }));
    ASSERT_EQ(server.calls.size(), 1u);
    const auto& first = server.calls[0];
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.summary, "2 new mails");
    EXPECT_EQ(first.body, "bob@test: &lt;b&gt;Hi&lt;/b&gt; there\nAda &lt;ada@test&gt;: Tom &amp; Jerry")
        << "newest first, one line each, escaped";
    EXPECT_TRUE(first.actions.contains("open") && first.actions.contains("mark-read"));
    EXPECT_FALSE(first.hints.contains("suppress-sound"));

    notifier.PassEnded();  // the same mails again: nothing new to tell
    QTest::qWait(50);
    EXPECT_EQ(server.calls.size(), 1u);

    script->summary.push_back(Mail("3", "cy@test", "Third"));
    AnotherPass(3);
    ASSERT_TRUE(WaitUntil([&] { return server.calls.size() == 2; }));
    EXPECT_EQ(server.calls[1].replacesId, 1u) << "replaces instead of stacking";
    EXPECT_EQ(server.calls[1].summary, "New mail");
    EXPECT_EQ(server.calls[1].body, "cy@test: Third");
}

TEST_F(NotificationTest, OpenShowsTheMailOrTheBoxAndMarkAsReadClearsTheNewMails)
{
    script->summary = {Mail("1", "ada@test", "First"), Mail("2", "bob@test", "Second")};
    FirstPass();
    ASSERT_TRUE(WaitUntil([&] { return notifier.LastId() == 1; }));
    server.Invoke(1, "open");
    ASSERT_TRUE(WaitUntil([&] { return boxesOpened == 1; })) << "several mails: the New Mails box";
    server.Invoke(7, "mark-read");  // another program's notification
    QTest::qWait(50);
    EXPECT_EQ(engine->NewMail().Count(), 2u);

    server.Invoke(1, "mark-read");
    ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Empty(); }));

    script->summary.push_back(Mail("3", "cy@test", "Third"));
    AnotherPass(1);
    ASSERT_TRUE(WaitUntil([&] { return server.calls.size() == 2; }));
    server.Invoke(1, "default");
    ASSERT_TRUE(WaitUntil([&] { return openedRows.size() == 1; })) << "one mail: that mail";
    EXPECT_EQ(boxesOpened, 1);
}

TEST_F(NotificationTest, TheSwitchesOfTheOptions)
{
    struct Case {
        const char* name;
        bool notificationsOff;
        bool soundOn;
        bool notified;
        bool suppressSound;
    };
    const Case cases[] = {{"off", true, true, false, false},
                          {"sound off", false, false, true, true},
                          {"sound on", false, true, true, false}};
    ProviderEntry& mail = AddProvider("TestMail");
    account = AddAccount(mail, "ann");
    ASSERT_TRUE(engine->Accounts().LoginWithProgress(*account));
    int mails = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine->Settings().SetFlag(setting::kNoDesktopNotifications, c.notificationsOff);
        engine->Settings().SetFlag(setting::kPlaySound, c.soundOn);
        const size_t before = server.calls.size();
        ++mails;
        script->summary.push_back(Mail(std::to_string(mails), "ada@test", "Mail"));
        AnotherPass(script->summary.size());
        ASSERT_TRUE(WaitUntil([&] { return engine->Checks().CanCheck(); }));
        QTest::qWait(100);
        ASSERT_EQ(server.calls.size(), before + (c.notified ? 1 : 0));
        if (c.notified) {
            EXPECT_EQ(server.calls.back().hints.value("suppress-sound").toBool(), c.suppressSound);
        }
    }
}

// No notification server on the bus: the new mails, the tray and the log are
// as without notifications, and the log says so once.
class NoServerTest : public FrameTest {
protected:
    PrivateBus bus;
    DesktopNotifier notifier{*engine, bus.Connect("client"), {}};
};

TEST_F(NoServerTest, NothingChangesWithoutAServer)
{
    engine->Log().SetLevel(loglevel::kEverything);
    port.SetBusyEndedListener([this] { notifier.PassEnded(); });
    script->summary = {Mail("1", "ada@test", "First")};
    ProviderEntry& mail = AddProvider("TestMail");
    auto account = AddAccount(mail, "ann");
    ASSERT_TRUE(engine->Accounts().LoginWithProgress(*account));
    ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Count() == 1; }));
    script->summary.push_back(Mail("2", "bob@test", "Second"));
    ASSERT_TRUE(WaitUntil([&] { return engine->Checks().CanCheck(); }));
    engine->Checks().CheckCommand({&mail, account.get(), nullptr});
    ASSERT_TRUE(WaitUntil([&] { return engine->NewMail().Count() == 2; }));
    QTest::qWait(200);
    port.SetBusyEndedListener({});
    int said = 0;
    engine->LogView().Drain();
    for (const LogEntry& entry : engine->LogView().Rows())
        said += entry.message.rfind("No desktop notification", 0) == 0 ? 1 : 0;
    EXPECT_EQ(said, 1);
    EXPECT_EQ(notifier.LastId(), 0u);
    EXPECT_TRUE(MessageTexts().empty());
}

TEST(DesktopNotifierText, LongListsAreCutAndControlCharactersGo)
{
    std::vector<NewMailEntry> fresh(5);
    for (size_t i = 0; i < fresh.size(); ++i) {
        fresh[i].from = "s" + std::to_string(i);
        fresh[i].subject = "line\x01\tone " + std::string(100, 'x');
    }
    NotificationContent content = DescribeNewMail(fresh, false);
    const QStringList lines = content.body.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[3], "and 2 more");
    EXPECT_TRUE(lines[0].startsWith("s0: line one xxx"));
    EXPECT_LE(lines[0].size(), 4 + 80);
    EXPECT_TRUE(content.hints.value("suppress-sound").toBool());
}

}  // namespace
}  // namespace korvalin::ui::test

#include "NotificationTest.moc"
