// The simulated MailExcite service: a registration host that takes the
// login and sends the browser on to the mail host, a mail host whose ".dcg"
// pages carry the mailbox key ("folder.dcg?x=<key>", ...) and take the
// compose and address forms, and a folder-action host for moving mail.
//
// The forms posted without a key (compose, new address, move) act for the
// account that logged in last: the service knew its visitor by a cookie the
// browser kept, which the simulator does not ask for.
#pragma once

#include "AccountServiceModel.h"

namespace korvalin::websim {

struct ExciteHosts {
    std::string Registration = "reg.excite.sim";
    std::string Mail = "mail.excite.sim";
    std::string FolderAction = "folders.excite.sim";
};

class ExciteModel : public AccountServiceModel {
public:
    static constexpr const char *kMailDomain = "excite.sim";

    explicit ExciteModel(ExciteHosts hosts = {});

    std::string Name() const override { return "excite"; }
    std::string ProviderName() const override { return "MailExcite"; }
    std::vector<HostKey> Hosts() const override;
    SimResponse Handle(const SimRequest &request) override;

    // The mailbox key of the user's latest login; "" when there was none.
    std::string MailboxKeyOf(const std::string &user) const;

protected:
    std::string MailDomain() const override { return kMailDomain; }
    void AddServiceFolders(SimMailbox &mailbox) const override;
    std::string NewFolderId(const SimMailbox &mailbox) const override;

private:
    SimResponse Login(const SimRequest &request);
    SimResponse Listing(const SimRequest &request, SimAccount &account, const std::string &key);
    SimResponse ReadMail(const SimRequest &request, SimAccount &account, const std::string &key);
    SimResponse Attachment(const SimRequest &request, SimAccount &account);
    SimResponse MoveMail(const SimRequest &request);
    SimResponse Send(const SimRequest &request);
    SimResponse AddAddress(const SimRequest &request);
    // The account the latest login opened, for the forms without a key.
    SimAccount *CurrentAccount();

    ExciteHosts HostNames;
    std::map<std::string, std::string> Sessions; // mailbox key -> lower-case user name
    std::string LastLogin;                       // lower-case user name
    uint64_t Counter = 0;
};

} // namespace korvalin::websim
