#include "YahooPages.h"

#include "PageText.h"

namespace korvalin::websim::yahoo {
namespace {

using mailsite::OneLine;

std::string Escaped(const std::string &text)
{
    return HtmlEscape(OneLine(text));
}

void PageTop(PageWriter &page, const std::string &title)
{
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>Yahoo Mail - " + Escaped(title) + "</title>")
        .Line("<meta http-equiv=\"Pragma\" content=\"no-cache\">")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\" link=\"#0000cc\" vlink=\"#0000cc\">");
}

void PageBottom(PageWriter &page)
{
    page.Line("<hr size=1 noshade><center><font size=-2>Copyright &copy; Yahoo Mail simulator. All rights "
              "reserved.</font></center>")
        .Line("</body>")
        .Line("</html>");
}

// The bar of links on top of every member page. The Check Mail link ends
// with the session key, as the address page's quick-entry form expects.
void NavigationBar(PageWriter &page, const std::string &key)
{
    page.Line("<table border=0 cellpadding=2 cellspacing=0 width=\"100%\"><tr bgcolor=\"#dcdcdc\"><td><font size=-1>"
              "<a href=\"" +
              CheckMailLink(key) + "\">Check Mail</a> | <a href=\"/ym/Compose?YY=" + key +
              "\">Compose</a> | <a href=\"/ym/Folders?YY=" + key + "\">Folders</a> | <a href=\"/yab/us?v=YM&YY=" + key +
              "\">Addresses</a></font></td></tr></table>");
}

std::string BoxParameter(const SimFolder &folder)
{
    return "box=" + UrlEncode(folder.Id);
}

std::string HeaderDate(std::time_t when)
{
    return mailsite::FormatUtc(when, "%a, %d %b %Y %H:%M:%S +0000");
}

void MailRow(PageWriter &page, const SimMail &mail, const SimFolder &folder, const std::string &key, bool grey)
{
    const std::string subject = Escaped(mail.Subject.empty() ? "(no subject)" : mail.Subject);
    const std::string link = MailLink(mail, folder, key);
    page.Line(std::string("<tr valign=middle bgcolor=\"") + (grey ? "#eeeeee" : "#ffffff") + "\">")
        .Line("<td width=1%><input type=checkbox name=message value=\"" + YahooModel::MessageId(mail) + "\"></td>")
        .Line(mail.Attachments.empty() ? "<td width=1%>&nbsp;</td>"
                                       : "<td width=1%><img src=\"/i/us/pim/clip.gif\" alt=\"Attachment\"></td>")
        .Line("<td><font size=-1>")
        .Line(Escaped(mail.SenderShown()))
        .Line("</font></td>")
        .Line("<td nowrap>")
        .Line("<font size=-1>")
        .Line(mailsite::FormatUtc(mail.Date, "%m/%d/%Y"))
        .Line("</font></td>")
        .Line("<td nowrap align=right><font size=-1>")
        .Line(SizeInKilobytes(mail.Size()) +
              (mail.Attachments.empty() ? "&nbsp;" : "<img src=\"/i/us/pim/clip.gif\" width=8 height=8>"))
        .Line("</font></td>")
        .Line("<td><font size=-1>")
        .Line(mail.Read ? "<a href=\"" + link + "\">" + subject + "</b></a></font></td></tr>"
                        : "<a href=\"" + link + "\"><b>" + subject + "</b></a></font></td></tr>");
}

} // namespace

std::string CheckMailLink(const std::string &key)
{
    return "/ym/ShowFolder?box=Inbox&YY=" + key;
}

std::string ListingLink(const SimFolder &folder, const std::string &key, size_t page)
{
    return "/ym/ShowFolder?" + BoxParameter(folder) + "&Npos=" + std::to_string(page) + "&YY=" + key;
}

std::string MailLink(const SimMail &mail, const SimFolder &folder, const std::string &key)
{
    return "/ym/ShowLetter?" + BoxParameter(folder) + "&message=" + YahooModel::MessageId(mail) +
           "&sort=date&order=down&YY=" + key;
}

