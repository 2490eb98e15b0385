// When each command of the main frame is available: one pure function from
// what is true now (the facts) to the enabled and checked states, run by the
// frame's command update pass.
#pragma once

namespace korvalin::ui {

enum class TreeItemKind { None, Provider, Account, Folder };

struct CommandFacts {
    bool anyAccountLoggedIn = false;  // an account of providers 1 and up
    TreeItemKind selected = TreeItemKind::None;
    bool selectedIsProgramProvider = false;
    bool treeHasFocus = false;
    bool online = true;
    bool checkRunning = false;
    int logLevel = 0;
    bool addressBooksAvailable = false;  // the address-book part of the program is there
    // The active summary window, if any.
    bool summaryActive = false;
    bool summaryRowSelected = false;
    bool summarySelectionAllCached = false;  // every selected row but row 0 has a local copy
};

struct CommandStates {
    bool compose = false;
    bool deleteAccount = false;
    bool accountProperties = false;
    bool logOff = false;
    bool setFilters = false;
    bool check = false;
    bool stop = false;
    bool goOffline = false;
    bool goOnline = false;
    bool viewPending = false;
    bool synchronize = false;
    bool openMail = false;
    bool deleteMail = false;
    bool deleteFromServer = false;
    bool download = false;
    bool clearLocal = false;
    bool markRead = false;
    bool debugWindowChecked = false;
};

CommandStates EvaluateCommands(const CommandFacts& facts);

}  // namespace korvalin::ui
