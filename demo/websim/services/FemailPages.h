// The pages of the simulated ".femail" services. The lines the plug-ins
// read are laid out exactly as they expect: the refusal on the sixth line of
// the login answer, one folder per line with its icon, nine lines per mail
// row, the sender on one header line and the other headers on the next, the
// MIME part markers, and an address-book entry's address eight lines after
// its name. The rest is the kind of surrounding a real page has.
#pragma once

#include "FemailModel.h"

#include <string>

namespace korvalin::websim::femail {

struct PageContext {
    const SimRequest &Request;
    const FemailHosts &Hosts;
    const std::string &LineEnd;
    FemailFlavour Flavour;
    std::string Mailbox; // the mailbox path of the session

    // "http://mail.host:80" as the service writes its own addresses (or the
    // prefix or fallback address the client came through).
    std::string MailBase() const;
    std::string MailboxBase() const { return MailBase() + "/" + Mailbox; }
    std::string ServiceName() const { return Flavour == FemailFlavour::MailCity ? "MailCity" : "AngelFire"; }
};

std::string FolderLink(const PageContext &context, const SimFolder &folder);
std::string MailLink(const PageContext &context, const SimMail &mail, const SimFolder &folder);

std::string HomePage(const PageContext &context);
std::string SignUpPage(const PageContext &context);
std::string LoginRefusedPage(const PageContext &context);
std::string AuthorizationFailedPage(const PageContext &context);
std::string WelcomePage(const PageContext &context, const SimAccount &account);
// The mails of folder from list position `from` on, with the folder list.
std::string ListingPage(const PageContext &context, const SimAccount &account, const SimFolder &folder, size_t from);
std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder);
std::string ComposePage(const PageContext &context, const std::string &composeId);
std::string AddressBookPage(const PageContext &context, const std::vector<SimContact> &contacts);
// A short page with a title and one paragraph (sent, added, expired, ...).
std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text);

} // namespace korvalin::websim::femail
