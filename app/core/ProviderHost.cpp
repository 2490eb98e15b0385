#include "ProviderHost.h"

#include "ProviderLog.h"

#include "Account.h"
#include "AccountFolder.h"
#include "UserStore.h"

#include <algorithm>
#include <atomic>
#include <cctype>

namespace korvalin {
namespace {

// The most bytes of "HiddenProv" that are read; a longer value counts as unreadable.
constexpr size_t kHiddenListLimit = 5100;

}  // namespace

std::vector<std::shared_ptr<CAccount>> ProviderAccounts::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return accounts_;
}

bool ProviderAccounts::empty() const
{
    std::lock_guard lock(mutex_);
    return accounts_.empty();
}

size_t ProviderAccounts::size() const
{
    std::lock_guard lock(mutex_);
    return accounts_.size();
}

void ProviderAccounts::push_back(std::shared_ptr<CAccount> account)
{
    std::lock_guard lock(mutex_);
    accounts_.push_back(std::move(account));
}

void ProviderAccounts::Remove(const std::shared_ptr<CAccount>& account)
{
    std::lock_guard lock(mutex_);
    accounts_.erase(std::remove(accounts_.begin(), accounts_.end(), account), accounts_.end());
}

bool SameProviderName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool UsesServerSettings(const std::string& providerName)
{
    return SameProviderName(providerName, "POPMail") || SpeaksImap(providerName);
}

bool SpeaksImap(const std::string& providerName)
{
    return SameProviderName(providerName, "IMAPMail");
}

namespace {

// Where the plug-ins' own log lines go: the log of the host that loaded them.
std::atomic<DiagnosticLog*> pluginLog{nullptr};

void ForwardPluginLine(int level, const char* text)
{
    DiagnosticLog* log = pluginLog.load();
    if (log == nullptr || text == nullptr)
        return;
    if (level >= static_cast<int>(ProviderLogLevel::Error))
        log->Error(kCommon, "%s", text);
    else if (level == static_cast<int>(ProviderLogLevel::Warning))
        log->Warning(kCommon, "%s", text);
    else
        log->Info(kCommon, "%s", text);
}

}  // namespace

ProviderHost::~ProviderHost()
{
    DiagnosticLog* mine = &services_.log;
    pluginLog.compare_exchange_strong(mine, nullptr);
}

ProviderHost::ProviderHost(const CoreServices& services) : services_(services)
{
    AddProvider(kProgramProviderName, nullptr, false);
}

ProviderEntry& ProviderHost::AddProvider(const std::string& name, std::shared_ptr<ProviderLibrary> library, bool hidden)
{
    auto entry = std::make_unique<ProviderEntry>();
    entry->name = name;
    entry->library = std::move(library);
    entry->hidden = hidden;
    services_.log.Info(kCommon, "Adding provider: %s", name.c_str());
    providers_.push_back(std::move(entry));
    ProviderEntry& added = *providers_.back();
    if (hidden) {
        services_.log.Info(kCommon, "Hidden provider, deleted");
    } else {
        added.inTree = true;
        services_.ui.TreeChanged({TreeChangeKind::ProviderAdded, &added});
    }
    return added;
}

void ProviderHost::LoadProviders(const std::filesystem::path& folder, const UserStore& store)
{
    files_.clear();
    files_.push_back({"korvalin", 5, true});

    std::vector<std::filesystem::path> plugins = FindPluginFiles(folder);
    if (plugins.empty())
        services_.ui.FatalError("Unable to find any initialization dlls. Please reinstall Korvalin.");

    StoreValue hidden = store.Read(kHiddenProvidersValue);
    if (hidden.state == StoreRead::Found && hidden.bytes.size() <= kHiddenListLimit)
        SetHiddenNames(hidden.bytes);
    else if (hidden.state == StoreRead::Found)
        services_.log.Error(kCommon, "The hidden providers list is longer than %zu bytes; no provider is hidden",
                            kHiddenListLimit);
    else if (hidden.state == StoreRead::Unreadable)
        services_.log.Error(kCommon, "Cannot read the hidden providers: %s", hidden.error.c_str());

    for (const std::filesystem::path& file : plugins)
        LoadPlugin(file);
    services_.log.Info(kCommon, "Loading the user information");
}


