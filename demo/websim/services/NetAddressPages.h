// The pages of the simulated NetAddress service. The lines that carry what
// the plug-in reads stand exactly where it looks for them (a row's values at
// fixed distances below its mail icon, the mail's sender ten lines below
// "<!-- from and to-->", ...); the rest is the kind of surrounding a real
// page has.
#pragma once

#include "Mailbox.h"
#include "SimHttp.h"

#include <string>
#include <vector>

namespace korvalin::websim::netaddress {

struct PageContext {
    const SimRequest &Request;
    const std::string &Host;
    const std::string &LineEnd;

    std::string Base() const { return Request.BaseUrlOf(Host); }
};

std::string HomePage(const PageContext &context);
std::string SignUpPage(const PageContext &context);
std::string LoginRefusedPage(const PageContext &context);
std::string WelcomePage(const PageContext &context, const std::string &user, const std::string &mailboxId);
std::string FolderPage(const PageContext &context, const SimMailbox &mailbox, const std::string &mailboxId);
std::string ListingPage(const PageContext &context, const SimAccount &account, const SimFolder &folder,
                        const std::string &mailboxId);
std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder,
                     const std::string &mailboxId);
std::string AddressBookPage(const PageContext &context, const std::vector<SimContact> &contacts,
                            const std::string &mailboxId);
// A short page with a title and one paragraph (sent, added, expired, ...).
std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text);

} // namespace korvalin::websim::netaddress
