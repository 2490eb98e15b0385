#include "YahooMail.h"

#include "HostsConfig.h"

namespace {

// More remembered mails than any mailbox holds: past this the memory is
// dropped and deleting falls back to the folder listed last.
constexpr size_t kMaxRememberedMails = 100000;

} // namespace

CYahooMail::CYahooMail()
{
    Name = "YahooMail";
    const std::string account = Hosts().Account;
    SignUpUrl = korvalin::HttpBase(account) + "/config/eval_register?lg=us&new=1&.done=http%3a//" + account +
                "/config/mail%3f.intl=&.src=ym&partner=&promo=&.last=&.intl=";
}

CYahooMail::HostAddresses CYahooMail::Hosts()
{
    return {korvalin::HostSetting("yahoo.login"), korvalin::HostSetting("yahoo.account")};
}

void CYahooMail::SetUserProfile(std::string user, std::string password)
{
    std::lock_guard lock(SessionLock);
    Values.User = std::move(user);
    Values.Password = std::move(password);
}

int CYahooMail::GetVersion()
{
    return 5;
}

CYahooMail::SessionValues CYahooMail::Session() const
{
    std::lock_guard lock(SessionLock);
    return Values;
}

std::string CYahooMail::FormAddressFor(const std::string &messageId) const
{
    std::lock_guard lock(SessionLock);
    auto found = FormAddressByMessage.find(messageId);
    return found != FormAddressByMessage.end() ? found->second : Values.FolderFormAddress;
}

void CYahooMail::LearnListing(const std::string &formAddress, const std::map<std::string, std::string> &formByMessage)
{
    std::lock_guard lock(SessionLock);
    if (!formAddress.empty())
        Values.FolderFormAddress = formAddress;
    if (FormAddressByMessage.size() + formByMessage.size() > kMaxRememberedMails)
        FormAddressByMessage.clear();
    for (const auto &[id, form] : formByMessage)
        FormAddressByMessage[id] = form;
}
