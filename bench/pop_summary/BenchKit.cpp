#include "BenchKit.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#ifndef KORVALIN_BENCH_POP_KIT
#error "KORVALIN_BENCH_POP_KIT must name the default kit folder"
#endif

namespace korvalin::bench {

std::string KitDirectory()
{
    const char* kit = std::getenv("KORVALIN_BENCH_POP_KIT");
    return kit != nullptr && *kit != '\0' ? kit : KORVALIN_BENCH_POP_KIT;
}

std::string Run(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, n);
    int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

bool DovecotFixture::Start(int mails, std::string& error)
{
    char pattern[] = "/tmp/korvalin-bench-pop.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        error = "mkdtemp failed";
        return false;
    }
    Directory = pattern;
    int status = 0;
    std::string output =
        Run(KitDirectory() + "/fixture.sh start " + std::to_string(mails) + " '" + Directory + "' 2>&1", status);
    std::istringstream lines(output);
    std::string line;
    std::string last;
    while (std::getline(lines, line))
        if (!line.empty())
            last = line;
    ListenPort = status == 0 ? std::atoi(last.c_str()) : 0;
    if (ListenPort <= 0) {
        error = "fixture.sh start failed: " + output;
        Stop();
        return false;
    }
    return true;
}

void DovecotFixture::Stop()
{
    if (Directory.empty())
        return;
    int status = 0;
    Run(KitDirectory() + "/fixture.sh stop '" + Directory + "' 2>&1", status);
    std::error_code ignored;
    std::filesystem::remove_all(Directory, ignored);
    Directory.clear();
    ListenPort = 0;
}

std::string DovecotFixture::AccountLine(int port) const
{
    return "testuser=Bench=testuser@example.net=127.0.0.1:" + std::to_string(port) + "=127.0.0.1:1";
}

bool LatencyRelay::Start(int targetPort, int delayMs, std::string& error)
{
    ListenPort = FreePort();
    int status = 0;
    std::string output = Run("python3 " + KitDirectory() + "/relay.py " + std::to_string(ListenPort) + " " +
                                 std::to_string(targetPort) + " " + std::to_string(delayMs),
                             status);
    Pid = status == 0 ? static_cast<pid_t>(std::atol(output.c_str())) : 0;
    if (Pid <= 0) {
        error = "relay.py failed: " + output;
        ListenPort = 0;
        return false;
    }
    return true;
}

void LatencyRelay::Stop()
{
    if (Pid > 0)
        ::kill(Pid, SIGTERM);
    Pid = 0;
    ListenPort = 0;
}

ClientRun ReferenceClient(const std::string& mode, int port, int k)
{
    int status = 0;
    std::string command = "python3 ";
    command += KitDirectory();
    command += "/clients.py ";
    command += mode;
    command += " 127.0.0.1 ";
    command += std::to_string(port);
    if (k > 0) {
        command += ' ';
        command += std::to_string(k);
    }
    std::string output = Run(command, status);
    ClientRun run;
    if (status != 0)
        return run;
    std::istringstream words(output);
    std::string word;
    while (words >> word) {
        if (word.rfind("elapsed_s=", 0) == 0)
            run.Seconds = std::atof(word.c_str() + 10);
        else if (word.rfind("bytes_received=", 0) == 0)
            run.Bytes = std::atol(word.c_str() + 15);
    }
    run.Ok = run.Seconds > 0;
    return run;
}

int FreePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

double Seconds(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace korvalin::bench
