// Single mails of a folder's summary: opening, downloading and deleting.
#include "Account.h"
#include "FolderSummary.h"
#include "MailCache.h"
#include "NewMailList.h"
#include "PendingActions.h"
#include "ProviderHost.h"
#include "RequestQueue.h"
#include "TextFormat.h"

namespace korvalin {
namespace {

constexpr const char* kNotOfflineMessage =
    "This mail is not available offline. To make mail(s) available offline, mark them for download by selecting "
    "them and choosing Download from Mail Menu, and then go online. You can also go online first and then select "
    "download the mails you want.";
constexpr const char* kRetrievalFailedMessage =
    "Could not retrieve the mail. You have most likely been logged out. Please right click on the account and "
    "choose \"Log Off\", click on Dravnek, and then click on the account again. This will attempt to log you in "
    "again. If the same problem repeats, contact Dravnek Support by choosing Online Help from the Help menu";

constexpr const char* kMailGoneMessage =
    "The local copy of this mail is missing, and the mail is no longer on the server. It cannot be shown.";

struct Fetched {
    bool ok = false;
    std::string body;
    CMailMessage message;
};

}  // namespace

void FolderSummary::OpenMail(int row)
{
    UiPort& ui = context_.core.ui;
    if (row == 0) {
        Tell(ui, kCounterRowMessage, MessageIcon::Information);
        return;
    }
    SummaryEntry entry;
    std::string listedSubject;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || row < 0 || static_cast<size_t>(row) >= entries_.size())
            return;
        entry = entries_[static_cast<size_t>(row)];
        listedSubject = rows_[static_cast<size_t>(row)].subject;
    }
    const std::string id = entry.MessageId;
    std::optional<std::filesystem::path> cachedFile = CachedMailFile(account_->Folder(), entry.Cache);
    if (!entry.Cache.empty() && (!cachedFile || !std::filesystem::exists(*cachedFile))) {
        context_.core.log.Warning(*account_, "The local copy %s of a mail is missing", entry.Cache.c_str());
        entry.Cache.clear();
        std::lock_guard lock(mutex_);
        if (int i = IndexOfLocked(id); i >= 1) {
            entries_[static_cast<size_t>(i)].Cache.clear();
            SetImageLocked(static_cast<size_t>(i));
        }
    }
    if (entry.Cache.empty() && entry.Locator == kCachedLocator) {
        // The server copy is gone too: there is nothing left to fetch.
        Tell(ui, kMailGoneMessage);
        Changed();
        return;
    }
    if (!context_.core.online.Online() && entry.Cache.empty()) {
        Tell(ui, kNotOfflineMessage, MessageIcon::Information);
        Changed();
        return;
    }
    if (entry.New) {
        {
            std::lock_guard lock(mutex_);
            if (int i = IndexOfLocked(id); i >= 1)
                entries_[static_cast<size_t>(i)].New = false;
        }
        context_.newMail.ForgetNewMail(this, id);
    }

    CMailMessage headers = entry.Message;
    if (entry.Cache.empty()) {
        ui.SetWaitCursor(true);
        ui.StartBusyAnimation();
        ui.SetStatusText(kMessagePane, "Retrieving mail..");
        Fetched fetched;
        fetched.ok = account_->ProviderObject().GetMail(entry.Locator, fetched.body, fetched.message);
        ui.SetStatusText(kMessagePane, "");
        ui.StopBusyAnimation();
        ui.SetWaitCursor(false);
        headers = fetched.message;
        headers.Subject = listedSubject;
        std::optional<std::string> reference = CacheMailBody(fetched.body);
        bool discard = false;
        {
            std::lock_guard lock(mutex_);
            int i = IndexOfLocked(id);
            if (closed_ || i < 1) {
                discard = true;
            } else {
                SummaryEntry& listed = entries_[static_cast<size_t>(i)];
                listed.Message.From = fetched.message.From;
                listed.Message.Subject = fetched.message.Subject;
                listed.Message.To = fetched.message.To;
                listed.Message.CC = fetched.message.CC;
                if (reference && listed.Cache.empty())
                    listed.Cache = *reference;
                else
                    discard = true;
                if (reference)
                    entry.Cache = listed.Cache;
                SetImageLocked(static_cast<size_t>(i));
            }
        }
        if (reference && discard)
            DeleteCacheFile(*reference);
        else if (reference)
            SaveSummaryFileNow();
        if (!reference || entry.Cache.empty()) {
            Changed();
            return;
        }
        cachedFile = CachedMailFile(account_->Folder(), entry.Cache);
    }

    if (headers.From.empty() || !cachedFile) {
        Tell(ui, kRetrievalFailedMessage);
        int i = FindRow(id);
        if (i >= 1) {
            ui.SelectMail(shared_from_this(), id);
            ClearLocalCopy({i});
        }
        return;
    }
    MailWindowRequest window;
    window.title = Format("Mail from %s: %s", headers.From.c_str(), headers.Subject.c_str());
    window.from = headers.From;
    window.to = headers.To;
    window.cc = headers.CC;
    window.subject = headers.Subject;
    window.cachedFile = cachedFile->string();
    window.summary = shared_from_this();
    window.account = account_;
    {
        std::lock_guard lock(mutex_);
        window.row = IndexOfLocked(id);
        window.rect = mailWindowRect_;
        mailWindowRect_.reset();
    }
    ui.OpenMailWindow(window);
    {
        std::lock_guard lock(mutex_);
        if (int i = IndexOfLocked(id); i >= 1)
            SetImageLocked(static_cast<size_t>(i));
    }
    UpdateCounters();
    Changed();
}

