// The list of one open folder: five columns (state image, "From",
// "Subject", "Date", "Size"), row 0 the counter row. It shows the folder
// summary's rows and hands the person's commands to the summary; the rows
// live in the engine. Select All leaves row 0 out, and whenever several rows
// change their selection at once, row 0 is deselected.
#pragma once

#include "FolderSummary.h"

#include <QTreeWidget>

#include <memory>
#include <vector>

namespace korvalin::ui {

class SummaryView : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kColumnCount = 5;

    explicit SummaryView(std::shared_ptr<FolderSummary> summary, QWidget* parent = nullptr);

    const std::shared_ptr<FolderSummary>& Summary() const { return summary_; }

    // Shows the summary's rows again, keeping the selection (by mail) and
    // the scroll position.
    void Refresh();
    // The selected rows, ascending.
    std::vector<int> SelectedRows() const;
    // Every row but row 0.
    void SelectAllMails();
    // The row of the mail with messageId alone, made current (after showing
    // the summary's rows again).
    void SelectMail(const QString& messageId);
    // What the toolbar and menus may do with the selection.
    SummaryCommandStates CommandStates() const;

signals:
    // Double click with no row selected: a new mail from this folder's account.
    void ComposeRequested();
    // The right button: over a row (the "&Summary" pop-up) or not ("&Folder").
    void PopupRequested(const QPoint& globalPosition, bool onRow);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    // Sizes the text columns, keeping their proportions, to fill the view
    // (until the person sizes a column).
    void FitColumns();

    std::shared_ptr<FolderSummary> summary_;
    bool fitting_ = false;
    bool sizedByPerson_ = false;
    int adjustingSelection_ = 0;
};

}  // namespace korvalin::ui
