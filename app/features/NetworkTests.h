// Whether the machine is on the internet: the cheap route test (start-up,
// timer ticks, going online) and the connection test before each folder
// check and the start-up logon. Setting 24 switches both off; the
// connection test offers to switch it off when it fails (firewalls).
#pragma once

#include "NetworkProbe.h"

#include <memory>
#include <mutex>

namespace korvalin {

class Engine;

inline constexpr const char* kNetworkDetectionTrouble =
    "Korvalin is having trouble detecting your network. Are you connected to the internet right now?";
inline constexpr const char* kConnectionFailedFormat =
    "Connection to internet failed. Error %d. Please check your internet connection. If you are behind a firewall, "
    "this might happen even if your connection is ok. Please click YES if you are behind a firewall and the internet "
    "detection will be disabled and Korvalin should still work.";

class NetworkTests {
public:
    NetworkTests(Engine& engine, NetworkProbe& probe) : engine_(engine), probe_(probe) {}

    // Both ask the probe on a thread of their own and keep the caller's
    // windows working until it answers (UiPort::KeepAliveUntil).
    //
    // A route to "vendor.address" exists (a name that does not exist says
    // nothing against the network). Asks the person when no socket can be made.
    bool RouteTest();
    // A TCP connection to "vendor.conntest" (port 80 unless the value names
    // one) can be made. False at once while offline. May run on several
    // folder threads at once: one question at a time, and none once the
    // detection is switched off.
    bool ConnectionTest();

private:
    Engine& engine_;
    NetworkProbe& probe_;
    std::mutex questionMutex_;
};

}  // namespace korvalin
