// The web-service simulator: one HTTP server on 127.0.0.1 that plays every
// host of every service model added to it, and records what it was asked.
//
// A request finds its host in one of three ways:
//  - by name: the client uses the simulator as its HTTP proxy
//    (http_proxy=http://127.0.0.1:PORT) and sends "http://web.hotmail.sim/...",
//    or sends a Host header naming a simulated host;
//  - by path prefix: "http://127.0.0.1:PORT/web.hotmail.sim/cgi-bin/start",
//    i.e. hosts.conf names "127.0.0.1:PORT/web.hotmail.sim" as the host;
//  - as a fallback: any other address goes to the default service, if one
//    is set, which then plays all of its hosts at that one address.
// Pages link back in the same way the request came.
#pragma once

#include "ServiceModel.h"
#include "SimHttpServer.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvalin::websim {

class WebSimulator {
public:
    explicit WebSimulator(uint16_t port = 0);
    ~WebSimulator();
    WebSimulator(const WebSimulator&) = delete;
    WebSimulator& operator=(const WebSimulator&) = delete;

    // Throws std::invalid_argument when one of the model's hosts is taken.
    void Add(std::shared_ptr<ServiceModel> model);
    // The service that answers requests for addresses no model claims.
    void SetDefaultService(const std::string& name);
    std::vector<std::shared_ptr<ServiceModel>> Services() const;

    uint16_t Port() const;
    std::string ProxyUrl() const;                            // "http://127.0.0.1:PORT"
    std::string PrefixedHost(const std::string& host) const; // "127.0.0.1:PORT/host", a hosts.conf value

    // The hosts.conf lines that point the program at the simulated hosts:
    // by name (to be reached through ProxyUrl) or by path prefix.
    std::string HostsConf(bool prefixed) const;

    // Test hooks, matched on the simulated host and the path ("" matches
    // any). Replace answers instead of the model; Alter changes the model's
    // answer. The newest matching hook wins.
    using Replacement = std::function<SimResponse(const SimRequest&)>;
    using Alteration = std::function<void(const SimRequest&, SimResponse&)>;
    void Replace(const std::string& host, const std::string& path, Replacement replacement);
    void Alter(const std::string& host, const std::string& path, Alteration alteration);
    void ClearHooks();

    // Every request answered so far, with its host and path resolved.
    std::vector<SimRequest> Requests() const;
    std::vector<SimRequest> RequestsTo(const std::string& host, const std::string& path) const;
    void ClearRequests();

    // Gives every service's accounts one more mail.
    void DeliverArrivingMail(std::time_t now);

private:
    template <typename Hook> struct Hooked {
        std::string Host, Path;
        Hook Action;
    };

    SimResponse Route(SimRequest& request);
    bool Resolve(SimRequest& request, std::shared_ptr<ServiceModel>& model, SimResponse& refusal) const;
    SimResponse IndexPage(const SimRequest& request) const;

    mutable std::mutex Lock;
    std::vector<std::shared_ptr<ServiceModel>> Models;
    std::map<std::string, std::shared_ptr<ServiceModel>> ByHost;
    std::shared_ptr<ServiceModel> DefaultModel;
    std::vector<Hooked<Replacement>> Replacements;
    std::vector<Hooked<Alteration>> Alterations;
    std::vector<SimRequest> Log;
    std::unique_ptr<SimHttpServer> Server; // last: stopped before the rest goes
};

} // namespace korvalin::websim
