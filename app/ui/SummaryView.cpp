#include "SummaryView.h"

#include "Artwork.h"
#include "PlainText.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>

#include <algorithm>
#include <array>

namespace korvalin::ui {
namespace {

constexpr int kMessageIdRole = Qt::UserRole + 1;
// The column widths for small fonts: the state image, From, Subject, Date, Size.
constexpr std::array<int, SummaryView::kColumnCount> kColumnWidths = {20, 90, 185, 60, 45};

// The widths suit small fonts; larger fonts widen them.
int ScaledWidth(const QWidget& widget, int width)
{
    const double scale = std::max(1.0, widget.fontMetrics().averageCharWidth() / 6.0);
    return static_cast<int>(width * scale);
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

void Fill(QTreeWidgetItem& item, const SummaryRow& row)
{
    item.setIcon(0, RowStateIcon(row.image));
    item.setText(1, Q(row.from));
    item.setText(2, Q(row.subject));
    item.setText(3, Q(row.date));
    item.setText(4, Q(row.size));
    item.setData(0, kMessageIdRole, Q(row.messageId));
    item.setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    QFont font = item.font(1);
    font.setBold(row.isNew);
    for (int column = 1; column < SummaryView::kColumnCount; ++column)
        item.setFont(column, font);
    item.setToolTip(2, PlainToolTip(Q(row.subject)));
}

}  // namespace

SummaryView::SummaryView(std::shared_ptr<FolderSummary> summary, QWidget* parent)
    : QTreeWidget(parent), summary_(std::move(summary))
{
    setObjectName("summaryView");
    setColumnCount(kColumnCount);
    setHeaderLabels({"", "From", "Subject", "Date", "Size"});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setIconSize(QSize(16, 16));
    header()->setSectionsMovable(true);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    setColumnWidth(0, std::max(kColumnWidths[0], iconSize().width() + 12));
    for (int column = 1; column < kColumnCount; ++column)
        setColumnWidth(column, ScaledWidth(*this, kColumnWidths[static_cast<size_t>(column)]));
    header()->setSectionResizeMode(0, QHeaderView::Fixed);
    connect(header(), &QHeaderView::sectionResized, this, [this] {
        if (!fitting_)
            sizedByPerson_ = true;
    });
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        summary_->Sort(column);
        Refresh();
    });
    Refresh();
}

void SummaryView::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    if (!sizedByPerson_)
        FitColumns();
}

void SummaryView::FitColumns()
{
    fitting_ = true;
    int textWidths = 0;
    for (int column = 1; column < kColumnCount; ++column)
        textWidths += kColumnWidths[static_cast<size_t>(column)];
    const int available = viewport()->width() - columnWidth(0) - 4;
    const double fontScale = ScaledWidth(*this, 1000) / 1000.0;
    const double scale = std::max(fontScale, static_cast<double>(available) / textWidths);
    for (int column = 1; column < kColumnCount; ++column)
        setColumnWidth(column, static_cast<int>(kColumnWidths[static_cast<size_t>(column)] * scale));
    fitting_ = false;
}

void SummaryView::Refresh()
{
    const std::vector<SummaryRow> rows = summary_->Rows();
    QSet<QString> selectedIds;
    for (QTreeWidgetItem* item : selectedItems())
        selectedIds.insert(item->data(0, kMessageIdRole).toString());
    const int scroll = verticalScrollBar()->value();

    ++adjustingSelection_;
    while (topLevelItemCount() > static_cast<int>(rows.size()))
        delete takeTopLevelItem(topLevelItemCount() - 1);
    QList<QTreeWidgetItem*> added;
    for (size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = static_cast<int>(i) < topLevelItemCount() ? topLevelItem(static_cast<int>(i)) : nullptr;
        if (item == nullptr) {
            item = new QTreeWidgetItem;
            added.append(item);
        }
        Fill(*item, rows[i]);
    }
    addTopLevelItems(added);
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        item->setSelected(selectedIds.contains(item->data(0, kMessageIdRole).toString()));
    }
    --adjustingSelection_;
    verticalScrollBar()->setValue(scroll);
}

std::vector<int> SummaryView::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SummaryView::SelectAllMails()
{
    ++adjustingSelection_;
    clearSelection();
    if (topLevelItemCount() > 1) {
        QItemSelection all(model()->index(1, 0), model()->index(topLevelItemCount() - 1, kColumnCount - 1));
        selectionModel()->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    --adjustingSelection_;
}

void SummaryView::SelectMail(const QString& messageId)
{
    Refresh();
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (item->data(0, kMessageIdRole).toString() == messageId) {
            setCurrentItem(item);
            clearSelection();
            item->setSelected(true);
            scrollToItem(item);
        }
    }
}

SummaryCommandStates SummaryView::CommandStates() const
{
    return summary_->CommandStates(SelectedRows());
}

void SummaryView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTreeWidget::selectionChanged(selected, deselected);
    if (adjustingSelection_ > 0 || topLevelItemCount() == 0)
        return;
    // A change of several rows at once (a range, Select All) leaves the
    // counter row out.
    QSet<int> changedRows;
    for (const QModelIndex& index : selected.indexes())
        changedRows.insert(index.row());
    for (const QModelIndex& index : deselected.indexes())
        changedRows.insert(index.row());
    if (changedRows.size() > 1 && topLevelItem(0)->isSelected()) {
        ++adjustingSelection_;
        topLevelItem(0)->setSelected(false);
        --adjustingSelection_;
    }
}

void SummaryView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QTreeWidget::mouseDoubleClickEvent(event);
        return;
    }
    std::vector<int> rows = SelectedRows();
    if (itemAt(event->position().toPoint()) == nullptr)
        rows.clear();
    if (rows.empty()) {
        emit ComposeRequested();
        return;
    }
    summary_->Open(rows);
}

void SummaryView::contextMenuEvent(QContextMenuEvent* event)
{
    QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos()));
    if (item != nullptr && !item->isSelected())
        setCurrentItem(item);
    emit PopupRequested(event->globalPos(), item != nullptr);
}

}  // namespace korvalin::ui
