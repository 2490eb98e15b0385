// The pages of the simulated Yahoo Mail service. The lines that carry the
// markers the plug-in reads are laid out exactly as it expects: the refusal
// on the sixth line of the login answer, one navigation link per line, the
// listing form above the rows, fifteen lines per mail row, one address-book
// entry per line. The rest is the kind of surrounding a real page has.
#pragma once

#include "YahooModel.h"

#include <string>

namespace korvalin::websim::yahoo {

struct PageContext {
    const SimRequest &Request;
    const YahooHosts &Hosts;
    const std::string &LineEnd;
    std::string Key; // the session key ("YY") of the pages' links

    std::string LoginBase() const { return Request.BaseUrlOf(Hosts.Login); }
    std::string MailBase() const { return Request.BaseUrlOf(Hosts.Account); }
};

std::string CheckMailLink(const std::string &key);
std::string ListingLink(const SimFolder &folder, const std::string &key, size_t page);
std::string MailLink(const SimMail &mail, const SimFolder &folder, const std::string &key);

std::string LoginPage(const PageContext &context);
std::string LoginRefusedPage(const PageContext &context);
std::string WelcomePage(const PageContext &context, const SimAccount &account);
std::string SignUpPage(const PageContext &context);
std::string FolderPage(const PageContext &context, const SimMailbox &mailbox);
// page counts from 0.
std::string ListingPage(const PageContext &context, const SimAccount &account, const SimFolder &folder, size_t page,
                        size_t pageSize);
std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder);
std::string ComposePage(const PageContext &context);
std::string AddressPage(const PageContext &context, const std::vector<SimContact> &contacts);
// A short page with a title and one paragraph (sent, added, expired, ...).
std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text);

} // namespace korvalin::websim::yahoo
