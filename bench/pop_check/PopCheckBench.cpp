// The plug-in's own GetMailSummary side by side with the reference clients
// of the measurement kit, on the same Dovecot fixture and latency relay:
//
//   first     a fresh provider's first check (nothing known yet)
//   nothing   a later check that finds nothing new
//   restart   the first check of a provider made after a restart (what the
//             first one learnt is read from the account's cache file)
//   new-10    a later check that finds 10 new mails
//   tls       a later check that finds nothing new, through a second Dovecot
//             on the same mailbox that speaks TLS (pop3s)
//
// against pipe-top, uidl-only and seq-top-uidl-new 10 of clients.py (restart
// and tls against the plain uidl-only).
//
//   pop_check [--sizes 5000] [--delays 0,25] [--reps 5]
//
// Needs root (the kit's fixture hands the maildir to nobody).
#include "BenchKit.h"
#include "PopProvider.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace korvalin::bench;

namespace {

constexpr int kNewMails = 10;

std::vector<int> Numbers(const char* text)
{
    std::vector<int> numbers;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ','))
        numbers.push_back(std::atoi(item.c_str()));
    return numbers;
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "pop_check: %s\n", what.c_str());
    std::exit(1);
}

// One check; fails the run unless every mail was listed.
double Check(CPopProvider& provider, int expected)
{
    CSummaryArray list;
    bool ok = false;
    double seconds = Seconds([&] { ok = provider.GetMailSummary(list, -1); });
    if (!ok || static_cast<int>(list.size()) != expected)
        Fail("check failed: " + provider.Pop.LastError + ", " + std::to_string(list.size()) + " of " +
             std::to_string(expected) + " entries");
    return seconds;
}

// Moves the newest mails out of the maildir and back: Dovecot then numbers
// them again with new unique ids, so they are new to a provider that saw the
// mailbox without them.
class NewestMails {
public:
    NewestMails(const std::string& maildir, int count) : Cur(maildir + "/cur"), Aside(maildir + "/../aside")
    {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(Cur))
            files.push_back(entry.path().filename());
        std::sort(files.begin(), files.end());
        Names.assign(files.end() - count, files.end());
        fs::create_directories(Aside);
    }
    void Hide()
    {
        for (const fs::path& name : Names)
            fs::rename(Cur / name, Aside / name);
    }
    void Show()
    {
        for (const fs::path& name : Names)
            fs::rename(Aside / name, Cur / name);
    }

private:
    fs::path Cur;
    fs::path Aside;
    std::vector<fs::path> Names;
};

// tls_dovecot.sh beside the fixture: the pop3s Dovecot, stopped by its PID.
class TlsDovecot {
public:
    bool Start(const std::string& fixtureDir, std::string& error)
    {
        Directory = fixtureDir;
        std::string command = std::string(KORVALIN_TLS_DOVECOT) + " start '" + Directory + "' '" +
                              KORVALIN_MAKE_TEST_CERTS + "' 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string output;
        char chunk[512];
        size_t n;
        while (pipe != nullptr && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
            output.append(chunk, n);
        int status = pipe != nullptr ? ::pclose(pipe) : -1;
        std::istringstream words(output.substr(output.find_last_of('\n', output.size() - 2) + 1));
        if (status != 0 || !(words >> ListenPort)) {
            error = "tls_dovecot.sh failed: " + output;
            return false;
        }
        ::setenv("SSL_CERT_FILE", (Directory + "/certs/ca.pem").c_str(), 1);
        return true;
    }
    ~TlsDovecot()
    {
        if (!Directory.empty())
            std::system((std::string(KORVALIN_TLS_DOVECOT) + " stop '" + Directory + "'").c_str());
    }
    int Port() const { return ListenPort; }

private:
    std::string Directory;
    int ListenPort = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes{5000};
    std::vector<int> delays{0, 25};
    int reps = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--sizes") == 0)
            sizes = Numbers(argv[i + 1]);
        else if (std::strcmp(argv[i], "--delays") == 0)
            delays = Numbers(argv[i + 1]);
        else if (std::strcmp(argv[i], "--reps") == 0)
            reps = std::atoi(argv[i + 1]);
    }
    std::printf("POP3 checks, median of %d runs, seconds (kit: %s)\n\n", reps, KitDirectory().c_str());
    std::printf("%5s %5s | %9s %9s %9s | %9s %9s %9s %9s %9s | %8s %8s %8s %8s %8s\n", "N", "delay", "pipe-top",
                "uidl-only", "uidl-new", "first", "nothing", "restart", "new-10", "tls", "first/", "nothing/",
                "restart/", "new-10/", "tls/");
    std::printf("%5s %5s | %9s %9s %9s | %9s %9s %9s %9s %9s | %8s %8s %8s %8s %8s\n", "", "", "", "", "10", "", "",
                "", "", "nothing", "pipe", "uidl", "uidl", "uidl-new", "uidl");

