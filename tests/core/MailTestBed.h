// An engine with the fake provider "Mail" and its account joe, logged in
// without a login box, for the tests of folder summaries, checks and
// offline mode. The network tests answer as the test says.
#pragma once

#include "TestSupport.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>

namespace korvalin::test {

class NetworkHooks : public CoreHooks {
public:
    std::atomic<bool> routeUp{true};
    std::atomic<bool> connected{true};
    bool RouteTest() override { return routeUp; }
    bool ConnectionTest() override { return connected; }
    // The account's filters, as the test plays them (set before a check starts).
    std::function<bool(FolderSummary&, SummaryEntry&)> filter;
    bool ApplyFilters(FolderSummary& summary, SummaryEntry& entry) override
    {
        return filter ? filter(summary, entry) : false;
    }
};

class MailTest : public ::testing::Test {
protected:
    MailTest();
    ~MailTest() override;

    Engine& engine() { return *bed.engine; }
    // An account of provider (default "Mail") that is logged in, checked,
    // with its inbox checked.
    std::shared_ptr<CAccount> AddLoggedIn(const std::string& login, ProviderEntry* provider = nullptr);
    // Opens the folder and waits for the check it starts (and the downloads).
    std::shared_ptr<FolderSummary> OpenAndSettle(MailFolder& folder);
    // Waits until no check thread runs and no request is outstanding.
    void Settle();
    // The MessageIds of the rows after the counter row.
    static std::vector<std::string> Ids(const FolderSummary& summary);
    // Log lines, after setting the level to "everything" first.
    std::vector<std::string> LogMessages();
    std::filesystem::path CacheFile(const CAccount& account, const std::string& reference);

    NetworkHooks hooks;
    TestBed bed;
    ProviderEntry* provider = nullptr;
    std::shared_ptr<FakeProviderScript> script;
    std::shared_ptr<CAccount> joe;
};

}  // namespace korvalin::test
