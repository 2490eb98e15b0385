// korvalin-demo-profile: writes a fresh demo profile into a data folder with
// the engine's own code, so the stored formats stay in one place: the
// settings, one POP account pointed at a local mail server (password saved),
// its "Sound.kvx", optionally an IMAP account, and "hosts.conf" lines for
// local simulators.
//
//   korvalin-demo-profile --home DIR --pop HOST:PORT --smtp HOST:PORT
//                         [--login NAME] [--password SECRET] [--interval MINUTES]
//                         [--host KEY=VALUE]... [--web-account PROVIDER=USER=PASSWORD]...
//                         [--imap-account IMAP_HOST:PORT=SMTP_HOST:PORT=USER=PASSWORD]
#include "AtomicFile.h"
#include "Engine.h"
#include "HeadlessPort.h"
#include "HostsConfig.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string home;
    std::string pop;
    std::string smtp;
    std::string login = "demo";
    std::string password = "demo";
    int intervalMinutes = 1;
    int popAccounts = 1;  // the login, then login2, login3...
    std::vector<std::string> hosts;
    std::vector<std::string> webAccounts;  // "PROVIDER=USER=PASSWORD"
    std::vector<std::string> imapAccount;  // IMAP server, SMTP server, user, password
};

int Usage(const char* why)
{
    std::fprintf(stderr,
                 "korvalin-demo-profile: %s\n"
                 "usage: korvalin-demo-profile --home DIR --pop HOST:PORT --smtp HOST:PORT [--login NAME]\n"
                 "       [--password SECRET] [--interval MINUTES] [--host KEY=VALUE]...\n"
                 "       [--web-account PROVIDER=USER=PASSWORD]... [--pop-accounts N]\n"
                 "       [--imap-account IMAP_HOST:PORT=SMTP_HOST:PORT=USER=PASSWORD]\n",
                 why);
    return 2;
}

