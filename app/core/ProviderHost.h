// The provider host: the providers the program knows (entry 0 is the
// program's own pseudo-provider "Dravnek"), found as plug-ins in the
// executable's folder, the hidden set, and the per-file list that the
// self-update reads.
#pragma once

#include "CoreServices.h"
#include "ProviderLibrary.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace korvalin {

class CAccount;
class UserStore;

inline constexpr const char* kProgramProviderName = "Dravnek";
inline constexpr const char* kHiddenProvidersValue = "HiddenProv";

// The accounts of one provider, in the order they were added. Changed on the
// UI thread, read by check threads as well.
class ProviderAccounts {
public:
    std::vector<std::shared_ptr<CAccount>> Snapshot() const;
    bool empty() const;
    size_t size() const;
    void push_back(std::shared_ptr<CAccount> account);
    // Removes account, keeping the order of the rest.
    void Remove(const std::shared_ptr<CAccount>& account);

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<CAccount>> accounts_;
};

struct ProviderEntry {
    std::atomic<bool> hidden{false};
    ProviderAccounts accounts;
    std::atomic<bool> inTree{false};
    std::string name;
    std::shared_ptr<ProviderLibrary> library;  // none for provider 0
};

// One file of the program, for the self-update.
struct ProgramFile {
    std::string fileName;
    int version = 0;
    bool excluded = false;  // not updated (the program itself, hidden providers)
};

// Names compared without regard to case.
bool SameProviderName(const std::string& a, const std::string& b);
// The mailbox providers set up with servers, login and address (POP3 and
// IMAP, each with SMTP): their accounts carry the POP settings fields.
bool UsesServerSettings(const std::string& providerName);
// Of those, the one whose incoming server speaks IMAP.
bool SpeaksImap(const std::string& providerName);

class ProviderHost {
public:
    explicit ProviderHost(const CoreServices& services);
    ~ProviderHost();
    ProviderHost(const ProviderHost&) = delete;
    ProviderHost& operator=(const ProviderHost&) = delete;

    // Appends an entry; a visible one gets a tree item at the end of the root.
    ProviderEntry& AddProvider(const std::string& name, std::shared_ptr<ProviderLibrary> library, bool hidden);

    // Loads every plug-in of folder; the hidden set comes from store's
    // "HiddenProv". Ends the program when the folder holds no "*.so" at all.
    void LoadProviders(const std::filesystem::path& folder, const UserStore& store);

    // Fills the hidden set from a "HiddenProv" value: NUL-terminated names,
    // an empty name ending the list.
    void SetHiddenNames(const std::string& value);
    // The "HiddenProv" value for the providers hidden now.
    std::string HiddenNamesValue() const;
    bool IsHiddenName(const std::string& name) const;

    void HideProvider(ProviderEntry& entry, bool withNotice = true);
    void ShowProvider(ProviderEntry& entry);
    void OpenSignUpPage(ProviderEntry& entry);

    const std::vector<std::unique_ptr<ProviderEntry>>& Providers() const { return providers_; }
    ProviderEntry& ProgramProvider() const { return *providers_.front(); }
    ProviderEntry* Find(const std::string& name) const;
    bool IsProgramProvider(const ProviderEntry& entry) const { return &entry == providers_.front().get(); }
    const std::vector<ProgramFile>& Files() const { return files_; }

private:
    void LoadPlugin(const std::filesystem::path& file);

    CoreServices services_;
    std::vector<std::unique_ptr<ProviderEntry>> providers_;
    std::set<std::string> hiddenNames_;
    std::vector<ProgramFile> files_;
};

}  // namespace korvalin
