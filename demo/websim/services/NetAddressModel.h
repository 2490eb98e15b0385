// The simulated NetAddress service: one host whose pages all lie under
// "/tpl/" and are reached through the mailbox id that a login hands out
// ("/tpl/Mail/<id>/List", "/tpl/Message/<id>/Read", ...), laid out the way
// the addrgate plug-in reads them.
#pragma once

#include "AccountServiceModel.h"

namespace korvalin::websim {

class NetAddressModel : public AccountServiceModel {
public:
    static constexpr const char *kHost = "www.netaddress.sim";
    static constexpr const char *kMailDomain = "netaddress.sim";
    // Folder ids: the inbox, sent mail, drafts, and -1 for deleted mail.
    static constexpr const char *kInboxId = "1";
    static constexpr const char *kSentId = "2";
    static constexpr const char *kDraftsId = "3";
    static constexpr const char *kTrashId = "-1";

    explicit NetAddressModel(std::string host = kHost);

    std::string Name() const override { return "netaddress"; }
    std::string ProviderName() const override { return "NetAddress(Tellmark)"; }
    std::vector<HostKey> Hosts() const override;
    SimResponse Handle(const SimRequest &request) override;

    // "M<number>": the message id the pages give a mail.
    static std::string MessageId(const SimMail &mail);
    // The mailbox id of the user's latest login; "" when there was none.
    std::string MailboxIdOf(const std::string &user) const;

protected:
    std::string MailDomain() const override { return kMailDomain; }
    void AddServiceFolders(SimMailbox &mailbox) const override;
    std::string NewFolderId(const SimMailbox &mailbox) const override;

private:
    // A path "/tpl/<Section>/<mailbox id>/<Page...>" taken apart.
    struct TemplatePath {
        std::string Section, MailboxId, Page;
    };
    static bool SplitTemplatePath(const std::string &path, TemplatePath &parts);

    SimResponse Login(const SimRequest &request);
    SimResponse Listing(const SimRequest &request, SimAccount &account, const std::string &mailboxId);
    SimResponse ReadMail(const SimRequest &request, SimAccount &account, const std::string &mailboxId);
    SimResponse Attachment(SimAccount &account, const std::string &page);
    SimResponse MoveMails(const SimRequest &request, SimAccount &account, const std::string &mailboxId);
    SimResponse Send(const SimRequest &request, SimAccount &account, const std::string &mailboxId);
    SimResponse AddAddress(const SimRequest &request, SimAccount &account);

    // The mail named by a message id ("M17"); both null when none.
    static SimMailbox::Location FindMail(SimMailbox &mailbox, const std::string &messageId);

    std::string Host;
    std::map<std::string, std::string> Sessions; // mailbox id -> lower-case user name
    uint64_t Counter = 0;
};

} // namespace korvalin::websim
