// The simulated Hotmail service: a web host (pages, listings, mails,
// compose, trash), a form host (password form, address book) and a login
// host, with the page layouts the hotgate plug-in reads.
#pragma once

#include "Mailbox.h"
#include "ServiceModel.h"

#include <functional>
#include <map>
#include <mutex>
#include <set>

namespace korvalin::websim {

struct HotmailHosts {
    std::string Web = "web.hotmail.sim";
    std::string Form = "form.hotmail.sim";
    std::string Login = "login.hotmail.sim";
};

// The session values a login hands out; pages carry them in their links.
struct HotmailSession {
    std::string User;
    std::string Disk;
    std::string FormF;
};

class HotmailModel : public ServiceModel {
public:
    static constexpr const char* kMailDomain = "hotmail.sim";

    explicit HotmailModel(HotmailHosts hosts = {});

    std::string Name() const override { return "hotmail"; }
    std::string ProviderName() const override { return "HotMail"; }
    std::vector<HostKey> Hosts() const override;
    SimResponse Handle(const SimRequest& request) override;
    void DeliverArrivingMail(std::time_t now) override;
    std::vector<std::string> Describe() const override;
    std::vector<std::pair<std::string, std::string>> Logins() const override;

    // A new account with the service's folders: "In-Box", "Sent Messages",
    // "Drafts", "Trash Can". Its address is user@hotmail.sim.
    void AddAccount(const std::string& user, const std::string& password);
    // A folder of the user's own, with the next free id ("F000000005", ...).
    void AddFolder(const std::string& user, const std::string& name);
    // Runs change on the account under the model's lock; throws
    // std::out_of_range for an unknown user.
    void Edit(const std::string& user, const std::function<void(SimAccount&)>& change);
    SimAccount Snapshot(const std::string& user) const;

    void SetPageSize(size_t rows);
    void SetLineEnd(std::string lineEnd);

    // "MSG<date>.<number>": the id the pages give a mail.
    static std::string MessageId(const SimMail& mail);

private:
    struct Account {
        SimAccount Data;
        std::set<std::string> HeaderIds; // compose forms handed out and not yet used
    };

    SimResponse Login(const SimRequest& request);
    SimResponse Listing(const SimRequest& request, const HotmailSession& session, const FormFields& fields);
    SimResponse MoveMails(const SimRequest& request, const HotmailSession& session, const FormFields& fields);
    SimResponse ShowMail(const SimRequest& request, const HotmailSession& session, const FormFields& fields);
    SimResponse Attachment(const HotmailSession& session, const FormFields& fields);
    SimResponse Compose(const SimRequest& request, const HotmailSession& session);
    SimResponse Send(const SimRequest& request, const HotmailSession& session, const FormFields& fields);
    SimResponse AddAddress(const SimRequest& request, const HotmailSession& session, const FormFields& fields);

    // The session named by a request's login, disk and f values; null when
    // the user has not logged in or the values belong to no session.
    const HotmailSession* Authorize(const FormFields& fields) const;
    Account* FindAccount(const std::string& user);
    SimFolder* FolderByParameter(SimMailbox& mailbox, const std::string& id);
    SimMailbox::Location FindMail(SimMailbox& mailbox, const std::string& messageId);
    void DeliverLocally(const SimMail& mail, const std::string& recipients);

    HotmailHosts HostNames;
    mutable std::mutex State;
    std::map<std::string, Account> Accounts; // by lower-case user name
    std::vector<HotmailSession> Sessions;
    size_t PageSize = 10;
    std::string LineEnd = "\n";
    uint64_t Counter = 0;  // session values and compose header ids
    uint64_t Arrivals = 0; // the demo's arriving mails
};

} // namespace korvalin::websim
