#include "SummaryWindow.h"

#include "Artwork.h"
#include "FolderSummary.h"
#include "SummaryView.h"

#include <QCloseEvent>
#include <QTimer>

namespace korvalin::ui {

SummaryWindow::SummaryWindow(std::shared_ptr<FolderSummary> summary, QWidget* parent) : QMdiSubWindow(parent)
{
    setObjectName("summaryWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(TreeIcon(TreeImage::Folder));
    setWindowTitle(QString::fromStdString(summary->Title()));
    view_ = new SummaryView(std::move(summary), this);
    setWidget(view_);
    resize(560, 320);
}

const std::shared_ptr<FolderSummary>& SummaryWindow::Summary() const
{
    return view_->Summary();
}

void SummaryWindow::CloseForEngine()
{
    closingForEngine_ = true;
    close();
}

void SummaryWindow::ScheduleRefresh()
{
    if (refreshScheduled_)
        return;
    refreshScheduled_ = true;
    // Changes come in bursts (a check merges many mails): one refresh each.
    QTimer::singleShot(30, this, [this] {
        refreshScheduled_ = false;
        view_->Refresh();
    });
}

void SummaryWindow::closeEvent(QCloseEvent* event)
{
    if (!closingForEngine_ && closedByPerson_)
        closedByPerson_();
    QMdiSubWindow::closeEvent(event);
}

}  // namespace korvalin::ui
