#include "Mailbox.h"

#include <algorithm>

namespace korvalin::websim {

size_t SimMail::Size() const
{
    constexpr size_t kHeaderAllowance = 600;
    size_t size = kHeaderAllowance + Body.size() + Subject.size();
    for (const SimAttachment& attachment : Attachments)
        size += attachment.Content.size() * 4 / 3; // as the service stores it, base64
    return size;
}

std::string SimMail::SenderShown() const
{
    return FromName.empty() ? FromAddress : FromName;
}

size_t SimFolder::UnreadCount() const
{
    return static_cast<size_t>(std::count_if(Mails.begin(), Mails.end(), [](const SimMail& m) { return !m.Read; }));
}

size_t SimFolder::TotalSize() const
{
    size_t total = 0;
    for (const SimMail& mail : Mails)
        total += mail.Size();
    return total;
}

std::vector<const SimMail*> SimFolder::NewestFirst() const
{
    std::vector<const SimMail*> mails;
    for (const SimMail& mail : Mails)
        mails.push_back(&mail);
    std::stable_sort(mails.begin(), mails.end(), [](const SimMail* a, const SimMail* b) {
        return a->Date != b->Date ? a->Date > b->Date : a->Number > b->Number;
    });
    return mails;
}

SimFolder& SimMailbox::AddFolder(std::string id, std::string name, FolderRole role)
{
    SimFolder folder;
    folder.Id = std::move(id);
    folder.Name = std::move(name);
    folder.Role = role;
    FolderList.push_back(std::move(folder));
    return FolderList.back();
}

SimFolder* SimMailbox::FolderWithRole(FolderRole role)
{
    for (SimFolder& folder : FolderList)
        if (folder.Role == role)
            return &folder;
    return nullptr;
}

SimFolder* SimMailbox::FolderWithId(std::string_view id)
{
    for (SimFolder& folder : FolderList)
        if (folder.Id == id)
            return &folder;
    return nullptr;
}

SimFolder* SimMailbox::FolderWithName(std::string_view name)
{
    for (SimFolder& folder : FolderList)
        if (folder.Name == name)
            return &folder;
    return nullptr;
}

SimMail& SimMailbox::Add(SimFolder& folder, SimMail mail)
{
    mail.Number = NextNumber++;
    folder.Mails.push_back(std::move(mail));
    return folder.Mails.back();
}

SimMailbox::Location SimMailbox::Find(uint64_t number)
{
    for (SimFolder& folder : FolderList)
        for (SimMail& mail : folder.Mails)
            if (mail.Number == number)
                return {&folder, &mail};
    return {};
}

bool SimMailbox::Move(uint64_t number, SimFolder& to)
{
    Location found = Find(number);
    if (found.Mail == nullptr)
        return false;
    if (found.Folder == &to)
        return true;
    SimMail mail = std::move(*found.Mail);
    auto& mails = found.Folder->Mails;
    mails.erase(mails.begin() + (found.Mail - mails.data()));
    to.Mails.push_back(std::move(mail));
    return true;
}

bool SimMailbox::Remove(uint64_t number)
{
    Location found = Find(number);
    if (found.Mail == nullptr)
        return false;
    auto& mails = found.Folder->Mails;
    mails.erase(mails.begin() + (found.Mail - mails.data()));
    return true;
}

} // namespace korvalin::websim
