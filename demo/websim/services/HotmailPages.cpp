#include "HotmailPages.h"

#include "PageText.h"

#include <ctime>

namespace korvalin::websim::hotmail {
namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::tm Utc(std::time_t when)
{
    std::tm parts{};
    gmtime_r(&when, &parts);
    return parts;
}

// "Mar 5", as the listing shows a date.
std::string ListDate(std::time_t when)
{
    std::tm parts = Utc(when);
    return std::string(kMonths[parts.tm_mon]) + " " + std::to_string(parts.tm_mday);
}

std::string HeaderDate(std::time_t when)
{
    std::tm parts = Utc(when);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[parts.tm_wday], parts.tm_mday,
                  kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

void PageTop(PageWriter& page, const std::string& title)
{
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>HotMail - " + HtmlEscape(title) + "</title>")
        .Line("<meta http-equiv=\"Pragma\" content=\"no-cache\">")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\" link=\"#000080\" vlink=\"#000080\">");
}

void Banner(PageWriter& page, const std::string& right)
{
    page.Line("<table border=0 cellpadding=0 cellspacing=0 width=508><tr><td><img src=\"/images/logo.gif\" width=160 "
              "height=40 alt=\"HotMail\"></td><td align=right><font size=2>" +
              right + "</font></td></tr></table>");
}

void PageBottom(PageWriter& page)
{
    page.Line("<p><font size=1>&copy; HotMail simulator. Free e-mail for everyone.</font></p>")
        .Line("</body>")
        .Line("</html>");
}

std::string AccountBar(const std::string& address, const std::string& right)
{
    return "<table border=0 cellpadding=2 cellspacing=0 width=508><tr bgcolor=\"#000080\"><td><font "
           "color=\"#ffffff\"><b>" +
           HtmlEscape(address) + "</b></font></td><td align=right><font color=\"#ffffff\">" + right +
           "</font></td></tr></table>";
}

// The attachment links, on one line that ends the table cell it sits in.
void AttachmentLine(PageWriter& page, const std::string& cellStart, const PageContext& context, const SimMail& mail,
                    const HotmailSession& session)
{
    if (mail.Attachments.empty())
        return;
    std::string links;
    for (size_t i = 0; i < mail.Attachments.size(); ++i) {
        if (i > 0)
            links += ", ";
        links += "<a href=\"" + HtmlEscape(AttachmentLink(context, mail, i, session)) + "\">" +
                 HtmlEscape(mail.Attachments[i].FileName) + "</a>";
    }
    page.Line(cellStart + "<a name=\"attachment\"></a>Attachments: " + links + "</td></tr>");
}

} // namespace

std::string FolderParameter(const SimFolder& folder)
{
    return folder.Role == FolderRole::Inbox ? "ACTIVE" : folder.Id;
}

std::string SessionParameters(const HotmailSession& session)
{
    return "login=" + UrlEncode(session.User) + "&disk=" + session.Disk + "&f=" + session.FormF;
}

std::string InboxLink(const HotmailSession& session)
{
    return "/cgi-bin/start?curmbox=ACTIVE&js=no&_lang=&" + SessionParameters(session) + "&";
}

std::string ListingLink(const SimFolder& folder, const HotmailSession& session, size_t page)
{
    std::string script = folder.Role == FolderRole::Inbox ? "/cgi-bin/start" : "/cgi-bin/HoTMaiL";
    return script + "?curmbox=" + FolderParameter(folder) + "&js=no&_lang=&" + SessionParameters(session) +
           "&page=" + std::to_string(page);
}

std::string MailLink(const SimMail& mail, const SimFolder& folder, const HotmailSession& session)
{
    return "/cgi-bin/getmsg?disk=" + session.Disk + "&login=" + UrlEncode(session.User) + "&f=" + session.FormF +
           "&msg=" + HotmailModel::MessageId(mail) + "&start=" + std::to_string(mail.Number * 4096) +
           "&len=" + std::to_string(mail.Size()) + "&curmbox=" + FolderParameter(folder) + "&_lang=";
}

