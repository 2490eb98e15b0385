// Routing: the three ways a request names its simulated host, the links a
// model writes for each, test hooks, and the request log.
#include "WebSimulator.h"

#include "WebRequest.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace korvalin::websim;

namespace {

// A service with two hosts that answers with what it was asked.
class EchoModel : public ServiceModel {
public:
    std::string Name() const override { return "echo"; }
    std::string ProviderName() const override { return "Echo"; }
    std::vector<std::pair<std::string, std::string>> Logins() const override { return {{"u", "p"}}; }
    std::vector<HostKey> Hosts() const override { return {{"echo.a", "a.echo.sim"}, {"echo.b", "b.echo.sim"}}; }
    SimResponse Handle(const SimRequest& request) override
    {
        return SimResponse::Html("host=" + request.Host + " path=" + request.Path + " query=" + request.Query +
                                 " link=" + request.BaseUrlOf("b.echo.sim"));
    }
    void DeliverArrivingMail(std::time_t) override { ++Arrived; }
    std::vector<std::string> Describe() const override { return {"echo"}; }
    int Arrived = 0;
};

class Routing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::unsetenv("http_proxy");
        Simulator.Add(Model);
    }

    std::string Get(const std::string& url)
    {
        CWebRequest request;
        std::string page;
        EXPECT_TRUE(request.GetPage(url, page)) << url << ": " << request.LastError();
        return page;
    }

    std::shared_ptr<EchoModel> Model = std::make_shared<EchoModel>();
    WebSimulator Simulator;
};

} // namespace

TEST_F(Routing, AProxyRequestIsRoutedByItsHostAndLinksByName)
{
    ::setenv("http_proxy", Simulator.ProxyUrl().c_str(), 1);
    EXPECT_EQ(Get("http://a.echo.sim/cgi-bin/x?q=1"),
              "host=a.echo.sim path=/cgi-bin/x query=q=1 link=http://b.echo.sim");
    EXPECT_EQ(Get("http://B.Echo.Sim:8080/"), "host=b.echo.sim path=/ query= link=http://b.echo.sim:8080");
    ::unsetenv("http_proxy");
    std::vector<SimRequest> log = Simulator.Requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Target, "http://a.echo.sim/cgi-bin/x?q=1");
    EXPECT_EQ(log[0].Mode, Addressing::Named);
}

TEST_F(Routing, APathPrefixNamesTheHostAndLinksKeepThePrefix)
{
    std::string base = "http://" + Simulator.PrefixedHost("a.echo.sim");
    EXPECT_EQ(Get(base + "/cgi-bin/x?q=1"),
              "host=a.echo.sim path=/cgi-bin/x query=q=1 link=" + Simulator.ProxyUrl() + "/b.echo.sim");
    EXPECT_EQ(Simulator.RequestsTo("a.echo.sim", "/cgi-bin/x").size(), 1u);
    EXPECT_EQ(Simulator.HostsConf(true), "# echo\necho.a = " + Simulator.PrefixedHost("a.echo.sim") +
                                             "\necho.b = " + Simulator.PrefixedHost("b.echo.sim") + "\n");
    EXPECT_EQ(Simulator.HostsConf(false), "# echo\necho.a = a.echo.sim\necho.b = b.echo.sim\n");
}

TEST_F(Routing, ABareAddressGoesToTheDefaultServiceOrGetsTheIndex)
{
    std::string index = Get(Simulator.ProxyUrl() + "/");
    EXPECT_NE(index.find("echo.a = a.echo.sim"), std::string::npos);
    CWebRequest missing;
    std::string page;
    missing.GetPage(Simulator.ProxyUrl() + "/cgi-bin/x", page);
    EXPECT_NE(missing.ResponseHeaders().find("404"), std::string::npos);

    Simulator.SetDefaultService("echo");
    EXPECT_EQ(Get(Simulator.ProxyUrl() + "/cgi-bin/x"), "host= path=/cgi-bin/x query= link=" + Simulator.ProxyUrl());
    EXPECT_THROW(Simulator.SetDefaultService("nothing"), std::invalid_argument);
    EXPECT_THROW(Simulator.Add(std::make_shared<EchoModel>()), std::invalid_argument);
}

TEST_F(Routing, HooksReplaceOrAlterTheModelsAnswerAndModelFailuresBecome500)
{
    std::string base = "http://" + Simulator.PrefixedHost("a.echo.sim");
    Simulator.Replace("a.echo.sim", "/replaced", [](const SimRequest&) { return SimResponse::Html("instead"); });
    Simulator.Alter("", "", [](const SimRequest&, SimResponse& response) { response.Body += "+"; });
    EXPECT_EQ(Get(base + "/replaced"), "instead+");
    EXPECT_EQ(Get(base + "/other").back(), '+');

    Simulator.Replace("", "/broken", [](const SimRequest&) -> SimResponse { throw std::runtime_error("model fault"); });
    CWebRequest request;
    std::string page;
    request.GetPage(base + "/broken", page);
    EXPECT_NE(request.ResponseHeaders().find("HTTP/1.1 500"), std::string::npos);
    EXPECT_NE(page.find("model fault"), std::string::npos);

    Simulator.ClearHooks();
    EXPECT_EQ(Get(base + "/replaced").find("host=a.echo.sim"), 0u);
    Simulator.DeliverArrivingMail(0);
    EXPECT_EQ(Model->Arrived, 1);
}
