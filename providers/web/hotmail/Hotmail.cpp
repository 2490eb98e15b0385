#include "Hotmail.h"

#include "FormEncoding.h"
#include "HostsConfig.h"
#include "HotmailMarkers.h"
#include "HotmailParsing.h"

using namespace korvalin::hotmail;

CHotmail::CHotmail()
{
    Name = "HotMail";
    InitHardCodedStrings();
}

void CHotmail::InitHardCodedStrings()
{
    CurMbox = "ACTIVE";
    Frames = "no";
    Js = "no";
    EnterValue = "Enter";
    HostAddresses hosts = Hosts();
    LoginUrl = hosts.Login + std::string(kStartPath);
    SignUpUrl = hosts.Web + std::string(kSignUpPath);
}

CHotmail::HostAddresses CHotmail::Hosts()
{
    using korvalin::HostSetting;
    using korvalin::HttpBase;
    return {HttpBase(HostSetting("hotmail.web")), HttpBase(HostSetting("hotmail.form")),
            HttpBase(HostSetting("hotmail.login"))};
}

void CHotmail::SetUserProfile(std::string user, std::string password)
{
    std::lock_guard lock(SessionLock);
    User = std::move(user);
    Password = std::move(password);
}

int CHotmail::GetVersion()
{
    return 6;
}

CHotmail::SessionValues CHotmail::Session() const
{
    std::lock_guard lock(SessionLock);
    return {User, Password, InboxUrl, Disk, FormF, FolderIds};
}

void CHotmail::LearnSessionValues(const std::string& locator)
{
    LocatorSession values = SessionValuesOf(locator);
    std::lock_guard lock(SessionLock);
    if (!values.Disk.empty())
        Disk = values.Disk;
    if (!values.FormF.empty())
        FormF = values.FormF;
}

// "disk=D&login=U&f=F&curmbox=ACTIVE": the session part of the compose and
// address-book requests.
std::string CHotmail::SessionQuery(const SessionValues& session) const
{
    return "disk=" + session.Disk + "&login=" + korvalin::EncodeFormValue(session.User) + "&f=" + session.FormF +
           "&curmbox=" + CurMbox;
}