std::string AttachmentLink(const PageContext& context, const SimMail& mail, size_t index, const HotmailSession& session)
{
    return context.WebBase() + "/cgi-bin/getmsg/" + UrlEncode(mail.Attachments[index].FileName) + "?" +
           SessionParameters(session) + "&msg=" + HotmailModel::MessageId(mail) + "&part=" + std::to_string(index);
}

std::string HomePage(const PageContext& context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Free Web-Based Email");
    Banner(page, "The world's free web-based e-mail");
    page.Line("<form name=\"passwordform\" action=\"" + context.FormBase() + "/cgi-bin/passwordform\" method=\"POST\">")
        .Line("<input type=\"hidden\" name=\"enter\" value=\"Enter\">")
        .Line("<input type=\"hidden\" name=\"curmbox\" value=\"ACTIVE\">")
        .Line("<input type=\"hidden\" name=\"js\" value=\"no\">")
        .Line("Login Name: <input type=\"text\" name=\"login\" size=16> <input type=\"submit\" value=\"Enter\">")
        .Line("</form>")
        .Line("<p>New here? <a href=\"/cgi-bin/tos.cgi?us=hotmail\">Sign up for a free account</a>.</p>");
    PageBottom(page);
    return page.Text();
}

std::string TermsPage(const PageContext& context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Terms of Service");
    Banner(page, "Sign up");
    page.Line("<h2>Terms of Service</h2>")
        .Line("<p>This is a simulated service: accounts are created by the simulator, not here.</p>")
        .Line("<p><a href=\"/\">Back to the home page</a></p>");
    PageBottom(page);
    return page.Text();
}

std::string PasswordFormPage(const PageContext& context, const std::string& user)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Enter Password");
    Banner(page, "Sign in");
    page.Line("<form name=\"passwordform\" action=\"" + context.LoginBase() + "/cgi-bin/start\" method=\"POST\">")
        .Line("<input type=\"hidden\" name=\"login\" value=\"" + HtmlEscape(user) + "\">")
        .Line("<input type=\"hidden\" name=\"frames\" value=\"no\">")
        .Line("<input type=\"hidden\" name=\"curmbox\" value=\"ACTIVE\">")
        .Line("<input type=\"hidden\" name=\"js\" value=\"no\">")
        .Line("Password for <b>" + HtmlEscape(user) + "</b>: <input type=\"password\" name=\"passwd\" size=16>")
        .Line("<input type=\"submit\" name=\"submit\" value=\" Enter \">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string LoginRefusedPage(const PageContext& context)
{
    PageWriter page(context.LineEnd);
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>HotMail - Sign-In Problem</title>")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\">")
        .Line("<table border=0 cellpadding=4 cellspacing=0 width=508>")
        .Line("<tr><td>")
        .Line("<font face=\"Arial\" size=4 color=\"#cc0000\">")
        .Line("<b>We're Sorry, We Cannot Sign You In</b>") // the ninth line
        .Line("</font>")
        .Line("<p>The login name or password you entered is not valid. Check the spelling and that Caps Lock is "
              "off, then try again.</p>")
        .Line("<p><a href=\"/\">Try again</a> or <a href=\"/cgi-bin/tos.cgi?us=hotmail\">sign up</a>.</p>")
        .Line("</td></tr>")
        .Line("</table>");
    PageBottom(page);
    return page.Text();
}

std::string WelcomePage(const PageContext& context, const HotmailSession& session)
{
    PageWriter page(context.LineEnd);
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>HotMail - Welcome</title>")
        .Line("<meta http-equiv=\"Pragma\" content=\"no-cache\">")
        .Line("<script language=\"JavaScript\">")
        .Line("<!-- function status(text) { window.status = text; return true; } -->")
        .Line("</script>")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\">")
        .Line("<table border=0 cellpadding=4 cellspacing=0 width=508>")
        .Line("<tr><td><font size=4><b>Welcome to HotMail, " + HtmlEscape(session.User) + "</b></font></td></tr>")
        .Line("<tr><td><a href=\"" + InboxLink(session) +
              "\" onmouseover=\"return status('Go to your In-Box')\">Enter your In-Box</a></td></tr>")
        .Line("</table>");
    PageBottom(page);
    return page.Text();
}

