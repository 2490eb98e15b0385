// korvalin-websim: the web-service simulator as a program, for the demo
// profile and for trying the web plug-ins by hand. Serves every registered
// service with its demo accounts on 127.0.0.1 until SIGINT or SIGTERM.
//
// Its output is meant for scripts first: the port alone on the first line,
// then "HTTP <port>", one "HOST <key>=<value>" line per hosts.conf key and
// one "ACCOUNT <provider> <user> <password>" line per account; the lines
// after those start with "#" and are for people.
#include "DemoData.h"
#include "HostsConfig.h"
#include "WebSimulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace korvalin::websim;

namespace {

constexpr const char* kUsage =
    "usage: korvalin-websim [--port N] [--new-mail-every SECONDS] [--services NAME,...]\n"
    "                       [--default-service NAME] [--addressing prefix|proxy] [--hosts-conf FILE]\n"
    "\n"
    "  --port N               listen on 127.0.0.1:N (default 0: any free port)\n"
    "  --new-mail-every S     one new mail per demo account every S seconds (default 60, 0: never)\n"
    "  --services LIST        serve only these services (default: all)\n"
    "  --default-service NAME answer requests for unknown hosts as this service\n"
    "  --addressing MODE      how the HOST lines and --hosts-conf name the hosts:\n"
    "                         prefix (default): 127.0.0.1:PORT/<host>, no proxy needed;\n"
    "                         proxy: host names, reached with http_proxy=http://127.0.0.1:PORT\n"
    "  --hosts-conf FILE      also set the services' keys in this hosts.conf (other lines are kept)\n";

struct Options {
    int Port = 0;
    long NewMailSeconds = 60;
    std::vector<std::string> Services;
    std::string DefaultService;
    std::string HostsConfPath;
    bool Prefixed = true;
};

bool ParseNumber(const std::string& text, long low, long high, long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && errno == 0 && value >= low && value <= high;
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ','))
        if (!item.empty())
            items.push_back(item);
    return items;
}

// Returns an error text, or "" when the arguments are good.
std::string ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h")
            return "help";
        if (i + 1 >= argc)
            return name + " needs a value";
        std::string value = argv[++i];
        long number = 0;
        if (name == "--port") {
            if (!ParseNumber(value, 0, 65535, number))
                return "the port must be a number from 0 to 65535";
            options.Port = static_cast<int>(number);
        } else if (name == "--new-mail-every") {
            if (!ParseNumber(value, 0, 86400, number))
                return "--new-mail-every takes seconds from 0 to 86400";
            options.NewMailSeconds = number;
        } else if (name == "--services") {
            options.Services = SplitList(value);
        } else if (name == "--default-service") {
            options.DefaultService = value;
        } else if (name == "--hosts-conf") {
            options.HostsConfPath = value;
        } else if (name == "--addressing") {
            if (value != "proxy" && value != "prefix")
                return "--addressing is proxy or prefix";
            options.Prefixed = value == "prefix";
        } else {
            return "unknown option " + name;
        }
    }
    return {};
}

// Sets the simulator's keys in a hosts.conf, keeping every other line, and
// replaces the file in one step.
bool UpdateHostsConf(const std::string& path, const std::string& lines, std::string& error)
{
    auto ours = korvalin::ParseHostsText(lines);
    std::string kept;
    {
        std::ifstream existing(path, std::ios::binary);
        std::string line;
        while (std::getline(existing, line)) {
            auto parsed = korvalin::ParseHostsText(line);
            bool ourKey = parsed.size() == 1 && ours.count(parsed.begin()->first) != 0;
            bool ourComment = !line.empty() && line.front() == '#' && lines.find(line + "\n") != std::string::npos;
            if (ourKey || ourComment)
                continue;
            kept += line + "\n";
        }
    }
    const std::string temporary = path + ".websim-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << kept << lines;
        out.flush();
        if (!out) {
            error = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path;
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string problem = ParseOptions(argc, argv, options);
    if (problem == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (!problem.empty()) {
        std::cerr << "korvalin-websim: " << problem << "\n" << kUsage;
        return 2;
    }
    if (options.Services.empty())
        options.Services = RegisteredServices();

    // Signals are taken by sigtimedwait below; every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        WebSimulator simulator(static_cast<uint16_t>(options.Port));
        const std::time_t start = std::time(nullptr);
        for (const std::string& name : options.Services) {
            std::shared_ptr<ServiceModel> model = MakeDemoService(name, start);
            if (model == nullptr) {
                std::cerr << "korvalin-websim: no service named " << name << "\n";
                return 2;
            }
            simulator.Add(model);
        }
        if (!options.DefaultService.empty())
            simulator.SetDefaultService(options.DefaultService);
        if (!options.HostsConfPath.empty()) {
            std::string error;
            if (!UpdateHostsConf(options.HostsConfPath, simulator.HostsConf(options.Prefixed), error)) {
                std::cerr << "korvalin-websim: " << error << "\n";
                return 1;
            }
        }

        const std::string port = std::to_string(simulator.Port());
        std::cout << port << "\nHTTP " << port << "\n";
        for (const auto& [key, value] : korvalin::ParseHostsText(simulator.HostsConf(options.Prefixed)))
            std::cout << "HOST " << key << "=" << value << "\n";
        for (const auto& model : simulator.Services())
            for (const auto& [user, password] : model->Logins())
                std::cout << "ACCOUNT " << model->ProviderName() << " " << user << " " << password << "\n";
        std::cout << "# korvalin-websim: listening on 127.0.0.1:" << port << "\n";
        for (const auto& model : simulator.Services())
            for (const std::string& line : model->Describe())
                std::cout << "# " << line << "\n";
        std::cout << "# Host names instead of path prefixes: --addressing proxy, and run the program with http_proxy="
                  << simulator.ProxyUrl() << "\n"
                  << std::flush;

        timespec slice{1, 0};
        std::time_t nextMail = start + options.NewMailSeconds;
        while (true) {
            int received = sigtimedwait(&stopSignals, nullptr, &slice);
            if (received > 0)
                break;
            std::time_t now = std::time(nullptr);
            if (options.NewMailSeconds > 0 && now >= nextMail) {
                simulator.DeliverArrivingMail(now);
                nextMail = now + options.NewMailSeconds;
            }
        }
        std::cout << "# korvalin-websim: stopped" << std::endl;
    } catch (const std::exception& failure) {
        std::cerr << "korvalin-websim: " << failure.what() << "\n";
        return 1;
    }
    return 0;
}
