#include "ServiceModel.h"

#include <map>
#include <mutex>

namespace korvalin::websim {
namespace {

struct Registry {
    std::mutex Lock;
    std::map<std::string, ServiceFactory> Factories;
};

// Built on first use, so registrations from other files' static
// initialisers never find it unconstructed.
Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

bool RegisterService(const std::string& name, ServiceFactory factory)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.Lock);
    return registry.Factories.emplace(name, std::move(factory)).second;
}

std::vector<std::string> RegisteredServices()
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.Lock);
    std::vector<std::string> names;
    for (const auto& entry : registry.Factories)
        names.push_back(entry.first);
    return names;
}

std::shared_ptr<ServiceModel> MakeDemoService(const std::string& name, std::time_t now)
{
    ServiceFactory factory;
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.Lock);
        auto found = registry.Factories.find(name);
        if (found == registry.Factories.end())
            return nullptr;
        factory = found->second;
    }
    return factory(now);
}

} // namespace korvalin::websim