std::string FolderPage(const PageContext& context, const SimMailbox& mailbox, const HotmailSession& session)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Folders");
    Banner(page, "<a href=\"" + HtmlEscape(InboxLink(session)) + "\">In-Box</a>");
    page.Line("<table border=0 cellpadding=2 cellspacing=0 width=508>")
        .Line("<tr bgcolor=\"#c0c0c0\"><td><b>Folder</b></td><td align=right><b>Messages</b></td><td "
              "align=right><b>Size</b></td></tr>");
    size_t messages = 0;
    size_t bytes = 0;
    for (const SimFolder& folder : mailbox.Folders()) {
        messages += folder.Mails.size();
        bytes += folder.TotalSize();
        page.Line("<tr bgcolor=\"#eeeecc\">")
            .Line("<td><a href=\"/cgi-bin/HoTMaiL?" + SessionParameters(session) + "&curmbox=" + folder.Id +
                  "&_lang=\">" + HtmlEscape(folder.Name) + "</a></td><td align=right>" +
                  std::to_string(folder.Mails.size()) + "</td><td align=right>" + SizeInKilobytes(folder.TotalSize()) +
                  "</td>")
            .Line("</tr>");
    }
    page.Line("<tr><td><b>Total</b></td><td align=right><b>" + std::to_string(messages) +
              "</b></td><td align=right><b>" + SizeInKilobytes(bytes) + "</b></td></tr>")
        .Line("</table>")
        .Line("<form method=\"POST\" action=\"/cgi-bin/folders\">New folder: <input type=\"text\" name=\"newfolder\"> "
              "<input type=\"submit\" value=\"Create\"></form>");
    PageBottom(page);
    return page.Text();
}

std::string ListingPage(const PageContext& context, const SimAccount& account, const SimFolder& folder,
                        const HotmailSession& session, size_t pageNumber, size_t pageSize)
{
    std::vector<const SimMail*> mails = folder.NewestFirst();
    size_t pages = mails.empty() ? 1 : (mails.size() + pageSize - 1) / pageSize;
    pageNumber = std::min(std::max<size_t>(pageNumber, 1), pages);

    PageWriter page(context.LineEnd);
    PageTop(page, folder.Name);
    Banner(page, "<a href=\"" + HtmlEscape(InboxLink(session)) + "\">In-Box</a> | <a href=\"/cgi-bin/compose?" +
                     HtmlEscape(SessionParameters(session)) + "\">Compose</a>");
    page.Line(AccountBar(account.Address, HtmlEscape(folder.Name) + ": " + std::to_string(mails.size()) +
                                              " messages, " + std::to_string(folder.UnreadCount()) + " new"))
        .Line("<form name=\"hotmail\" method=\"POST\" action=\"/cgi-bin/HoTMaiL\">")
        .Line("<table border=0 cellpadding=1 cellspacing=0 width=508>")
        .Line("<tr bgcolor=\"#c0c0c0\"><td>&nbsp;</td><td>&nbsp;</td><td><b>From</b></td><td><b>Date</b></td><td><b>"
              "Subject</b></td><td><b>Size</b></td></tr>");
    if (mails.empty())
        page.Line("<tr><td colspan=6 align=center>There are no messages in this folder.</td></tr>");
    size_t first = (pageNumber - 1) * pageSize;
    for (size_t i = first; i < mails.size() && i < first + pageSize; ++i) {
        const SimMail& mail = *mails[i];
        std::string icon =
            mail.Read ? "<td>&nbsp;</td>" : "<td><img src=\"/images/newmail.gif\" width=14 height=10 alt=\"New\"></td>";
        std::string subject = mail.Subject.empty() ? "(no subject)" : mail.Subject;
        page.Line("<tr bgcolor=\"#eeeecc\"><td><input type=\"checkbox\" name=\"" + HotmailModel::MessageId(mail) +
                  "\"></td>" + icon + "<td>&nbsp;" + HtmlEscape(mail.SenderShown()) + "&nbsp;</td><td>&nbsp;" +
                  ListDate(mail.Date) + "&nbsp;</td><td>&nbsp;<a href=\"" + MailLink(mail, folder, session) + "\">" +
                  HtmlEscape(subject) + "</a>&nbsp;</td><td>&nbsp;" + SizeInKilobytes(mail.Size()) +
                  "&nbsp;</td></tr>");
    }
    page.Line("</table>").Line("<table border=0 cellpadding=2 cellspacing=0 width=508><tr>");
    if (pageNumber > 1)
        page.Line("<td align=left><a href=\"" + ListingLink(folder, session, pageNumber - 1) +
                  "\">Previous Page</a></td>");
    if (pageNumber < pages)
        page.Line("<td align=right><a href=\"" + ListingLink(folder, session, pageNumber + 1) +
                  "\">Next Page</a></td>");
    page.Line("</tr></table>")
        .Line("<input type=\"hidden\" name=\"curmbox\" value=\"" + FolderParameter(folder) + "\">")
        .Line("Move to: <select name=\"tobox\"><option value=\"trAsH\">Trash Can</option></select> <input "
              "type=\"submit\" name=\"Move To\" value=\"Move To\">")
        .Line("</form>")
        .Line("<p><font size=1>Page " + std::to_string(pageNumber) + " of " + std::to_string(pages) + "</font></p>");
    PageBottom(page);
    return page.Text();
}