void ProviderHost::LoadPlugin(const std::filesystem::path& file)
{
    std::string why;
    std::shared_ptr<ProviderLibrary> library = OpenPluginLibrary(file, &why);
    if (!library) {
        services_.log.Warning(kCommon, "Skipping %s: %s", file.filename().c_str(), why.c_str());
        return;
    }
    if (void* sink = library->Symbol(kProviderLogSinkSymbol)) {
        pluginLog = &services_.log;
        reinterpret_cast<void (*)(ProviderLogSink)>(sink)(ForwardPluginLine);
    }
    ProviderObject object = CreateProviderObject(library);
    if (!object) {
        services_.log.Warning(kCommon, "Skipping %s: it made no provider object", file.filename().c_str());
        return;
    }
    const std::string name = object->Name;
    const bool hidden = IsHiddenName(name);
    AddProvider(name, library, hidden);
    const int version = object->GetVersion();
    files_.push_back({library->FileName(), version, hidden});
    services_.log.Info(kCommon, "File:%s, Version:%d", library->FileName().c_str(), version);
}

void ProviderHost::SetHiddenNames(const std::string& value)
{
    hiddenNames_.clear();
    size_t start = 0;
    while (start < value.size()) {
        size_t end = value.find('\0', start);
        if (end == std::string::npos)
            end = value.size();  // a last name without its NUL still counts
        if (end == start)
            break;
        hiddenNames_.insert(value.substr(start, end - start));
        start = end + 1;
    }
}

std::string ProviderHost::HiddenNamesValue() const
{
    std::string value;
    for (size_t i = 1; i < providers_.size(); ++i) {
        if (providers_[i]->hidden)
            value += providers_[i]->name + '\0';
    }
    return value + '\0';
}

bool ProviderHost::IsHiddenName(const std::string& name) const
{
    return hiddenNames_.count(name) != 0;
}

ProviderEntry* ProviderHost::Find(const std::string& name) const
{
    for (const auto& entry : providers_) {
        if (SameProviderName(entry->name, name))
            return entry.get();
    }
    return nullptr;
}

void ProviderHost::HideProvider(ProviderEntry& entry, bool withNotice)
{
    if (IsProgramProvider(entry))
        return;
    if (!entry.accounts.empty()) {
        Tell(services_.ui, "Please delete all accounts with this provider before hiding it.");
        return;
    }
    if (entry.hidden)
        return;
    if (entry.inTree)
        services_.ui.TreeChanged({TreeChangeKind::ProviderRemoved, &entry});
    entry.inTree = false;
    entry.hidden = true;
    hiddenNames_.insert(entry.name);
    if (!withNotice || !services_.settings.Flag(setting::kNoticeOnHide))
        return;
    MessageBoxRequest notice;
    notice.caption = "Information..";
    notice.icon = MessageIcon::Information;
    notice.text = "This provider is now hidden. To show it again, choose Options from Tools menu, go to the Providers "
                  "tab and select it to be shown.";
    notice.checkBoxText = "Don't show me this again";
    if (services_.ui.ShowMessage(notice).checkBoxChecked)
        services_.settings.SetFlag(setting::kNoticeOnHide, false);
}

void ProviderHost::ShowProvider(ProviderEntry& entry)
{
    if (!entry.hidden)
        return;
    hiddenNames_.erase(entry.name);
    entry.hidden = false;
    entry.inTree = true;
    services_.ui.TreeChanged({TreeChangeKind::ProviderAdded, &entry});
    // Every account comes back with its inbox, not just the first one, so no
    // account stays out of sight until the next start.
    for (const auto& account : entry.accounts.Snapshot()) {
        account->Update([](AccountState& state) { state.inTree = true; });
        services_.ui.TreeChanged({TreeChangeKind::AccountAdded, &entry, account.get()});
        auto inbox = account->Inbox();
        inbox->inTree = true;
        services_.ui.TreeChanged({TreeChangeKind::FolderAdded, &entry, account.get(), inbox.get()});
        if (Status created = CreateFolder(account->Folder()); !created)
            services_.log.Error(*account, "%s", created.error.c_str());
    }
}

void ProviderHost::OpenSignUpPage(ProviderEntry& entry)
{
    if (IsProgramProvider(entry))
        return;
    ProviderObject object = CreateProviderObject(entry.library);
    if (!object || !services_.ui.OpenUrl(object->SignUpUrl))
        Tell(services_.ui, "Error opening default web browser");
}

}  // namespace korvalin
