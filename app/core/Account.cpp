#include "Account.h"

#include "ProviderHost.h"

namespace korvalin {

CAccount::CAccount(ProviderEntry& provider, std::string login, uint16_t folderMask, korvalin::ProviderObject object,
                   std::filesystem::path folder)
    : provider_(provider), object_(std::move(object)), folder_(std::move(folder))
{
    state_.login = std::move(login);
    state_.folderMask = folderMask;
    folders_.push_back(std::make_shared<MailFolder>(kInbox, this));
}

CAccount::~CAccount() = default;

void CAccount::AttachHostLink(std::shared_ptr<FolderChangeRoute> changes)
{
    if (object_ && object_->HostLink == nullptr)
        object_->HostLink = new AccountLink(weak_from_this(), std::move(changes));
}

void FolderChangeRoute::Set(Target target)
{
    std::lock_guard lock(mutex_);
    target_ = std::move(target);
}

void FolderChangeRoute::Clear()
{
    std::lock_guard lock(mutex_);
    target_ = nullptr;
}

void FolderChangeRoute::Deliver(CAccount& account, int folder)
{
    std::lock_guard lock(mutex_);
    if (target_)
        target_(account, folder);
}

void AccountLink::FolderChanged(int folder)
{
    std::shared_ptr<CAccount> owner = account.lock();
    if (owner && route)
        route->Deliver(*owner, folder);
}

const std::string& CAccount::ProviderName() const
{
    return provider_.name;
}

std::string CAccount::LogName() const
{
    return Login() + "@" + ProviderName();
}

AccountState CAccount::State() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

std::string CAccount::Login() const
{
    std::lock_guard lock(mutex_);
    return state_.login;
}

bool CAccount::LoggedIn() const
{
    std::lock_guard lock(mutex_);
    return state_.loggedIn;
}

std::vector<std::shared_ptr<MailFolder>> CAccount::Folders() const
{
    std::lock_guard lock(mutex_);
    return folders_;
}

std::shared_ptr<MailFolder> CAccount::Inbox() const
{
    std::lock_guard lock(mutex_);
    return folders_.front();
}

std::shared_ptr<MailFolder> CAccount::AddFolder(const std::string& name, bool inTree, bool checked)
{
    auto folder = std::make_shared<MailFolder>(name, this);
    folder->inTree = inTree;
    folder->checked = checked;
    std::lock_guard lock(mutex_);
    folders_.push_back(folder);
    return folder;
}

std::vector<std::shared_ptr<MailFolder>> CAccount::RemoveFoldersAfterInbox()
{
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<MailFolder>> removed(folders_.begin() + 1, folders_.end());
    folders_.resize(1);
    return removed;
}

CAddressArray CAccount::AddressBook() const
{
    std::lock_guard lock(mutex_);
    return addressBook_;
}

void CAccount::SetAddressBook(CAddressArray book)
{
    std::lock_guard lock(mutex_);
    addressBook_ = std::move(book);
}

uint16_t FolderMaskFromChecks(const CAccount& account)
{
    if (!account.State().checked)
        return 0;
    uint16_t mask = 0;
    auto folders = account.Folders();
    for (size_t k = 0; k < folders.size() && k < 16; ++k) {
        if (folders[k]->checked)
            mask |= static_cast<uint16_t>(1u << k);
    }
    return mask;
}

}  // namespace korvalin
