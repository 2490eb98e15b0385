// The simulated Yahoo Mail service: a login host (login page and form) and
// an account host that also serves the mail pages (folders, listings, mail
// pages, compose form, address book), with the page layouts the yahoogate
// plug-in reads. Links on the mail pages are relative; the login answer
// names the mail host on its options line.
#pragma once

#include "MailSiteModel.h"

namespace korvalin::websim {

struct YahooHosts {
    std::string Login = "login.yahoo.sim";
    std::string Account = "mail.yahoo.sim";
};

class YahooModel : public MailSiteModel {
public:
    explicit YahooModel(YahooHosts hosts = {});

    std::string Name() const override { return "yahoo"; }
    std::string ProviderName() const override { return "YahooMail"; }
    std::vector<HostKey> Hosts() const override;
    SimResponse Handle(const SimRequest &request) override;

    // Rows per listing page (20 unless a test says otherwise).
    void SetPageSize(size_t rows);

    // "1_<number>_<date>": the id the pages give a mail.
    static std::string MessageId(const SimMail &mail);

protected:
    std::string MailDomain() const override { return "yahoo.sim"; }
    // "Inbox", "Draft", "Sent", "Trash"; a folder's id is its name.
    void AddServiceFolders(SimMailbox &mailbox) const override;
    std::string NewFolderId(const SimMailbox &mailbox, const std::string &name) const override;

private:
    SimResponse Login(const SimRequest &request);
    SimResponse MemberPage(const SimRequest &request, SimAccount &account, const std::string &key);
    SimResponse Listing(const SimRequest &request, SimAccount &account, const std::string &key);
    SimResponse ShowMail(const SimRequest &request, SimAccount &account, const std::string &key);
    SimResponse Attachment(const SimRequest &request, SimAccount &account);
    SimResponse Send(const SimRequest &request, SimAccount &account, const std::string &key);
    SimResponse AddAddress(const SimRequest &request, SimAccount &account, const std::string &key);

    YahooHosts HostNames;
    size_t PageSize = 20;
};

} // namespace korvalin::websim