std::string LoginPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign In");
    page.Line("<center><h2>Sign in to Yahoo Mail</h2></center>")
        .Line("<form method=post action=\"" + context.LoginBase() + "/config/login\">")
        .Line("<input type=hidden name=\".tries\" value=\"1\"><input type=hidden name=\".src\" value=\"ym\">")
        .Line("<table><tr><td>Yahoo! ID:</td><td><input name=login size=17></td></tr>")
        .Line("<tr><td>Password:</td><td><input name=passwd type=password size=17></td></tr></table>")
        .Line("<input type=checkbox name=\".persistent\" value=\"Y\"> Remember my ID")
        .Line("<input type=submit value=\"Sign In\">")
        .Line("</form>")
        .Line("<p>New here? <a href=\"" + context.MailBase() + "/config/eval_register?new=1\">Sign up now</a>.</p>");
    PageBottom(page);
    return page.Text();
}

std::string LoginRefusedPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>Yahoo Mail - Sign In</title>")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\">")
        .Line("<font color=\"#cc0000\"><b>Invalid Password</b></font> <a href=\"/config/forgot\">Forget your "
              "password?</a>") // the sixth line
        .Line("<p>The password you entered does not match the ID. Please try again.</p>")
        .Line("<form method=post action=\"" + context.LoginBase() + "/config/login\">")
        .Line("<input name=login size=17> <input name=passwd type=password size=17> <input type=submit "
              "value=\"Sign In\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string WelcomePage(const PageContext &context, const SimAccount &account)
{
    size_t unread = 0;
    for (const SimFolder &folder : account.Mailbox.Folders())
        if (folder.Role == FolderRole::Inbox)
            unread = folder.UnreadCount();
    PageWriter page(context.LineEnd);
    PageTop(page, Escaped(account.Address)); // six lines
    page.Line("<table width=\"100%\"><tr><td><font size=+1><b>Welcome, " + Escaped(account.User) +
              "</b></font></td></tr></table>")
        .Line("<a href=\"" + CheckMailLink(context.Key) + "\">Check Mail</a>")
        .Line("<a href=\"/ym/Compose?YY=" + context.Key + "\">Compose</a>")
        .Line("<a href=\"/ym/Folders?YY=" + context.Key + "\">Folders</a>")
        .Line("<a href=\"/yab/us?v=YM&YY=" + context.Key + "\">Addresses</a>")
        .Line("<p>You have " + std::to_string(unread) +
              " unread messages in your Inbox. Your personal settings are found under the Options menu. <a href=\"" +
              context.MailBase() + "/py/options.py?YY=" + context.Key + "\">Options</a></p>");
    PageBottom(page);
    return page.Text();
}

std::string SignUpPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign Up");
    page.Line("<h2>Sign up for Yahoo Mail</h2>")
        .Line("<p>This is a simulated service: accounts are made by the simulator, not here.</p>");
    PageBottom(page);
    return page.Text();
}

std::string FolderPage(const PageContext &context, const SimMailbox &mailbox)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Folders");
    NavigationBar(page, context.Key);
    page.Line("<table border=0 cellpadding=2 cellspacing=1 width=\"100%\">")
        .Line("<tr bgcolor=\"#dcdcdc\"><td><b>Folder</b></td><td align=right><b>Messages</b></td><td "
              "align=right><b>Unread</b></td></tr>");
    for (const SimFolder &folder : mailbox.Folders())
        page.Line("<tr><td><b><a href=\"/ym/ShowFolder?" + BoxParameter(folder) + "&YY=" + context.Key + "\">" +
                  Escaped(folder.Name) + "</a></b></td><td align=right>" + std::to_string(folder.Mails.size()) +
                  "</td><td align=right>" + std::to_string(folder.UnreadCount()) + "</td></tr>");
    page.Line("</table>")
        .Line(" <form method=post action=\"/ym/Folders?YY=" + context.Key + "\">")
        .Line("New folder: <input type=text name=newfolder size=20> <input type=submit name=ACT value=\"Create\">")
        .Line("</form>")
        .Line("<p><b><a href=\"/ym/ShowFolder?box=Trash&ET=1&YY=" + context.Key + "\">Empty Trash</a></b></p>");
    PageBottom(page);
    return page.Text();
}

