#include "WizardAccount.h"

#include "Engine.h"
#include "FilterRules.h"
#include "IcqPaging.h"

#include <algorithm>
#include <cctype>

namespace korvalin::ui {
namespace {


ProviderEntry* ProviderAt(Engine& engine, int provider)
{
    const auto& providers = engine.Providers().Providers();
    if (provider < 0 || static_cast<size_t>(provider) + 1 >= providers.size())
        return nullptr;
    return providers[static_cast<size_t>(provider) + 1].get();
}

bool IcqNumber(const std::string& number)
{
    return !number.empty() &&
           std::all_of(number.begin(), number.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

}  // namespace

bool NeedsPopSettings(Engine& engine, int provider)
{
    ProviderEntry* entry = ProviderAt(engine, provider);
    return entry != nullptr && UsesServerSettings(entry->name);
}

bool NeedsImapSettings(Engine& engine, int provider)
{
    ProviderEntry* entry = ProviderAt(engine, provider);
    return entry != nullptr && SpeaksImap(entry->name);
}

bool AddWizardAccount(Engine& engine, FilterRules* rules, const WizardAccount& wanted)
{
    ProviderEntry* provider = ProviderAt(engine, wanted.provider);
    if (provider == nullptr) {
        Tell(engine.Ui(), "Please choose the email provider for this account");
        return false;
    }
    // A paging request that cannot be kept is refused before the account exists.
    if (wanted.icqPaging && (rules == nullptr || !IcqNumber(wanted.icqNumber))) {
        Tell(engine.Ui(), "Please enter your ICQ number (its digits only) to be paged on it.");
        return false;
    }
    engine.Log().Info(kCommon, "Adding new account %s under %s.", wanted.login.c_str(), provider->name.c_str());
    std::optional<std::string> password;
    if (!wanted.password.empty())
        password = wanted.password;
    std::shared_ptr<CAccount> account =
        engine.Accounts().AddAccount(*provider, wanted.login, password, wanted.savePassword, 1);
    if (!account) {
        Tell(engine.Ui(), "Error adding account");
        return false;
    }
    account->Update([&](AccountState& state) {
        state.soundPath = wanted.soundPath;
        if (wanted.pop) {
            state.isPop = true;
            state.pop = *wanted.pop;
        }
    });
    if (wanted.pop)
        engine.Log().Info(*account, wanted.pop->imap ? "Adding IMAP account" : "Adding POP3 account");
    if (wanted.icqPaging) {
        if (Status paged = AddIcqPaging(engine, *rules, *account, wanted.icqNumber); !paged)
            Tell(engine.Ui(), paged.error);
    }
    engine.Ui().TreeChanged({TreeChangeKind::ProviderExpanded, provider});
    return true;
}

}  // namespace korvalin::ui
