// The network tests wait for a slow resolver or connect without freezing the
// windows: the UI thread keeps serving its events, and the answer is still
// acted on in its place.
#include "FeatureHooks.h"
#include "QtFeaturePort.h"
#include "StatusPanes.h"
#include "UiTestSupport.h"

#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace korvalin::ui::test {
namespace {

// Every question waits until Release() (at most a few seconds), then
// answers: no route, and a connection made.
class StallingProbe : public NetworkProbe {
public:
    bool CanCreateSocket() override { return true; }
    RouteAnswer QueryRoute(const std::string&) override
    {
        Stall();
        return RouteAnswer::NoRoute;
    }
    int Connect(const std::string&, int, std::string*) override
    {
        Stall();
        return 0;
    }
    void Release()
    {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    void Stall()
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(3), [this] { return released_; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool released_ = false;
};

class NetworkWaitTest : public FrameTest {
protected:
    NetworkWaitTest() : featurePort(port), features(featurePort, MakeProbe())
    {
        // The engine of the program: with the network tests attached.
        frame->Detach();
        engine.reset();
        EngineOptions options;
        options.hooks = &features;
        engine = std::make_unique<Engine>(paths, port, options);
        frame->Attach(*engine, port);
        features.Attach(*engine);
        frame->SetFeatures(&features);
    }
    ~NetworkWaitTest() override
    {
        port.BeginShutdown();
        frame->Detach();
        engine.reset();
    }
    std::unique_ptr<NetworkProbe> MakeProbe()
    {
        auto made = std::make_unique<StallingProbe>();
        probe = made.get();
        return made;
    }
    // A timer of the UI thread that lets the probe answer.
    void ReleaseFromATimer()
    {
        QTimer::singleShot(50, [this] {
            fired = true;
            probe->Release();
        });
    }

    QtFeaturePort featurePort;
    StallingProbe* probe = nullptr;  // owned by features
    FeatureHooks features;
    bool fired = false;
};

TEST_F(NetworkWaitTest, ATickWaitsForTheRouteTestWithoutFreezingAndGoesOffline)
{
    ReleaseFromATimer();
    engine->Checks().OnCheckTimer();
    EXPECT_TRUE(fired) << "the UI thread served no events while the route test waited";
    EXPECT_FALSE(engine->Online().Online());
    EXPECT_EQ(frame->Status().PaneText(kModePane), "Offline Mode");
}

TEST_F(NetworkWaitTest, TheLogonWaitsForTheConnectionTestWithoutFreezingAndGoesOn)
{
    ReleaseFromATimer();
    engine->StartLogon();
    EXPECT_TRUE(fired) << "the UI thread served no events while the connection test waited";
    EXPECT_TRUE(frame->CheckTimer().isActive()) << "the logon went on after the connection test";
    EXPECT_TRUE(MessageTexts().empty());
}

}  // namespace
}  // namespace korvalin::ui::test
