#include "GoplayPages.h"

#include "AccountServiceModel.h"
#include "PageText.h"

namespace korvalin::websim::goplay {
namespace {

constexpr const char *kCell = "<TD><font size=\"-1\" face=\"Arial,Helvetica\">";

void PageTop(PageWriter &page, const std::string &title)
{
    page.Line("<HTML>")
        .Line("<HEAD>")
        .Line("<TITLE>GoPlay Mail - " + HtmlEscape(title) + "</TITLE>")
        .Line("</HEAD>")
        .Line("<BODY BGCOLOR=\"#FFFFFF\" LINK=\"#000080\" VLINK=\"#000080\">")
        .Line("<IMG SRC=\"/img/goplay.gif\" WIDTH=160 HEIGHT=40 ALT=\"GoPlay\">");
}

void PageBottom(PageWriter &page)
{
    page.Line("<P><font size=\"-2\">GoPlay simulator. Play hard, mail often.</font></P>")
        .Line("</BODY>")
        .Line("</HTML>");
}

std::string FormAction(const PageContext &context)
{
    return "/cgi-bin/mailbox.mail?sid=" + context.Sid;
}

// One folder view line per mail: open button, move box, date, sender and
// subject cells.
std::string MailLine(const SimMail &mail)
{
    const std::string number = std::to_string(mail.Number);
    const std::string subject = mail.Subject.empty() ? "(no subject)" : mail.Subject;
    return std::string("<TR>") + kCell + "<INPUT TYPE=IMAGE SRC=\"/img/" + (mail.Read ? "read1.gif" : "unread1.gif") +
           "\" NAME=\"M" + number + "\" BORDER=0 ALT=\"Open\"></font></TD>" + kCell +
           "<INPUT TYPE=CHECKBOX NAME=\"move" + number + "\"></font></TD>" + kCell + "<FONT COLOR=\"#000080\">" +
           FormatUtc(mail.Date, "%m/%d/%y %H:%M") + "</font></FONT></TD><TD>" +
           "<font size=\"-1\" face=\"Arial,Helvetica\"><FONT COLOR=\"#000080\">" + HtmlEscape(mail.SenderShown()) +
           "</FONT></font></TD>" + kCell + HtmlEscape(subject) + "</font></TD></TR>";
}

std::string Sender(const SimMail &mail)
{
    if (mail.FromName.empty())
        return HtmlEscape(mail.FromAddress);
    return HtmlEscape(mail.FromName) + " &lt;" + HtmlEscape(mail.FromAddress) + "&gt;";
}

} // namespace

std::string HomePage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign In");
    page.Line("<FORM ACTION=\"/01/login/login.cgi?noses=1\" METHOD=POST>")
        .Line("Player name: <INPUT TYPE=TEXT NAME=login_name SIZE=16><BR>")
        .Line("Password: <INPUT TYPE=PASSWORD NAME=login_password SIZE=16><BR>")
        .Line("<INPUT TYPE=SUBMIT VALUE=\"Play\">")
        .Line("</FORM>")
        .Line("<P>New here? <A HREF=\"/01/regstep/regstep.cgi?noses=1&amp;MODE=NEW\">Become a GoPlayer</A>.</P>");
    PageBottom(page);
    return page.Text();
}

std::string SignUpPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Registration");
    page.Line("<H2>Become a GoPlayer</H2>")
        .Line("<P>This is a simulated service: accounts are made by the simulator, not here.</P>");
    PageBottom(page);
    return page.Text();
}

std::string LoginRefusedPage(const PageContext &context)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Sign In");
    page.Line("<P><B>You need to be a registered GoPlayer to use GoPlay Mail.</B></P>")
        .Line("<P>Check your player name and password, or <A HREF=\"/01/regstep/regstep.cgi?noses=1&amp;MODE=NEW\">"
              "register</A>.</P>");
    PageBottom(page);
    return page.Text();
}

