// The engine of the core tests with FeatureHooks attached, a scripted
// feature port, a scripted network probe and a mail provider whose mails,
// address book and recorded calls the test controls.
#pragma once

#include "FeatureHooks.h"
#include "FeaturePort.h"
#include "NetworkProbe.h"
#include "TestSupport.h"
#include "UpdateOfferBox.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace korvalin::test {

class FakeFeaturePort : public FeaturePort {
public:
    void PostToUiThread(std::function<void()> work) override;
    void RunUpdateOffer(UpdateOfferBox& box) override;
    bool StartProgram(const std::filesystem::path& program) override;
    void ExitProcess(int code) override;

    // Waits (a few seconds at most) for posted work and runs it; false when none came.
    bool RunPostedWork();
    size_t PostedCount() const;

    // What the person does in the update box; by default closes it.
    std::function<void(UpdateOfferBox&)> answerOffer;
    std::vector<std::string> offers;  // the features text of every box shown
    bool startSucceeds = true;
    std::vector<std::filesystem::path> started;
    std::vector<int> exitCodes;

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<std::function<void()>> work_;
    size_t postedCount_ = 0;
};

class FakeNetworkProbe : public NetworkProbe {
public:
    bool CanCreateSocket() override;
    RouteAnswer QueryRoute(const std::string& host) override;
    int Connect(const std::string& host, int port, std::string* why) override;

    std::vector<std::string> Calls() const;  // "socket", "route host", "connect host:port"

    std::atomic<bool> socketWorks{true};
    std::atomic<RouteAnswer> route{RouteAnswer::Route};
    std::atomic<int> connectError{0};

private:
    void Record(const std::string& call);

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

// What every MailFakeProvider object of one provider shares with the test.
struct MailScript {
    std::mutex mutex;
    std::map<std::string, std::pair<std::string, CMailMessage>> mails;  // locator -> body, headers
    std::vector<std::string> events;                                      // "get L", "send TO", "delete L", "add N=A"
    std::vector<CMailMessage> sent;
    CAddressArray serviceBook;
    // A slow service: the call whose event is holdAt records it and then
    // waits until Release() (or a few seconds).
    std::string holdAt;
    std::condition_variable released;

    std::vector<std::string> Events();
    std::vector<CMailMessage> Sent();
    // Waits (a few seconds at most) until event was recorded.
    bool WaitForEvent(const std::string& event);
    void Release();
    // Under mutex, after event was recorded.
    void HoldIfAsked(std::unique_lock<std::mutex>& lock, const std::string& event);
};

class MailFakeProvider : public CMailProvider {
public:
    MailFakeProvider(std::string name, std::shared_ptr<MailScript> script);
    void SetUserProfile(std::string, std::string) override {}
    bool DoLogin() override { return true; }
    void GetAddressBook(CAddressArray& book) override;
    void AddAddress(std::string name, std::string address) override;
    bool GetMail(std::string locator, std::string& body, CMailMessage& message) override;
    bool SendMail(CMailMessage message) override;
    bool DeleteMail(std::string locator) override;
    bool GetFolders(CStringArray&) override { return true; }
    bool GetMailSummary(CSummaryArray&, int) override { return false; }
    int GetVersion() override { return 3; }

private:
    std::shared_ptr<MailScript> script_;
};

class FeatureBed {
public:
    FeatureBed();
    ~FeatureBed();

    Engine& engine() { return *bed.engine; }
    // A provider of MailFakeProvider objects with one logged-in account.
    std::shared_ptr<CAccount> AddAccount(const std::string& provider, const std::string& login);
    std::shared_ptr<MailScript> Script(const std::string& provider) { return scripts_.at(provider); }
    // Waits until the request worker has served everything queued.
    void WaitForRequests();
    // hosts.conf: the vendor's hosts on this machine, then text.
    void WriteHostsConf(const std::string& text);

    FakeFeaturePort port;
    FakeNetworkProbe* probe = nullptr;  // owned by hooks
    FeatureHooks hooks;
    TestBed bed;

private:
    std::map<std::string, std::shared_ptr<MailScript>> scripts_;
};

}  // namespace korvalin::test
