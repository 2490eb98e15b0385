// Filters, address books, network tests and the self-update, given to the
// engine as its CoreHooks. The Qt program creates one, passes it in
// EngineOptions::hooks, and calls Attach once the engine exists; until then
// every hook keeps its default. It must outlive the engine, and the port
// must outlive it.
#pragma once

#include "AddressBooks.h"
#include "CoreHooks.h"
#include "FeaturePort.h"
#include "FilterRules.h"
#include "NetworkProbe.h"
#include "NetworkTests.h"
#include "UpdateCheck.h"

#include <memory>

namespace korvalin {

class Engine;

class FeatureHooks final : public CoreHooks {
public:
    // probe: the network questions (null: the system's sockets).
    explicit FeatureHooks(FeaturePort& port, std::unique_ptr<NetworkProbe> probe = nullptr);
    ~FeatureHooks() override;

    void Attach(Engine& engine);

    void LoadFilters(CAccount& account) override;
    bool ApplyFilters(FolderSummary& summary, SummaryEntry& entry) override;
    void LoadAddressBook(CAccount& account) override;
    bool SaveAddressBook(CAccount& account, bool release) override;
    void StopAddressBookSync() override;
    void StartUpdateCheck() override;
    bool RouteTest() override;
    bool ConnectionTest() override;

    // For the dialogs and commands; valid after Attach.
    Engine& GetEngine() { return *engine_; }
    FilterRules& Filters() { return *filters_; }
    AddressBooks& Books() { return *books_; }
    NetworkTests& Network() { return *network_; }
    UpdateCheck& Update() { return *update_; }

private:
    FeaturePort& port_;
    std::unique_ptr<NetworkProbe> probe_;
    Engine* engine_ = nullptr;
    std::unique_ptr<FilterRules> filters_;
    std::unique_ptr<AddressBooks> books_;
    std::unique_ptr<NetworkTests> network_;
    std::unique_ptr<UpdateCheck> update_;
};

}  // namespace korvalin
