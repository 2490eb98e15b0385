// The ".femail" page family as MailCity and AngelFire run it: a home or
// terms host and a mail host that serves the listings (which also list the
// folders), mail pages with their MIME parts, the compose form, the address
// book and the multiplexer that deletes, sends and adds addresses. Every
// mail page lives under the mailbox path a login hands out. The two
// services differ in their login and in the markers of the Style.
#pragma once

#include "MailSiteModel.h"

namespace korvalin::websim {

enum class FemailFlavour { MailCity, AngelFire };

struct FemailHosts {
    std::string Home;  // the home page (MailCity: with the login form)
    std::string Mail;  // login target and every mail page
    std::string Terms; // the sign-up page
};

class FemailModel : public MailSiteModel {
public:
    // Mails a listing page shows.
    static constexpr size_t kPageSize = 20;

    FemailModel(FemailFlavour flavour, FemailHosts hosts, std::vector<HostKey> keys);

    std::string Name() const override;
    std::string ProviderName() const override;
    std::vector<HostKey> Hosts() const override { return Keys; }
    SimResponse Handle(const SimRequest &request) override;

    // A suspended account is told that its authorization has failed (MailCity)
    // or is refused like a wrong password (AngelFire).
    void Suspend(const std::string &user);

    FemailFlavour Flavour() const { return Kind; }
    // The partner key the service's login form must carry.
    std::string PartnerKey() const;
    // "<number>:M:<folder id>": the document id the pages give a mail.
    static std::string DocumentId(const SimMail &mail, const SimFolder &folder);

protected:
    std::string MailDomain() const override;
    // "INBOX" or "Inbox", "Sent", "Drafts", "Trash"; ids "INBOX", "F2", ...
    void AddServiceFolders(SimMailbox &mailbox) const override;
    std::string NewFolderId(const SimMailbox &mailbox, const std::string &name) const override;

private:
    SimResponse Login(const SimRequest &request);
    SimResponse MailboxPage(const SimRequest &request, SimAccount &account, const std::string &mailbox,
                            const std::string &page);
    SimResponse Listing(const SimRequest &request, SimAccount &account, const std::string &mailbox, SimFolder &folder);
    SimResponse Multiplex(const SimRequest &request, SimAccount &account, const std::string &mailbox);
    SimResponse Send(const SimRequest &request, SimAccount &account, const std::string &mailbox);
    SimResponse AddAddress(const SimRequest &request, SimAccount &account, const std::string &mailbox);

    FemailFlavour Kind;
    FemailHosts HostNames;
    std::vector<HostKey> Keys;
    std::vector<std::string> Suspended;  // lower-case user names
    std::vector<std::string> ComposeIds; // handed out and not yet used
    uint64_t ComposeSerial = 0;
};

} // namespace korvalin::websim
