// The debug log window "Dravnek Debug Output": the log's rows in four
// columns, the level commands of its "&Options" menu, "Save Log" and
// "Clear Log". A 100 ms timer moves the log's pending lines into the list.
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

    // Binds the window to the engine's log and its rows.
    void Attach(LogWindow& rows, DiagnosticLog& log);
    void Detach();

    // The timer's work: takes the pending lines, keeps the list in step with
    // the rows (at most 251, the oldest dropped first).
    void SyncRows();
    // Puts the check mark on the level command of the current level.
    void ShowLevel(int level);

    QTreeWidget* List() const { return list_; }
    QAction* LevelAction(int level) const;
    QAction* SaveAction() const { return save_; }
    QAction* ClearAction() const { return clear_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SetLevel(int level);
    void RunAndResync(void (LogWindow::*command)());

    QTreeWidget* list_ = nullptr;
    QAction* save_ = nullptr;
    QAction* clear_ = nullptr;
    std::array<QAction*, 5> levels_{};
    QTimer drainTimer_;
    LogWindow* rows_ = nullptr;
    DiagnosticLog* log_ = nullptr;
};

}  // namespace korvalin::ui
