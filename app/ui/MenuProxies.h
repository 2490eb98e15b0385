// Pop-up menus show commands under their own texts ("Compose New Mail" for
// "&New"): a proxy item carries the pop-up's text and runs the command.
#pragma once

#include <QAction>
#include <QMenu>

namespace korvalin::ui {

// Adds an item to menu that triggers command and is enabled when command is
// and grayed is false.
inline QAction* AddProxy(QMenu& menu, const QString& text, QAction* command, bool grayed = false)
{
    QAction* item = menu.addAction(text);
    item->setIcon(command->icon());
    item->setEnabled(command->isEnabled() && !grayed);
    item->setStatusTip(command->statusTip());
    QObject::connect(item, &QAction::triggered, command, &QAction::trigger);
    return item;
}

// The first item of a pop-up menu is its default.
inline void MakeFirstItemDefault(QMenu& menu)
{
    if (!menu.actions().isEmpty())
        menu.setDefaultAction(menu.actions().first());
}

}  // namespace korvalin::ui
