#include "NewMailList.h"

#include "Account.h"
#include "FolderSummary.h"
#include "RequestQueue.h"
#include "TextFormat.h"
#include "UiPort.h"
#include "UserSettings.h"

#include <algorithm>

namespace korvalin {

NewMailList::NewMailList(UiPort& ui, UserSettings& settings, RequestQueue& requests)
    : ui_(ui), settings_(settings), requests_(requests)
{
}

void NewMailList::NoteNewMail(const std::shared_ptr<FolderSummary>& summary, int row, const std::string& subject,
                              const std::string& from, const std::string& messageId)
{
    if (row == -1 || summary->Closed())
        return;
    {
        std::lock_guard lock(mutex_);
        entries_.push_front({summary, row, subject, from, messageId});
    }
    // Closed meanwhile: its ForgetSummary may have run before the entry came in.
    if (summary->Closed()) {
        std::lock_guard lock(mutex_);
        RemoveLocked(summary.get(), [&](const std::string& id) { return id == messageId; });
        return;
    }
    MailRequest download;
    download.kind = request::kDownload;
    download.text = std::to_string(row);
    download.secondText = messageId;
    download.account = summary->AccountShared();
    download.summary = summary;
    QueueRequest(requests_, ui_, std::move(download));

    bool startTray = false;
    {
        std::lock_guard lock(mutex_);
        newMailInPass_ = true;
    }
    if (settings_.Flag(setting::kPlaySound) && summary->TakePlaySoundMark())
        ui_.PlaySound(summary->Account().State().soundPath);
    {
        std::lock_guard lock(mutex_);
        startTray = !animating_;
        animating_ = true;
    }
    if (startTray)
        ui_.StartTrayAnimation();
    ui_.NewMailListChanged();
}

template <typename Match>
bool NewMailList::RemoveLocked(const FolderSummary* summary, Match match)
{
    const size_t before = entries_.size();
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const NewMailEntry& entry) {
                                      return entry.summary.get() == summary && match(entry.messageId);
                                  }),
                   entries_.end());
    if (entries_.size() == before || !entries_.empty() || !animating_)
        return false;
    animating_ = false;
    return true;
}

void NewMailList::AfterChange(bool stopTray)
{
    if (stopTray)
        ui_.StopTrayAnimation();
    ui_.NewMailListChanged();
}

void NewMailList::ForgetNewMail(const FolderSummary* summary, const std::string& messageId)
{
    bool stopTray;
    {
        std::lock_guard lock(mutex_);
        stopTray = RemoveLocked(summary, [&](const std::string& id) { return id == messageId; });
    }
    AfterChange(stopTray);
}

void NewMailList::ForgetMails(const FolderSummary* summary, const std::vector<std::string>& messageIds)
{
    if (messageIds.empty())
        return;
    bool stopTray;
    {
        std::lock_guard lock(mutex_);
        stopTray = RemoveLocked(summary, [&](const std::string& id) {
            return std::find(messageIds.begin(), messageIds.end(), id) != messageIds.end();
        });
    }
    AfterChange(stopTray);
}

void NewMailList::ForgetSummary(const FolderSummary* summary)
{
    bool stopTray;
    {
        std::lock_guard lock(mutex_);
        stopTray = RemoveLocked(summary, [](const std::string&) { return true; });
    }
    AfterChange(stopTray);
}

void NewMailList::Clear()
{
    {
        std::lock_guard lock(mutex_);
        entries_.clear();
        animating_ = false;
    }
    AfterChange(true);
}

std::vector<NewMailEntry> NewMailList::Entries() const
{
    std::vector<NewMailEntry> entries;
    std::lock_guard lock(mutex_);
    for (const NewMailEntry& entry : entries_) {
        int row = entry.summary->FindRow(entry.messageId);
        if (row < 1)
            continue;
        entries.push_back(entry);
        entries.back().row = row;
    }
    return entries;
}

size_t NewMailList::Count() const
{
    return Entries().size();
}

bool NewMailList::Animating() const
{
    std::lock_guard lock(mutex_);
    return animating_;
}

void NewMailList::SetNewMailsBoxOpen(bool open)
{
    std::lock_guard lock(mutex_);
    boxOpen_ = open;
}

void NewMailList::BeginTimerPass()
{
    std::lock_guard lock(mutex_);
    newMailInPass_ = false;
    timerPass_ = true;
}

void NewMailList::RunPopupRule()
{
    size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        if (!timerPass_ || !settings_.Flag(setting::kPopupOnNewMail) || boxOpen_ || !animating_ || !newMailInPass_)
            return;
        timerPass_ = false;
        newMailInPass_ = false;
        count = entries_.size();
    }
    Tell(ui_, Format("%d new mails are available", static_cast<int>(count)), MessageIcon::Information);
}

}  // namespace korvalin
