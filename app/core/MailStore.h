// The open folders: one FolderSummary per folder whose window is open.
// Opening reads the folder's summary file and lists what it holds; opening
// while online also starts a check of the folder. Closing writes the
// summary file back.
//
// The Qt program asks for a folder with OpenFolderFromTree (the person chose
// it) and, when the person closes its window, calls FolderWindowClosed; the
// engine opens and closes folders itself (after a login, at log-off) and
// tells the program through UiPort::OpenFolderWindow / CloseFolderWindow.
#pragma once

#include "MailContext.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace korvalin {

class AccountManager;
class CAccount;
class FolderSummary;
struct MailFolder;

// Starts folder checks; the check worker is one.
class FolderCheckStarter {
public:
    // False when the folder is being checked already.
    virtual bool StartFolderCheck(const std::shared_ptr<FolderSummary>& summary) = 0;

protected:
    ~FolderCheckStarter() = default;
};

class MailStore {
public:
    MailStore(const MailContext& context, AccountManager& accounts);
    void SetCheckStarter(FolderCheckStarter* starter) { checks_ = starter; }

    // Opens the folder's summary, or brings its window up, and checks it
    // when online. Null when the folder no longer belongs to its account.
    std::shared_ptr<FolderSummary> OpenFolder(MailFolder& folder);
    // The person chose the folder in the tree: only a checked folder opens,
    // and its account logs in first when it is not logged in.
    std::shared_ptr<FolderSummary> OpenFolderFromTree(MailFolder& folder);
    // A check of the folder: of its open summary (the counter row announcing
    // it when announce is set), else by opening it.
    void CheckFolder(MailFolder& folder, bool announce);

    // The open summary of the folder, or null.
    std::shared_ptr<FolderSummary> Summary(const MailFolder& folder) const;
    std::vector<std::shared_ptr<FolderSummary>> OpenSummaries() const;

    // The person closed the folder's window.
    void FolderWindowClosed(MailFolder& folder);
    // The engine closes the folder (log-off, deleting an account) and its window.
    void CloseFolder(MailFolder& folder);
    // At exit: every summary is saved.
    void CloseAll();

    // The account's folder of that name, compared without regard to case.
    static std::shared_ptr<MailFolder> FindFolder(const CAccount& account, const std::string& name);

private:
    // Removes the folder's summary from the open ones and marks it closing
    // until Closed: opening it again waits for its file meanwhile.
    std::shared_ptr<FolderSummary> Take(const MailFolder& folder);
    void Closed(const MailFolder& folder);
    std::shared_ptr<FolderSummary> OpenSummaryAfterClosing(const MailFolder& folder);
    void StartCheck(const std::shared_ptr<FolderSummary>& summary);

    MailContext context_;
    AccountManager& accounts_;
    FolderCheckStarter* checks_ = nullptr;
    mutable std::mutex mutex_;
    std::map<const MailFolder*, std::shared_ptr<FolderSummary>> open_;
    std::set<const MailFolder*> closing_;
    std::condition_variable closingDone_;
};

}  // namespace korvalin
