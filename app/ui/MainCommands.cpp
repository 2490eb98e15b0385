#include "MainCommands.h"

#include "Artwork.h"
#include "CommandTips.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace korvalin::ui {
namespace {

QAction* Make(QObject* parent, const QString& text, const QString& tip, const QKeySequence& shortcut = {},
              const QString& icon = {})
{
    auto* action = new QAction(text, parent);
    SetCommandTip(action, tip);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (!icon.isEmpty())
        action->setIcon(ActionIcon(icon));
    return action;
}

void Enable(QAction* action, bool enabled)
{
    action->setEnabled(enabled);
}

}  // namespace

MainCommands MainCommands::Create(QObject* parent)
{
    MainCommands c;
    c.compose = Make(parent, "&New", "Compose New Mail", QKeySequence(Qt::CTRL | Qt::Key_N), "compose");
    c.openMail = Make(parent, "&Open", "Open Mail", QKeySequence(Qt::CTRL | Qt::Key_O));
    c.deleteMail = Make(parent, "&Delete", "Delete Mail", QKeySequence(Qt::Key_Delete), "delete");
    c.deleteFromServer = Make(parent, "Delete from the ser&ver", "Delete from server",
                              QKeySequence(Qt::CTRL | Qt::Key_Delete));
    c.download = Make(parent, "Do&wnload to Computer", "Download this mail", QKeySequence(Qt::CTRL | Qt::Key_D),
                      "download");
    c.clearLocal = Make(parent, "C&lear from Computer", "Remove local copy");
    c.markRead = Make(parent, "Mark As Read", "Mark As Read");
    c.selectAll = Make(parent, "Select &All", "Select all the mails of this folder", QKeySequence::SelectAll);
    c.check = Make(parent, "&Check for new mail", "Check for new mail in the current folder\nCheck for new mail",
                   QKeySequence(Qt::Key_F5), "check");
    c.stop = Make(parent, "&Stop", "Stop the internet access\nStop", {}, "stop");
    c.search = Make(parent, "Search in mails", "Search in Mails", QKeySequence(Qt::CTRL | Qt::Key_F), "search");

    c.addAccount = Make(parent, "&New", "Add a new account to be monitored by Dravnek\nAdd New Account");
    c.deleteAccount = Make(parent, "&Delete", "Delete Account");
    c.accountProperties = Make(parent, "&Properties", "Change the properties for this account\nProperties");
    c.logOff = Make(parent, "Log Off", "Log off this account\nLog Off");
    c.setFilters = Make(parent, "&Set Filters", "Set Filters");
    c.createAccount = Make(parent, "Create an account with...",
                           "Go to the web page of the provider to create an account\nNew account");
    c.hideProvider = Make(parent, "Hide", "Hide this provider");

    c.options = Make(parent, "&Options", "Korvalin Options", {}, "options");
    c.clearAllSettings = Make(parent, "&Delete All Configuration", "Delete all the accounts and settings");
    c.goOffline = Make(parent, "O&ffline Mode", "Go Offline\nOffline", {}, "offline");
    c.goOnline = Make(parent, "O&nline Mode", "Go Online\nOnline", {}, "online");
    c.viewPending = Make(parent, "&View Pending Actions", "View actions pending for online mode\nPending actions");
    c.addressBook = Make(parent, "Show &Address Book", "Show the address book\nAddress Book", {}, "addressbook");
    c.synchronize = Make(parent, "S&ynchronize Address Book", "Synchronize the address books with the services");
    c.debugWindow = Make(parent, "&Debug Window", "View the Debug Window");
    c.debugWindow->setCheckable(true);

    c.show = Make(parent, "Open Korvalin", "Show the application window\nShow");
    c.exit = Make(parent, "E&xit", "Quit Korvalin Mail\nExit", QKeySequence(Qt::CTRL | Qt::Key_Q));
    c.news = Make(parent, "&Latest news and tips", "Show the latest news and tips");
    c.onlineHelp = Make(parent, "&Online Help", "Show the support page");
    c.reportBug = Make(parent, "&Report Bug", "Report a problem on the bulletin board");
    c.readMe = Make(parent, "Read &Me", "Show the help file");
    c.aboutServices = Make(parent, "About &Hotmail etc.", "About the web-mail services");
    c.about = Make(parent, "&About Dravnek...", "Show the program's version");
    return c;
}