std::string ListingPage(const PageContext &context, const SimAccount &account, const SimFolder &folder,
                        size_t pageNumber, size_t pageSize)
{
    std::vector<const SimMail *> mails = folder.NewestFirst();
    const size_t pages = mails.empty() ? 1 : (mails.size() + pageSize - 1) / pageSize;
    pageNumber = std::min(pageNumber, pages - 1);

    PageWriter page(context.LineEnd);
    PageTop(page, folder.Name);
    NavigationBar(page, context.Key);
    page.Line("<table width=\"100%\"><tr><td><b>" + Escaped(folder.Name) + "</b> (" + std::to_string(mails.size()) +
              " messages, " + std::to_string(folder.UnreadCount()) + " unread) for " + Escaped(account.Address) +
              "</td></tr></table>");
    std::string previous = pageNumber > 0
                               ? "<a href=\"" + ListingLink(folder, context.Key, pageNumber - 1) + "\">Previous</a>"
                               : std::string("Previous");
    std::string next = pageNumber + 1 < pages
                           ? "<a href=\"" + ListingLink(folder, context.Key, pageNumber + 1) + "\">Next</a>"
                           : std::string("Next");
    page.Line("<font size=-1>" + previous + " | " + next + "</font>")
        .Line("<form method=post action=\"/ym/ShowFolder?" + BoxParameter(folder) + "&YY=" + context.Key + "\">")
        .Line("<table border=0 cellpadding=1 cellspacing=0 width=\"100%\">")
        .Line("<tr bgcolor=\"#dcdcdc\"><td>&nbsp;</td><td>&nbsp;</td><td><b>Sender</b></td><td><b>Date</b></td><td "
              "align=right><b>Size</b></td><td><b>Subject</b></td></tr>");
    const size_t first = pageNumber * pageSize;
    for (size_t i = first; i < mails.size() && i < first + pageSize; ++i)
        MailRow(page, *mails[i], folder, context.Key, (i - first) % 2 == 1);
    if (mails.empty())
        page.Line("<tr><td colspan=6 align=center>This folder is empty.</td></tr>");
    page.Line("</table>")
        .Line("<input type=submit name=TRA value=\"Delete\"> <select name=destBox1><option>- Choose Folder "
              "-</option></select>")
        .Line("</form>")
        .Line("<p><a href=\"/ym/Pop?YY=" + context.Key + "\">Check External Mail</a></p>")
        .Line("<font size=-1>" + previous + " | " + next + "</font>");
    PageBottom(page);
    return page.Text();
}

