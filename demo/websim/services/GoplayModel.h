// The simulated GoPlay service: one host whose mailbox is driven through
// one form. The login sets a session cookie and links the mailbox page; every
// later request must carry that cookie, except the send step, which the
// session id in its address names.
#pragma once

#include "AccountServiceModel.h"

#include <set>

namespace korvalin::websim {

class GoplayModel : public AccountServiceModel {
public:
    static constexpr const char *kHost = "www.goplay.sim";
    static constexpr const char *kMailDomain = "goplay.sim";
    static constexpr const char *kCookieName = "GPSESSION";
    // The folder numbers the mailbox form uses.
    static constexpr const char *kInboxId = "1";
    static constexpr const char *kTrashId = "2";
    static constexpr const char *kSentId = "3";

    explicit GoplayModel(std::string host = kHost);

    std::string Name() const override { return "goplay"; }
    std::string ProviderName() const override { return "Goplay"; }
    std::vector<HostKey> Hosts() const override;
    SimResponse Handle(const SimRequest &request) override;

    // The session id and cookie value of the user's latest login; empty
    // when there was none.
    struct Login {
        std::string Sid, Cookie;
    };
    Login LatestLogin(const std::string &user) const;
    // How many mails a folder view shows at most (END_ON - START_ON + 1).
    void SetViewSize(size_t mails);

protected:
    std::string MailDomain() const override { return kMailDomain; }
    void AddServiceFolders(SimMailbox &mailbox) const override;
    std::string NewFolderId(const SimMailbox &mailbox) const override;

private:
    struct Session {
        std::string User; // lower case
        std::string Cookie;
        uint64_t Number = 0;
        std::set<std::string> ComposeNumbers; // handed out and not yet sent
    };

    SimResponse LogIn(const SimRequest &request);
    SimResponse MailboxForm(const SimRequest &request, Session &session, SimAccount &account);
    SimResponse SendStep(const SimRequest &request, Session &session, SimAccount &account, bool hasCookie);
    SimResponse EditStep(const SimRequest &request, Session &session, SimAccount &account);
    SimResponse AddAddress(const SimRequest &request, SimAccount &account);
    std::string NewComposeNumber(Session &session);
    static bool CarriesCookie(const SimRequest &request, const Session &session);

    std::string Host;
    std::map<std::string, Session> Sessions; // by sid
    size_t ViewSize = 50;
    uint64_t Counter = 0;
};

} // namespace korvalin::websim
