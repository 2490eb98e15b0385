// The main frame: the MDI area (home window, folder summaries, mail
// windows), the toolbar with the busy animation at its right end, the docked
// account tree, the three-pane status bar, the tray icon, the debug window,
// the check timer, and the shutdown on close. It shows the engine's state and
// forwards the person's commands to it.
#pragma once

#include "MainCommands.h"
#include "UiPort.h"

#include <QHash>
#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTreeWidgetItem;

namespace korvalin {
class Engine;
class FeatureHooks;
}

namespace korvalin::ui {

class AccountTree;
class BusyAnimation;
class ComposeWindow;
struct ComposeSetup;
class DebugWindow;
class HomeView;
class NewMailsBox;
class QtUiPort;
class SummaryWindow;
class StatusPanes;
class TrayIcon;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kApplicationTitle = "Korvalin Mail V2.4";
    static constexpr const char* kShortTitle = "Korvalin Mail";
    static constexpr const char* kHomeTitle = "Korvalin";

    explicit MainFrame(QWidget* parent = nullptr);
    ~MainFrame() override;

    // Binds the frame to the engine; the port's calls reach the frame from now on.
    void Attach(Engine& engine, QtUiPort& port);
    // Lets go of the engine and the port (before the engine ends).
    void Detach();
    // Filters, address books, network tests and update (none in some tests).
    void SetFeatures(FeatureHooks* features) { features_ = features; }
    // The start-up logon has begun: a handed-over recipient is composed to at once.
    void SetLogonStarted() { logonStarted_ = true; }

    // Parts.
    AccountTree& Tree() const { return *tree_; }
    StatusPanes& Status() const { return *status_; }
    BusyAnimation& Busy() const { return *busy_; }
    TrayIcon& Tray() const { return *tray_; }
    DebugWindow& Debug() const { return *debug_; }
    HomeView& Home() const { return *homeView_; }
    QMdiArea& Mdi() const { return *mdi_; }
    const MainCommands& Commands() const { return commands_; }
    QTimer& CheckTimer() { return checkTimer_; }

    // Start-up steps.
    void OpenHomeWindow();
    void SetHomeTitle(const QString& title);

    // What the engine asks for through its port (UI thread).
    void SetStatusText(int pane, const QString& text);
    void ApplyTreeChange(const TreeChange& change);
    void ShowHomePage(const QUrl& url);
    void ShowHomeWindow();
    void ShowMainWindow(bool visible);
    void ShowDebugWindow(bool visible);
    void CreateTrayIcon();
    void StartCheckTimer(int minutes);
    void StopBusyAnimation();
    void OpenFolderWindow(MailFolder& folder);
    void CloseFolderWindow(MailFolder& folder);
    void OpenComposeWindow(const ComposeRequest& request);
    // A compose window in the MDI area (null when the person gave it up at once).
    ComposeWindow* OpenComposer(const ComposeSetup& setup);
    // A mail the service did not take opens again with what the person typed.
    void ReturnUnsentMail(const UnsentMail& mail);
    // The first run's "Korvalin Setup".
    SetupWizardChoices RunSetupWizard();
    // "Korvalin Options" (also opened by the engine after an upgrade).
    void OpenOptionsSheet();
    // "Search in mails".
    void OpenSearch();
    // "&Set Filters" for account.
    void OpenFilters(CAccount& account);
    // "Show &Address Book".
    void OpenAddressBook();
    void StartBusyAnimation();
    void RefreshSummary(const std::shared_ptr<FolderSummary>& summary);
    void SetTreeLabel(const CAccount* account, const MailFolder* folder, const QString& label);
    void OpenMailWindow(const MailWindowRequest& request);
    void NewMailListChanged();
    void StartTrayAnimation();
    void StopTrayAnimation();
    void PlaySound(const QString& file);

