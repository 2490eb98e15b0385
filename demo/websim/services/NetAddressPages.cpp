#include "NetAddressPages.h"

#include "AccountServiceModel.h"
#include "NetAddressModel.h"
#include "PageText.h"

namespace korvalin::websim::netaddress {
namespace {

constexpr const char *kCell = "<font face=\"Arial, Helvetica\" size=\"-1\">";
constexpr const char *kBookCell = "<font face=\"Arial, Helvetica, Condensed\" size=\"-1\">";

void PageTop(PageWriter &page, const std::string &title)
{
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>NetAddress - " + HtmlEscape(title) + "</title>")
        .Line("<meta http-equiv=\"Pragma\" content=\"no-cache\">")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\" link=\"#003366\" vlink=\"#003366\">")
        .Line("<table width=\"600\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td><img "
              "src=\"/img/logo.gif\" width=\"180\" height=\"44\" alt=\"NetAddress\"></td></tr></table>");
}

void PageBottom(PageWriter &page)
{
    page.Line("<p><font size=\"1\">Your address for life. &copy; NetAddress simulator.</font></p>")
        .Line("</body>")
        .Line("</html>");
}

void NavigationBar(PageWriter &page, const std::string &mailboxId)
{
    page.Line("<table width=\"600\" border=\"0\" cellspacing=\"0\" cellpadding=\"2\" bgcolor=\"#003366\"><tr>")
        .Line("<td><a class=\"nav\" href=\"/tpl/Mail/" + mailboxId +
              "/List\"><font color=\"#ffffff\">Mail</font></a></td>")
        .Line("<td><a href=\"/tpl/Rules/" + mailboxId + "/Folders\"><font color=\"#ffffff\">Folders</font></a></td>")
        .Line("<td><a href=\"/tpl/AddrBook/" + mailboxId +
              "/List?PopUp=No\"><font color=\"#ffffff\">Address Book</font></a></td>")
        .Line("</tr></table>");
}

// "&quot;Ann Smith&quot; &lt;ann&#064;example.org&gt;" as the listing
// shows a sender, or the bare address.
std::string ListedSender(const SimMail &mail)
{
    std::string address = HtmlEscape(mail.FromAddress);
    size_t at = address.find('@');
    if (at != std::string::npos)
        address.replace(at, 1, "&#064;");
    if (mail.FromName.empty())
        return address;
    return "&quot;" + HtmlEscape(mail.FromName) + "&quot; &lt;" + address + "&gt;";
}

std::string HeaderSender(const SimMail &mail)
{
    if (mail.FromName.empty())
        return HtmlEscape(mail.FromAddress);
    return "&quot;" + HtmlEscape(mail.FromName) + "&quot; &lt;" + HtmlEscape(mail.FromAddress) + "&gt;";
}

// One listing row: the values stand 9, 12, 17, 22 and 26 lines below the icon.
void MailRow(PageWriter &page, const SimMail &mail, const SimFolder &folder)
{
    const std::string id = NetAddressModel::MessageId(mail);
    const std::string subject = mail.Subject.empty() ? "(no subject)" : mail.Subject;
    page.Line(std::string("<tr bgcolor=\"#ffffff\"><td width=\"18\"><img alt=\"mail\" src=\"/img/") +
              (mail.Read ? "mail_normal_read" : "mail_normal_new") +
              ".gif\" width=\"16\" height=\"12\" border=\"0\"></td>")
        .Line("<td width=\"18\">")
        .Line("<input type=\"checkbox\" name=\"Q\" value=\"" + id + ":" + folder.Id + "\">")
        .Line("</td>")
        .Line("<td nowrap>")
        .Line(kCell)
        .Line(mail.Read ? "<span class=\"read\">" : "<span class=\"unread\">")
        .Line("<!-- open the message in this window -->")
        .Line("<a name=\"" + id + "\"></a>")
        .Line("<a href=\"javascript:ReadMessage('" + id + "','" + folder.Id +
              "')\" onMouseOver=\"window.status='Read this message'; return true\">") // +9
        .Line("<!-- sender -->")
        .Line("")
        .Line("      " + ListedSender(mail) + "</a>") // +12
        .Line("</span>")
        .Line("</font>")
        .Line("</td>")
        .Line("<td nowrap>")
        .Line(std::string(kCell) + FormatUtc(mail.Date, "%m/%d/%y %H:%M") + "&nbsp;GMT</font>") // +17
        .Line("</td>")
        .Line("<td>")
        .Line("<!-- subject -->")
        .Line("")
        .Line(std::string(kCell) + "&nbsp;" + HtmlEscape(subject) + "</font>") // +22
        .Line("</td>")
        .Line("<td align=\"right\">")
        .Line("<!-- size -->")
        .Line(std::string(kCell) + "&nbsp; " + SizeInKilobytes(mail.Size()) + "</font>") // +26
        .Line("</td>")
        .Line("</tr>");
}

void AttachmentLinks(PageWriter &page, const SimMail &mail, const std::string &mailboxId)
{
    if (mail.Attachments.empty())
        return;
    page.Line("<hr size=\"1\"><font size=\"-1\"><b>Attachments:</b></font><br>");
    for (size_t i = 0; i < mail.Attachments.size(); ++i) {
        const SimAttachment &attachment = mail.Attachments[i];
        page.Line("<A HREF=\"/tpl/Message/" + mailboxId + "/Attachment/" + NetAddressModel::MessageId(mail) + "/" +
                  std::to_string(i) + "/" + UrlEncode(attachment.FileName) + "\" TARGET=\"_blank\">" +
                  HtmlEscape(attachment.FileName) + "</A> (" + SizeInKilobytes(attachment.Content.size()) + ")<br>");
    }
}

} // namespace