bool Parse(int argc, char** argv, Options& options, std::string& why)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            why = "missing value after " + name;
            return false;
        }
        const std::string value = argv[++i];
        if (name == "--home") {
            options.home = value;
        } else if (name == "--pop") {
            options.pop = value;
        } else if (name == "--smtp") {
            options.smtp = value;
        } else if (name == "--login") {
            options.login = value;
        } else if (name == "--password") {
            options.password = value;
        } else if (name == "--interval") {
            options.intervalMinutes = std::atoi(value.c_str());
            if (options.intervalMinutes < 1 || options.intervalMinutes > 60) {
                why = "--interval must be 1 to 60 minutes";
                return false;
            }
        } else if (name == "--pop-accounts") {
            options.popAccounts = std::atoi(value.c_str());
            if (options.popAccounts < 1 || options.popAccounts > 50) {
                why = "--pop-accounts must be 1 to 50";
                return false;
            }
        } else if (name == "--host") {
            if (value.find('=') == std::string::npos) {
                why = "--host needs KEY=VALUE, not " + value;
                return false;
            }
            options.hosts.push_back(value);
        } else if (name == "--web-account") {
            size_t first = value.find('=');
            if (first == std::string::npos || value.find('=', first + 1) == std::string::npos) {
                why = "--web-account needs PROVIDER=USER=PASSWORD, not " + value;
                return false;
            }
            options.webAccounts.push_back(value);
        } else if (name == "--imap-account") {
            options.imapAccount.clear();
            for (size_t start = 0, end; start <= value.size(); start = end + 1) {
                end = std::min(value.find('=', start), value.size());
                options.imapAccount.push_back(value.substr(start, end - start));
            }
            if (options.imapAccount.size() != 4) {
                why = "--imap-account needs IMAP_HOST:PORT=SMTP_HOST:PORT=USER=PASSWORD, not " + value;
                return false;
            }
        } else {
            why = "unknown option " + name;
            return false;
        }
    }
    if (options.home.empty() || options.pop.empty() || options.smtp.empty()) {
        why = "--home, --pop and --smtp are required";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace korvalin;
    Options options;
    std::string why;
    if (!Parse(argc, argv, options, why))
        return Usage(why.c_str());

    PlatformPaths paths = PlatformPaths::FromEnvironment([&options](const char* name) -> const char* {
        return std::strcmp(name, "KORVALIN_HOME") == 0 ? options.home.c_str() : std::getenv(name);
    });
    std::error_code error;
    if (std::filesystem::exists(paths.storeFile, error)) {
        std::fprintf(stderr, "korvalin-demo-profile: %s already holds a profile; give a fresh folder\n",
                     options.home.c_str());
        return 1;
    }
    std::filesystem::create_directories(paths.dataRoot, error);
    if (!options.hosts.empty()) {
        std::string text = "# Local simulators of the demo\n";
        for (const std::string& line : options.hosts)
            text += line.substr(0, line.find('=')) + " = " + line.substr(line.find('=') + 1) + "\n";
        if (Status written = WriteFileAtomically(paths.dataRoot / kHostsFileName, text); !written) {
            std::fprintf(stderr, "korvalin-demo-profile: %s\n", written.error.c_str());
            return 1;
        }
    }

    demo::HeadlessPort port;
    Engine engine(paths, port);
    engine.LoadConfiguration();  // the first run: default settings, an empty store

    ProviderEntry* pop = engine.Providers().Find("POPMail");
    if (pop == nullptr) {
        std::fprintf(stderr, "korvalin-demo-profile: no POPMail provider (popgate.so) beside %s\n",
                     paths.executable.c_str());
        return 1;
    }
    std::shared_ptr<CAccount> account;
    for (int k = 1; k <= options.popAccounts; ++k) {
        const std::string login = k == 1 ? options.login : options.login + std::to_string(k);
        std::shared_ptr<CAccount> added = engine.Accounts().AddAccount(*pop, login, options.password, true, 1);
        if (!added)
            return 1;
        added->Update([&](AccountState& state) {
            state.isPop = true;
            state.pop.pop3Server = options.pop;
            state.pop.smtpServer = options.smtp;
            state.pop.displayName = "Demo User";
            state.pop.emailAddress = login + "@korvalin.test";
            state.pop.deleteFromServer = false;
            state.soundPath = DefaultSoundPath(paths).string();
        });
        if (!account)
            account = added;
    }

    for (const std::string& line : options.webAccounts) {
        const size_t first = line.find('=');
        const size_t second = line.find('=', first + 1);
        const std::string providerName = line.substr(0, first);
        ProviderEntry* provider = engine.Providers().Find(providerName);
        if (provider == nullptr) {
            std::fprintf(stderr, "korvalin-demo-profile: no %s provider beside %s; its demo account is left out\n",
                         providerName.c_str(), paths.executable.c_str());
            continue;
        }
        std::shared_ptr<CAccount> web = engine.Accounts().AddAccount(
            *provider, line.substr(first + 1, second - first - 1), line.substr(second + 1), true, 1);
        if (web)
            web->Update([&](AccountState& state) { state.soundPath = DefaultSoundPath(paths).string(); });
    }

    if (!options.imapAccount.empty()) {
        const std::vector<std::string>& imap = options.imapAccount;
        ProviderEntry* provider = engine.Providers().Find("IMAPMail");
        std::shared_ptr<CAccount> mailbox =
            provider == nullptr ? nullptr : engine.Accounts().AddAccount(*provider, imap[2], imap[3], true, 1);
        if (provider == nullptr)
            std::fprintf(stderr, "korvalin-demo-profile: no IMAPMail provider (imapgate.so) beside %s\n",
                         paths.executable.c_str());
        if (mailbox) {
            mailbox->Update([&](AccountState& state) {
                state.isPop = true;
                state.pop.pop3Server = imap[0];
                state.pop.smtpServer = imap[1];
                state.pop.displayName = "Demo User";
                state.pop.emailAddress = imap[2] + "@korvalin.test";
                state.soundPath = DefaultSoundPath(paths).string();
            });
        }
    }

    UserSettings& settings = engine.Settings();
    settings.SetFlag(setting::kAutoCheck, true);
    settings.SetInt(setting::kCheckInterval, options.intervalMinutes);
    settings.SetFlag(setting::kHideOnStartup, false);
    settings.SetFlag(setting::kStartWithSession, false);
    settings.SetFlag(setting::kStartOnline, true);
    settings.SetFlag(setting::kCheckMailtoHandler, false);
    settings.SetFlag(setting::kCheckInternet, false);
    settings.SetInt(setting::kLogLevel, loglevel::kStopped);
    engine.UserInfo().Save();
    engine.Accounts().WriteAccountSettingsFiles();
    std::printf("Demo profile in %s: account %s at %s (SMTP %s)\n", paths.dataRoot.c_str(),
                account->LogName().c_str(), options.pop.c_str(), options.smtp.c_str());
    return 0;
}
