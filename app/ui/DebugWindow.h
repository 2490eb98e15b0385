// The debug log window "Dravnek Debug Output": the log's rows in four
// columns, the level commands of its "&Options" menu, "Save Log" and
// "Clear Log". 100 ms after a line arrives while the window is open, the
// log's pending lines move into the list; with nothing logged, nothing runs.
// Closing the window acts as "&Stop".
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <array>

class QAction;
class QTreeWidget;

namespace korvalin {
class DiagnosticLog;
class LogWindow;
}  // namespace korvalin

namespace korvalin::ui {

class DebugWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Dravnek Debug Output";

    explicit DebugWindow(QWidget* parent = nullptr);
    ~DebugWindow() override;

    // Binds the window to the engine's log and its rows.
    void Attach(LogWindow& rows, DiagnosticLog& log);
    void Detach();

    // The timer's work: takes the pending lines, keeps the list in step with
    // the rows (at most 251, the oldest dropped first).
    void SyncRows();
    // Puts the check mark on the level command of the current level.
    void ShowLevel(int level);
    // Whether lines wait to be shown (the timer runs).
    bool DrainPending() const { return drainTimer_.isActive(); }

    QTreeWidget* List() const { return list_; }
    QAction* LevelAction(int level) const;
    QAction* SaveAction() const { return save_; }
    QAction* ClearAction() const { return clear_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetLevel(int level);
    void RunAndResync(void (LogWindow::*command)());
    // Lines wait: take them in 100 ms, if the window is open.
    void ScheduleDrain();

    QTreeWidget* list_ = nullptr;
    QAction* save_ = nullptr;
    QAction* clear_ = nullptr;
    std::array<QAction*, 5> levels_{};
    QTimer drainTimer_;
    LogWindow* rows_ = nullptr;
    DiagnosticLog* log_ = nullptr;
};

}  // namespace korvalin::ui
