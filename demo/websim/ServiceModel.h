// One simulated web-mail service. A model owns its accounts and mailboxes,
// answers the requests meant for its hosts, and renders its pages with the
// markers and line layout its provider plug-in cuts them by.
//
// Adding a service: one new model file in services/ that derives from
// ServiceModel and registers a demo factory with KORVALIN_WEBSIM_SERVICE;
// korvalin-websim then serves it, and tests construct it directly.
#pragma once

#include "SimHttp.h"

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace korvalin::websim {

// A hosts.conf key of the program and the simulated host name it should
// name, e.g. {"hotmail.web", "web.hotmail.sim"}.
struct HostKey {
    std::string Key;
    std::string Host;
};

class ServiceModel {
public:
    virtual ~ServiceModel() = default;

    // Short lower-case name: "hotmail".
    virtual std::string Name() const = 0;
    // The provider name of the service's plug-in, which accounts name
    // ("HotMail"); Name() unless the model says otherwise.
    virtual std::string ProviderName() const { return Name(); }
    virtual std::vector<HostKey> Hosts() const = 0;

    // Answers one request. request.Host is one of Hosts(), or empty when the
    // model answers a bare address as the default service (it then plays all
    // of its hosts). Called from many threads at once.
    virtual SimResponse Handle(const SimRequest& request) = 0;

    // The demo's new mail: one more mail for every account.
    virtual void DeliverArrivingMail(std::time_t now) = 0;

    // Lines for korvalin-websim's start-up text: hosts and what to try.
    virtual std::vector<std::string> Describe() const = 0;
    // User name and password of every account, for the demo's profile;
    // none unless the model lists them.
    virtual std::vector<std::pair<std::string, std::string>> Logins() const { return {}; }
};

// The models korvalin-websim can serve, each built with its demo accounts.
using ServiceFactory = std::function<std::shared_ptr<ServiceModel>(std::time_t now)>;

bool RegisterService(const std::string& name, ServiceFactory factory);
std::vector<std::string> RegisteredServices();
// Null when no service of that name is registered.
std::shared_ptr<ServiceModel> MakeDemoService(const std::string& name, std::time_t now);

} // namespace korvalin::websim

#define KORVALIN_WEBSIM_CONCAT_INNER(a, b) a##b
#define KORVALIN_WEBSIM_CONCAT(a, b) KORVALIN_WEBSIM_CONCAT_INNER(a, b)
// Registers a demo factory at start-up: KORVALIN_WEBSIM_SERVICE("hotmail", MakeDemoHotmail);
#define KORVALIN_WEBSIM_SERVICE(name, factory)                                                                         \
    static const bool KORVALIN_WEBSIM_CONCAT(kRegisteredService, __LINE__) =                                           \
        ::korvalin::websim::RegisterService(name, factory)
