// The pages of the simulated GoPlay service: the login answer with its
// image map, the mailbox page with the mailbox form, folder views (one line
// per mail), mail pages, the compose form and its address book picker. The
// lines the plug-in reads are laid out exactly as it expects; the rest is
// the kind of surrounding a real page has.
#pragma once

#include "Mailbox.h"
#include "SimHttp.h"

#include <string>
#include <vector>

namespace korvalin::websim::goplay {

struct PageContext {
    const SimRequest &Request;
    const std::string &LineEnd;
    const std::string &Sid;
};

std::string HomePage(const PageContext &context);
std::string SignUpPage(const PageContext &context);
std::string LoginRefusedPage(const PageContext &context);
std::string WelcomePage(const PageContext &context, const std::string &user);
// The mailbox page and every folder view: the mailbox form around the
// folder's mails from position startOn to endOn (1-based, newest first).
std::string FolderPage(const PageContext &context, const SimAccount &account, const SimFolder &folder, size_t startOn,
                       size_t endOn);
std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder);
std::string ComposePage(const PageContext &context, const std::string &messageNumber, const std::string &to);
std::string AddressPickerPage(const PageContext &context, const std::string &messageNumber,
                              const std::vector<SimContact> &contacts);
// A short page with a title and one paragraph (sent, added, expired, ...).
std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text);

} // namespace korvalin::websim::goplay
