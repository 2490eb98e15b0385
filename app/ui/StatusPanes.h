// The main frame's status bar: pane 0 messages and progress, pane 1 the mode
// ("Online Mode" or "Offline Mode"), pane 2 progress percentages.
#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

namespace korvalin::ui {

class StatusPanes : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPaneCount = 3;
    // The widths of panes 1 and 2; a pane widens when its text needs more.
    static constexpr int kModePaneWidth = 65;
    static constexpr int kProgressPaneWidth = 35;

    explicit StatusPanes(QWidget* parent = nullptr);

    void SetPaneText(int pane, const QString& text);
    QString PaneText(int pane) const;

private:
    std::array<QLabel*, kPaneCount> panes_{};
};

}  // namespace korvalin::ui
