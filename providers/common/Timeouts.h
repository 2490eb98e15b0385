// Network time-outs shared by every exchange of the plug-ins (HTTP, POP3,
// SMTP) and the program's network tests: one place to set them.
#pragma once

namespace korvalin {

struct NetworkTimeouts {
    int ConnectSeconds = 30;  // establishing a connection
    int IdleSeconds = 60;     // a stalled exchange (no byte for this long) is ended
};

// The values in force. On first use they are read from the environment
// variables KORVALIN_CONNECT_TIMEOUT and KORVALIN_IDLE_TIMEOUT (seconds),
// which is how a test reaches the copy inside a loaded plug-in.
NetworkTimeouts GetNetworkTimeouts();
void SetNetworkTimeouts(NetworkTimeouts timeouts);

}  // namespace korvalin