std::string WelcomePage(const PageContext &context, const std::string &user)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Welcome");
    page.Line("<P>Welcome back, " + HtmlEscape(user) + "!</P>")
        .Line("<IMG SRC=\"/img/menu.gif\" WIDTH=272 HEIGHT=15 BORDER=0 USEMAP=\"#menu\">")
        .Line("<MAP NAME=\"menu\">")
        .Line("<AREA SHAPE=\"rect\" coords=\"0,0 68,15\"")
        .Line("      ALT=\"Mail\"")
        .Line("      HREF=\"" + FormAction(context) + "\" TARGET=\"_top\">")
        .Line("<AREA SHAPE=\"rect\" coords=\"68,0 136,15\" HREF=\"/01/games/\" TARGET=\"_top\">")
        .Line("</MAP>");
    PageBottom(page);
    return page.Text();
}

std::string FolderPage(const PageContext &context, const SimAccount &account, const SimFolder &folder, size_t startOn,
                       size_t endOn)
{
    std::vector<const SimMail *> mails = folder.NewestFirst();
    PageWriter page(context.LineEnd);
    PageTop(page, folder.Name);
    page.Line("<FORM ACTION=\"" + FormAction(context) + "\" METHOD=POST>")
        .Line("<INPUT TYPE=HIDDEN NAME=START_ON VALUE=" + std::to_string(startOn) + ">")
        .Line("<INPUT TYPE=HIDDEN NAME=END_ON VALUE=" + std::to_string(endOn) + ">")
        .Line("<INPUT TYPE=HIDDEN NAME=FOLDER VALUE=" + folder.Id + ">")
        .Line("<P><font size=\"-1\">" + HtmlEscape(account.Address) + " - " + HtmlEscape(folder.Name) + ": " +
              std::to_string(mails.size()) + " messages</font></P>")
        .Line("<INPUT TYPE=IMAGE SRC=\"/img/compose.gif\" NAME=\"BAR1\" BORDER=0 ALT=\"Compose\">")
        .Line("<TABLE WIDTH=600 BORDER=0 CELLPADDING=1 CELLSPACING=0>")
        .Line("<TR BGCOLOR=\"#C0C0C0\"><TD></TD><TD></TD><TD><B>Date</B></TD><TD><B>From</B></TD><TD><B>Subject</B>"
              "</TD></TR>");
    for (size_t position = startOn; position >= 1 && position <= endOn && position <= mails.size(); ++position)
        page.Line(MailLine(*mails[position - 1]));
    page.Line("</TABLE>");
    if (mails.empty())
        page.Line("<P>This folder is empty.</P>");
    page.Line("<SELECT NAME=MOVE_TO><OPTION VALUE=2>Trash Can<OPTION VALUE=3>Sent Messages</SELECT>")
        .Line("<INPUT TYPE=IMAGE SRC=\"/img/move.gif\" NAME=\"REF\" BORDER=0 ALT=\"Go\">")
        .Line("</FORM>");
    PageBottom(page);
    return page.Text();
}

std::string MailPage(const PageContext &context, const SimMail &mail, const SimFolder &folder)
{
    PageWriter page(context.LineEnd);
    PageTop(page, mail.Subject);
    page.Line("<FORM ACTION=\"" + FormAction(context) + "\" METHOD=POST>")
        .Line("<INPUT TYPE=HIDDEN NAME=\"MSG\" VALUE=\"" + std::to_string(mail.Number) + "\">")
        .Line("<INPUT TYPE=HIDDEN NAME=FOLDER VALUE=" + folder.Id + ">")
        .Line("<TABLE BORDER=0 CELLPADDING=1>")
        .Line("<TR><TD><I>From:</I></TD><TD>" + Sender(mail) + "</TD></TR>")
        .Line("<TR><TD><I>Date:</I></TD><TD>" + FormatUtc(mail.Date, "%a, %d %b %Y %H:%M:%S GMT") + "</TD></TR>")
        .Line("<TR><TD><I>To:</I></TD><TD>" + HtmlEscape(mail.To) + "</TD></TR>");
    if (!mail.Cc.empty())
        page.Line("<TR><TD><I>Cc:</I></TD><TD>" + HtmlEscape(mail.Cc) + "</TD></TR>");
    page.Line("<TR><TD><I>Subject:</I></TD><TD><B>" + HtmlEscape(mail.Subject) + "</B></TD></TR>")
        .Line("</TABLE>")
        .Line("<hr>");
    if (mail.Html) {
        for (const std::string &line : SplitLines(mail.Body))
            page.Line(line);
    } else {
        page.Line("<PRE>");
        for (const std::string &line : SplitLines(mail.Body))
            page.Line(HtmlEscape(line));
        page.Line("</PRE>");
    }
    page.Line("<hr>")
        .Line("<INPUT TYPE=IMAGE SRC=\"/img/reply.gif\" NAME=\"REPLY\" BORDER=0 ALT=\"Reply\">")
        .Line("</FORM>");
    PageBottom(page);
    return page.Text();
}

