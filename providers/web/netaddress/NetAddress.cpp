#include "NetAddress.h"

#include "HostsConfig.h"
#include "NetAddressMarkers.h"

using namespace korvalin::netaddress;

CNetAddress::CNetAddress()
{
    Name = kProviderName;
    SignUpUrl = Hosts().Base + std::string(kSignUpPath);
}

CNetAddress::HostValues CNetAddress::Hosts()
{
    using korvalin::HostSetting;
    const std::string host = HostSetting("netaddress.host");
    return {korvalin::HttpBase(host), host, HostSetting("netaddress.classic"), HostSetting("netaddress.domain")};
}

std::string CNetAddress::PageUrl(const HostValues &hosts, const std::string &section, const std::string &mailboxId,
                                 const std::string &page)
{
    return hosts.Base + "/tpl/" + section + "/" + mailboxId + "/" + page;
}

void CNetAddress::SetUserProfile(std::string user, std::string password)
{
    std::lock_guard lock(SessionLock);
    User = std::move(user);
    Password = std::move(password);
}

int CNetAddress::GetVersion()
{
    return 3;
}

CNetAddress::SessionValues CNetAddress::Session() const
{
    std::lock_guard lock(SessionLock);
    return {User, Password, MailboxId, FolderLinks};
}
