// The main frame's side of the mail: folder windows and their pop-ups, the
// mail windows, the mail commands, the tray's new-mail list and the sound.
#include "AccountTree.h"
#include "BusyAnimation.h"
#include "Engine.h"
#include "MailReader.h"
#include "MainFrame.h"
#include "MenuProxies.h"
#include "NewMailsBox.h"
#include "SoundPlayer.h"
#include "SummaryView.h"
#include "SummaryWindow.h"
#include "TrayIcon.h"
#include "TrayMenu.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>

namespace korvalin::ui {

SummaryWindow* MainFrame::FolderWindow(const MailFolder& folder) const
{
    return folderWindows_.value(&folder);
}

SummaryWindow* MainFrame::ActiveSummaryWindow() const
{
    return qobject_cast<SummaryWindow*>(mdi_->activeSubWindow());
}

void MainFrame::OpenFolderWindow(MailFolder& folder)
{
    if (engine_ == nullptr)
        return;
    std::shared_ptr<FolderSummary> summary = engine_->Mail().Summary(folder);
    if (!summary)
        return;
    SummaryWindow* window = FolderWindow(folder);
    if (window != nullptr && window->Summary() != summary) {
        folderWindows_.remove(&folder);
        window->CloseForEngine();
        window = nullptr;
    }
    if (window == nullptr) {
        window = new SummaryWindow(summary);
        folderWindows_.insert(&folder, window);
        mdi_->addSubWindow(window);
        MailFolder* bound = &folder;
        window->SetClosedByPerson([this, bound] {
            folderWindows_.remove(bound);
            if (engine_ != nullptr)
                engine_->Mail().FolderWindowClosed(*bound);
        });
        connect(&window->View(), &SummaryView::ComposeRequested, this, [this, bound] { ComposeFromFolder(*bound); });
        connect(&window->View(), &SummaryView::PopupRequested, this,
                [this, window](const QPoint& at, bool onRow) {
                    if (QMenu* menu = BuildSummaryMenu(*window, onRow))
                        menu->popup(at);
                });
        connect(&window->View(), &QTreeWidget::itemSelectionChanged, this, &MainFrame::UpdateCommands);
        window->show();
    }
    window->showNormal();
    mdi_->setActiveSubWindow(window);
    window->View().Refresh();
}

void MainFrame::CloseFolderWindow(MailFolder& folder)
{
    QPointer<SummaryWindow> window = folderWindows_.take(&folder);
    if (window != nullptr)
        window->CloseForEngine();
}

void MainFrame::RefreshSummary(const std::shared_ptr<FolderSummary>& summary)
{
    if (!summary)
        return;
    SummaryWindow* window = FolderWindow(summary->Folder());
    if (window != nullptr && window->Summary() == summary)
        window->ScheduleRefresh();
}

void MainFrame::SetTreeLabel(const CAccount* account, const MailFolder* folder, const QString& label)
{
    QTreeWidgetItem* item = folder != nullptr ? tree_->ItemFor(folder) : tree_->ItemFor(account);
    if (item != nullptr)
        item->setText(0, label);
}

void MainFrame::ComposeFromFolder(MailFolder& folder)
{
    if (engine_ == nullptr)
        return;
    TreeSelection selection;
    selection.folder = &folder;
    engine_->Accounts().ComposeForRecipient(selection, engine_->PendingRecipient());
}

void MainFrame::RunOnSelection(void (FolderSummary::*command)(const std::vector<int>&))
{
    SummaryWindow* window = ActiveSummaryWindow();
    if (window == nullptr)
        return;
    std::shared_ptr<FolderSummary> summary = window->Summary();
    // Watched from before the command: its questions run the event loop, in
    // which the window may go.
    QPointer<SummaryWindow> still = window;
    ((*summary).*command)(window->View().SelectedRows());
    if (still != nullptr)
        still->View().Refresh();
    UpdateCommands();
}

void MainFrame::ConnectMailCommands()
{
    const MainCommands& c = commands_;
    connect(c.openMail, &QAction::triggered, this, [this] { RunOnSelection(&FolderSummary::Open); });
    connect(c.deleteMail, &QAction::triggered, this, [this] { RunOnSelection(&FolderSummary::Delete); });
    connect(c.deleteFromServer, &QAction::triggered, this, [this] { RunOnSelection(&FolderSummary::DeleteFromServer); });
    connect(c.download, &QAction::triggered, this, [this] { RunOnSelection(&FolderSummary::Download); });
    connect(c.clearLocal, &QAction::triggered, this, [this] { RunOnSelection(&FolderSummary::ClearLocalCopy); });
    connect(c.markRead, &QAction::triggered, this, [this] { RunOnSelection(&FolderSummary::MarkAsRead); });
    connect(c.selectAll, &QAction::triggered, this, [this] {
        if (SummaryWindow* window = ActiveSummaryWindow())
            window->View().SelectAllMails();
    });
    connect(c.check, &QAction::triggered, this, [this] {
        if (engine_ != nullptr)
            engine_->Checks().CheckCommand(tree_->Selection());
    });
    connect(c.goOffline, &QAction::triggered, this, [this] {
        if (engine_ != nullptr)
            engine_->Mode().GoOffline();
    });
    connect(c.goOnline, &QAction::triggered, this, [this] {
        if (engine_ != nullptr)
            engine_->Mode().GoOnline();
    });
    connect(c.viewPending, &QAction::triggered, this, [this] {
        if (engine_ != nullptr)
            engine_->Mode().ShowPendingActions();
    });
}

QMenu* MainFrame::BuildSummaryMenu(SummaryWindow& window, bool onRow)
{
    UpdateCommands();
    summaryMenu_ = std::make_unique<QMenu>();
    QMenu& menu = *summaryMenu_;
    const MainCommands& c = commands_;
    MailFolder* folder = &window.Summary()->Folder();
    auto compose = [this, folder] { ComposeFromFolder(*folder); };
    if (onRow) {
        menu.setTitle("&Summary");
        const SummaryCommandStates states = window.View().CommandStates();
        // The items follow this window's selection.
        auto item = [&menu](const QString& text, QAction* command, bool enabled) {
            menu.addAction(text, command, &QAction::trigger)->setEnabled(enabled);
        };
        item("Open Mail", c.openMail, states.open);
        item("Delete Mail", c.deleteMail, states.remove);
        menu.addAction("Compose New Mail", this, compose);
        item("Mark As Read", c.markRead, states.markAsRead);
        item("Download this mail", c.download, states.download);
        item("&Delete from server", c.deleteFromServer, states.deleteFromServer);
        item("Remove local copy", c.clearLocal, states.clearLocalCopy);
    } else {
        menu.setTitle("&Folder");
        menu.addAction("Compose New Mail", this, compose);
        AddProxy(menu, "Korvalin Options", c.options);
    }
    MakeFirstItemDefault(menu);
    return &menu;
}

void MainFrame::StartBusyAnimation()
{
    busy_->Start();
}

void MainFrame::NewMailListChanged()
{
    if (newMailsBox_ != nullptr)
        newMailsBox_->Refresh();
    if (tray_->Animating())
        tray_->Advance();
}

void MainFrame::StartTrayAnimation()
{
    tray_->StartAnimation();
}

void MainFrame::StopTrayAnimation()
{
    tray_->StopAnimation();
}

void MainFrame::PlaySound(const QString& file)
{
    QString error;
    if (!PlaySoundFile(this, file, &error) && engine_ != nullptr && error != soundError_) {
        soundError_ = error;
        engine_->Log().Info(kCommon, "No new-mail sound: %s", error.toStdString().c_str());
    }
}

NewMailsBox* MainFrame::OpenNewMailsBox()
{
    if (engine_ == nullptr)
        return nullptr;
    if (newMailsBox_ == nullptr) {
        newMailsBox_ = new NewMailsBox(*engine_, [this] { ShowFromTray(); }, nullptr);
        newMailsBox_->setAttribute(Qt::WA_DeleteOnClose);
        newMailsBox_->setWindowIcon(windowIcon());
    }
    newMailsBox_->show();
    newMailsBox_->raise();
    newMailsBox_->activateWindow();
    return newMailsBox_;
}

NewMailsBox* MainFrame::NewMailsBoxShown() const
{
    return newMailsBox_;
}

void MainFrame::OpenNewMail(int k)
{
    if (engine_ == nullptr)
        return;
    const std::vector<NewMailEntry> entries = engine_->NewMail().Entries();
    if (k < 0 || static_cast<size_t>(k) >= entries.size())
        return;
    const NewMailEntry& entry = entries[static_cast<size_t>(k)];
    // By its message id only: a row number of before could name another mail now.
    if (const int row = entry.summary->FindRow(entry.messageId); row > 0)
        entry.summary->OpenMail(row);
}

}  // namespace korvalin::ui
