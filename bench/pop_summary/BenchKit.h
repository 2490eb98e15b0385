// What the POP3 benchmarks share: the measurement kit of ../shared/bench-pop
// (a Dovecot fixture with generated mail, a latency relay, reference
// clients), driven from C++, and small timing helpers.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace korvalin::bench {

// The kit's folder: $KORVALIN_BENCH_POP_KIT, else ../shared/bench-pop beside the source tree.
std::string KitDirectory();

// Runs a shell command; its standard output, its exit status in status.
std::string Run(const std::string& command, int& status);

// Dovecot on a free loopback port with n generated mails (testuser/secret).
class DovecotFixture {
public:
    ~DovecotFixture() { Stop(); }
    bool Start(int mails, std::string& error);
    void Stop();
    int Port() const { return ListenPort; }
    std::string Maildir() const { return Directory + "/mail/testuser/Maildir"; }
    std::string AccountLine(int port) const;

private:
    std::string Directory;
    int ListenPort = 0;
};

// relay.py: a listening port that forwards to target with delayMs per direction.
class LatencyRelay {
public:
    ~LatencyRelay() { Stop(); }
    bool Start(int targetPort, int delayMs, std::string& error);
    void Stop();
    int Port() const { return ListenPort; }

private:
    pid_t Pid = 0;
    int ListenPort = 0;
};

struct ClientRun {
    bool Ok = false;
    double Seconds = 0;
    long Bytes = 0;
};
// One check by the kit's reference client: seq-top, pipe-top, uidl-only, seq-top-uidl-new.
ClientRun ReferenceClient(const std::string& mode, int port, int k = 0);

int FreePort();
double Seconds(const std::function<void()>& work);
double Median(std::vector<double> values);

}  // namespace korvalin::bench
