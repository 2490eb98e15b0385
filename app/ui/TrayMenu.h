// The tray icon's right-button menu: "Open Korvalin", "Korvalin Options",
// "Search in Mails", "Exit", a separator and "Compose New Mail"; above them a
// "New Mails" submenu with one item per new mail (at most five, showing the
// subject) while the new-mail list is not empty.
#pragma once

#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace korvalin::ui {

inline constexpr int kTrayMenuMaxNewMails = 5;

struct TrayMenuCommands {
    QAction* show = nullptr;
    QAction* options = nullptr;
    QAction* search = nullptr;
    QAction* exit = nullptr;
    QAction* compose = nullptr;
};

// Empties menu and fills it; openMail(k) opens new-mail list entry k.
void FillTrayMenu(QMenu& menu, const TrayMenuCommands& commands, const std::vector<QString>& newMailSubjects,
                  const std::function<void(int)>& openMail);

}  // namespace korvalin::ui
