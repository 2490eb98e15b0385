#include "UserInformation.h"

#include "AccountFolder.h"
#include "AccountList.h"
#include "AccountManager.h"
#include "AtomicFile.h"
#include "DesktopIntegration.h"
#include "HostsConfig.h"
#include "LogWindow.h"
#include "PasswordKeeper.h"
#include "ProviderHost.h"
#include "UserStore.h"

#include <set>


namespace korvalin {

std::string VendorWeb(const PlatformPaths& paths)
{
    if (auto text = ReadWholeFile(paths.dataRoot / kHostsFileName)) {
        auto values = ParseHostsText(*text);
        if (auto found = values.find("vendor.web"); found != values.end() && !found->second.empty())
            return found->second;
    }
    return DefaultHost("vendor.web");
}

std::string TipsPageUrl(const PlatformPaths& paths)
{
    return HttpBase(VendorWeb(paths)) + "/tips.htm";
}

UserInformation::UserInformation(const CoreServices& services, UserStore& store, ProviderHost& providers,
                                 AccountManager& accounts, LogWindow& logWindow, PasswordKeeper& passwords)
    : services_(services),
      store_(store),
      providers_(providers),
      accounts_(accounts),
      logWindow_(logWindow),
      passwords_(passwords)
{
}

void UserInformation::Load()
{
    bool openOptions = false;
    if (!store_.Exists())
        FirstRun();
    else
        openOptions = LoadPath();
    if (services_.settings.Flag(setting::kCheckMailtoHandler))
        CheckMailtoHandler();
    EndOfLoading(openOptions);
}

void UserInformation::FirstRun()
{
    services_.log.Info(kCommon, "Running for the first time..");
    services_.settings.ResetToDefaults(VendorWeb(services_.paths));
    SetupWizardChoices choices = services_.ui.RunSetupWizard();
    UserSettings& settings = services_.settings;
    settings.SetFlag(setting::kAutoCheck, choices.autoCheck);
    settings.SetInt(setting::kCheckInterval, choices.checkIntervalMinutes);
    settings.SetFlag(setting::kPlaySound, choices.playSound);
    settings.SetFlag(setting::kHideOnStartup, choices.hideOnStartup);
    settings.SetFlag(setting::kStartWithSession, choices.startWithSession);
    settings.SetFlag(setting::kStartOnline, !choices.startOffline);
    services_.online.SetStartMode(settings.Flag(setting::kStartOnline));
    Save();  // also writes the autostart entry when it was chosen
}

bool UserInformation::LoadPath()
{
    StoreValue record = store_.Read(kProgramProviderName);
    bool readable = record.state == StoreRead::Found && record.bytes.size() <= kStoredValueLimit;
    if (!readable) {
        services_.log.Error(kCommon, "The settings record cannot be read: %s",
                            record.state == StoreRead::Unreadable ? record.error.c_str()
                            : record.state == StoreRead::Missing  ? "it is missing"
                                                                  : "it is too long");
        MessageBoxRequest question;
        question.text = "User info is corrupt. Press OK to clean up the configuration. It will let you reconfigure the "
                        "application, otherwise Korvalin might not work";
        question.buttons = MessageButtons::OkCancel;
        if (services_.ui.ShowMessage(question).answer == MessageAnswer::Ok)
            ClearAllSettings();
    }
    services_.settings.ResetToDefaults(VendorWeb(services_.paths));
    bool upgrade = false;
    if (readable) {
        services_.settings.Overlay(record.bytes);
        upgrade = record.bytes.size() < UserSettings::kSize;
    }
    if (upgrade) {
        Tell(services_.ui, "This seems like an upgrade. New options, like signature, hiding unused providers, etc are "
                           "available now. You will now be asked to customize these settings for yourself.");
    }
    services_.online.SetStartMode(services_.settings.Flag(setting::kStartOnline));
    const auto& providers = providers_.Providers();
    std::vector<ProviderEntry*> moved;
    for (size_t i = 1; i < providers.size(); ++i) {
        if (LoadAccounts(*providers[i]))
            moved.push_back(providers[i].get());
    }
    RemoveMovedPasswords(moved);
    return upgrade;
}

void UserInformation::RemoveMovedPasswords(const std::vector<ProviderEntry*>& providers)
{
    if (providers.empty())
        return;
    std::map<std::string, std::optional<std::string>> values;
    for (ProviderEntry* provider : providers)
        values[provider->name] = BuildAccountList(*provider, &passwords_).value;
    // Only once this write succeeded are the passwords gone from the file;
    // until then both places hold them.
    if (Status written = store_.Write(values); !written)
        services_.log.Error(kCommon, "The passwords moved into the desktop keyring stay in the settings file too: %s",
                            written.error.c_str());
    else
        services_.log.Info(kCommon, "Saved passwords moved from the settings file into the desktop keyring");
}

bool UserInformation::LoadAccounts(ProviderEntry& provider)
{
    StoreValue value = store_.Read(provider.name);
    if (value.state == StoreRead::Unreadable) {
        services_.log.Error(kCommon, "The accounts of %s cannot be read: %s", provider.name.c_str(), value.error.c_str());
        return false;
    }
    if (value.state == StoreRead::Missing) {
        const std::string notice = "There is a new provider available: " + provider.name +
                                   ". You can add any accounts you have with it, by right clicking on it and choosing "
                                   "Add Account from the menu";
        services_.log.Info(kCommon, "%s", notice.c_str());
        Tell(services_.ui, notice, MessageIcon::Information);
        if (Status written = store_.WriteValue(provider.name, ""); !written)
            services_.log.Error(kCommon, "Cannot record the new provider %s: %s", provider.name.c_str(),
                                written.error.c_str());
        return false;
    }
    std::string bytes = value.bytes;
    if (bytes.size() > kStoredValueLimit) {
        services_.log.Warning(kCommon, "The account list of %s is longer than %zu bytes; reading only those",
                              provider.name.c_str(), kStoredValueLimit);
        bytes.resize(kStoredValueLimit);
    }
    DecodedAccountList list = DecodeAccountList(bytes);
    if (list.damaged)
        services_.log.Warning(kCommon, "The account list of %s is damaged (%s); %zu accounts were read",
                              provider.name.c_str(), list.why.c_str(), list.accounts.size());
    bool moved = false;
    for (const StoredAccount& stored : list.accounts) {
        std::optional<std::string> password;
        if (stored.hasPassword && stored.password.empty())
            password = passwords_.Recall(provider.name, stored.login);  // none: asked at the next login
        else if (stored.hasPassword)
            password = stored.password;
        auto account = accounts_.AddAccount(provider, stored.login, password, stored.savePassword, stored.folderMask);
        if (account && stored.hasPassword && !stored.password.empty() &&
            passwords_.Keep(provider.name, stored.login, stored.password))
            moved = true;
    }
    return moved;
}

void UserInformation::CheckMailtoHandler()
{
    if (DefaultMailtoHandler(services_.paths).find("korvalin") != std::string::npos)
        return;
    MessageBoxRequest question;
    question.text =
        "Korvalin can be configured to be used with email links on the internet. Would you like to use Korvalin as your "
        "email client for such links? \nThis way you will be able to use your web based email accounts to send mail "
        "from mailto: links on web pages on the internet.\n\nPress Yes to use Korvalin Mail as your default email "
        "client.\nPress No to continue using the currently configured client, or,\nPress Cancel to skip this test "
        "from next time onwards";
    question.icon = MessageIcon::Question;
    question.buttons = MessageButtons::YesNoCancel;
    question.defaultButton = MessageAnswer::Yes;
    switch (services_.ui.ShowMessage(question).answer) {
    case MessageAnswer::Cancel:
        services_.settings.SetFlag(setting::kCheckMailtoHandler, false);
        break;
    case MessageAnswer::Yes:
        if (Status made = MakeDefaultMailtoHandler(services_.paths); !made)
            services_.log.Error(kCommon, "Cannot register Korvalin for mail links: %s", made.error.c_str());
        break;
    default:
        break;
    }
}

void UserInformation::EndOfLoading(bool openOptions)
{
    if (openOptions)
        services_.ui.OpenOptionsSheet();
    logWindow_.SetLevel(services_.settings.Int(setting::kLogLevel));
    if (services_.online.Online()) {
        if (services_.hooks.RouteTest()) {
            services_.log.Info(kCommon, "Running in online mode on start up..");
        } else {
            services_.log.Warning(kCommon, "Running in offline mode on start up..");
            services_.ui.SetStatusText(kModePane, "Offline Mode");
            services_.online.SetStartMode(false);
            services_.hooks.ClearPendingActions();
        }
    }
    if (services_.online.Online())
        services_.ui.ShowHomePage(TipsPageUrl(services_.paths));
}

UserInformation::BuiltList UserInformation::BuildAccountList(const ProviderEntry& provider, PasswordKeeper* passwords)
{
    BuiltList list;
    for (const auto& account : provider.accounts.Snapshot()) {
        AccountState state = account->State();
        StoredAccount stored;
        stored.login = state.login;
        stored.hasPassword = state.savePassword && state.credentialsAccepted;
        stored.password = state.password;
        if (passwords != nullptr && stored.hasPassword && passwords->Keep(provider.name, stored.login, stored.password))
            stored.password.clear();
        else if (passwords != nullptr && !stored.hasPassword)
            passwords->Forget(provider.name, stored.login);
        stored.savePassword = stored.hasPassword;
        stored.folderMask = state.folderMask;
        std::string record = EncodeAccountRecord(stored);
        if (list.value.size() + record.size() > kStoredValueLimit) {
            list.overLimit = true;
            break;
        }
        list.value += record;
        if (list.value.size() > kAccountListLimit) {
            list.overLimit = true;
            break;
        }
    }
    return list;
}

void UserInformation::Save()
{
    services_.log.Info(kCommon, "Saving the user information");
    std::map<std::string, std::optional<std::string>> values;
    values[kProgramProviderName] = services_.settings.ToStoredValue();
    const auto& providers = providers_.Providers();
    std::set<std::pair<std::string, std::string>> present;
    for (size_t i = 1; i < providers.size(); ++i) {
        BuiltList list = BuildAccountList(*providers[i], &passwords_);
        if (list.overLimit)
            Tell(services_.ui, "Too many accounts, all information wont be saved");
        values[providers[i]->name] = list.value;
        for (const auto& account : providers[i]->accounts.Snapshot())
            present.insert({providers[i]->name, account->Login()});
    }
    values[kHiddenProvidersValue] = providers_.HiddenNamesValue();
    if (Status written = store_.Write(values); !written) {
        services_.log.Error(kCommon, "Saving the user information failed: %s", written.error.c_str());
        Tell(services_.ui, "Unable to save user preferences. Please inform your administrator");
    } else {
        // Renamed accounts leave their old keyring item behind until now.
        passwords_.ForgetAllBut(present);
    }
    if (Status autostart = SetAutostart(services_.paths, services_.settings.Flag(setting::kStartWithSession)); !autostart)
        services_.log.Error(kCommon, "Cannot change the autostart entry: %s", autostart.error.c_str());
}

void UserInformation::ClearAllSettings()
{
    if (AskYesNo(services_.ui,
                 "All account information for every user will be deleted. This feature should be used only in "
                 "irreparable situations. Are you sure?",
                 MessageAnswer::No) != MessageAnswer::Yes)
        return;
    if (Status removed = store_.RemoveAll(); !removed) {
        services_.log.Error(kCommon, "%s", removed.error.c_str());
        Tell(services_.ui, "Error accessing user information. Please re-install software");
        return;
    }
    if (Status autostart = SetAutostart(services_.paths, false); !autostart)
        services_.log.Error(kCommon, "%s", autostart.error.c_str());
    for (const auto& account : accounts_.AllAccounts())
        passwords_.Forget(account->ProviderName(), account->Login());
    const std::filesystem::path accounts = services_.paths.dataRoot / kAccountsFolder;
    std::error_code error;
    for (std::filesystem::directory_iterator it(accounts, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            continue;
        if (Status deleted = DeleteFolderAndFiles(it->path()); !deleted)
            services_.log.Error(kCommon, "%s", deleted.error.c_str());
    }
    for (const char* folder : {kAccountsFolder, kFiltersFolder}) {
        if (Status deleted = DeleteFolderAndFiles(services_.paths.dataRoot / folder); !deleted)
            services_.log.Error(kCommon, "%s", deleted.error.c_str());
    }
    services_.ui.FatalError(
        "All configuration was deleted. The application will now close. Please restart the application and "
        "reconfigure it");
}

}  // namespace korvalin
