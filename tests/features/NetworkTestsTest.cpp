#include "FeatureTestBed.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace korvalin::test {
namespace {

// A listening socket on 127.0.0.1 with a port of the system's choosing.
class Listener {
public:
    Listener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            ADD_FAILURE() << "cannot listen on 127.0.0.1";
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { Close(); }
    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

class NetworkTestsTest : public ::testing::Test {
protected:
    void SetInternetCheck(bool on) { bed.engine().Settings().SetFlag(setting::kCheckInternet, on); }
    bool StoreWritten() { return std::filesystem::exists(bed.bed.paths.storeFile); }

    FeatureBed bed;
};

TEST_F(NetworkTestsTest, SwitchedOffBothPassWithoutAnyNetworkActivity)
{
    SetInternetCheck(false);
    bed.probe->socketWorks = false;
    bed.probe->route = RouteAnswer::NoRoute;
    bed.probe->connectError = ENETUNREACH;
    EXPECT_TRUE(bed.hooks.RouteTest());
    EXPECT_TRUE(bed.hooks.ConnectionTest());
    EXPECT_TRUE(bed.probe->Calls().empty());
    EXPECT_TRUE(bed.bed.ui.MessageTexts().empty());
}

TEST_F(NetworkTestsTest, RouteTestAsksTheVendorAddressAndTrustsABadAddress)
{
    bed.WriteHostsConf("vendor.address = 10.1.2.3:8080\n");
    EXPECT_TRUE(bed.hooks.RouteTest());
    EXPECT_EQ(bed.probe->Calls(), (std::vector<std::string>{"socket", "route 10.1.2.3"}));
    bed.probe->route = RouteAnswer::NoRoute;
    EXPECT_FALSE(bed.hooks.RouteTest());
    bed.probe->route = RouteAnswer::BadAddress;
    EXPECT_TRUE(bed.hooks.RouteTest());
}

TEST_F(NetworkTestsTest, RouteTestAsksThePersonWhenNoSocketCanBeMade)
{
    bed.probe->socketWorks = false;
    EXPECT_FALSE(bed.hooks.RouteTest());  // the default answer is No
    bed.bed.ui.QueueReply(MessageAnswer::Yes);
    EXPECT_TRUE(bed.hooks.RouteTest());
    auto messages = bed.bed.ui.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, kNetworkDetectionTrouble);
    EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages[0].defaultButton, MessageAnswer::No);
    EXPECT_EQ(bed.probe->Calls(), (std::vector<std::string>{"socket", "socket"}));
}

TEST_F(NetworkTestsTest, ConnectionTestFailsAtOnceWhileOffline)
{
    bed.engine().Online().SetOnline(false);
    EXPECT_FALSE(bed.hooks.ConnectionTest());
    EXPECT_TRUE(bed.probe->Calls().empty());
}

TEST_F(NetworkTestsTest, FailedConnectionOffersToSwitchTheDetectionOff)
{
    bed.WriteHostsConf("vendor.conntest = web.example\n");
    bed.probe->connectError = ECONNREFUSED;
    bed.bed.ui.QueueReply(MessageAnswer::No);
    EXPECT_FALSE(bed.hooks.ConnectionTest());
    EXPECT_EQ(bed.probe->Calls(), (std::vector<std::string>{"connect web.example:80"}));
    EXPECT_TRUE(bed.engine().Settings().Flag(setting::kCheckInternet));
    EXPECT_FALSE(StoreWritten());

    bed.bed.ui.QueueReply(MessageAnswer::Yes);
    EXPECT_FALSE(bed.hooks.ConnectionTest());
    EXPECT_FALSE(bed.engine().Settings().Flag(setting::kCheckInternet));
    EXPECT_TRUE(StoreWritten());
    auto messages = bed.bed.ui.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.rfind("Connection to internet failed. Error 111. Please check", 0), 0u);
    EXPECT_EQ(messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(bed.hooks.ConnectionTest());  // switched off now
}

TEST_F(NetworkTestsTest, FolderThreadsFailingTogetherAskOnlyUntilTheDetectionIsOff)
{
    bed.probe->connectError = ETIMEDOUT;
    bed.bed.ui.QueueReply(MessageAnswer::Yes);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] { bed.hooks.ConnectionTest(); });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(bed.bed.ui.Messages().size(), 1u);
}

TEST(SystemNetworkProbe, ConnectsToALoopbackListenerAndReportsARefusal)
{
    SystemNetworkProbe probe;
    EXPECT_TRUE(probe.CanCreateSocket());
    EXPECT_EQ(probe.QueryRoute("127.0.0.1"), RouteAnswer::Route);
    Listener listener;
    std::string why;
    EXPECT_EQ(probe.Connect("127.0.0.1", listener.Port(), &why), 0) << why;
    const int port = listener.Port();
    listener.Close();
    EXPECT_EQ(probe.Connect("127.0.0.1", port, &why), ECONNREFUSED);
    EXPECT_NE(why.find("127.0.0.1"), std::string::npos);
}

TEST(SystemNetworkProbe, ConnectionTestReachesTheConfiguredHostAndPort)
{
    FakeFeaturePort port;
    FeatureHooks hooks(port);  // with the system's sockets
    TestBed bed;
    bed.hooks = &hooks;
    bed.Restart();
    hooks.Attach(*bed.engine);
    Listener listener;
    WriteFile(bed.paths.dataRoot / "hosts.conf", "vendor.conntest = 127.0.0.1:" + std::to_string(listener.Port()) +
                                                     "\nvendor.address = 127.0.0.1\n");
    EXPECT_TRUE(hooks.ConnectionTest());
    EXPECT_TRUE(hooks.RouteTest());
    EXPECT_TRUE(bed.ui.MessageTexts().empty());
    bed.engine.reset();
}

}  // namespace
}  // namespace korvalin::test
