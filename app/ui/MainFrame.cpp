#include "MainFrame.h"

#include "AccountTree.h"
#include "Artwork.h"
#include "BusyAnimation.h"
#include "CommandChangeWatch.h"
#include "DebugWindow.h"
#include "Engine.h"
#include "HomeView.h"
#include "QtUiPort.h"
#include "StatusPanes.h"
#include "TrayIcon.h"
#include "TrayMenu.h"
#include "NewMailsBox.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSizePolicy>
#include <QToolBar>

namespace korvalin::ui {

MainFrame::MainFrame(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("mainFrame");
    setWindowTitle(kApplicationTitle);
    setWindowIcon(ApplicationIcon());

    commands_ = MainCommands::Create(this);
    commands_.BuildMenus(*this);
    buildLog_.push_back("Creating toolbar");
    QToolBar* toolBar = commands_.BuildToolBar(*this);

    buildLog_.push_back("Creating statusbar");
    status_ = new StatusPanes(this);
    setStatusBar(status_);

    tree_ = new AccountTree(this);
    auto* dock = new QDockWidget("Accounts", this);
    dock->setObjectName("treeBar");
    dock->setFeatures(QDockWidget::DockWidgetMovable);
    dock->setWidget(tree_);
    addDockWidget(Qt::LeftDockWidgetArea, dock);
    resizeDocks({dock}, {230}, Qt::Horizontal);

    buildLog_.push_back("Creating animation window");
    auto* spacer = new QWidget(toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar->addWidget(spacer);
    busy_ = new BusyAnimation(toolBar);
    busy_->setObjectName("busyAnimation");
    toolBar->addWidget(busy_);

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("mdiArea");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] {
        RefreshCaption();
        ArbitrateShortcuts();
        UpdateCommands();
    });

    debug_ = new DebugWindow(nullptr);
    tray_ = new TrayIcon(this);
    connect(tray_, &TrayIcon::LeftClicked, this, &MainFrame::OnTrayLeftClick);
    connect(tray_, &TrayIcon::DoubleClicked, this, &MainFrame::OnTrayDoubleClick);

    connect(tree_, &AccountTree::ItemChosen, this, &MainFrame::OnItemChosen);
    connect(tree_, &AccountTree::ChecksChangedByUser, this, &MainFrame::RunCheckRules);
    connect(tree_, &QWidget::customContextMenuRequested, this, &MainFrame::OnTreeContextMenu);

    connect(&checkTimer_, &QTimer::timeout, this, &MainFrame::OnCheckTimer);
    connect(&commandTimer_, &QTimer::timeout, this, &MainFrame::UpdateCommands);
    new CommandChangeWatch(commandTimer_, [this] { return engine_ != nullptr; }, this);

    ConnectCommands();
    ConnectMailCommands();
    resize(960, 640);
}

MainFrame::~MainFrame()
{
    // The widgets still report while the base class takes them down; this
    // part of the frame is gone by then.
    mdi_->disconnect(this);
    tree_->disconnect(this);
    if (port_ != nullptr)
        port_->SetFrame(nullptr);
    delete debug_;
}

void MainFrame::Attach(Engine& engine, QtUiPort& port)
{
    engine_ = &engine;
    port_ = &port;
    port.SetFrame(this);
    // The frame was built before the log existed: its steps are told now.
    for (const std::string& line : buildLog_)
        engine.Log().Info(kCommon, "%s", line.c_str());
    buildLog_.clear();
    debug_->Attach(engine.LogView(), engine.Log());
    tray_->SetNewMailCounter([this] { return engine_ != nullptr ? static_cast<int>(engine_->NewMail().Count()) : 0; });
    tray_->SetMenuFiller([this](QMenu& menu) {
        std::vector<QString> subjects;
        if (engine_ != nullptr) {
            for (const NewMailEntry& entry : engine_->NewMail().Entries())
                subjects.push_back(QString::fromStdString(entry.subject));
        }
        TrayMenuCommands commands{commands_.show, commands_.options, commands_.search, commands_.exit,
                                  commands_.compose};
        FillTrayMenu(menu, commands, subjects, [this](int k) { OpenNewMail(k); });
        UpdateCommands();
    });
    UpdateCommands();
}

void MainFrame::Detach()
{
    commandTimer_.stop();
    checkTimer_.stop();
    tree_->disconnect(this);
    if (port_ != nullptr)
        port_->SetFrame(nullptr);
    debug_->Detach();
    engine_ = nullptr;
    features_ = nullptr;
    port_ = nullptr;
}

void MainFrame::ComposeForHandedOverRecipient(const QString& recipient)
{
    if (engine_ == nullptr)
        return;
    engine_->PendingRecipient() = recipient.toStdString();
    // Before the logon has started, the logon composes to it.
    if (logonStarted_)
        engine_->Accounts().ComposeForRecipient(tree_->Selection(), engine_->PendingRecipient());
}

void MainFrame::OpenHomeWindow()
{
    if (homeWindow_ != nullptr)
        return;
    homeView_ = new HomeView;
    homeWindow_ = mdi_->addSubWindow(homeView_);
    homeWindow_->setWindowIcon(ApplicationIcon());
    homeWindow_->setWindowTitle(kHomeTitle);
    homeWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
    homeWindow_->showMaximized();
}