std::string MailPage(const PageContext& context, const SimMail& mail, const SimFolder& folder,
                     const HotmailSession& session)
{
    const std::string id = HotmailModel::MessageId(mail);
    PageWriter page(context.LineEnd);
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>HotMail - " + HtmlEscape(mail.Subject) + "</title>")
        .Line("<SCRIPT LANGUAGE=\"JavaScript\">")
        .Line("<!--")
        .Line("function ConfirmMove() { return confirm(\"Move this message to the Trash Can?\"); }")
        .Line("// -->")
        .Line("</SCRIPT>")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\">");
    page.Line(AccountBar(session.User + "@" + HotmailModel::kMailDomain, HtmlEscape(folder.Name)))
        .Line("<table border=0 cellpadding=2 cellspacing=0 width=508><tr><td>")
        .Line("<a href=\"/cgi-bin/compose?" + HtmlEscape(SessionParameters(session)) + "&reply=" + id +
              "\">Reply</a> | <a href=\"/cgi-bin/compose?" + HtmlEscape(SessionParameters(session)) + "&forward=" + id +
              "\">Forward</a> | <a href=\"" + HtmlEscape(InboxLink(session)) + "\">In-Box</a>")
        .Line("</td></tr></table>")
        .Line("<table border=0 cellpadding=2 cellspacing=0 width=508><tr><td>")
        .Line("<table border=0 cellpadding=0 cellspacing=0 width=\"100%\"><tr><td><pre>");

    std::string sender = mail.FromName.empty()
                             ? HtmlEscape(mail.FromAddress)
                             : HtmlEscape(mail.FromName) + " &lt;" + HtmlEscape(mail.FromAddress) + "&gt;";
    page.Line("From: " + sender).Line("To: " + HtmlEscape(mail.To));
    if (!mail.Cc.empty())
        page.Line("CC: " + HtmlEscape(mail.Cc));
    page.Line("Date: " + HeaderDate(mail.Date))
        .Line("<b>Subject:" + HtmlEscape(mail.Subject) + "</b>")
        .Line("</pre></td></tr></table>");

    if (mail.Html) {
        page.Line("</td></tr></table>")
            .Line("<SCRIPT LANGUAGE=\"JavaScript\">")
            .Line("<!--")
            .Line("if (top.frames.length != 0) top.location = self.location;")
            .Line("// -->")
            .Line("</SCRIPT>");
        for (const std::string& line : SplitLines(mail.Body))
            page.Line(line);
        page.Line("<table border=0 cellpadding=0 cellspacing=1 width=508>");
        AttachmentLine(page, "<tr><td>", context, mail, session);
        page.Line("</table>");
    } else {
        page.Line("</td></tr><tr><td>").Line("<pre><tt>");
        for (const std::string& line : SplitLines(mail.Body))
            page.Line(HtmlEscape(line));
        page.Line("</tt></pre>")
            .Line("<input type=\"hidden\" name=\"msg\" value=\"" + id + "\">")
            .Line("</td></tr><tr><td>");
        if (mail.Attachments.empty())
            page.Line("&nbsp;</td></tr>");
        else
            AttachmentLine(page, "", context, mail, session);
        page.Line("</table>")
            .Line("<table border=0 cellpadding=0 cellspacing=1 width=508>")
            .Line("<tr><td align=center><font size=1>Get your free e-mail at HotMail</font></td></tr>")
            .Line("</table>");
    }
    PageBottom(page);
    return page.Text();
}

