#include "Timeouts.h"

#include <cstdlib>
#include <mutex>

namespace korvalin {
namespace {

std::mutex timeoutsMutex;
bool timeoutsLoaded = false;
NetworkTimeouts timeoutsInForce;

int SecondsFromEnvironment(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0')
        return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value <= 0 || value > 24 * 3600)
        return fallback;
    return static_cast<int>(value);
}

}  // namespace

NetworkTimeouts GetNetworkTimeouts()
{
    std::lock_guard lock(timeoutsMutex);
    if (!timeoutsLoaded) {
        timeoutsInForce.ConnectSeconds =
            SecondsFromEnvironment("KORVALIN_CONNECT_TIMEOUT", timeoutsInForce.ConnectSeconds);
        timeoutsInForce.IdleSeconds = SecondsFromEnvironment("KORVALIN_IDLE_TIMEOUT", timeoutsInForce.IdleSeconds);
        timeoutsInForce.OperationSeconds =
            SecondsFromEnvironment("KORVALIN_OPERATION_TIMEOUT", timeoutsInForce.OperationSeconds);
        timeoutsLoaded = true;
    }
    return timeoutsInForce;
}

void SetNetworkTimeouts(NetworkTimeouts timeouts)
{
    std::lock_guard lock(timeoutsMutex);
    timeoutsInForce = timeouts;
    timeoutsLoaded = true;
}

}  // namespace korvalin
