#include "Goplay.h"

#include "GoplayMarkers.h"
#include "HostsConfig.h"

using namespace korvalin::goplay;

CGoplay::CGoplay()
{
    Name = "Goplay";
    SignUpUrl = Base() + std::string(kSignUpPath);
}

std::string CGoplay::Base()
{
    return korvalin::HttpBase(korvalin::HostSetting("goplay.host"));
}

void CGoplay::SetUserProfile(std::string user, std::string password)
{
    std::lock_guard lock(SessionLock);
    User = std::move(user);
    Password = std::move(password);
}

int CGoplay::GetVersion()
{
    return 5;
}

CGoplay::SessionValues CGoplay::Session() const
{
    std::lock_guard lock(SessionLock);
    return {User, Password, CookieHeader, MailboxLink, FormAddress, StartOn, EndOn, Sid, FolderForms};
}

void CGoplay::RememberSid(const std::string &sid)
{
    std::lock_guard lock(SessionLock);
    Sid = sid;
}
