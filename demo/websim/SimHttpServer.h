// The simulator's HTTP/1.1 server: listens on 127.0.0.1 (port 0 lets the
// system choose), one thread per connection, persistent connections, both
// origin-form ("/path?q") and absolute-form ("http://host/path", as a proxy
// client sends) request targets. Every parsed request goes to one handler.
#pragma once

#include "SimHttp.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace korvalin::websim {

struct ServerLimits {
    size_t MaxHeadBytes = 64 * 1024;
    size_t MaxBodyBytes = 16 * 1024 * 1024;
    size_t MaxConnections = 256;
    int IdleMilliseconds = 15000; // a kept-alive connection that stays silent this long is closed
};

class SimHttpServer {
public:
    using Handler = std::function<SimResponse(SimRequest&)>;

    // Throws std::runtime_error naming the reason when it cannot listen.
    explicit SimHttpServer(Handler handler, uint16_t port = 0, ServerLimits limits = {});
    ~SimHttpServer();
    SimHttpServer(const SimHttpServer&) = delete;
    SimHttpServer& operator=(const SimHttpServer&) = delete;

    uint16_t Port() const { return ListenPort; }
    // Stops accepting, ends every connection and waits for their threads.
    void Stop();

private:
    struct Connection {
        std::thread Thread;
        std::atomic<bool> Finished{false};
    };

    void AcceptLoop();
    void Serve(int socket);
    void ReapFinished();

    Handler RequestHandler;
    ServerLimits Limits;
    int ListenSocket = -1;
    uint16_t ListenPort = 0;
    std::atomic<bool> Stopping{false};
    std::mutex ConnectionsLock;
    std::list<std::unique_ptr<Connection>> Connections;
    std::thread Acceptor;
};

} // namespace korvalin::websim
