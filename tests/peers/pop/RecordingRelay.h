// A TCP relay on 127.0.0.1 (port chosen by the system) to a server on
// 127.0.0.1:target that keeps what the client sent, so a test can see which
// commands reached a real server and how many were sent before an answer.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvalin::test {

class RecordingRelay {
public:
    explicit RecordingRelay(int targetPort);
    ~RecordingRelay();
    RecordingRelay(const RecordingRelay&) = delete;
    RecordingRelay& operator=(const RecordingRelay&) = delete;

    int Port() const { return ListenPort; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(ListenPort); }

    // The client's lines of every connection so far, in order.
    std::vector<std::string> ClientLines() const;
    // Lines of every connection that begin with prefix ("TOP ").
    int CountLines(const std::string& prefix) const;
    // The largest number of complete client lines that one read delivered
    // (greater than 1 only when the client pipelines).
    int LargestBatch() const;
    void Clear();

private:
    void AcceptLoop();
    void Forward(int client);

    int TargetPort;
    int ListenSocket = -1;
    int ListenPort = 0;
    std::atomic<bool> Stopping{false};
    mutable std::mutex Mutex;
    std::vector<std::string> Lines;
    std::string Partial;
    int Batch = 0;
    std::vector<int> Sockets;
    std::vector<std::thread> Workers;
    std::thread Acceptor;
};

}  // namespace korvalin::test
