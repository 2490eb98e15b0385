// Network time-outs shared by every exchange of the plug-ins (HTTP, POP3,
// SMTP) and the program's network tests: one place to set them.
#pragma once

namespace korvalin {

struct NetworkTimeouts {
    int ConnectSeconds = 30;      // resolving the name and establishing a connection
    int IdleSeconds = 60;         // a stalled exchange (no byte for this long) is ended
    int OperationSeconds = 600;   // a whole session (a check, a fetch, a send) ends after this long
};

// The values in force. On first use they are read from the environment
// variables KORVALIN_CONNECT_TIMEOUT, KORVALIN_IDLE_TIMEOUT and
// KORVALIN_OPERATION_TIMEOUT (seconds), which is how a test reaches the copy
// inside a loaded plug-in.
NetworkTimeouts GetNetworkTimeouts();
void SetNetworkTimeouts(NetworkTimeouts timeouts);

}  // namespace korvalin
