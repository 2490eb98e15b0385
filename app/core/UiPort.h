// The one way the engine talks to the person. The Qt program implements it
// by running each call on its UI thread (waiting for the answer where there
// is one); tests implement it with a scripted fake. Any method may be called
// from any thread: logins, for instance, ask for a password from their own
// worker thread while the UI thread runs the "Logging in..." box.
#pragma once

#include "MailProvider.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvalin {

class CAccount;
class FolderSummary;
class LoginProgressBox;
struct MailFolder;
struct ProviderEntry;

enum class MessageIcon { None, Information, Warning, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    std::string text;
    std::string caption;  // empty: the program's name
    MessageIcon icon = MessageIcon::Warning;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;
    std::string checkBoxText;  // non-empty: a check box such as "Don't show me this again"
};

struct MessageBoxReply {
    MessageAnswer answer = MessageAnswer::Ok;
    bool checkBoxChecked = false;
};

// The settings of a POP3/SMTP account ("POP Mail Account settings").
struct PopSettings {
    std::string pop3Server;
    std::string smtpServer;
    std::string displayName;
    std::string emailAddress;
    bool deleteFromServer = false;
    // The incoming server speaks IMAP, not POP3: it follows the account's
    // provider and is never stored.
    bool imap = false;
};

// The login box ("Enter your login information"): filled by the engine,
// changed by the person.
struct LoginForm {
    std::string providerName;
    std::string login;
    std::string password;
    bool savePassword = false;
    std::string soundPath;
    bool isPop = false;
    PopSettings pop;  // shown only for POP accounts
};

// The Add New Account dialog.
struct NewAccountForm {
    std::vector<std::string> providerNames;  // every provider but provider 0, in list order
    int provider = -1;                       // index into providerNames; -1: none chosen
    std::string login;
    std::string password;
    bool savePassword = false;
};

// What the first-run setup wizard hands back (the accounts it adds itself).
struct SetupWizardChoices {
    bool autoCheck = true;
    int checkIntervalMinutes = 2;
    bool playSound = true;
    bool hideOnStartup = false;
    bool startWithSession = false;
    bool startOffline = false;
};

struct ComposeRequest {
    std::string senderText;  // "Sender: login@provider"
    CAccount* sender = nullptr;
    std::string recipient;  // empty: a blank To field
};

// A change of the account tree, which mirrors providers, accounts and folders.
enum class TreeChangeKind {
    ProviderAdded,    // appended at the end of the root level
    ProviderRemoved,  // with everything under it
    ProviderExpanded,
    AccountAdded,    // appended under its provider
    AccountRemoved,  // with everything under it
    AccountRenamed,
    AccountUnchecked,
    FolderAdded,  // appended under its account
    FolderRemoved,
};

struct TreeChange {
    TreeChangeKind kind;
    ProviderEntry* provider = nullptr;
    CAccount* account = nullptr;
    MailFolder* folder = nullptr;
};

// Where a window sits on the screen.
struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A mail window to open on a cached mail.
struct MailWindowRequest {
    std::string title;  // "Mail from %s: %s"
    std::string from, to, cc, subject;
    std::string cachedFile;  // absolute path of the cached mail file
    std::shared_ptr<FolderSummary> summary;
    int row = 0;
    std::shared_ptr<CAccount> account;
    std::optional<WindowRect> rect;  // where to place it, once
};

// A mail the service did not take: handed back so that the person can send
// it again (the compose window reopens with what was typed).
struct UnsentMail {
    std::string text;  // the message that says so
    CMailMessage message;
    std::string typedText;  // the body as typed (the message's Body may be encoded)
    std::shared_ptr<CAccount> account;
};

// Status bar panes: 0 messages, 1 the mode, 2 progress figures.
inline constexpr int kMessagePane = 0;
inline constexpr int kModePane = 1;
inline constexpr int kProgressPane = 2;

class UiPort {
public:
    virtual ~UiPort() = default;

    // Message boxes, with their exact texts, icon, buttons and default button.
    virtual MessageBoxReply ShowMessage(const MessageBoxRequest& request) = 0;

    // Shows text with the warning icon and OK, then ends the process at once
    // with exit code -1, saving nothing. Never returns.
    [[noreturn]] virtual void FatalError(const std::string& text) = 0;

