// The socket-level questions behind the network tests, behind an interface
// so that tests can answer them without a network.
#pragma once

#include <string>

namespace korvalin {

enum class RouteAnswer {
    Route,       // the system has an interface that routes to the address
    NoRoute,     // no route (or no way to find the address): not connected
    BadAddress,  // the address itself is unusable; says nothing about the network
};

class NetworkProbe {
public:
    virtual ~NetworkProbe() = default;
    // Whether a socket can be created at all.
    virtual bool CanCreateSocket() = 0;
    // Which local interface would route to host's IPv4 address, port 80
    // (a UDP connect, which sends nothing, and getsockname).
    virtual RouteAnswer QueryRoute(const std::string& host) = 0;
    // A TCP connection to host:port within the connect time-out, closed at
    // once. 0 on success, else the system's error number (why says more).
    virtual int Connect(const std::string& host, int port, std::string* why) = 0;
};

class SystemNetworkProbe final : public NetworkProbe {
public:
    bool CanCreateSocket() override;
    RouteAnswer QueryRoute(const std::string& host) override;
    int Connect(const std::string& host, int port, std::string* why) override;
};

}  // namespace korvalin
