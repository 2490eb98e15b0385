#include "UiTestSupport.h"

#include "ProviderLibrary.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <cstdlib>
#include <random>

namespace korvalin::ui::test {
namespace {

// One QApplication for the whole test program, without a display.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "korvalin-ui-tests";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QApplication> application_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

FakeProvider::FakeProvider(std::string name, std::shared_ptr<FakeScript> script) : script_(std::move(script))
{
    Name = std::move(name);
    SignUpUrl = "http://signup.test/";
}

void FakeProvider::SetUserProfile(std::string, std::string password)
{
    password_ = std::move(password);
}

bool FakeProvider::DoLogin()
{
    ++script_->loginCalls;
    return password_ == script_->acceptedPassword;
}

bool FakeProvider::GetMail(std::string locator, std::string& body, CMailMessage& message)
{
    for (const SummaryEntry& entry : script_->summary) {
        if (entry.Locator == locator) {
            message.From = entry.From;
            message.To = "me@test";
            message.Subject = entry.Subject;
            body += "<p>The mail " + entry.MessageId + "</p>";
            return true;
        }
    }
    return false;
}

std::vector<CMailMessage> FakeScript::Sent() const
{
    std::lock_guard lock(sentMutex_);
    return sent_;
}

void FakeScript::RecordSent(const CMailMessage& message)
{
    std::lock_guard lock(sentMutex_);
    sent_.push_back(message);
}

bool FakeProvider::SendMail(CMailMessage message)
{
    if (!script_->acceptSend)
        return false;
    script_->RecordSent(message);
    return true;
}

bool FakeProvider::DeleteMail(std::string)
{
    ++script_->deleted;
    return true;
}

bool FakeProvider::GetMailSummary(CSummaryArray& list, int folder)
{
    if (folder == -1)
        list = script_->summary;
    return true;
}

bool FakeProvider::GetFolders(CStringArray& names)
{
    names = script_->folders;
    return true;
}

TempFolder::TempFolder()
{
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("korvalin-ui-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder()
{
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

FrameTest::FrameTest()
{
    paths.dataRoot = folder.Path() / "home";
    paths.storeFile = paths.dataRoot / "registry";
    paths.autostartFile = folder.Path() / "config/autostart/korvalin.desktop";
    paths.applicationsDir = folder.Path() / "data/applications";
    paths.mimeappsList = folder.Path() / "config/mimeapps.list";
    paths.executableDir = folder.Path() / "bin";
    paths.executable = paths.executableDir / "korvalin";
    std::filesystem::create_directories(paths.dataRoot);

    port.SetMessagePresenter([this](QWidget*, const MessageBoxRequest& request) {
        messages.push_back(request);
        MessageBoxReply reply;
        reply.answer = request.defaultButton;
        if (!answers_.empty()) {
            reply.answer = answers_.front();
            answers_.pop_front();
        }
        return reply;
    });
    port.SetFatalHandler([](const std::string& text) { throw std::runtime_error("fatal: " + text); });
    frame = std::make_unique<MainFrame>();
    frame->SetComposeHandler([this](const ComposeRequest& request) { composes.push_back(request); });
    port.SetFrame(frame.get());
    engine = std::make_unique<Engine>(paths, port);
    frame->Attach(*engine, port);
}

FrameTest::~FrameTest()
{
    port.BeginShutdown();
    frame->Detach();
    engine.reset();
    frame.reset();
}

ProviderEntry& FrameTest::AddProvider(const std::string& name)
{
    auto shared = script;
    auto library = MakeFactoryLibrary(name + "gate.so", [name, shared] { return new FakeProvider(name, shared); });
    return engine->Providers().AddProvider(name, library, false);
}

std::shared_ptr<CAccount> FrameTest::AddAccount(ProviderEntry& provider, const std::string& login, uint16_t mask)
{
    return engine->Accounts().AddAccount(provider, login, std::string("secret"), true, mask);
}

SummaryEntry FrameTest::Mail(const std::string& id, const std::string& from, const std::string& subject,
                              const std::string& date, bool isNew)
{
    SummaryEntry entry;
    entry.MessageId = id;
    entry.Locator = "loc-" + id;
    entry.From = from;
    entry.Subject = subject;
    entry.Date = date;
    entry.Size = "1k";
    entry.New = isNew;
    return entry;
}

std::vector<std::string> FrameTest::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const MessageBoxRequest& request : messages)
        texts.push_back(request.text);
    return texts;
}

size_t FrameTest::CountMessages(const std::string& text) const
{
    size_t count = 0;
    for (const MessageBoxRequest& request : messages)
        count += request.text == text ? 1 : 0;
    return count;
}

}  // namespace korvalin::ui::test