    virtual void SetStatusText(int pane, const std::string& text) = 0;

    // Dialogs: each returns false when the person cancelled, else true with
    // the form holding what was entered.
    virtual bool AskLogin(LoginForm& form) = 0;
    virtual bool AskNewAccount(NewAccountForm& form) = 0;
    virtual bool AskPopSettings(PopSettings& settings) = 0;
    virtual SetupWizardChoices RunSetupWizard() = 0;
    virtual void OpenOptionsSheet() = 0;
    // A file name to save to, or nothing when none was chosen.
    virtual std::optional<std::string> AskSaveFileName() = 0;

    // Runs the modal "Logging in..." box until box.Closed(): every 100 ms it
    // calls box.OnPoll() and shows box.Text(); every second box.OnSecond()
    // and shows box.CancelText() on the Cancel button; Cancel calls
    // box.OnCancel().
    virtual void RunLoginProgress(LoginProgressBox& box) = 0;

    // Opens url in the person's web browser; false when that failed.
    virtual bool OpenUrl(const std::string& url) = 0;

    virtual void TreeChanged(const TreeChange& change) = 0;
    virtual void OpenFolderWindow(MailFolder& folder) = 0;
    virtual void CloseFolderWindow(MailFolder& folder) = 0;
    virtual void OpenComposeWindow(const ComposeRequest& request) = 0;
    // Loads url (the news and tips page) into the home window, brings that
    // window to the top maximised and gives the focus back to the tree.
    virtual void ShowHomePage(const std::string& url) = 0;
    // Brings the home window up, as selecting provider 0 does.
    virtual void ShowHomeWindow() = 0;

    virtual void ShowMainWindow(bool visible) = 0;
    virtual void ShowDebugWindow(bool visible) = 0;
    virtual void CreateTrayIcon() = 0;
    virtual void StartCheckTimer(int minutes) = 0;
    virtual void SetWaitCursor(bool waiting) = 0;
    virtual void StopBusyAnimation() = 0;

    // The main frame's busy animation: played while checks run.
    virtual void StartBusyAnimation() {}

    // Open folders. The engine opens a folder's summary (MailStore) and then
    // calls OpenFolderWindow; the window shows the summary's Rows() and
    // re-reads them on every SummaryChanged. These notifications come from
    // any thread and carry what they name, so they need not wait.
    virtual void SummaryChanged(const std::shared_ptr<FolderSummary>& /*summary*/) {}
    // A tree label now reads label: the folder's, or the account's own when
    // folder is null.
    virtual void TreeLabelChanged(const std::shared_ptr<CAccount>& /*account*/,
                                  const std::shared_ptr<MailFolder>& /*folder*/, const std::string& /*label*/)
    {
    }
    virtual void OpenMailWindow(const MailWindowRequest& /*request*/) {}
    // Selects the mail with messageId (alone) in the summary's list.
    virtual void SelectMail(const std::shared_ptr<FolderSummary>& /*summary*/, const std::string& /*messageId*/) {}

    // The new-mail list (NewMailList) changed: tray menu, New Mails box.
    virtual void NewMailListChanged() {}
    // The tray animation: frames every 250 ms with the tip "You have %d new
    // mails" (the list's count); stopping shows the still icon with the tip
    // "Korvalin Mail".
    virtual void StartTrayAnimation() {}
    virtual void StopTrayAnimation() {}
    // Plays a sound file (the new-mail sound); nothing when it cannot.
    virtual void PlaySound(const std::string& /*file*/) {}

    // A mail was not sent. By default the person is told.
    virtual void ReturnUnsentMail(const UnsentMail& mail);

    // Keeps the program responsive until done() returns true, calling it
    // every few milliseconds on the calling thread (waits that must not
    // freeze the windows: going offline, quitting, deleting an account).
    virtual void KeepAliveUntil(const std::function<bool()>& done);
};

// Shorthands for the message boxes used throughout the engine.
MessageBoxReply Tell(UiPort& ui, const std::string& text, MessageIcon icon = MessageIcon::Warning);
MessageAnswer AskYesNo(UiPort& ui, const std::string& text, MessageAnswer defaultButton = MessageAnswer::Yes);

}  // namespace korvalin