std::string ComposePage(const PageContext &context, const std::string &messageNumber, const std::string &to)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Compose");
    page.Line("<FORM ACTION=\"/cgi-bin/send.mailmsg?sid=" + context.Sid + "\" METHOD=POST>")
        .Line("<INPUT TYPE=HIDDEN NAME=\"MSG\" VALUE=\"" + messageNumber + "\">")
        .Line("<INPUT TYPE=HIDDEN NAME=FOLDER VALUE=1>")
        .Line("<INPUT TYPE=HIDDEN NAME=ORIG_MSG VALUE=0>")
        .Line("To: <INPUT TYPE=TEXT NAME=to VALUE=\"" + HtmlEscape(to) + "\" SIZE=60><BR>")
        .Line("Cc: <INPUT TYPE=TEXT NAME=cc VALUE=\"\" SIZE=60><BR>")
        .Line("Bcc: <INPUT TYPE=TEXT NAME=bcc VALUE=\"\" SIZE=60><BR>")
        .Line("Subject: <INPUT TYPE=TEXT NAME=subject VALUE=\"\" SIZE=60><BR>")
        .Line("<TEXTAREA NAME=TEXT_MESSAGE ROWS=15 COLS=60></TEXTAREA><BR>")
        .Line("<INPUT TYPE=CHECKBOX NAME=COPYSENT VALUE=ON CHECKED> Keep a copy in Sent Messages<BR>")
        .Line("<INPUT TYPE=IMAGE SRC=\"/img/addrbook.gif\" NAME=\"ADDRBOOK\" BORDER=0 ALT=\"Address Book\">")
        .Line("<INPUT TYPE=SUBMIT NAME=SEND VALUE=\"SEND!\">")
        .Line("</FORM>");
    PageBottom(page);
    return page.Text();
}

std::string AddressPickerPage(const PageContext &context, const std::string &messageNumber,
                              const std::vector<SimContact> &contacts)
{
    PageWriter page(context.LineEnd);
    PageTop(page, "Address Book");
    page.Line("<FORM ACTION=\"/cgi-bin/edit.mailmsg?sid=" + context.Sid + "\" METHOD=POST>")
        .Line("<INPUT TYPE=HIDDEN NAME=\"MSG\" VALUE=\"" + messageNumber + "\">")
        .Line("<P>Tick the players to write to:</P>");
    for (size_t i = 0; i < contacts.size(); ++i)
        page.Line("<INPUT TYPE=CHECKBOX NAME=\"BOOK" + std::to_string(i + 1) + "\">&nbsp;" +
                  HtmlEscape(contacts[i].Alias) + " (" + HtmlEscape(contacts[i].Address) + ")<BR>");
    if (contacts.empty())
        page.Line("<P>Your address book is empty.</P>");
    page.Line("<INPUT TYPE=SUBMIT NAME=TO_BOOK VALUE=\"Add to To\">").Line("</FORM>");
    PageBottom(page);
    return page.Text();
}

std::string NoticePage(const PageContext &context, const std::string &title, const std::string &text)
{
    PageWriter page(context.LineEnd);
    PageTop(page, title);
    page.Line("<H3>" + HtmlEscape(title) + "</H3>").Line("<P>" + HtmlEscape(text) + "</P>");
    PageBottom(page);
    return page.Text();
}

} // namespace korvalin::websim::goplay
