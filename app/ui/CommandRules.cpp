#include "CommandRules.h"

namespace korvalin::ui {

CommandStates EvaluateCommands(const CommandFacts& facts)
{
    const bool accountOrFolder = facts.selected == TreeItemKind::Account || facts.selected == TreeItemKind::Folder;
    const bool rowSelected = facts.summaryActive && facts.summaryRowSelected;

    CommandStates states;
    // A folder's list composes from its own account, always.
    states.compose = facts.anyAccountLoggedIn || facts.summaryActive;
    states.deleteAccount = accountOrFolder;
    states.accountProperties = accountOrFolder;
    states.logOff = facts.selected == TreeItemKind::Account;
    states.setFilters = facts.selected == TreeItemKind::Account;
    states.check = facts.online && !facts.checkRunning && accountOrFolder;
    states.stop = facts.checkRunning;
    states.goOffline = facts.online;
    states.goOnline = !facts.online;
    states.viewPending = !facts.online;
    states.synchronize = facts.online && facts.addressBooksAvailable;
    states.openMail = rowSelected;
    // From the main frame, Delete acts on the summary of the current folder
    // and only while the tree does not have the focus.
    states.deleteMail = rowSelected && !facts.treeHasFocus;
    states.deleteFromServer = facts.online && rowSelected && facts.summarySelectionAllCached;
    states.download = rowSelected;
    states.clearLocal = rowSelected;
    states.markRead = facts.summaryActive;
    states.debugWindowChecked = facts.logLevel != 0;
    return states;
}

}  // namespace korvalin::ui
