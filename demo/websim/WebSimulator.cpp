#include "WebSimulator.h"

#include "PageText.h"

#include <iostream>
#include <stdexcept>

namespace korvalin::websim {
namespace {

std::string HostWithoutPort(std::string_view authority)
{
    if (!authority.empty() && authority.front() == '[')
        return AsciiLower(authority.substr(0, authority.find(']') + 1));
    return AsciiLower(authority.substr(0, authority.find(':')));
}

template <typename Hook> const Hook* FindHook(const std::vector<Hook>& hooks, const SimRequest& request)
{
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
        if ((it->Host.empty() || it->Host == request.Host) && (it->Path.empty() || it->Path == request.Path))
            return &*it;
    return nullptr;
}

} // namespace

WebSimulator::WebSimulator(uint16_t port)
{
    Server = std::make_unique<SimHttpServer>([this](SimRequest& request) { return Route(request); }, port);
}

WebSimulator::~WebSimulator()
{
    Server->Stop();
}

void WebSimulator::Add(std::shared_ptr<ServiceModel> model)
{
    std::lock_guard lock(Lock);
    for (const HostKey& key : model->Hosts()) {
        auto found = ByHost.find(AsciiLower(key.Host));
        if (found != ByHost.end() && found->second != model)
            throw std::invalid_argument("the host " + key.Host + " is already served by " + found->second->Name());
    }
    for (const HostKey& key : model->Hosts())
        ByHost[AsciiLower(key.Host)] = model;
    Models.push_back(std::move(model));
}

void WebSimulator::SetDefaultService(const std::string& name)
{
    std::lock_guard lock(Lock);
    for (const auto& model : Models) {
        if (model->Name() == name) {
            DefaultModel = model;
            return;
        }
    }
    throw std::invalid_argument("no service named " + name);
}

std::vector<std::shared_ptr<ServiceModel>> WebSimulator::Services() const
{
    std::lock_guard lock(Lock);
    return Models;
}

uint16_t WebSimulator::Port() const
{
    return Server->Port();
}

std::string WebSimulator::ProxyUrl() const
{
    return "http://127.0.0.1:" + std::to_string(Port());
}

std::string WebSimulator::PrefixedHost(const std::string& host) const
{
    return "127.0.0.1:" + std::to_string(Port()) + "/" + host;
}

std::string WebSimulator::HostsConf(bool prefixed) const
{
    std::string text;
    for (const auto& model : Services()) {
        text += "# " + model->Name() + "\n";
        for (const HostKey& key : model->Hosts())
            text += key.Key + " = " + (prefixed ? PrefixedHost(key.Host) : key.Host) + "\n";
    }
    return text;
}

void WebSimulator::Replace(const std::string& host, const std::string& path, Replacement replacement)
{
    std::lock_guard lock(Lock);
    Replacements.push_back({AsciiLower(host), path, std::move(replacement)});
}

void WebSimulator::Alter(const std::string& host, const std::string& path, Alteration alteration)
{
    std::lock_guard lock(Lock);
    Alterations.push_back({AsciiLower(host), path, std::move(alteration)});
}

void WebSimulator::ClearHooks()
{
    std::lock_guard lock(Lock);
    Replacements.clear();
    Alterations.clear();
}

std::vector<SimRequest> WebSimulator::Requests() const
{
    std::lock_guard lock(Lock);
    return Log;
}

std::vector<SimRequest> WebSimulator::RequestsTo(const std::string& host, const std::string& path) const
{
    std::vector<SimRequest> matching;
    for (SimRequest& request : Requests())
        if (request.Host == AsciiLower(host) && request.Path == path)
            matching.push_back(std::move(request));
    return matching;
}

void WebSimulator::ClearRequests()
{
    std::lock_guard lock(Lock);
    Log.clear();
}

void WebSimulator::DeliverArrivingMail(std::time_t now)
{
    for (const auto& model : Services())
        model->DeliverArrivingMail(now);
}

bool WebSimulator::Resolve(SimRequest& request, std::shared_ptr<ServiceModel>& model, SimResponse& refusal) const
{
    std::string target = request.Target;
    if (AsciiLower(target.substr(0, 7)) == "http://") {
        size_t pathStart = target.find('/', 7);
        request.Authority = target.substr(7, pathStart == std::string::npos ? std::string::npos : pathStart - 7);
        target = pathStart == std::string::npos ? "/" : target.substr(pathStart);
    } else if (!target.empty() && target.front() == '/') {
        request.Authority = request.Header("host");
    } else {
        refusal = SimResponse::Error(501, "Not Implemented", "the simulator serves plain http only (no tunnels)");
        return false;
    }
    size_t question = target.find('?');
    request.Path = target.substr(0, question);
    request.Query = question == std::string::npos ? std::string() : target.substr(question + 1);

    std::lock_guard lock(Lock);
    request.Host = HostWithoutPort(request.Authority);
    if (auto named = ByHost.find(request.Host); named != ByHost.end()) {
        request.Mode = Addressing::Named;
        model = named->second;
        return true;
    }
    size_t segmentEnd = request.Path.find('/', 1);
    std::string segment =
        AsciiLower(request.Path.substr(1, segmentEnd == std::string::npos ? segmentEnd : segmentEnd - 1));
    if (auto prefixed = ByHost.find(segment); prefixed != ByHost.end()) {
        request.Mode = Addressing::Prefixed;
        request.Host = segment;
        request.Path = segmentEnd == std::string::npos ? "/" : request.Path.substr(segmentEnd);
        model = prefixed->second;
        return true;
    }
    if (DefaultModel != nullptr) {
        request.Mode = Addressing::Fallback;
        request.Host.clear();
        model = DefaultModel;
        return true;
    }
    return false;
}

SimResponse WebSimulator::Route(SimRequest& request)
{
    std::shared_ptr<ServiceModel> model;
    SimResponse refusal;
    bool resolved = Resolve(request, model, refusal);
    if (!resolved && refusal.Status != 200)
        return refusal;

    Replacement replacement;
    Alteration alteration;
    {
        std::lock_guard lock(Lock);
        Log.push_back(request);
        if (const auto* hook = FindHook(Replacements, request))
            replacement = hook->Action;
        if (const auto* hook = FindHook(Alterations, request))
            alteration = hook->Action;
    }

    SimResponse response;
    try {
        if (replacement)
            response = replacement(request);
        else if (model != nullptr)
            response = model->Handle(request);
        else
            response = IndexPage(request);
        if (alteration)
            alteration(request, response);
    } catch (const std::exception& failure) {
        std::cerr << "korvalin-websim: " << request.Method << " " << request.Target << " failed: " << failure.what()
                  << "\n";
        response = SimResponse::Error(500, "Internal Server Error", failure.what());
    }
    return response;
}

SimResponse WebSimulator::IndexPage(const SimRequest& request) const
{
    if (request.Path != "/")
        return SimResponse::Error(404, "Not Found", "the simulator serves no host named \"" + request.Host + "\"");
    PageWriter page;
    page.Line("<html><head><title>Korvalin web-service simulator</title></head>").Line("<body>");
    page.Line("<h1>Korvalin web-service simulator</h1>").Line("<ul>");
    for (const auto& model : Services()) {
        for (const HostKey& key : model->Hosts())
            page.Line("<li>" + HtmlEscape(model->Name() + ": " + key.Key + " = " + key.Host) + " (<a href=\"/" +
                      HtmlEscape(key.Host) + "/\">/" + HtmlEscape(key.Host) + "/</a>)</li>");
    }
    page.Line("</ul>").Line("</body></html>");
    return SimResponse::Html(page.Text());
}

} // namespace korvalin::websim
