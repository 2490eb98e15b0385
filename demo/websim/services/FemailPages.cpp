#include "FemailPages.h"

#include "PageText.h"

namespace korvalin::websim::femail {
namespace {

using mailsite::OneLine;

std::string Escaped(const std::string &text)
{
    return HtmlEscape(OneLine(text));
}

bool IsMailCity(const PageContext &context)
{
    return context.Flavour == FemailFlavour::MailCity;
}

// Six lines: the refusal rule looks at the line after these.
void PageTop(PageWriter &page, const PageContext &context, const std::string &title)
{
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>" + context.ServiceName() + " - " + Escaped(title) + "</title>")
        .Line("<meta http-equiv=\"Pragma\" content=\"no-cache\">")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\" link=\"#003366\" vlink=\"#003366\">");
}

void PageBottom(PageWriter &page, const PageContext &context)
{
    page.Line("<p align=center><font size=1>&copy; " + context.ServiceName() +
              " simulator. Free e-mail for everyone.</font></p>")
        .Line("</body>")
        .Line("</html>");
}

std::string ListDate(std::time_t when)
{
    return mailsite::FormatUtc(when, "%m/%d/%y %H:%M");
}

void FolderList(PageWriter &page, const PageContext &context, const SimMailbox &mailbox)
{
    page.Line("<td valign=top width=130 bgcolor=\"#e8e8e8\"><font size=-1><b>Folders</b></font><br>");
    for (const SimFolder &folder : mailbox.Folders()) {
        // MailCity pads its folder names; AngelFire writes them bare.
        const std::string name = Escaped(folder.Name) + (IsMailCity(context) ? "  " : "");
        page.Line("<a href=\"" + FolderLink(context, folder) +
                  "\"><img src=\"/img/folder.gif\" width=11 height=11 border=0> " + name + "</a> (" +
                  std::to_string(folder.UnreadCount()) + ")<br>");
    }
    page.Line("</td>");
}

void MailRow(PageWriter &page, const PageContext &context, const SimMail &mail, const SimFolder &folder)
{
    const std::string sender = Escaped(mail.SenderShown());
    const std::string subject = Escaped(mail.Subject.empty() ? "(no subject)" : mail.Subject);
    const std::string link = "<a href=\"" + MailLink(context, mail, folder) +
                             "\" onMouseOver=\"window.status='Read this message'; return true\">";
    page.Line(IsMailCity(context) ? "<tr><td><font face=\"\" SIZE=\"-1\"> " + sender + "</FONT></td>"
                                  : "<tr><td bgcolor=\"cccccc\"><font  SIZE=\"-1\">" + sender + "</FONT></td>")
        .Line("<td>")
        .Line("<font face=\"arial\" size=\"-1\">")
        .Line(mail.Read ? link + " " + subject + "</a></font></td>" : link + "<b>" + subject + "</b></a></font></td>")
        .Line("<td nowrap>")
        .Line("<font face=\"arial\" size=\"-1\">")
        .Line("  " + ListDate(mail.Date) + "</font></td>")
        .Line("<td align=right><font face=\"arial\" size=\"-1\">")
        .Line(SizeInKilobytes(mail.Size()) + "</font></td></tr>");
}

// The header cells of a mail page: the sender's line ends with its value;
// the next line holds To, Cc and Subject.
void MailHeaders(PageWriter &page, const PageContext &context, const SimMail &mail)
{
    const bool city = IsMailCity(context);
    const std::string cell = city ? "<td style=\"font-family: arial; font-size: 10pt\">" : "<td align=\"left\"><font >";
    const std::string cellEnd = city ? "</td></tr>" : "</font></td></tr>";
    page.Line(std::string("<tr><td>") + (city ? "<b>From: </b>" : "<b >From: </b>") + "</td>" + cell +
              mailsite::EscapedSender(mail));
    std::string others =
        cellEnd + "<tr><td>" + (city ? "<b>To:</b>" : "<b >To:</b>") + "</td>" + cell + Escaped(mail.To) + cellEnd;
    if (!mail.Cc.empty())
        others += "<tr><td><b>Cc:</b></td>" + cell + Escaped(mail.Cc) + cellEnd;
    others += "<tr><td><b>Date:</b></td>" + cell + mailsite::FormatUtc(mail.Date, "%a, %d %b %Y %H:%M:%S +0000") +
              cellEnd + "<tr><td><b>Subject:</b></td>" + cell + Escaped(mail.Subject) + cellEnd;
    page.Line(others);
}

void MimePart(PageWriter &page, const std::vector<std::string> &lines)
{
    page.Line("<!-- Display of MIME component -->");
    for (const std::string &line : lines)
        page.Line(line);
    page.Line("<!-- END Display of MIME component(s) -->");
}

} // namespace

std::string PageContext::MailBase() const
{
    if (Request.Mode != Addressing::Named)
        return Request.BaseUrlOf(Hosts.Mail);
    size_t colon = Request.Authority.rfind(':');
    return "http://" + Hosts.Mail + ":" + (colon == std::string::npos ? "80" : Request.Authority.substr(colon + 1));
}