void FolderSummary::DownloadMail(int row)
{
    std::optional<SummaryEntry> entry = Entry(row);
    if (entry)
        DownloadById(entry->MessageId);
}

void FolderSummary::DownloadQueuedMail(int row, const std::string& messageId)
{
    if (messageId.empty())
        DownloadMail(row);
    else
        DownloadById(messageId);
}

void FolderSummary::DownloadById(const std::string& messageId)
{
    SummaryEntry entry;
    {
        std::lock_guard lock(mutex_);
        int i = IndexOfLocked(messageId);
        if (closed_ || i < 0)
            return;
        entry = entries_[static_cast<size_t>(i)];
    }
    if (!entry.Cache.empty() || entry.Locator == kCachedLocator) {
        if (entry.Cache.empty())
            context_.core.log.Warning(*account_, "The mail %s is neither here nor on the server", messageId.c_str());
        UpdateCounters();
        Changed();
        return;
    }
    UiPort& ui = context_.core.ui;
    ui.SetWaitCursor(true);
    ui.StartBusyAnimation();
    Fetched fetched;
    fetched.ok = account_->ProviderObject().GetMail(entry.Locator, fetched.body, fetched.message);
    ui.StopBusyAnimation();
    ui.SetWaitCursor(false);
    std::optional<std::string> reference = CacheMailBody(fetched.body);

    const bool deleteOnDownload = account_->State().pop.deleteFromServer;
    std::string serverLocator;
    bool discard = false;
    {
        std::lock_guard lock(mutex_);
        int i = IndexOfLocked(messageId);
        if (closed_ || i < 0) {
            discard = true;
        } else {
            SummaryEntry& listed = entries_[static_cast<size_t>(i)];
            listed.Message.From = fetched.message.From;
            listed.Message.Subject = fetched.message.Subject;
            listed.Message.To = fetched.message.To;
            listed.Message.CC = fetched.message.CC;
            if (reference && listed.Cache.empty()) {
                listed.Cache = *reference;
                // The server copy goes only once the mail is safely here.
                const bool complete = fetched.ok && !fetched.message.From.empty();
                if (deleteOnDownload && i != 0 && listed.Locator != kCachedLocator && complete) {
                    serverLocator = listed.Locator;
                    listed.Locator = kCachedLocator;
                }
            } else {
                discard = true;
            }
            SetImageLocked(static_cast<size_t>(i));
        }
    }
    if (reference && discard)
        DeleteCacheFile(*reference);
    // The local copy is listed in the summary file before the server copy may go.
    const bool saved = reference && !discard && SaveSummaryFileNow();
    if (!serverLocator.empty() && !saved) {
        context_.core.log.Warning(*account_, "The summary file was not written; the mail stays on the server");
        std::lock_guard lock(mutex_);
        if (int i = IndexOfLocked(messageId); i >= 0) {
            entries_[static_cast<size_t>(i)].Locator = serverLocator;
            SetImageLocked(static_cast<size_t>(i));
        }
    } else if (!serverLocator.empty()) {
        MailRequest deletion;
        deletion.kind = request::kDelete;
        deletion.text = serverLocator;
        deletion.account = account_;
        if (!QueueRequest(context_.requests, ui, std::move(deletion))) {
            std::lock_guard lock(mutex_);
            if (int i = IndexOfLocked(messageId); i >= 0) {
                entries_[static_cast<size_t>(i)].Locator = serverLocator;
                SetImageLocked(static_cast<size_t>(i));
            }
        }
    } else if (deleteOnDownload && reference && !discard && !(fetched.ok && !fetched.message.From.empty())) {
        context_.core.log.Warning(*account_, "A mail was not fetched completely; it stays on the server");
    }
    UpdateCounters();
    Changed();
}

