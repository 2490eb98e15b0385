// How long GetMailSummary of the POP3 plug-in takes for a whole mailbox:
// 1,000 and 5,000 mails in a Dovecot on loopback, directly and through a
// relay that adds 25 ms per direction. Each run uses a fresh provider
// object, as the first check after the program starts.
//
//   pop_summary [--sizes 1000,5000] [--delays 0,25] [--reps 3] [--budget SECONDS]
//
// A cell whose first run takes longer than --budget seconds (default 60) is
// not repeated. Needs root (the kit's fixture hands the maildir to nobody).
#include "BenchKit.h"
#include "PopProvider.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace korvalin::bench;

namespace {

std::vector<int> Numbers(const char* text)
{
    std::vector<int> numbers;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ','))
        numbers.push_back(std::atoi(item.c_str()));
    return numbers;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes{1000, 5000};
    std::vector<int> delays{0, 25};
    int reps = 3;
    double budget = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--sizes") == 0)
            sizes = Numbers(argv[i + 1]);
        else if (std::strcmp(argv[i], "--delays") == 0)
            delays = Numbers(argv[i + 1]);
        else if (std::strcmp(argv[i], "--reps") == 0)
            reps = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--budget") == 0)
            budget = std::atof(argv[i + 1]);
    }

    std::printf("GetMailSummary, first check of a fresh provider, median seconds (kit: %s)\n\n",
                KitDirectory().c_str());
    std::printf("%6s %6s %10s %12s %5s\n", "N", "delay", "seconds", "messages/s", "runs");
    for (int size : sizes) {
        DovecotFixture fixture;
        std::string error;
        if (!fixture.Start(size, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        for (int delay : delays) {
            LatencyRelay relay;
            int port = fixture.Port();
            if (delay > 0) {
                if (!relay.Start(fixture.Port(), delay, error)) {
                    std::fprintf(stderr, "%s\n", error.c_str());
                    return 1;
                }
                port = relay.Port();
            }
            std::vector<double> times;
            for (int rep = 0; rep < reps; ++rep) {
                CPopProvider provider;
                provider.SetUserProfile(fixture.AccountLine(port), "secret");
                CSummaryArray list;
                bool ok = false;
                times.push_back(Seconds([&] { ok = provider.GetMailSummary(list, -1); }));
                if (!ok || static_cast<int>(list.size()) != size) {
                    std::fprintf(stderr, "check failed: %s, %zu of %d entries\n", provider.Pop.LastError.c_str(),
                                 list.size(), size);
                    return 1;
                }
                if (times.back() > budget)
                    break;
            }
            double median = Median(times);
            std::printf("%6d %6d %10.3f %12.0f %5zu\n", size, delay, median, size / median, times.size());
            std::fflush(stdout);
        }
    }
    return 0;
}
