// The pages of the simulated Hotmail service. The lines that carry the
// markers the plug-in reads are laid out exactly as it expects (one mail row
// per line, the folder id and name on the line after the folder row, the
// refusal on the ninth line of the login answer, ...); the rest is the
// kind of surrounding a real page has.
#pragma once

#include "HotmailModel.h"

#include <string>

namespace korvalin::websim::hotmail {

struct PageContext {
    const SimRequest& Request;
    const HotmailHosts& Hosts;
    const std::string& LineEnd;

    std::string WebBase() const { return Request.BaseUrlOf(Hosts.Web); }
    std::string FormBase() const { return Request.BaseUrlOf(Hosts.Form); }
    std::string LoginBase() const { return Request.BaseUrlOf(Hosts.Login); }
};

// The folder value that links carry: "ACTIVE" for the inbox, else its id.
std::string FolderParameter(const SimFolder& folder);
std::string SessionParameters(const HotmailSession& session);
std::string InboxLink(const HotmailSession& session);
std::string ListingLink(const SimFolder& folder, const HotmailSession& session, size_t page);
std::string MailLink(const SimMail& mail, const SimFolder& folder, const HotmailSession& session);
std::string AttachmentLink(const PageContext& context, const SimMail& mail, size_t index,
                           const HotmailSession& session);

std::string HomePage(const PageContext& context);
std::string TermsPage(const PageContext& context);
std::string PasswordFormPage(const PageContext& context, const std::string& user);
std::string LoginRefusedPage(const PageContext& context);
std::string WelcomePage(const PageContext& context, const HotmailSession& session);
std::string FolderPage(const PageContext& context, const SimMailbox& mailbox, const HotmailSession& session);
std::string ListingPage(const PageContext& context, const SimAccount& account, const SimFolder& folder,
                        const HotmailSession& session, size_t page, size_t pageSize);
std::string MailPage(const PageContext& context, const SimMail& mail, const SimFolder& folder,
                     const HotmailSession& session);
std::string ComposePage(const PageContext& context, const HotmailSession& session, const std::string& headerId);
std::string AddressPickerPage(const PageContext& context, const std::vector<SimContact>& contacts);
// A short page with a title and one paragraph (sent, added, expired, ...).
std::string NoticePage(const PageContext& context, const std::string& title, const std::string& text);

} // namespace korvalin::websim::hotmail