std::string HomePage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign In");
    page.Line("<form name=\"Login\" method=\"POST\" action=\"/tpl/Door/LoginPost\">")
        .Line("<input type=\"hidden\" name=\"LoginState\" value=\"2\">")
        .Line("User ID: <input type=\"text\" name=\"UserID\" size=\"16\"><br>")
        .Line("Password: <input type=\"password\" name=\"passwd\" size=\"16\"><br>")
        .Line("<input type=\"submit\" value=\"Sign In\">")
        .Line("</form>")
        .Line("<p>No account yet? <a href=\"/tpl/Subscribe/Step1?AdInfo=&amp;Referer=\">Sign up here</a>.</p>");
    PageBottom(page);
    return page.Text();
}

std::string SignUpPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign Up, Step 1");
    page.Line("<h2>Get your address for life</h2>")
        .Line("<p>This is a simulated service: accounts are made by the simulator, not here.</p>")
        .Line("<p><a href=\"/\">Back to sign in</a></p>");
    PageBottom(page);
    return page.Text();
}

std::string LoginRefusedPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign In Failed");
    page.Line("<p><font color=\"#cc0000\"><b>The User ID or password you entered is not correct.</b></font></p>")
        .Line("<p>Please check them and try again.</p>")
        .Line("<form name=\"Login\" method=\"POST\" action=\"/tpl/Door/LoginPost\">")
        .Line("User ID: <input type=\"text\" name=\"UserID\" size=\"16\"><br>")
        .Line("Password: <input type=\"password\" name=\"passwd\" size=\"16\"><br>")
        .Line("<input type=\"submit\" value=\"Sign In\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string WelcomePage(const PageContext &context, const std::string &user, const std::string &mailboxId)
{
    const std::string welcome = "/tpl/Door/" + mailboxId + "/Welcome";
    PageWriter page(context.LineEnd);
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>NetAddress - Welcome</title>")
        .Line("<meta http-equiv=\"Refresh\" content=\"0; URL=" + welcome + "\">")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\">")
        .Line("<p>Welcome back, " + HtmlEscape(user) + ".</p>")
        .Line("<p>If your mail does not appear, <a href=\"" + welcome + "\">click here</a>.</p>");
    PageBottom(page);
    return page.Text();
}

