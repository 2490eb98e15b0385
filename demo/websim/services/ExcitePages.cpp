#include "ExcitePages.h"

#include "PageText.h"

namespace korvalin::websim::excite {
namespace {

void PageTop(PageWriter &page, const std::string &title)
{
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>MailExcite: " + HtmlEscape(title) + "</title>")
        .Line("</head>")
        .Line("<body bgcolor=#ffffff link=#000099 vlink=#660099>")
        .Line("<table width=600 border=0 cellpadding=0 cellspacing=0><tr><td><img src=\"/img/mailexcite.gif\" "
              "width=200 height=40 alt=\"MailExcite\"></td></tr></table>");
}

void PageBottom(PageWriter &page)
{
    page.Line("<p><font size=-2>Free e-mail from the MailExcite simulator.</font></p>").Line("</body>").Line("</html>");
}

void NavigationBar(PageWriter &page, const std::string &key)
{
    page.Line("<table width=600 border=0 cellpadding=2 cellspacing=0 bgcolor=#cc0000><tr>")
        .Line("<td><font color=#ffffff><a href=\"/folder.dcg?x=" + key + "\">Inbox</a> | <a href=\"/folders.dcg?x=" +
              key + "\">Folders</a> | <a href=\"/address.dcg?x=" + key + "\">Address Book</a></font></td>")
        .Line("</tr></table>");
}

std::string MailLink(const SimMail &mail, const SimFolder &folder, const std::string &key, uint64_t previous,
                     uint64_t next)
{
    return "/msg.dcg?x=" + key + "&amp;fl=" + folder.Id + "&amp;uid=" + std::to_string(mail.Number) +
           "&amp;prev_ua=" + std::to_string(previous) + "&amp;next_ua=" + std::to_string(next);
}

// One listing row: the checkbox line, then one line each for the sender,
// link, date and size cells, in bold for unread mail.
void MailRow(PageWriter &page, const SimMail &mail, const SimFolder &folder, const std::string &key, uint64_t previous,
             uint64_t next)
{
    const std::string sender = HtmlEscape(mail.SenderShown());
    const std::string subject = HtmlEscape(mail.Subject.empty() ? "(no subject)" : mail.Subject);
    const std::string date = FormatUtc(mail.Date, "%m/%d/%y");
    const std::string size = SizeInKilobytes(mail.Size());
    const std::string link = "<a href=\"" + MailLink(mail, folder, key, previous, next) + "\">" + subject + "</a>";
    page.Line(mail.Read ? "<tr bgcolor=#ffffff>" : "<tr bgcolor=#ffffcc>")
        .Line("<td align=center><input type=checkbox name=uid value=" + std::to_string(mail.Number) + "></td>");
    if (mail.Read)
        page.Line("<td valign=top>&nbsp;" + sender + "&nbsp;</td>")
            .Line("<td valign=top>&nbsp;" + link + "</td>")
            .Line("<td valign=top>" + date + "&nbsp;</td>")
            .Line("<td valign=top align=right>&nbsp;" + size + "&nbsp;</td>");
    else
        page.Line("<td valign=top>&nbsp;<b>" + sender + "</b>&nbsp;</td>")
            .Line("<td valign=top>&nbsp;<b>" + link + "</b></td>")
            .Line("<td valign=top><b>" + date + "</b>&nbsp;</td>")
            .Line("<td valign=top align=right>&nbsp;<b>" + size + "</b>&nbsp;</td>");
    page.Line("</tr>");
}

std::string Sender(const SimMail &mail)
{
    if (mail.FromName.empty())
        return HtmlEscape(mail.FromAddress);
    return HtmlEscape(mail.FromName) + " &lt;" + HtmlEscape(mail.FromAddress) + "&gt;";
}

// A header row: the label, and the value two lines below it.
void HeaderRow(PageWriter &page, const std::string &label, const std::string &value)
{
    page.Line("<tr><td align=right valign=top><font size=-1><b>" + label + ":</b></font></td>")
        .Line("<td width=5>&nbsp;</td>")
        .Line("<td>" + value + "</td></tr>");
}

std::string AddToBookLink(const std::string &key, const std::string &address)
{
    return " <a href=\"/mod_address.dcg?x=" + key + "&amp;email=" + UrlEncode(address) + "\">[Add]</a>";
}

} // namespace

std::string HomePage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign In");
    page.Line("<form method=post action=\"/mps/loginreq?pname=mail&amp;targeturl=" + context.MailBase() +
              "/&amp;brand=xcit&amp;uid=\">")
        .Line("Member name: <input type=text name=acctname size=16><br>")
        .Line("Password: <input type=password name=passwd size=16><br>")
        .Line("<input type=submit value=\"Sign In\">")
        .Line("</form>")
        .Line("<p>New to MailExcite? <a href=\"/mps/new?pname=mail&amp;brand=xcit&amp;nofill=1\">Sign up</a>.</p>");
    PageBottom(page);
    return page.Text();
}