    // The open folder windows.
    SummaryWindow* FolderWindow(const MailFolder& folder) const;
    // The folder window in front, or null.
    SummaryWindow* ActiveSummaryWindow() const;
    // The pop-up menu of a summary: "&Summary" over a row, else "&Folder".
    QMenu* BuildSummaryMenu(SummaryWindow& window, bool onRow);
    // The New Mails box, opened by the tray's left button (null: not open).
    NewMailsBox* OpenNewMailsBox();
    NewMailsBox* NewMailsBoxShown() const;
    // The tray menu's "New Mails" item k.
    void OpenNewMail(int k);

    // Who shows a compose window for a compose request; by default a
    // compose window in the MDI area.
    void SetComposeHandler(std::function<void(const ComposeRequest&)> handler) { composeHandler_ = std::move(handler); }

    // "Open Korvalin": empties the new-mail list, stops the tray animation and
    // brings the window up.
    void ShowFromTray();
    // A recipient handed over by a second copy of the program.
    void ComposeForHandedOverRecipient(const QString& recipient);

    // The command update pass.
    void UpdateCommands();
    CommandFacts CurrentFacts() const;

    // The pop-up menu the tree shows for item (null: none).
    QMenu* BuildTreeMenu(QTreeWidgetItem* item);

    // The check rules after a check mark changed; shows the provider message
    // and logs accounts in as the rules ask.
    void RunCheckRules();

    // The shutdown of a close request; false when the person chose to stay.
    bool Shutdown();
    bool ShutdownDone() const { return shutdownDone_; }
    // The process is asked to end (SIGTERM, SIGHUP): saves as Exit does,
    // asking nothing, and closes.
    void EndWithoutQuestions();
    // The desktop session may end: saves everything and goes on.
    void SaveWhileRunning();

signals:
    // The frame has closed for good; the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ConnectCommands();
    void OnItemChosen(QTreeWidgetItem* item);
    void OnTreeContextMenu(const QPoint& position);
    void OnTrayLeftClick();
    void OnTrayDoubleClick();
    void OnCheckTimer();
    void ConnectMailCommands();
    void ComposeFromFolder(MailFolder& folder);
    void RunOnSelection(void (FolderSummary::*command)(const std::vector<int>&));
    void RefreshCaption();
    void ShowVendorPage(const QString& path);
    void OpenReadMe();
    void ShowAbout();
    void ShowAboutServices();
    // Main-frame keys that the active mail or compose window uses itself
    // rest while that window is active.
    void ArbitrateShortcuts();
    // Each unsent mail asks whether to give it up; false when one is kept.
    bool CloseComposeWindows();
    // What Exit saves, once; calls of other threads get their cancel answer from then on.
    void SaveForExit();
    void Tell(const QString& text, MessageIcon icon = MessageIcon::Information);
    CAccount* SelectedAccount() const;

    Engine* engine_ = nullptr;
    QtUiPort* port_ = nullptr;
    FeatureHooks* features_ = nullptr;
    MainCommands commands_;
    QMdiArea* mdi_ = nullptr;
    AccountTree* tree_ = nullptr;
    StatusPanes* status_ = nullptr;
    BusyAnimation* busy_ = nullptr;
    TrayIcon* tray_ = nullptr;
    DebugWindow* debug_ = nullptr;
    HomeView* homeView_ = nullptr;
    QPointer<QMdiSubWindow> homeWindow_;
    std::unique_ptr<QMenu> treeMenu_;
    std::unique_ptr<QMenu> summaryMenu_;
    QHash<const MailFolder*, QPointer<SummaryWindow>> folderWindows_;
    QPointer<NewMailsBox> newMailsBox_;
    QString soundError_;  // the last reason a sound was not played, logged once
    QTimer checkTimer_;
    std::vector<std::string> buildLog_;  // what building the frame logs once the log is there
    QTimer commandTimer_;
    std::function<void(const ComposeRequest&)> composeHandler_;
    QHash<QAction*, QKeySequence> restingShortcuts_;
    bool shutdownDone_ = false;
    bool shuttingDown_ = false;  // Shutdown asks or waits
    bool logonStarted_ = false;
    bool checkRulesQueued_ = false;
};

}  // namespace korvalin::ui
