// The command table of the main frame: one QAction per command with its menu
// text, tip and shortcut, and the menus and toolbar built from them.
#pragma once

#include "CommandRules.h"

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace korvalin::ui {

struct MainCommands {
    // Mail
    QAction* compose = nullptr;
    QAction* openMail = nullptr;
    QAction* deleteMail = nullptr;
    QAction* deleteFromServer = nullptr;
    QAction* download = nullptr;
    QAction* clearLocal = nullptr;
    QAction* markRead = nullptr;
    QAction* selectAll = nullptr;
    QAction* check = nullptr;
    QAction* stop = nullptr;
    QAction* search = nullptr;
    // Accounts and providers
    QAction* addAccount = nullptr;
    QAction* deleteAccount = nullptr;
    QAction* accountProperties = nullptr;
    QAction* logOff = nullptr;
    QAction* setFilters = nullptr;
    QAction* createAccount = nullptr;
    QAction* hideProvider = nullptr;
    // Tools
    QAction* options = nullptr;
    QAction* clearAllSettings = nullptr;
    QAction* goOffline = nullptr;
    QAction* goOnline = nullptr;
    QAction* viewPending = nullptr;
    QAction* addressBook = nullptr;
    QAction* synchronize = nullptr;
    QAction* debugWindow = nullptr;
    // Window and help
    QAction* show = nullptr;
    QAction* exit = nullptr;
    QAction* news = nullptr;
    QAction* onlineHelp = nullptr;
    QAction* reportBug = nullptr;
    QAction* readMe = nullptr;
    QAction* aboutServices = nullptr;
    QAction* about = nullptr;

    // Creates every action, owned by parent.
    static MainCommands Create(QObject* parent);

    // The menu bar and the toolbar of window.
    void BuildMenus(QMainWindow& window) const;
    QToolBar* BuildToolBar(QMainWindow& window) const;

    // The update pass: enables, disables and checks the actions.
    void Apply(const CommandStates& states) const;
};

}  // namespace korvalin::ui