std::string ComposePage(const PageContext& context, const HotmailSession& session, const std::string& headerId)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Compose");
    page.Line("<form name=\"search\" method=\"GET\" action=\"" + context.WebBase() +
              "/cgi-bin/search\">Find a member: <input type=\"text\" name=\"q\"></form>")
        .Line("<form name=\"composeform\" method=\"POST\" enctype=\"application/x-www-form-urlencoded\" action=\"" +
              context.WebBase() + "/cgi-bin/premail\">")
        .Line("<input type=\"hidden\" name=\"disk\" value=\"" + HtmlEscape(session.Disk) + "\">")
        .Line("<input type=\"hidden\" name=\"login\" value=\"" + HtmlEscape(session.User) + "\">")
        .Line("<input type=\"hidden\" name=\"f\" value=\"" + HtmlEscape(session.FormF) + "\">")
        .Line("<input type=\"hidden\" name=\"curmbox\" value=\"ACTIVE\">")
        .Line("<input type=\"hidden\" name=\"msghdrid\" value=\"" + headerId + "\">")
        .Line("<table border=0 cellpadding=2 cellspacing=0 width=508>")
        .Line("<tr><td>To:</td><td><input type=\"text\" name=\"to\" size=50></td></tr>")
        .Line("<tr><td>Subject:</td><td><input type=\"text\" name=\"subject\" size=50></td></tr>")
        .Line("<tr><td>Cc:</td><td><input type=\"text\" name=\"cc\" size=50></td></tr>")
        .Line("<tr><td>Bcc:</td><td><input type=\"text\" name=\"bcc\" size=50></td></tr>")
        .Line("<tr><td colspan=2><textarea name=\"body\" rows=15 cols=60 wrap=hard></textarea></td></tr>")
        .Line("<tr><td colspan=2><input type=\"checkbox\" name=\"outgoing\" checked> Save a copy in Sent "
              "Messages</td></tr>")
        .Line("</table>")
        .Line("<input type=\"submit\" name=\"Send\" value=\"Send\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string AddressPickerPage(const PageContext& context, const std::vector<SimContact>& contacts)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Address Book");
    page.Line("<form name=\"addrform\">")
        .Line("<table border=0 cellpadding=2 cellspacing=0 width=400>")
        .Line("<tr bgcolor=\"#c0c0c0\"><td>&nbsp;</td><td><b>Nickname</b></td><td><b>Name</b></td></tr>");
    for (const SimContact& contact : contacts)
        page.Line("<tr><td><input type=\"checkbox\" name=\"to\" value=\"" + HtmlEscape(contact.Address) +
                  "\"></td><td><b>" + HtmlEscape(contact.Alias) + "</b></td><td>" + HtmlEscape(contact.FullName) +
                  "</td></tr>");
    if (contacts.empty())
        page.Line("<tr><td colspan=3>Your address book is empty.</td></tr>");
    page.Line("</table>").Line("<input type=\"button\" value=\"OK\" onclick=\"window.close()\">").Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string NoticePage(const PageContext& context, const std::string& title, const std::string& text)
{
    PageWriter page(context.LineEnd);
    PageTop(page, title);
    Banner(page, HtmlEscape(title));
    page.Line("<p>" + HtmlEscape(text) + "</p>").Line("<p><a href=\"/\">HotMail home</a></p>");
    PageBottom(page);
    return page.Text();
}

} // namespace korvalin::websim::hotmail
