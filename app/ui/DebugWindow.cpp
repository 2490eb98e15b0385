#include "DebugWindow.h"

#include "Artwork.h"
#include "CommandTips.h"
#include "DiagnosticLog.h"
#include "LogWindow.h"
#include "PlainText.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QPointer>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QScrollBar>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

namespace korvalin::ui {
namespace {

struct LevelCommand {
    int level;
    const char* text;
    const char* tip;
};

constexpr std::array<LevelCommand, 5> kLevelCommands = {{
    {loglevel::kErrorsOnly, "Show &Errors Only", "Show the errors only\nErrors"},
    {loglevel::kErrorsAndWarnings, "Errors and &Warnings", "Show all the errors and warnings\nWarnings"},
    {loglevel::kAlmostAll, "&Almost All Information", "Almost all the information is shown\nAlmost all Info"},
    {loglevel::kEverything, "Show E&verything", "Show all the information being generated\nAll Info"},
    {loglevel::kStopped, "&Stop", "Stop logging the debug\nStop"},
}};

// The column widths were chosen for small fonts; wider fonts widen them.
int ScaledWidth(const QWidget& widget, int width)
{
    const double scale = std::max(1.0, widget.fontMetrics().averageCharWidth() / 6.0);
    return static_cast<int>(width * scale);
}

}  // namespace

DebugWindow::DebugWindow(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setWindowTitle(kTitle);
    setObjectName("debugWindow");
    setWindowIcon(ApplicationIcon());

    list_ = new QTreeWidget(this);
    list_->setObjectName("debugList");
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setHeaderLabels({"Time", "Account", "Level", "Log"});
    list_->headerItem()->setTextAlignment(0, Qt::AlignCenter);
    // The account column is wider than 60 so that "login@provider" fits.
    const std::array<int, 4> widths = {60, 130, 45, 185};
    for (int column = 0; column < 4; ++column)
        list_->setColumnWidth(column, ScaledWidth(*list_, widths[static_cast<size_t>(column)]));
    list_->header()->setStretchLastSection(true);
    setCentralWidget(list_);

    save_ = new QAction("Save Log", this);
    SetCommandTip(save_, "Save the log to a file\nSave Log");
    clear_ = new QAction("Clear Log", this);
    SetCommandTip(clear_, "Delete all the log entries\nClear Log");
    connect(save_, &QAction::triggered, this, [this] { RunAndResync(&LogWindow::SaveLog); });
    connect(clear_, &QAction::triggered, this, [this] { RunAndResync(&LogWindow::ClearLog); });

    QMenu* logMenu = menuBar()->addMenu("&Log");
    logMenu->addAction(save_);
    logMenu->addAction(clear_);
    logMenu->addSeparator();
    logMenu->addAction("&Close", this, &QWidget::close);

    QMenu* options = menuBar()->addMenu("&Options");
    for (size_t i = 0; i < kLevelCommands.size(); ++i) {
        const LevelCommand& command = kLevelCommands[i];
        QAction* action = options->addAction(command.text);
        SetCommandTip(action, command.tip);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, level = command.level] { SetLevel(level); });
        levels_[i] = action;
    }

    QToolBar* toolBar = addToolBar("Log");
    toolBar->setObjectName("debugToolBar");
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolBar->addAction(save_);
    toolBar->addAction(clear_);

    resize(620, 360);
    drainTimer_.setInterval(100);
    drainTimer_.setSingleShot(true);
    connect(&drainTimer_, &QTimer::timeout, this, &DebugWindow::SyncRows);
}

DebugWindow::~DebugWindow()
{
    Detach();
}

void DebugWindow::Attach(LogWindow& rows, DiagnosticLog& log)
{
    rows_ = &rows;
    log_ = &log;
    ShowLevel(log.Level());
    // Any thread may log; the window learns of it on its own thread.
    log.SetWaitingListener([window = QPointer<DebugWindow>(this)] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [window] {
                if (window)
                    window->ScheduleDrain();
            },
            Qt::QueuedConnection);
    });
    if (log.LinesWaiting())
        ScheduleDrain();
}

void DebugWindow::Detach()
{
    drainTimer_.stop();
    if (log_ != nullptr)
        log_->SetWaitingListener({});
    rows_ = nullptr;
    log_ = nullptr;
}

void DebugWindow::ScheduleDrain()
{
    if (rows_ != nullptr && isVisible() && !drainTimer_.isActive())
        drainTimer_.start();
}

void DebugWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (log_ != nullptr && log_->LinesWaiting())
        ScheduleDrain();
}

QAction* DebugWindow::LevelAction(int level) const
{
    for (size_t i = 0; i < kLevelCommands.size(); ++i) {
        if (kLevelCommands[i].level == level)
            return levels_[i];
    }
    return nullptr;
}

void DebugWindow::ShowLevel(int level)
{
    for (size_t i = 0; i < kLevelCommands.size(); ++i)
        levels_[i]->setChecked(level != loglevel::kStopped && kLevelCommands[i].level == level);
}

void DebugWindow::SetLevel(int level)
{
    if (rows_ != nullptr)
        rows_->SetLevel(level);
    ShowLevel(level);
}

void DebugWindow::RunAndResync(void (LogWindow::*command)())
{
    if (rows_ == nullptr)
        return;
    (rows_->*command)();
    // The command may have emptied the rows; the list follows before any
    // newer line is taken.
    if (rows_->Rows().empty())
        list_->clear();
}

void DebugWindow::SyncRows()
{
    if (rows_ == nullptr)
        return;
    const size_t dropped = rows_->Drain();
    const auto& rows = rows_->Rows();
    const bool atBottom = list_->verticalScrollBar()->value() == list_->verticalScrollBar()->maximum();

    size_t shown = static_cast<size_t>(list_->topLevelItemCount());
    const size_t remove = std::min(dropped, shown);
    for (size_t i = 0; i < remove; ++i)
        delete list_->takeTopLevelItem(0);
    shown -= remove;
    if (shown > rows.size()) {
        list_->clear();
        shown = 0;
    }
    if (shown == rows.size())
        return;
    QList<QTreeWidgetItem*> added;
    for (size_t i = shown; i < rows.size(); ++i) {
        const LogEntry& entry = rows[i];
        auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(entry.time),
                                                     QString::fromStdString(entry.account),
                                                     QString::fromStdString(entry.level),
                                                     QString::fromStdString(entry.message)});
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setToolTip(3, PlainToolTip(item->text(3)));
        if (entry.level == "Error")
            item->setForeground(2, QColor(0xb0, 0x1c, 0x1c));
        else if (entry.level == "Warning")
            item->setForeground(2, QColor(0x8a, 0x5a, 0x00));
        added.append(item);
    }
    list_->addTopLevelItems(added);
    if (atBottom)
        list_->scrollToBottom();
}

void DebugWindow::closeEvent(QCloseEvent* event)
{
    // Closing acts as "&Stop": logging stops and the window hides; it lives
    // on until the main frame goes.
    event->ignore();
    SetLevel(loglevel::kStopped);
    hide();
}

}  // namespace korvalin::ui
