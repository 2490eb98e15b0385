// The main frame's side of the account tree: the engine's changes, the
// person's choice of an item, the check rules and the pop-up menus.
#include "AccountTree.h"
#include "Engine.h"
#include "MainFrame.h"
#include "MenuProxies.h"

#include <QMenu>
#include <QTimer>

namespace korvalin::ui {

void MainFrame::ApplyTreeChange(const TreeChange& change)
{
    tree_->Apply(change);
}

void MainFrame::OnItemChosen(QTreeWidgetItem* item)
{
    if (engine_ == nullptr)
        return;
    switch (AccountTree::KindOf(item)) {
    case TreeItemKind::Provider:
        if (engine_->Providers().IsProgramProvider(*AccountTree::ProviderOf(item)))
            ShowHomeWindow();
        break;
    case TreeItemKind::Account: {
        // After the selection has settled: logging in runs a modal box.
        CAccount* account = AccountTree::AccountOf(item);
        QTimer::singleShot(0, this, [this, account] {
            if (tree_->ItemFor(account) != nullptr)
                engine_->Accounts().OpenAccount(*account);
        });
        break;
    }
    case TreeItemKind::Folder: {
        MailFolder* folder = AccountTree::FolderOf(item);
        QTimer::singleShot(0, this, [this, folder] {
            if (engine_ != nullptr && tree_->ItemFor(folder) != nullptr)
                engine_->Mail().OpenFolderFromTree(*folder);
        });
        break;
    }
    case TreeItemKind::None:
        break;
    }
    RunCheckRules();
}

void MainFrame::RunCheckRules()
{
    AccountTree::CheckRuleOutcome outcome = tree_->ApplyCheckRules();
    if (outcome.providerRechecked) {
        Tell("You cannot unselect a provider. If you want to hide a provider, right click on it and choose Hide.");
    }
    for (CAccount* account : outcome.accountsToOpen) {
        QTimer::singleShot(0, this, [this, account] {
            if (engine_ != nullptr && tree_->ItemFor(account) != nullptr)
                engine_->Accounts().OpenAccount(*account);
        });
    }
}

QMenu* MainFrame::BuildTreeMenu(QTreeWidgetItem* item)
{
    UpdateCommands();
    treeMenu_ = std::make_unique<QMenu>();
    QMenu& menu = *treeMenu_;
    const MainCommands& c = commands_;
    switch (AccountTree::KindOf(item)) {
    case TreeItemKind::Provider: {
        menu.setTitle("&Provider");
        ProviderEntry* provider = AccountTree::ProviderOf(item);
        const bool program = engine_ != nullptr && engine_->Providers().IsProgramProvider(*provider);
        const bool pop = UsesServerSettings(provider->name);
        AddProxy(menu, "Add New Account", c.addAccount, program);
        AddProxy(menu, "Create an account with...", c.createAccount, program || pop);
        AddProxy(menu, "Hide", c.hideProvider, program);
        menu.addSeparator();
        AddProxy(menu, "Korvalin Options", c.options);
        break;
    }
    case TreeItemKind::Account: {
        menu.setTitle("&Account");
        const bool loggedIn = AccountTree::AccountOf(item)->LoggedIn();
        AddProxy(menu, "Compose New Mail", c.compose, !loggedIn);
        AddProxy(menu, "Check for new mail", c.check);
        AddProxy(menu, "Log Off", c.logOff, !loggedIn);
        menu.addSeparator();
        AddProxy(menu, "Delete Account", c.deleteAccount);
        AddProxy(menu, "Properties", c.accountProperties);
        AddProxy(menu, "Set Filters", c.setFilters);
        AddProxy(menu, "Show Address Book", c.addressBook);
        break;
    }
    case TreeItemKind::Folder: {
        menu.setTitle("&Folder");
        const bool loggedIn = AccountTree::AccountOf(item)->LoggedIn();
        AddProxy(menu, "Compose New Mail", c.compose, !loggedIn);
        AddProxy(menu, "Check for new mail", c.check);
        menu.addSeparator();
        AddProxy(menu, "Korvalin Options", c.options);
        break;
    }
    case TreeItemKind::None:
        return nullptr;
    }
    MakeFirstItemDefault(menu);
    return &menu;
}

void MainFrame::OnTreeContextMenu(const QPoint& position)
{
    QTreeWidgetItem* item = tree_->itemAt(position);
    if (item == nullptr)
        return;
    tree_->setCurrentItem(item);
    if (QMenu* menu = BuildTreeMenu(item))
        menu->popup(tree_->viewport()->mapToGlobal(position));
}

}  // namespace korvalin::ui
