#include "PageFeed.h"

#include "WebRequest.h"

#include <cstddef>
#include <string>

namespace korvalin::fuzz {

namespace {

std::string_view Remaining;
bool Exhausted = true;

bool AnswerFetch(const CWebRequest&, const std::string&, const std::string*, std::string& headers, long& status, std::string& body)
{
    if (Exhausted)
        return false;
    std::string_view page = Remaining;
    size_t separator = Remaining.find(kPageSeparator);
    if (separator == std::string_view::npos) {
        Exhausted = true;
        Remaining = {};
    } else {
        page = Remaining.substr(0, separator);
        Remaining.remove_prefix(separator + kPageSeparator.size());
    }
    status = 200;
    if (page.substr(0, 5) == "HTTP/") {
        size_t end = page.find("\r\n\r\n");
        size_t split = end == std::string_view::npos ? page.size() : end + 4;
        headers.assign(page.substr(0, split));
        page.remove_prefix(split);
    } else {
        headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    }
    body.append(page);
    return true;
}

}  // namespace

void FeedPages(std::string_view input)
{
    Remaining = input;
    Exhausted = false;
    SetWebStandIn(&AnswerFetch);
}

void RunSession(CMailProvider& provider, const std::string& user, const std::string& password)
{
    provider.SetUserProfile(user, password);
    (void)provider.DoLogin();

    CStringArray folders;
    provider.GetFolders(folders);

    CSummaryArray listing;
    provider.GetMailSummary(listing, -1);
    provider.GetMailSummary(listing, 0);

    std::string locator = listing.empty() ? std::string("x") : listing.front().Locator;
    std::string body;
    CMailMessage message;
    provider.GetMail(locator, body, message);
    provider.DeleteMail(locator);

    CMailMessage outgoing;
    outgoing.From = "someone@example.com";
    outgoing.To = "ann@example.com, \"Doe, J\" <j@example.com>";
    outgoing.CC = "c@example.com";
    outgoing.Subject = "Hello";
    outgoing.Body = "Line one\r\n.\r\nLine two";
    provider.SendMail(outgoing);

    CAddressArray book;
    provider.GetAddressBook(book);
    provider.AddAddress("Ann", "ann@example.com");
}

}  // namespace korvalin::fuzz
