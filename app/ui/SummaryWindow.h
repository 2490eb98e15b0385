// The window of one open folder in the MDI area: its list view, its title
// "<folder> for <login>@<provider>". Closing it by hand tells the engine,
// which saves the folder's summary; the engine closes it itself at log-off.
#pragma once

#include <QMdiSubWindow>

#include <functional>
#include <memory>

namespace korvalin {
class FolderSummary;
}

namespace korvalin::ui {

class SummaryView;

class SummaryWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    SummaryWindow(std::shared_ptr<FolderSummary> summary, QWidget* parent = nullptr);

    SummaryView& View() const { return *view_; }
    const std::shared_ptr<FolderSummary>& Summary() const;

    // Called when the person closes the window (not when the engine does).
    void SetClosedByPerson(std::function<void()> closed) { closedByPerson_ = std::move(closed); }
    // The engine closes the window: nothing is reported back.
    void CloseForEngine();

    // Coalesces change notices into one refresh of the list.
    void ScheduleRefresh();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    SummaryView* view_ = nullptr;
    std::function<void()> closedByPerson_;
    bool closingForEngine_ = false;
    bool refreshScheduled_ = false;
};

}  // namespace korvalin::ui