std::string FolderPage(const PageContext &context, const SimMailbox &mailbox, const std::string &mailboxId)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Folders");
    NavigationBar(page, mailboxId);
    page.Line("<table width=\"600\" border=\"0\" cellspacing=\"0\" cellpadding=\"2\">")
        .Line("<tr bgcolor=\"#cccccc\"><td><b>Folder</b></td><td align=\"right\"><b>Messages</b></td><td "
              "align=\"right\"><b>Unread</b></td></tr>");
    for (const SimFolder &folder : mailbox.Folders()) {
        page.Line("<tr>")
            .Line("<td>")
            .Line("<a href=\"/tpl/Mail/" + mailboxId + "/List?FolderID=" + folder.Id + "\">") // the link
            .Line("<img src=\"/img/folder.gif\" width=\"16\" height=\"14\" border=\"0\">")
            .Line("&nbsp;")
            .Line("  " + HtmlEscape(folder.Name) + "</a>  ") // three lines below
            .Line("</td>")
            .Line("<td align=\"right\">" + std::to_string(folder.Mails.size()) + "</td>")
            .Line("<td align=\"right\">" + std::to_string(folder.UnreadCount()) + "</td>")
            .Line("</tr>");
    }
    page.Line("</table>")
        .Line("<form name=\"Create\" method=\"POST\" action=\"/tpl/Rules/" + mailboxId + "/Folders\">")
        .Line("New folder: <input type=\"text\" name=\"FolderName\" size=\"20\"> <input type=\"submit\" "
              "value=\"Create\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string ListingPage(const PageContext &context, const SimAccount &account, const SimFolder &folder,
                        const std::string &mailboxId)
{
    std::vector<const SimMail *> mails = folder.NewestFirst();
    PageWriter page(context.LineEnd);
    PageTop(page, folder.Name);
    NavigationBar(page, mailboxId);
    page.Line("<p><font size=\"-1\">" + HtmlEscape(account.Address) + ": " + HtmlEscape(folder.Name) + ", " +
              std::to_string(mails.size()) + " messages, " + std::to_string(folder.UnreadCount()) +
              " unread</font></p>")
        .Line("<form name=\"MultiOp\" method=\"POST\" action=\"/tpl/Mail/" + mailboxId + "/MultiOp\">")
        .Line("<table width=\"600\" border=\"0\" cellspacing=\"0\" cellpadding=\"1\">")
        .Line("<tr bgcolor=\"#cccccc\"><td>&nbsp;</td><td>&nbsp;</td><td><b>From</b></td><td><b>Date</b></td>"
              "<td><b>Subject</b></td><td><b>Size</b></td></tr>");
    if (mails.empty())
        page.Line("<tr><td colspan=\"6\" align=\"center\">This folder is empty.</td></tr>");
    for (const SimMail *mail : mails)
        MailRow(page, *mail, folder);
    page.Line("<tr><td colspan=\"6\"><a href=\"javascript:SelectAll()\">Select all displayed</a></td></tr>")
        .Line("</table>")
        .Line("<input type=\"hidden\" name=\"SrchMsgTotal\" value=\"" + std::to_string(mails.size()) + "\">")
        .Line("<select name=\"DestFolder\"><option value=\"MoveTo--1\">Deleted Mail</option></select>")
        .Line("<input type=\"submit\" value=\"Move\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder,
                     const std::string &mailboxId)
{
    PageWriter page(context.LineEnd);
    PageTop(page, mail.Subject);
    NavigationBar(page, mailboxId);
    page.Line("<table width=\"600\" border=\"0\" cellspacing=\"0\" cellpadding=\"2\">")
        .Line("<!-- from and to-->")
        .Line("<tr>")
        .Line("<td width=\"80\" valign=\"top\">")
        .Line(std::string(kCell) + "<b>From:</b></font>")
        .Line("</td>")
        .Line("<td valign=\"top\">")
        .Line(kCell)
        .Line("<a href=\"/tpl/AddrBook/" + mailboxId + "/Individual?EmailAddress=" + UrlEncode(mail.FromAddress) +
              "\" title=\"Add to address book\">")
        .Line("<img src=\"/img/addr_add.gif\" width=\"12\" height=\"12\" border=\"0\"></a>")
        .Line("<!-- sender -->")
        .Line("\t  " + HeaderSender(mail) + "  ") // 10 lines below the marker
        .Line("</font>")
        .Line("</td>")
        .Line("</tr>")
        .Line("<tr>")
        .Line("<td width=\"80\" valign=\"top\">")
        .Line(std::string(kCell) + "<b>Date:</b></font>")
        .Line("</td>")
        .Line("<td valign=\"top\">")
        .Line(std::string(kCell) + FormatUtc(mail.Date, "%a, %d %b %Y %H:%M:%S GMT") + "</font>")
        .Line("</td>")
        .Line("</tr>")
        .Line("<tr>")
        .Line("<td width=\"80\" valign=\"top\">")
        .Line(std::string(kCell) + "<b>To:</b></font>")
        .Line("</td>")
        .Line("<td valign=\"top\">")
        .Line(kCell)
        .Line("<!-- recipients -->")
        .Line("  " + HtmlEscape(mail.To)) // 29 lines below the marker
        .Line("</font>")
        .Line("</td>")
        .Line("</tr>");
    if (!mail.Cc.empty()) {
        page.Line("<tr>")
            .Line("<td width=\"80\" valign=\"top\"><b>Cc:</b></td>")
            .Line("<td valign=\"top\">")
            .Line(kCell)
            .Line("<!-- copies -->")
            .Line("&nbsp;")
            .Line("  " + HtmlEscape(mail.Cc) + " ") // 5 lines below the marker
            .Line("</font>")
            .Line("</td>")
            .Line("</tr>");
    }
    page.Line("<tr>")
        .Line("<td width=\"80\" valign=\"top\"><b>Subject:</b></td>")
        .Line("<td valign=\"top\">")
        .Line(kCell)
        .Line("<!-- subject -->")
        .Line("<b>")
        .Line("  " + HtmlEscape(mail.Subject)) // 5 lines below the marker
        .Line("</b>")
        .Line("</font>")
        .Line("</td>")
        .Line("</tr>")
        .Line("</table>")
        .Line("<hr size=\"1\">")
        .Line("<!-- Data -->");
    if (mail.Html) {
        for (const std::string &line : SplitLines(mail.Body))
            page.Line(line);
    } else {
        page.Line("<tt><pre>");
        for (const std::string &line : SplitLines(mail.Body))
            page.Line(HtmlEscape(line));
        page.Line("</pre></tt>");
    }
    AttachmentLinks(page, mail, mailboxId);
    page.Line("<form name=\"Transfer2\" method=\"POST\" action=\"/tpl/Mail/" + mailboxId + "/MultiOp\">")
        .Line("<input type=\"hidden\" name=\"Q\" value=\"" + NetAddressModel::MessageId(mail) + ":" + folder.Id + "\">")
        .Line("<select name=\"DestFolder\"><option value=\"MoveTo--1\">Deleted Mail</option></select>")
        .Line("<input type=\"submit\" value=\"Move\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string AddressBookPage(const PageContext &context, const std::vector<SimContact> &contacts,
                            const std::string &mailboxId)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Address Book");
    NavigationBar(page, mailboxId);
    page.Line("<table width=\"600\" border=\"0\" cellspacing=\"0\" cellpadding=\"2\">")
        .Line("<tr bgcolor=\"#cccccc\"><td><b>Address</b></td><td><b>Name</b></td></tr>");
    for (const SimContact &contact : contacts) {
        page.Line("<tr>")
            .Line("<td>" + std::string(kBookCell) + HtmlEscape(contact.Address) + "&nbsp;</font></td>") // address
            .Line("<td>")
            .Line("<!-- full name: " + HtmlEscape(contact.FullName) + " -->")
            .Line("</td>")
            .Line("</tr>")
            .Line("<tr>")
            .Line("<td>&nbsp;</td>")
            .Line("<td>")
            .Line("<td>" + std::string(kBookCell) + "&nbsp;" + HtmlEscape(contact.Alias) + "</font></td>") // name
            .Line("</tr>");
    }
    if (contacts.empty())
        page.Line("<tr><td colspan=\"2\">Your address book is empty.</td></tr>");
    page.Line("</table>")
        .Line("<form name=\"Book\" method=\"GET\" action=\"/tpl/AddrBook/" + mailboxId + "/Individual\">")
        .Line("<input type=\"button\" value=\"New\" onClick=\"this.form.submit()\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text)
{
    PageWriter page(context.LineEnd);
    PageTop(page, title);
    page.Line("<h3>" + HtmlEscape(title) + "</h3>").Line("<p>" + HtmlEscape(text) + "</p>");
    PageBottom(page);
    return page.Text();
}

} // namespace korvalin::websim::netaddress
