// A command tip as the program writes it: the status-bar text, then
// optionally "\n" and the short tool-tip text.
#pragma once

#include <QAction>
#include <QString>

namespace korvalin::ui {

inline void SetCommandTip(QAction* action, const QString& tip)
{
    const qsizetype newline = tip.indexOf(QLatin1Char('\n'));
    const QString status = newline < 0 ? tip : tip.left(newline);
    const QString shortTip = newline < 0 ? tip : tip.mid(newline + 1);
    action->setStatusTip(status);
    action->setToolTip(shortTip);
}

}  // namespace korvalin::ui