std::string FolderLink(const PageContext &context, const SimFolder &folder)
{
    if (folder.Role == FolderRole::Inbox)
        return context.MailboxBase() + "/gmm.femail";
    return context.MailboxBase() + "/f/" + UrlEncode(folder.Id) + "/gmm.femail";
}

std::string MailLink(const PageContext &context, const SimMail &mail, const SimFolder &folder)
{
    return context.MailboxBase() + "/gmm_showmsg.femail?docid=" + FemailModel::DocumentId(mail, folder);
}

std::string HomePage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, context, "Free Web-Based Email");
    page.Line("<h2>Welcome to " + context.ServiceName() + "</h2>");
    if (IsMailCity(context))
        page.Line("<form name=\"login_form\" action=\"" + context.MailBase() +
                  "/login.femail\" target=\"_top\" method=post>");
    else
        page.Line("<form name=\"login_form\" method=post action=\"" + context.MailBase() + "/login.notfemail\">");
    page.Line("Member name: <input type=text name=user size=16> Password: <input type=password name=passwd "
              "size=16>")
        .Line("<input type=hidden name=version value=2>")
        .Line("<input type=submit value=\"Login\">")
        .Line("</form>")
        .Line("<p>New here? <a href=\"/freemail/Agreement.html\">Get your free e-mail</a>.</p>");
    PageBottom(page, context);
    return page.Text();
}

std::string SignUpPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, context, "Member Agreement");
    page.Line("<h2>Member Agreement</h2>")
        .Line("<p>This is a simulated service: accounts are made by the simulator, not here.</p>");
    PageBottom(page, context);
    return page.Text();
}

std::string LoginRefusedPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    page.Line("<html>")
        .Line("<head>")
        .Line("<title>" + context.ServiceName() + " - Login</title>")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\">")
        .Line("<font color=\"#cc0000\">The member name or password is not correct.</font> <a "
              "href=\"/help/password.html\">Forget your password?</a>") // the sixth line
        .Line("<p>Please check the spelling and try again.</p>");
    PageBottom(page, context);
    return page.Text();
}

std::string AuthorizationFailedPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, context, "Login");
    page.Line("<table width=\"100%\"><tr><td>")
        .Line("<p>Authorization to use <b>MailCity</b> has failed. This account has been suspended.</p>")
        .Line("</td></tr></table>");
    PageBottom(page, context);
    return page.Text();
}

std::string WelcomePage(const PageContext &context, const SimAccount &account)
{
    const std::string inbox = context.MailboxBase() + "/gmm.femail";
    PageWriter page(context.LineEnd);
    PageTop(page, context, "Welcome");
    page.Line("<table width=\"100%\" bgcolor=\"#003366\" cellpadding=4><tr>")
        .Line("<td><font color=\"#ffffff\" face=arial size=2>Welcome, " + Escaped(account.User) + "</font></td>");
    if (IsMailCity(context)) {
        page.Line("<td><a href=\"" + inbox +
                  "\"><font color=\"#ffffff\" face=arial size=2><b>Read Mail</b></font></a></td>");
    } else {
        page.Line("<td><a href=\"" + context.MailBase() +
                  "/help/index.html\"><font color=\"#ffffff\">Help</font></a></td>")
            .Line("<td><a href=\"" + inbox + "\" style=\"color: #ffffff; text-decoration: none\">Read Mail</a></td>");
    }
    page.Line("<td><a href=\"" + context.MailboxBase() +
              "/showcm.femail\"><font color=\"#ffffff\" face=arial "
              "size=2>Write Mail</font></a></td>")
        .Line("</tr></table>");
    PageBottom(page, context);
    return page.Text();
}

std::string ListingPage(const PageContext &context, const SimAccount &account, const SimFolder &folder, size_t from)
{
    std::vector<const SimMail *> mails = folder.NewestFirst();
    PageWriter page(context.LineEnd);
    PageTop(page, context, folder.Name);
    page.Line("<table width=\"100%\" cellpadding=2 cellspacing=0><tr>");
    FolderList(page, context, account.Mailbox);
    page.Line("<td valign=top>");
    const size_t last = std::min(mails.size(), from + FemailModel::kPageSize);
    std::string summary = "<font face=arial size=-1><b>" + Escaped(folder.Name) + "</b>: " +
                          (mails.empty() ? std::string("no messages")
                                         : "messages " + std::to_string(std::min(from + 1, mails.size())) + "-" +
                                               std::to_string(last) + " of " + std::to_string(mails.size())) +
                          "</font>";
    if (last < mails.size())
        summary += " <a href=\"" + FolderLink(context, folder) + "?from=" + std::to_string(last) +
                   "\"><font size=-1>next&gt;&gt;</font></a>";
    page.Line(summary).Line("<table width=\"100%\" cellpadding=1 cellspacing=0>");
    page.Line("<tr bgcolor=\"#c0c0c0\"><td><b>From</b></td><td><b>Subject</b></td><td><b>Date</b></td><td "
              "align=right><b>Size</b></td></tr>");
    for (size_t i = from; i < last; ++i)
        MailRow(page, context, *mails[i], folder);
    page.Line("</table>").Line("</td></tr><tr></tr>").Line("</table>");
    PageBottom(page, context);
    return page.Text();
}