    for (int size : sizes) {
        DovecotFixture fixture;
        std::string error;
        if (!fixture.Start(size, error))
            Fail(error);
        NewestMails newest(fixture.Maildir(), kNewMails);
        std::string maildir = fixture.Maildir();
        // The data root the providers keep their cache file under.
        fs::path dataRoot = fs::path(maildir).parent_path().parent_path().parent_path() / "data-root";
        fs::create_directories(dataRoot / "Accounts" / "testuser.POPMail");
        TlsDovecot tls;
        if (!tls.Start(maildir.substr(0, maildir.size() - std::strlen("/mail/testuser/Maildir")), error))
            Fail(error);
        for (int delay : delays) {
            LatencyRelay relay;
            LatencyRelay tlsRelay;
            int port = fixture.Port();
            int tlsPort = tls.Port();
            if (delay > 0) {
                if (!relay.Start(fixture.Port(), delay, error) || !tlsRelay.Start(tls.Port(), delay, error))
                    Fail(error);
                port = relay.Port();
                tlsPort = tlsRelay.Port();
            }
            std::map<std::string, std::vector<double>> times;
            for (int rep = 0; rep < reps; ++rep) {
                for (const char* mode : {"pipe-top", "uidl-only"}) {
                    ClientRun run = ReferenceClient(mode, port);
                    if (!run.Ok)
                        Fail(std::string("clients.py ") + mode + " failed");
                    times[mode].push_back(run.Seconds);
                }
                ClientRun run = ReferenceClient("seq-top-uidl-new", port, kNewMails);
                if (!run.Ok)
                    Fail("clients.py seq-top-uidl-new failed");
                times["uidl-new"].push_back(run.Seconds);

                fs::remove(dataRoot / "Accounts" / "testuser.POPMail" / "uidl.cache");
                CPopProvider provider;
                provider.DataRoot = dataRoot;
                provider.SetUserProfile(fixture.AccountLine(port), "secret");
                times["first"].push_back(Check(provider, size));
                times["nothing"].push_back(Check(provider, size));
                {
                    CPopProvider restarted;
                    restarted.DataRoot = dataRoot;
                    restarted.SetUserProfile(fixture.AccountLine(port), "secret");
                    times["restart"].push_back(Check(restarted, size));
                }

                newest.Hide();
                Check(provider, size - kNewMails);  // the provider forgets the hidden ones
                newest.Show();
                // Dovecot takes the returned mails in (new unique ids) at its next
                // session; that work is the server's, so a reference client pays it.
                ReferenceClient("uidl-only", port);
                times["new"].push_back(Check(provider, size));

                CPopProvider secure;
                secure.SetUserProfile("testuser=Bench=testuser@example.net=pop3s://localhost:" +
                                          std::to_string(tlsPort) + "=127.0.0.1:1",
                                      "secret");
                Check(secure, size);
                times["tls"].push_back(Check(secure, size));
            }
            double pipe = Median(times["pipe-top"]);
            double uidl = Median(times["uidl-only"]);
            double uidlNew = Median(times["uidl-new"]);
            double first = Median(times["first"]);
            double nothing = Median(times["nothing"]);
            double restart = Median(times["restart"]);
            double fresh = Median(times["new"]);
            double secure = Median(times["tls"]);
            std::printf("%5d %5d | %9.3f %9.3f %9.3f | %9.3f %9.3f %9.3f %9.3f %9.3f | %8.2f %8.2f %8.2f %8.2f %8.2f\n",
                        size, delay, pipe, uidl, uidlNew, first, nothing, restart, fresh, secure, first / pipe,
                        nothing / uidl, restart / uidl, fresh / uidlNew, secure / uidl);
            std::fflush(stdout);
        }
    }
    std::printf("\nfirst/pipe: first check against pipe-top; nothing/uidl: check with nothing new against\n"
                "uidl-only; restart/uidl: first check after a restart against uidl-only; new-10/uidl-new: check finding %d new mails against seq-top-uidl-new %d;\n"
                "tls/uidl: check with nothing new over pop3s against the plain uidl-only.\n",
                kNewMails, kNewMails);
    return 0;
}
