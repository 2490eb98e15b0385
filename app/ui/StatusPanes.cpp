#include "StatusPanes.h"

#include <QLabel>

#include <algorithm>

namespace korvalin::ui {

StatusPanes::StatusPanes(QWidget* parent) : QStatusBar(parent)
{
    for (int i = 0; i < kPaneCount; ++i) {
        panes_[static_cast<size_t>(i)] = new QLabel(this);
        panes_[static_cast<size_t>(i)]->setObjectName(QStringLiteral("statusPane%1").arg(i));
        panes_[static_cast<size_t>(i)]->setTextFormat(Qt::PlainText);
    }
    panes_[0]->setMinimumWidth(1);
    addWidget(panes_[0], 1);
    panes_[1]->setMinimumWidth(kModePaneWidth);
    panes_[1]->setAlignment(Qt::AlignCenter);
    addPermanentWidget(panes_[1]);
    panes_[2]->setMinimumWidth(kProgressPaneWidth);
    panes_[2]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addPermanentWidget(panes_[2]);
}

void StatusPanes::SetPaneText(int pane, const QString& text)
{
    if (pane < 0 || pane >= kPaneCount)
        return;
    QLabel* label = panes_[static_cast<size_t>(pane)];
    label->setText(text);
    if (pane > 0) {
        const int base = pane == 1 ? kModePaneWidth : kProgressPaneWidth;
        label->setMinimumWidth(std::max(base, label->fontMetrics().horizontalAdvance(text) + 8));
    }
}

QString StatusPanes::PaneText(int pane) const
{
    if (pane < 0 || pane >= kPaneCount)
        return {};
    return panes_[static_cast<size_t>(pane)]->text();
}

}  // namespace korvalin::ui