std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder)
{
    PageWriter page(context.LineEnd);
    page.Line("<html>")
        .Line("<head>")
        .Line("<meta name=docid content=\"" + FemailModel::DocumentId(mail, folder) + "\">")
        .Line("<base href=" + context.MailboxBase() + "/>")
        .Line("<title>" + context.ServiceName() + " - " + Escaped(mail.Subject) + "</title>")
        .Line("</head>")
        .Line("<body bgcolor=\"#ffffff\">")
        .Line("<a href=\"" + FolderLink(context, folder) + "\">Back to " + Escaped(folder.Name) + "</a>")
        .Line("<table cellpadding=1 cellspacing=0>");
    MailHeaders(page, context, mail);
    page.Line("</table>");

    std::vector<std::string> lines;
    for (const std::string &line : mailsite::SplitLines(mail.Body))
        lines.push_back(mail.Html ? line : HtmlEscape(line));
    MimePart(page, lines);
    for (const SimAttachment &attachment : mail.Attachments) {
        std::vector<std::string> part = {"<b>" + Escaped(attachment.FileName) + "</b> (" +
                                         Escaped(attachment.ContentType) + ")"};
        for (const std::string &line : mailsite::SplitLines(attachment.Content))
            part.push_back(HtmlEscape(line));
        MimePart(page, part);
    }
    page.Line("<p><a href=\"" + context.MailboxBase() + "/showcm.femail\">Write Mail</a></p>");
    PageBottom(page, context);
    return page.Text();
}

std::string ComposePage(const PageContext &context, const std::string &composeId)
{
    PageWriter page(context.LineEnd);
    PageTop(page, context, "Write Mail");
    page.Line("<form name=compose method=post action= \"" + context.MailboxBase() + "/gmm_multiplex.femail\">")
        .Line("<input type=hidden name=compid value=\"" + composeId + "\">")
        .Line("<table cellpadding=2 cellspacing=0>")
        .Line("<tr><td>To:</td><td><input type=text name=to size=50></td></tr>")
        .Line("<tr><td>Subject:</td><td><input type=text name=subject size=50></td></tr>")
        .Line("<tr><td>Cc:</td><td><input type=text name=cc size=50></td></tr>")
        .Line("<tr><td>Bcc:</td><td><input type=text name=bcc size=50></td></tr>")
        .Line("<tr><td colspan=2><textarea name=body rows=15 cols=60></textarea></td></tr>")
        .Line("<tr><td colspan=2><input type=checkbox name=copy value=ON> Keep a copy</td></tr>")
        .Line("</table>")
        .Line("<input type=submit name=\"/cmdo.femail\" value=\"send\">")
        .Line("</form>");
    PageBottom(page, context);
    return page.Text();
}

std::string AddressBookPage(const PageContext &context, const std::vector<SimContact> &contacts)
{
    PageWriter page(context.LineEnd);
    PageTop(page, context, "Address Book");
    page.Line("<table cellpadding=2 cellspacing=0>");
    const std::string trail = IsMailCity(context) ? "" : " ";
    for (size_t i = 0; i < contacts.size(); ++i) {
        const SimContact &contact = contacts[i];
        std::string address = "<td><a href=\"javascript:writeTo(" + std::to_string(i) +
                              ")\" onMouseOver=\"status='Write a mail'; return true\" onMouseOut=\"status=''\">" +
                              Escaped(contact.Address) + trail + "</a></td>";
        if (i + 1 == contacts.size())
            address += "<td><input type=button name=go value=\"mail to\"></td>";
        page.Line("<tr><td><a href=\"javascript:edit(" + std::to_string(i) +
                  ")\" onMouseOver=\"status='Edit this entry'; return true\" onMouseOut=\"status=''\">" +
                  Escaped(contact.Alias) + "</a></td>")
            .Line("<td>")
            .Line("<font face=arial size=-1>")
            .Line(Escaped(contact.FullName.empty() ? contact.Alias : contact.FullName))
            .Line("</font>")
            .Line("</td>")
            .Line("<td>")
            .Line("<font face=arial size=-1>")
            .Line(address)
            .Line("</font></tr>");
    }
    if (contacts.empty())
        page.Line("<tr><td>Your address book is empty.</td></tr>");
    page.Line("</table>");
    PageBottom(page, context);
    return page.Text();
}

std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text)
{
    PageWriter page(context.LineEnd);
    PageTop(page, context, title);
    page.Line("<h3>" + Escaped(title) + "</h3>").Line("<p>" + Escaped(text) + "</p>");
    PageBottom(page, context);
    return page.Text();
}

} // namespace korvalin::websim::femail