std::string SignUpPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign Up");
    page.Line("<h2>Get free e-mail</h2>")
        .Line("<p>This is a simulated service: accounts are made by the simulator, not here.</p>")
        .Line("<p><a href=\"/\">Back to sign in</a></p>");
    PageBottom(page);
    return page.Text();
}

std::string LoginRefusedPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign In Problem");
    page.Line("<p><font color=#cc0000 size=+1><b>Try Again</b></font></p>")
        .Line("<p>The member name and password you entered do not match. Please check them and sign in again.</p>")
        .Line("<p><a href=\"/\">Sign in</a></p>");
    PageBottom(page);
    return page.Text();
}

std::string FramePage(const PageContext &context, const std::string &key)
{
    PageWriter page(context.LineEnd);
    page.Line("<html>")
        .Line("<head><title>MailExcite</title></head>")
        .Line("<frameset rows=\"50,*\" border=0>")
        .Line("<frame src=\"/banner.dcg\" name=banner scrolling=no>")
        .Line("<frame src=\"folder.dcg?x=" + key + "\" name=main scrolling=auto>")
        .Line("</frameset>")
        .Line("<noframes><a href=\"folder.dcg?x=" + key + "\">Go to your Inbox</a></noframes>")
        .Line("</html>");
    return page.Text();
}

