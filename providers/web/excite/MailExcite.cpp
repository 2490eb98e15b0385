#include "MailExcite.h"

#include "HostsConfig.h"

namespace {

// The folder-action host is addressed with its port named; a value that
// already names a port, a path or a scheme is taken as it stands.
std::string WithHttpPort(const std::string &host)
{
    if (host.find_first_of(":/") != std::string::npos)
        return korvalin::HttpBase(host);
    return "http://" + host + ":80";
}

} // namespace

CMailExcite::CMailExcite()
{
    Name = "MailExcite";
    const HostBases hosts = Hosts();
    SignUpUrl = hosts.Registration + "/mps/new?pname=mail&targeturl=" + hosts.Mail + "/&brand=xcit&nofill=1";
}

CMailExcite::HostBases CMailExcite::Hosts()
{
    using korvalin::HostSetting;
    using korvalin::HttpBase;
    return {HttpBase(HostSetting("excite.registration")), HttpBase(HostSetting("excite.mail")),
            WithHttpPort(HostSetting("excite.folderaction"))};
}

void CMailExcite::SetUserProfile(std::string user, std::string password)
{
    std::lock_guard lock(SessionLock);
    User = std::move(user);
    Password = std::move(password);
}

int CMailExcite::GetVersion()
{
    return 5;
}

CMailExcite::SessionValues CMailExcite::Session() const
{
    std::lock_guard lock(SessionLock);
    return {User, Password, MailboxKey, FolderLinks};
}
