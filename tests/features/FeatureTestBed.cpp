#include "FeatureTestBed.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace korvalin::test {
namespace {

std::unique_ptr<NetworkProbe> MakeProbe(FakeNetworkProbe** keep)
{
    auto probe = std::make_unique<FakeNetworkProbe>();
    *keep = probe.get();
    return probe;
}

}  // namespace

void FakeFeaturePort::PostToUiThread(std::function<void()> work)
{
    {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
        ++postedCount_;
    }
    posted_.notify_all();
}

bool FakeFeaturePort::RunPostedWork()
{
    std::vector<std::function<void()>> work;
    {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_for(lock, std::chrono::seconds(10), [this] { return !work_.empty(); }))
            return false;
        work.swap(work_);
    }
    for (auto& item : work)
        item();
    return true;
}

size_t FakeFeaturePort::PostedCount() const
{
    std::lock_guard lock(mutex_);
    return postedCount_;
}

void FakeFeaturePort::RunUpdateOffer(UpdateOfferBox& box)
{
    offers.push_back(box.FeaturesText());
    if (answerOffer)
        answerOffer(box);
    if (!box.Closed())
        box.OnClose();
}

bool FakeFeaturePort::StartProgram(const std::filesystem::path& program)
{
    started.push_back(program);
    return startSucceeds;
}

void FakeFeaturePort::ExitProcess(int code)
{
    exitCodes.push_back(code);
}

void FakeNetworkProbe::Record(const std::string& call)
{
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
}

std::vector<std::string> FakeNetworkProbe::Calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

bool FakeNetworkProbe::CanCreateSocket()
{
    Record("socket");
    return socketWorks;
}

RouteAnswer FakeNetworkProbe::QueryRoute(const std::string& host)
{
    Record("route " + host);
    return route;
}

int FakeNetworkProbe::Connect(const std::string& host, int port, std::string* why)
{
    Record("connect " + host + ":" + std::to_string(port));
    if (connectError != 0 && why != nullptr)
        *why = "refused by the test";
    return connectError;
}

std::vector<std::string> MailScript::Events()
{
    std::lock_guard lock(mutex);
    return events;
}

std::vector<CMailMessage> MailScript::Sent()
{
    std::lock_guard lock(mutex);
    return sent;
}

bool MailScript::WaitForEvent(const std::string& event)
{
    for (int i = 0; i < 500; ++i) {
        std::vector<std::string> now = Events();
        if (std::find(now.begin(), now.end(), event) != now.end())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void MailScript::Release()
{
    {
        std::lock_guard lock(mutex);
        holdAt.clear();
    }
    released.notify_all();
}

void MailScript::HoldIfAsked(std::unique_lock<std::mutex>& lock, const std::string& event)
{
    released.wait_for(lock, std::chrono::seconds(5), [&] { return holdAt != event; });
}

MailFakeProvider::MailFakeProvider(std::string name, std::shared_ptr<MailScript> script) : script_(std::move(script))
{
    Name = std::move(name);
}

void MailFakeProvider::GetAddressBook(CAddressArray& book)
{
    std::unique_lock lock(script_->mutex);
    script_->events.push_back("book");
    script_->HoldIfAsked(lock, "book");
    book = script_->serviceBook;
}

void MailFakeProvider::AddAddress(std::string name, std::string address)
{
    std::unique_lock lock(script_->mutex);
    script_->events.push_back("add " + name + "=" + address);
    script_->HoldIfAsked(lock, script_->events.back());
    script_->serviceBook.push_back({false, name, address});
}

bool MailFakeProvider::GetMail(std::string locator, std::string& body, CMailMessage& message)
{
    std::lock_guard lock(script_->mutex);
    script_->events.push_back("get " + locator);
    auto found = script_->mails.find(locator);
    if (found == script_->mails.end())
        return false;
    body += found->second.first;
    message = found->second.second;
    return true;
}

bool MailFakeProvider::SendMail(CMailMessage message)
{
    std::lock_guard lock(script_->mutex);
    script_->events.push_back("send " + message.To);
    script_->sent.push_back(std::move(message));
    return true;
}

bool MailFakeProvider::DeleteMail(std::string locator)
{
    std::lock_guard lock(script_->mutex);
    script_->events.push_back("delete " + locator);
    return true;
}

FeatureBed::FeatureBed() : hooks(port, MakeProbe(&probe))
{
    bed.hooks = &hooks;
    bed.Restart();
    hooks.Attach(*bed.engine);
    WriteHostsConf("");
}

FeatureBed::~FeatureBed()
{
    bed.engine.reset();
}

std::shared_ptr<CAccount> FeatureBed::AddAccount(const std::string& provider, const std::string& login)
{
    ProviderEntry* entry = engine().Providers().Find(provider);
    if (entry == nullptr) {
        auto script = std::make_shared<MailScript>();
        scripts_[provider] = script;
        auto library =
            MakeFactoryLibrary(provider + ".so", [provider, script] { return new MailFakeProvider(provider, script); });
        entry = &engine().Providers().AddProvider(provider, library, false);
    }
    auto account = engine().Accounts().AddAccount(*entry, login, std::string("secret"), true, 1);
    account->Update([](AccountState& state) { state.loggedIn = true; });
    return account;
}

void FeatureBed::WaitForRequests()
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (engine().Requests().Outstanding() != 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the request worker did not finish";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void FeatureBed::WriteHostsConf(const std::string& text)
{
    // Nothing a test does reaches beyond this machine; later lines win.
    WriteFile(bed.paths.dataRoot / "hosts.conf",
              "vendor.web = http://127.0.0.1:1\nvendor.address = 127.0.0.1\nvendor.conntest = 127.0.0.1:1\n" + text);
}

}  // namespace korvalin::test
