// imap_check: what an IMAP check costs against a local Dovecot with N mails.
//   imap_check [--mails 10000] [--reps 5] [--delay 0]
// --delay MS runs every connection through the kit's latency relay
// (relay.py, started and stopped by its PID) with MS per direction.
// Prints, in milliseconds (median of the repetitions):
//   first    the first listing of a fresh provider (login excluded)
//   burst    one bare "UID FETCH 1:* (...)" of the same items, for reference
//   settle   the first check after it (Dovecot writes its cache meanwhile)
//   again    a check of the unchanged folder
//   ref      EXAMINE + NOOP, the least any check can cost
//   announce a new mail: delivery into the maildir to "folder changed"
//   push     from "folder changed" to the new mail listed
#include "BenchKit.h"
#include "ImapConnection.h"
#include "ImapProvider.h"
#include "RealImapServers.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
using korvalin::imap::CImapConnection;
using korvalin::test::RealImapServers;

namespace {

double Millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Time(const std::function<void()>& work)
{
    auto start = Clock::now();
    work();
    return Millis(Clock::now() - start);
}

class Signal : public CHostLink {
public:
    void FolderChanged(int) override
    {
        std::lock_guard lock(Mutex);
        ++Count;
        At = Clock::now();
        Changed.notify_all();
    }
    bool WaitBeyond(int seen)
    {
        std::unique_lock lock(Mutex);
        return Changed.wait_for(lock, std::chrono::seconds(10), [&] { return Count > seen; });
    }
    int Seen()
    {
        std::lock_guard lock(Mutex);
        return Count;
    }
    std::mutex Mutex;
    std::condition_variable Changed;
    int Count = 0;
    Clock::time_point At{};
};

std::string Mail(int n)
{
    return "From: Sender " + std::to_string(n) + " <s" + std::to_string(n) +
           "@example.org>\nTo: testuser@example.net\nSubject: Mail number " + std::to_string(n) +
           "\nDate: Mon, 7 Dec 1998 10:20:30 +0000\nMessage-ID: <" + std::to_string(n) + "@bench>\n\n" +
           std::string(2000, 'x') + "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    int mails = 10000, reps = 5, delay = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mails") == 0)
            mails = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--reps") == 0)
            reps = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--delay") == 0)
            delay = std::atoi(argv[i + 1]);
    }
    if (std::string why = RealImapServers::MissingReason(); !why.empty()) {
        std::fprintf(stderr, "imap_check: %s\n", why.c_str());
        return 1;
    }
    RealImapServers servers;
    std::string error;
    if (!servers.Start(error)) {
        std::fprintf(stderr, "imap_check: %s\n", error.c_str());
        return 1;
    }
    for (int n = 1; n <= mails; ++n)
        servers.Deliver(Mail(n), "bench-" + std::to_string(n));
    korvalin::bench::LatencyRelay relay;
    int imapPort = servers.ImapPort();
    std::string account = servers.AccountLine();
    if (delay > 0) {
        if (!relay.Start(servers.ImapPort(), delay, error)) {
            std::fprintf(stderr, "imap_check: %s\n", error.c_str());
            return 1;
        }
        imapPort = relay.Port();
        const std::string direct = "=127.0.0.1:" + std::to_string(servers.ImapPort()) + "=";
        account.replace(account.find(direct), direct.size(), "=127.0.0.1:" + std::to_string(imapPort) + "=");
    }

    std::vector<double> first, burst, settle, again, reference, announce, push;
    for (int rep = 0; rep < reps; ++rep) {
        CImapProvider provider;
        auto* signal = new Signal;
        provider.HostLink = signal;
        provider.SetUserProfile(account, RealImapServers::kPassword);
        if (!provider.DoLogin()) {
            std::fprintf(stderr, "imap_check: login failed: %s\n", provider.LastError().c_str());
            return 1;
        }
        CSummaryArray list;
        first.push_back(Time([&] { provider.GetMailSummary(list, -1); }));
        if (static_cast<int>(list.size()) < mails) {
            std::fprintf(stderr, "imap_check: listed %zu of %d mails\n", list.size(), mails);
            return 1;
        }
        auto check = [&] {
            CSummaryArray unchanged;
            provider.GetMailSummary(unchanged, -1);
        };
        settle.push_back(Time(check));
        again.push_back(Time(check));

        CImapConnection bare;
        bare.Open("127.0.0.1", imapPort);
        bare.Login(RealImapServers::kUser, RealImapServers::kPassword);
        reference.push_back(Time([&] {
            bare.Run("EXAMINE INBOX");
            bare.Run("NOOP");
        }));
        burst.push_back(Time([&] {
            bare.Run("UID FETCH 1:* (UID FLAGS RFC822.SIZE BODY.PEEK[HEADER.FIELDS (FROM SUBJECT DATE MESSAGE-ID)])",
                     [](const korvalin::imap::ImapResponse&) {});
        }));
        bare.Logout();

        while (provider.Watcher() != nullptr && !provider.Watcher()->Idling())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const int seen = signal->Seen();
        const auto delivered = Clock::now();
        servers.Deliver(Mail(mails + rep + 1), "bench-new-" + std::to_string(rep));
        if (signal->WaitBeyond(seen)) {
            Clock::time_point announcedAt;
            {
                std::lock_guard lock(signal->Mutex);
                announcedAt = signal->At;
            }
            CSummaryArray fresh;
            provider.GetMailSummary(fresh, -1);
            announce.push_back(Millis(announcedAt - delivered));
            push.push_back(Millis(Clock::now() - announcedAt));
        }
        ++mails;  // the mailbox grew by one
    }
    std::printf("mails %d, %d repetitions, %d ms per direction, milliseconds (median)\n", mails - reps, reps, delay);
    std::printf("first %.1f  burst %.1f  (first/burst %.2f)\n", Median(first), Median(burst),
                Median(first) / std::max(Median(burst), 0.001));
    std::printf("settle %.1f  (the first check after the listing: the server updates its cache)\n", Median(settle));
    std::printf("again %.1f  ref %.1f  (again/ref %.2f)\n", Median(again), Median(reference),
                Median(again) / std::max(Median(reference), 0.001));
    if (delay > 0)
        std::printf("again in round trips: %.2f  (a round trip is %d ms)\n", Median(again) / (2.0 * delay), 2 * delay);
    std::printf("announce %.1f  (delivery into the maildir to \"folder changed\")\n", Median(announce));
    std::printf("push  %.1f  (announced to listed)\n", Median(push));
    return 0;
}
