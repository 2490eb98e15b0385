#include "NetworkTests.h"

#include "Engine.h"
#include "HostValue.h"
#include "TcpStream.h"
#include "TextFormat.h"

#include <atomic>
#include <cerrno>
#include <optional>
#include <system_error>
#include <thread>
#include <type_traits>

namespace korvalin {
namespace {

// The resolver and the connect may each take their whole time-out when the
// network or its name service is gone: the probe's call runs on a thread of
// its own while the caller keeps its windows working (the UI thread serves
// its events meanwhile; the result comes back in the same order as before).
template <typename Call>
std::invoke_result_t<Call&> AwayFromCaller(Engine& engine, Call call)
{
    std::optional<std::invoke_result_t<Call&>> result;
    std::atomic<bool> done{false};
    try {
        std::jthread prober([&] {
            result.emplace(call());
            done = true;
        });
        engine.Ui().KeepAliveUntil([&] { return done.load(); });
    } catch (const std::system_error& error) {
        engine.Log().Warning(kCommon, "The network test runs without a thread of its own: %s", error.what());
    }
    return result ? std::move(*result) : call();
}

}  // namespace

bool NetworkTests::RouteTest()
{
    if (!engine_.Settings().Flag(setting::kCheckInternet))
        return true;
    if (!probe_.CanCreateSocket())
        return AskYesNo(engine_.Ui(), kNetworkDetectionTrouble, MessageAnswer::No) == MessageAnswer::Yes;
    const std::string value = HostValue(engine_.Paths(), "vendor.address");
    std::string host = value;
    int port = 80;
    SplitHostPort(value, 80, host, port);  // the route test looks at the host only
    switch (AwayFromCaller(engine_, [&] { return probe_.QueryRoute(host); })) {
    case RouteAnswer::Route:
        return true;
    case RouteAnswer::BadAddress:
        engine_.Log().Warning(kCommon, "The route test cannot use the address %s", host.c_str());
        return true;
    case RouteAnswer::NoRoute:
        break;
    }
    engine_.Log().Warning(kCommon, "No route to %s: the machine seems to be offline", host.c_str());
    return false;
}

bool NetworkTests::ConnectionTest()
{
    if (!engine_.Online().Online())
        return false;
    if (!engine_.Settings().Flag(setting::kCheckInternet))
        return true;
    const std::string value = HostValue(engine_.Paths(), "vendor.conntest");
    std::string host;
    int port = 80;
    int error = EINVAL;
    std::string why = "the connection test host \"" + value + "\" is not a host name";
    if (SplitHostPort(value, 80, host, port))
        error = AwayFromCaller(engine_, [&] { return probe_.Connect(host, port, &why); });
    if (error == 0)
        return true;
    engine_.Log().Warning(kCommon, "Connection test: %s", why.c_str());

    std::lock_guard lock(questionMutex_);
    if (!engine_.Settings().Flag(setting::kCheckInternet))
        return false;  // switched off while this thread waited for its turn
    MessageBoxRequest question;
    question.text = Format(kConnectionFailedFormat, error);
    question.icon = MessageIcon::Warning;
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = MessageAnswer::Yes;
    if (engine_.Ui().ShowMessage(question).answer == MessageAnswer::Yes) {
        engine_.Settings().SetFlag(setting::kCheckInternet, false);
        engine_.UserInfo().Save();
        engine_.Log().Info(kCommon, "Internet detection switched off");
    }
    return false;
}

}  // namespace korvalin