std::string FolderPage(const PageContext &context, const SimMailbox &mailbox, const std::string &key)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Folders");
    NavigationBar(page, key);
    page.Line("<form method=post action=\"/folders.dcg/action\">")
        .Line("<input type=hidden name=x value=\"" + key + "\">")
        .Line("<table width=600 border=0 cellpadding=2 cellspacing=0>")
        .Line("<tr bgcolor=#dddddd><td><b>Folder</b></td><td align=right><b>Messages</b></td><td "
              "align=right><b>Unread</b></td></tr>");
    for (const SimFolder &folder : mailbox.Folders())
        page.Line("<tr><td>&nbsp;<a href=\"folder.dcg?x=" + key + "&amp;fl=" + UrlEncode(folder.Id) + "\">" +
                  HtmlEscape(folder.Name) + "</a></td><td align=right>" + std::to_string(folder.Mails.size()) +
                  "</td><td align=right>" + std::to_string(folder.UnreadCount()) + "</td></tr>");
    page.Line("</table>")
        .Line("New folder: <input type=text name=newfolder size=20> <input type=submit name=action value=\"Create\">")
        .Line("<input type=submit name=action value=\"Delete Folder\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string ListingPage(const PageContext &context, const SimAccount &account, const SimFolder &folder,
                        const std::string &key)
{
    std::vector<const SimMail *> mails = folder.NewestFirst();
    PageWriter page(context.LineEnd);
    PageTop(page, folder.Name);
    NavigationBar(page, key);
    page.Line("<p><font size=-1>" + HtmlEscape(account.Address) + " &middot; " + HtmlEscape(folder.Name) + ": " +
              std::to_string(mails.size()) + " messages, " + std::to_string(folder.UnreadCount()) + " new</font></p>")
        .Line("<form method=post action=\"" + context.Request.BaseUrlOf(context.Hosts.FolderAction) +
              "/mail/dcg_folder.cgi/action\">")
        .Line("<input type=hidden name=fl value=\"" + HtmlEscape(folder.Id) + "\">")
        .Line("<table width=600 border=0 cellpadding=1 cellspacing=0>")
        .Line("<tr bgcolor=#dddddd><td>&nbsp;</td><td><b>From</b></td><td><b>Subject</b></td><td><b>Date</b></td>"
              "<td align=right><b>Size</b></td></tr>");
    if (mails.empty())
        page.Line("<tr><td colspan=5 align=center>No messages.</td></tr>");
    for (size_t i = 0; i < mails.size(); ++i)
        MailRow(page, *mails[i], folder, key, i > 0 ? mails[i - 1]->Number : 0,
                i + 1 < mails.size() ? mails[i + 1]->Number : 0);
    page.Line("</table>")
        .Line("<p><a href=\"/folder.dcg?x=" + key + "&amp;fl=" + UrlEncode(folder.Id) + "\">Check for new mail</a></p>")
        .Line("Move to: <select name=moveto><option>Trash</option></select> <input type=submit name=action "
              "value=\"File\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder, const std::string &key)
{
    PageWriter page(context.LineEnd);
    PageTop(page, mail.Subject);
    NavigationBar(page, key);
    page.Line("<table width=600 border=0 cellpadding=1 cellspacing=0>");
    HeaderRow(page, "From", Sender(mail) + AddToBookLink(key, mail.FromAddress));
    HeaderRow(page, "Subject", HtmlEscape(mail.Subject));
    HeaderRow(page, "To", HtmlEscape(mail.To));
    if (!mail.Cc.empty())
        HeaderRow(page, "Cc", HtmlEscape(mail.Cc) + AddToBookLink(key, mail.Cc));
    HeaderRow(page, "Date", FormatUtc(mail.Date, "%a, %d %b %Y %H:%M:%S GMT"));
    page.Line("</table>").Line("<!-- header -->");
    if (mail.Html) {
        for (const std::string &line : SplitLines(mail.Body))
            page.Line(line);
    } else {
        page.Line("<pre>");
        for (const std::string &line : SplitLines(mail.Body))
            page.Line(HtmlEscape(line));
        page.Line("</pre>");
    }
    for (size_t i = 0; i < mail.Attachments.size(); ++i)
        page.Line("<p>Attachment: <a href=\"" + context.MailBase() + "/attach.dcg/" +
                  UrlEncode(mail.Attachments[i].FileName) + "?x=" + key + "&amp;uid=" + std::to_string(mail.Number) +
                  "&amp;part=" + std::to_string(i) + "\">" + HtmlEscape(mail.Attachments[i].FileName) + "</a></p>");
    page.Line("<form action=\"" + context.MailBase() + "/compose.dcg/action\" method=post>")
        .Line("<input type=hidden name=reply value=\"" + std::to_string(mail.Number) + "\">")
        .Line("<input type=hidden name=fl value=\"" + HtmlEscape(folder.Id) + "\">")
        .Line("<input type=submit name=action value=\"Reply\"> <input type=submit name=action value=\"Forward\">")
        .Line("</form>");
    PageBottom(page);
    return page.Text();
}

std::string AddressBookPage(const PageContext &context, const std::vector<SimContact> &contacts, const std::string &key)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Address Book");
    NavigationBar(page, key);
    page.Line("<table width=600 border=0 cellpadding=2 cellspacing=0>")
        .Line("<tr bgcolor=#dddddd><td></td><td></td><td><b>Nickname</b></td><td><b>Name</b></td><td></td>"
              "<td><b>E-mail</b></td></tr>");
    for (const SimContact &contact : contacts)
        page.Line("<tr>")
            .Line("<td><a href=\"/mod_address.dcg?x=" + key + "&amp;alias=" + UrlEncode(contact.Alias) +
                  "\"><img src=\"/img/pencil.gif\" border=0 alt=\"Edit\"></a></td>")
            .Line("<td><input type=checkbox name=alias value=\"" + HtmlEscape(contact.Alias) + "\"></td>")
            .Line("<td>&nbsp;" + HtmlEscape(contact.Alias) + "</td>")
            .Line("<td>&nbsp;" + HtmlEscape(contact.FullName) + "</td>")
            .Line("<td>&nbsp;</td>")
            .Line("<td><a href=\"/compose.dcg?x=" + key + "&amp;to=" + UrlEncode(contact.Address) + "\">" +
                  HtmlEscape(contact.Address) + "</a></td>")
            .Line("</tr>");
    if (contacts.empty())
        page.Line("<tr><td colspan=6>Your address book is empty.</td></tr>");
    page.Line("</table>").Line("<HR NOSHADE HEIGHT=3 WIDTH=600>");
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

} // namespace korvalin::websim::excite
