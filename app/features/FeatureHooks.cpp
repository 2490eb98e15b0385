#include "FeatureHooks.h"

namespace korvalin {

FeatureHooks::FeatureHooks(FeaturePort& port, std::unique_ptr<NetworkProbe> probe)
    : port_(port), probe_(probe ? std::move(probe) : std::make_unique<SystemNetworkProbe>())
{
}

FeatureHooks::~FeatureHooks() = default;

void FeatureHooks::Attach(Engine& engine)
{
    engine_ = &engine;
    filters_ = std::make_unique<FilterRules>(engine);
    books_ = std::make_unique<AddressBooks>(engine);
    network_ = std::make_unique<NetworkTests>(engine, *probe_);
    update_ = std::make_unique<UpdateCheck>(engine, port_);
}

void FeatureHooks::LoadFilters(CAccount& account)
{
    if (filters_)
        filters_->LoadFilters(account);
}

bool FeatureHooks::ApplyFilters(FolderSummary& summary, SummaryEntry& entry)
{
    return filters_ ? filters_->ApplyFilters(summary, entry) : false;
}

void FeatureHooks::LoadAddressBook(CAccount& account)
{
    if (books_)
        books_->LoadAddressBook(account);
}

bool FeatureHooks::SaveAddressBook(CAccount& account, bool release)
{
    return !books_ || books_->SaveAddressBook(account, release);
}

void FeatureHooks::StopAddressBookSync()
{
    if (books_)
        books_->StopSynchronizing();
}

void FeatureHooks::StartUpdateCheck()
{
    if (update_)
        update_->StartUpdateCheck();
}

bool FeatureHooks::RouteTest()
{
    return network_ ? network_->RouteTest() : true;
}

bool FeatureHooks::ConnectionTest()
{
    return network_ ? network_->ConnectionTest() : true;
}

}  // namespace korvalin