std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder)
{
    const std::string id = YahooModel::MessageId(mail);
    PageWriter page(context.LineEnd);
    PageTop(page, mail.Subject);
    NavigationBar(page, context.Key);
    page.Line("<table width=\"100%\"><tr><td><a href=\"" + ListingLink(folder, context.Key, 0) + "\">Back to " +
              Escaped(folder.Name) + "</a> | <a href=\"/ym/Compose?YY=" + context.Key + "&Reply=" + id +
              "\">Reply</a></td></tr></table>")
        .Line("<table border=0 cellpadding=1 cellspacing=0>")
        .Line("<tr><td><b>From:</b></td><td valign=top> " + mailsite::EscapedSender(mail) +
              "<a href=\"/yab/us?A=da&YY=" + context.Key + "&e=" + UrlEncode(mail.FromAddress) +
              "\"><img src=\"/i/us/pim/addbook.gif\" alt=\"Add to Address Book\" border=0></a></td></tr>")
        .Line("<tr><td><b>To:</b></td><td valign=top> " + Escaped(mail.To) + "</td></tr>");
    if (!mail.Cc.empty())
        page.Line("<tr><td><b>Cc:</b></td><td valign=top> " + Escaped(mail.Cc) + "</td></tr>");
    page.Line("<tr><td><b>Date:</b></td><td valign=top> " + HeaderDate(mail.Date) + "</td></tr>")
        .Line("<tr><td><b>Subject:</b></td><td valign=top> " + Escaped(mail.Subject) + "</td></tr>")
        .Line("</table>");
    if (mail.Html) {
        page.Line("<!-- 7bit -->");
        for (const std::string &line : mailsite::SplitLines(mail.Body))
            page.Line(line);
    } else {
        page.Line("<!-- text quoted-printable -->").Line("<pre>");
        for (const std::string &line : mailsite::SplitLines(mail.Body))
            page.Line(HtmlEscape(line));
        page.Line("</pre>");
    }
    for (size_t i = 0; i < mail.Attachments.size(); ++i)
        page.Line("<p>Attachment: <a href=\"/ym/ShowLetter/" + UrlEncode(mail.Attachments[i].FileName) + "?" +
                  BoxParameter(folder) + "&message=" + id + "&bodyPart=" + std::to_string(i + 2) +
                  "&YY=" + context.Key + "\">" + Escaped(mail.Attachments[i].FileName) + "</a></p>");
    page.Line("<form method=post action=\"/ym/ShowFolder?" + BoxParameter(folder) + "&YY=" + context.Key + "\">")
        .Line("<input type=hidden name=message value=\"" + id + "\"> <input type=submit name=TRA value=\"Delete\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string ComposePage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Compose");
    NavigationBar(page, context.Key);
    page.Line("<form method=post action=\"/ym/Compose?YY=" + context.Key + "\">")
        .Line("<table border=0 cellpadding=2 cellspacing=0>")
        .Line("<tr><td>To:</td><td><input type=text name=to size=50></td></tr>")
        .Line("<tr><td>Subject:</td><td><input type=text name=subject size=50></td></tr>")
        .Line("<tr><td>Cc:</td><td><input type=text name=cc size=50></td></tr>")
        .Line("<tr><td>Bcc:</td><td><input type=text name=bcc size=50></td></tr>")
        .Line("<tr><td colspan=2><textarea name=body rows=15 cols=60 wrap=hard></textarea></td></tr>")
        .Line("<tr><td colspan=2><input type=checkbox name=saveCopy value=ON checked> Save a copy in the Sent "
              "folder</td></tr>")
        .Line("</table>")
        .Line("<input type=submit name=SND value=\"Send\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string AddressPage(const PageContext &context, const std::vector<SimContact> &contacts)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Addresses");
    NavigationBar(page, context.Key);
    page.Line("<form name=addrbook method=post action=\"/ym/Compose?YY=" + context.Key + "\">")
        .Line("<table border=0 cellpadding=1 cellspacing=0 width=\"100%\">")
        .Line("<tr bgcolor=\"#dcdcdc\"><td>&nbsp;</td><td width=\"16%\"><font size=\"-1\"><b>Name</b></font></td><td "
              "width=\"16%\"><font size=\"-1\"><b>Nickname</b></font></td><td width=\"16%\"><font "
              "size=\"-1\"><b>E-mail</b></font></td></tr>");
    for (const SimContact &contact : contacts)
        page.Line("<tr><td><input type=checkbox name=\"pto\" value=\"" + Escaped(contact.Address) +
                  "\"></td><td width=\"16%\"><font size=\"-1\">" + Escaped(contact.FullName) +
                  "</font></td><td width=\"16%\"><font size=\"-1\">" + Escaped(contact.Alias) +
                  "</font></td><td width=\"16%\"><font size=\"-1\"><a href=\"/ym/Compose?YY=" + context.Key +
                  "&To=" + UrlEncode(contact.Address) + "\">" + Escaped(contact.Address) + "</a></font></td></tr>");
    if (contacts.empty())
        page.Line("<tr><td colspan=4>Your address book is empty.</td></tr>");
    page.Line("</table>")
        .Line("<input type=submit value=\"Send to checked\">")
        .Line("</form>")
        .Line("<p>Quick entry: nickname and e-mail, then <input type=submit value=\"Quick Entry\"></p>");
    PageBottom(page);
    return page.Text();
}

std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text)
{
    PageWriter page(context.LineEnd);
    PageTop(page, title);
    page.Line("<h3>" + Escaped(title) + "</h3>").Line("<p>" + Escaped(text) + "</p>");
    PageBottom(page);
    return page.Text();
}

} // namespace korvalin::websim::yahoo
