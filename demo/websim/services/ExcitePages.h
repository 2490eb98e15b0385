// The pages of the simulated MailExcite service. Each listing cell, folder
// link and header value stands on the line the plug-in reads it from (a
// row's sender, link, date and size cells on the four lines after its uid
// checkbox, a header value two lines below its label, ...); the rest is the
// kind of surrounding a real page has.
#pragma once

#include "ExciteModel.h"

namespace korvalin::websim::excite {

struct PageContext {
    const SimRequest &Request;
    const ExciteHosts &Hosts;
    const std::string &LineEnd;

    std::string RegistrationBase() const { return Request.BaseUrlOf(Hosts.Registration); }
    std::string MailBase() const { return Request.BaseUrlOf(Hosts.Mail); }
};

std::string HomePage(const PageContext &context);
std::string SignUpPage(const PageContext &context);
std::string LoginRefusedPage(const PageContext &context);
std::string FramePage(const PageContext &context, const std::string &key);
std::string FolderPage(const PageContext &context, const SimMailbox &mailbox, const std::string &key);
std::string ListingPage(const PageContext &context, const SimAccount &account, const SimFolder &folder,
                        const std::string &key);
std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder, const std::string &key);
std::string AddressBookPage(const PageContext &context, const std::vector<SimContact> &contacts,
                            const std::string &key);
// A short page with a title and one paragraph (sent, added, expired, ...).
std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text);

} // namespace korvalin::websim::excite
