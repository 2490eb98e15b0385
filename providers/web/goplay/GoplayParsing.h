// Pure helpers of the GoPlay provider: the cookie requests and cutting values
// out of page lines and locators.
#pragma once

#include "GoplayMarkers.h"
#include "MailProvider.h"

#include <string>
#include <string_view>

class CWebRequest;

namespace korvalin::goplay {

// Requests whose answer counts only when it arrived whole with a 2xx status.
// The cookie requests send the cookie header; the cookie post sends no
// content type, as the service's own pages do.
bool CookieGet(CWebRequest &request, const std::string &url, const std::string &cookieHeader, std::string &page);
bool CookiePost(CWebRequest &request, const std::string &url, const std::string &form, const std::string &cookieHeader,
                std::string &page);

// "Cookie:" and the value of the first "Set-cookie:" header up to its ";"
// (or its line end), leading blank included; empty when there is none.
std::string CookieHeaderOf(std::string_view responseHeaders);

// The text after the first `open` of line up to the last `close` of the line.
std::string TextUpToLast(std::string_view line, std::string_view open, std::string_view close);

// The form body that shows folder n ("CHG_FOLDER=n&START_ON=...").
std::string FolderForm(int folder, const std::string &startOn, const std::string &endOn);
// One mail line of a folder view; the locator is empty when the line names
// no mail key.
SummaryEntry ParseMailLine(std::string_view line, int folder, const std::string &startOn, const std::string &endOn);
// The parts of a locator: the form body that opens the mail, and the name
// of its move checkbox between the two "###".
std::string OpenFormOf(std::string_view locator);
std::string MoveNameOf(std::string_view locator);
// The form body that moves the mail with that checkbox name to the Trash Can.
std::string DeleteForm(const std::string &moveName, const std::string &startOn, const std::string &endOn);
// The session id: the text after "?sid=" of the mailbox form address.
std::string SidOf(std::string_view formAddress);

// A mail page header value after `marker`: up to `end`, or to `otherEnd`
// when `end` does not follow.
std::string HeaderValue(std::string_view line, std::string_view marker, std::string_view end,
                        std::string_view otherEnd);

// The address book as the compose form's To field holds it ("a, b,"): each
// piece followed by a comma is one entry, name and address alike.
CAddressArray SplitAddressList(std::string_view value);

} // namespace korvalin::goplay