void MainCommands::BuildMenus(QMainWindow& window) const
{
    QMenuBar* bar = window.menuBar();

    QMenu* file = bar->addMenu("&File");
    file->addAction(compose);
    file->addSeparator();
    QMenu* cleanup = file->addMenu("&Cleanup");
    cleanup->addAction(clearAllSettings);
    file->addSeparator();
    file->addAction(exit);

    QMenu* account = bar->addMenu("&Account");
    account->addAction(addAccount);
    account->addAction(deleteAccount);
    account->addAction(accountProperties);
    account->addSeparator();
    account->addAction(logOff);
    account->addAction(setFilters);
    account->addSeparator();
    account->addAction(createAccount);
    account->addAction(hideProvider);

    QMenu* mail = bar->addMenu("&Mail");
    mail->addAction(openMail);
    mail->addAction(deleteMail);
    mail->addAction(deleteFromServer);
    mail->addAction(download);
    mail->addAction(clearLocal);
    mail->addAction(markRead);
    mail->addAction(selectAll);
    mail->addSeparator();
    mail->addAction(check);
    mail->addAction(stop);
    mail->addSeparator();
    mail->addAction(search);

    QMenu* tools = bar->addMenu("&Tools");
    tools->addAction(options);
    tools->addSeparator();
    tools->addAction(goOffline);
    tools->addAction(goOnline);
    tools->addAction(viewPending);
    tools->addSeparator();
    tools->addAction(addressBook);
    tools->addAction(synchronize);
    tools->addSeparator();
    tools->addAction(debugWindow);

    QMenu* help = bar->addMenu("&Help");
    help->addAction(news);
    help->addAction(onlineHelp);
    help->addAction(reportBug);
    help->addAction(readMe);
    help->addSeparator();
    help->addAction(aboutServices);
    help->addAction(about);
}

QToolBar* MainCommands::BuildToolBar(QMainWindow& window) const
{
    QToolBar* toolBar = window.addToolBar("Main");
    toolBar->setObjectName("mainToolBar");
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar->addAction(compose);
    toolBar->addAction(check);
    toolBar->addAction(stop);
    toolBar->addSeparator();
    toolBar->addAction(download);
    toolBar->addAction(deleteMail);
    toolBar->addSeparator();
    toolBar->addAction(goOffline);
    toolBar->addAction(goOnline);
    toolBar->addSeparator();
    toolBar->addAction(search);
    toolBar->addAction(addressBook);
    toolBar->addAction(options);
    return toolBar;
}

void MainCommands::Apply(const CommandStates& states) const
{
    Enable(compose, states.compose);
    Enable(deleteAccount, states.deleteAccount);
    Enable(accountProperties, states.accountProperties);
    Enable(logOff, states.logOff);
    Enable(setFilters, states.setFilters);
    Enable(check, states.check);
    Enable(stop, states.stop);
    Enable(goOffline, states.goOffline);
    Enable(goOnline, states.goOnline);
    Enable(viewPending, states.viewPending);
    Enable(synchronize, states.synchronize);
    Enable(openMail, states.openMail);
    Enable(deleteMail, states.deleteMail);
    Enable(deleteFromServer, states.deleteFromServer);
    Enable(download, states.download);
    Enable(clearLocal, states.clearLocal);
    Enable(markRead, states.markRead);
    debugWindow->setChecked(states.debugWindowChecked);
}

}  // namespace korvalin::ui
