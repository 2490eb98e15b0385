// The setup wizard's way of adding an account: as the Add New Account
// dialog does, with the sound chosen on the page and, when asked for, a
// filter that pages every new mail to an ICQ number.
#pragma once

#include "UiPort.h"

#include <optional>
#include <string>

namespace korvalin {
class Engine;
class FilterRules;
}  // namespace korvalin

namespace korvalin::ui {

struct WizardAccount {
    int provider = -1;  // index among the providers after provider 0
    std::string login;
    std::string password;
    bool savePassword = false;
    std::string soundPath;
    bool icqPaging = false;
    std::string icqNumber;
    std::optional<PopSettings> pop;  // a POP or IMAP account's confirmed settings
};

// Whether the account's provider is set up with servers (POP3 or IMAP,
// with SMTP): it needs its settings first.
bool NeedsPopSettings(Engine& engine, int provider);
// Whether those servers are IMAP ones.
bool NeedsImapSettings(Engine& engine, int provider);

// Adds the account; false (the person was told why) when it was not added.
// rules may be null (no filters: the ICQ paging is then refused).
bool AddWizardAccount(Engine& engine, FilterRules* rules, const WizardAccount& account);

}  // namespace korvalin::ui