void MainFrame::SetHomeTitle(const QString& title)
{
    if (homeWindow_ != nullptr)
        homeWindow_->setWindowTitle(title);
    RefreshCaption();
}

void MainFrame::RefreshCaption()
{
    // Once the window shows a document, the caption names it after the
    // program's full title.
    QMdiSubWindow* active = mdi_->activeSubWindow();
    if (active == nullptr)
        return;
    setWindowTitle(QStringLiteral("%1 - %2").arg(kApplicationTitle, active->windowTitle()));
}

void MainFrame::SetStatusText(int pane, const QString& text)
{
    status_->SetPaneText(pane, text);
}

void MainFrame::ShowHomePage(const QUrl& url)
{
    OpenHomeWindow();
    homeView_->LoadPage(url);
    ShowHomeWindow();
}

void MainFrame::ShowHomeWindow()
{
    OpenHomeWindow();
    homeWindow_->show();
    homeWindow_->showMaximized();
    mdi_->setActiveSubWindow(homeWindow_);
    tree_->setFocus();
}

void MainFrame::ShowMainWindow(bool visible)
{
    if (visible) {
        showNormal();
        raise();
        activateWindow();
    } else if (TrayIcon::Available() && tray_->Created()) {
        hide();
    } else {
        // Without a tray a hidden window could not be brought back.
        showMinimized();
    }
}

void MainFrame::ShowDebugWindow(bool visible)
{
    if (engine_ != nullptr)
        debug_->ShowLevel(engine_->Log().Level());
    debug_->setVisible(visible);
    if (visible)
        debug_->raise();
    UpdateCommands();
}

void MainFrame::CreateTrayIcon()
{
    if (TrayIcon::Available())
        tray_->Create();
}

void MainFrame::StartCheckTimer(int minutes)
{
    checkTimer_.start(minutes * 60000);
}

void MainFrame::StopBusyAnimation()
{
    busy_->Stop();
}

void MainFrame::Tell(const QString& text, MessageIcon icon)
{
    if (port_ == nullptr)
        return;
    MessageBoxRequest request;
    request.text = text.toStdString();
    request.icon = icon;
    port_->ShowMessage(request);
}

void MainFrame::OnCheckTimer()
{
    if (engine_ != nullptr && !shuttingDown_ && !shutdownDone_)
        engine_->Checks().OnCheckTimer();
}

void MainFrame::ShowFromTray()
{
    if (engine_ != nullptr)
        engine_->NewMail().Clear();
    tray_->StopAnimation();
    ShowMainWindow(true);
}

void MainFrame::OnTrayLeftClick()
{
    const bool hidden = !isVisible() || isMinimized();
    if (engine_ != nullptr && hidden && newMailsBox_ == nullptr && engine_->NewMail().Animating())
        OpenNewMailsBox();
}

void MainFrame::OnTrayDoubleClick()
{
    if (newMailsBox_ == nullptr)
        commands_.show->trigger();
}

bool MainFrame::Shutdown()
{
    if (shutdownDone_)
        return true;
    // The questions and the wait serve the event loop: a second Exit or a
    // timer tick meanwhile does not run the shutdown again.
    if (shuttingDown_)
        return false;
    shuttingDown_ = true;
    bool agreed = CloseComposeWindows();
    if (agreed && engine_ != nullptr) {
        agreed = engine_->Mode().ConfirmQuit();
        if (agreed)
            engine_->Hooks().WaitForOutstandingRequests();
    }
    shuttingDown_ = false;
    if (agreed)
        SaveForExit();
    return agreed;
}

void MainFrame::SaveForExit()
{
    if (shutdownDone_)
        return;
    shutdownDone_ = true;
    // From here on a call of another thread gets its cancel answer: once the
    // event loop has ended nothing would answer it.
    if (port_ != nullptr)
        port_->BeginShutdown();
    if (engine_ != nullptr)
        engine_->SaveAtExit();
}

void MainFrame::EndWithoutQuestions()
{
    SaveForExit();
    close();
}

void MainFrame::SaveWhileRunning()
{
    if (engine_ != nullptr && !shutdownDone_)
        engine_->SaveWhileRunning();
}

void MainFrame::closeEvent(QCloseEvent* event)
{
    if (!Shutdown()) {
        event->ignore();
        return;
    }
    event->accept();
    debug_->hide();
    if (newMailsBox_ != nullptr)
        newMailsBox_->close();
    emit Closed();
}

void MainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Minimised, the window lives on in the tray; without a tray it stays
    // minimised on the task bar, where it can be reached.
    if (isMinimized() && TrayIcon::Available() && tray_->Created())
        QTimer::singleShot(0, this, &QWidget::hide);
}

void MainFrame::resizeEvent(QResizeEvent* event)
{
    if (engine_ != nullptr)
        engine_->Log().Info(kCommon, "Resizing main window");
    QMainWindow::resizeEvent(event);
}

}  // namespace korvalin::ui