bool FolderSummary::DeleteMailAt(int row, bool remove)
{
    UiPort& ui = context_.core.ui;
    if (row == 0) {
        Tell(ui, kCounterRowMessage, MessageIcon::Information);
        return false;
    }
    std::optional<SummaryEntry> entry = Entry(row);
    if (!entry)
        return false;
    UserSettings& settings = context_.core.settings;
    if (settings.Flag(setting::kAskBeforeDelete)) {
        MessageBoxRequest question;
        question.caption = "Delete Mail ?";
        question.text = "Are you sure you want to delete this mail?";
        question.icon = MessageIcon::Question;
        question.buttons = MessageButtons::YesNo;
        question.defaultButton = MessageAnswer::Yes;
        question.checkBoxText = "&Always delete without asking";
        MessageBoxReply reply = ui.ShowMessage(question);
        if (reply.answer != MessageAnswer::Yes)
            return false;
        settings.SetFlag(setting::kAskBeforeDelete, !reply.checkBoxChecked);
    }
    return DeleteById(entry->MessageId, remove);
}

void FolderSummary::DeletePendingMail(int row)
{
    std::optional<SummaryEntry> entry = Entry(row);
    if (!entry || row == 0 || DeleteMailAt(row, true))
        return;
    // Kept after all: the row loses its queued-deletion image.
    {
        std::lock_guard lock(mutex_);
        if (int i = IndexOfLocked(entry->MessageId); i >= 1)
            SetImageLocked(static_cast<size_t>(i));
    }
    Changed();
}

bool FolderSummary::DeleteById(const std::string& messageId, bool remove)
{
    SummaryEntry entry;
    {
        std::lock_guard lock(mutex_);
        int i = IndexOfLocked(messageId);
        if (closed_ || i < 1)
            return false;
        entry = entries_[static_cast<size_t>(i)];
    }
    if (!context_.core.online.Online()) {
        MailRequest action;
        action.kind = request::kDelete;
        action.text = messageId;
        action.secondText = folder_->name;
        action.account = account_;
        context_.pending.Append(std::move(action));
        {
            std::lock_guard lock(mutex_);
            if (int at = IndexOfLocked(messageId); at >= 1)
                rows_[static_cast<size_t>(at)].image = rowimage::kDeleteQueued;
        }
        Changed();
        return false;
    }
    if (entry.Locator != kCachedLocator) {
        MailRequest deletion;
        deletion.kind = request::kDelete;
        deletion.text = entry.Locator;
        deletion.account = account_;
        if (!QueueRequest(context_.requests, context_.core.ui, std::move(deletion)))
            return false;
    }
    if (entry.New)
        context_.newMail.ForgetNewMail(this, messageId);
    if (remove)
        RemoveMails({messageId});
    UpdateCounters();
    Changed();
    return true;
}

void FolderSummary::RemoveMails(const std::vector<std::string>& messageIds)
{
    std::vector<int> rows;
    std::vector<std::string> caches;
    {
        std::lock_guard lock(mutex_);
        for (const std::string& id : messageIds) {
            if (int i = IndexOfLocked(id); i >= 1)
                rows.push_back(i);
        }
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        caches = RemoveRowsLocked(rows);
    }
    for (const std::string& cache : caches)
        DeleteCacheFile(cache);
    context_.newMail.ForgetMails(this, messageIds);
}

}  // namespace korvalin
