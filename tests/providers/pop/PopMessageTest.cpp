// Cutting fields out of fetched headers, addresses out of recipient lists,
// and composing outgoing mail.
#include "PopMessage.h"
#include "PopProvider.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <regex>

using korvalin::pop::SummaryDate;

namespace {

CPopMessage WithHeader(const std::string& header)
{
    CPopMessage message;
    message.Header = header;
    return message;
}

}  // namespace

TEST(PopHeaderFields, SummaryFieldsComeFromTheirLines)
{
    CPopMessage message = WithHeader(
        "Return-Path: <a@x>\r\nFrom: Ann <ann@example.org>\r\nSubject: Lunch\r\n"
        "Date: Mon, 7 Dec 1998 10:20:30 +0000\r\nMessage-ID: <m1@x>\r\nX-Last: y");
    message.ParseSummaryHeader();
    EXPECT_EQ(message.From, "Ann <ann@example.org>");
    EXPECT_EQ(message.Subject, "Lunch");
    EXPECT_EQ(message.Date, "1998/12/7");
    EXPECT_EQ(message.MessageId, "<m1@x>");
}

TEST(PopHeaderFields, FieldOnTheFirstLineIsFound)
{
    CPopMessage message =
        WithHeader("From: first@example.org\r\nDate: 7 Dec 1998 10:20:30 +0000\r\nSubject: s\r\nMessage-ID: <f@x>");
    message.ParseSummaryHeader();
    EXPECT_EQ(message.From, "first@example.org");
    EXPECT_EQ(message.Date, "1998/12/7");
    EXPECT_EQ(message.Subject, "s");
    EXPECT_EQ(message.MessageId, "<f@x>");
}

TEST(PopHeaderFields, MessageIdOnTheLastLineKeepsItsEnd)
{
    CPopMessage message = WithHeader("From: a@x\r\nDate: Tue, 8 Dec 1998 1:2:3 +0000\r\nMessage-ID: <last@x>");
    message.ParseSummaryHeader();
    EXPECT_EQ(message.MessageId, "<last@x>");

    CPopMessage lastSubject = WithHeader("From: a@x\r\nDate: Tue, 8 Dec 1998 1:2:3 +0000\r\nSubject: at the end");
    lastSubject.ParseSummaryHeader();
    EXPECT_EQ(lastSubject.Subject, "at the end");
}

TEST(PopHeaderFields, NamesAreMatchedInAnyCase)
{
    CPopMessage message = WithHeader("FROM: a@x\r\ndate: Wed, 9 Dec 1998 1:2:3 +0000\r\nsubject: Mixed\r\nmessage-id: <c@x>");
    message.ParseSummaryHeader();
    EXPECT_EQ(message.From, "a@x");
    EXPECT_EQ(message.Subject, "Mixed");
    EXPECT_EQ(message.MessageId, "<c@x>");
}

TEST(PopHeaderFields, FoldedValueIsUnfolded)
{
    CPopMessage message = WithHeader("Subject: a long\r\n subject line\r\nFrom: a@x");
    std::string value;
    ASSERT_TRUE(message.FindField("SUBJECT: ", value));
    EXPECT_EQ(value, "a long subject line");
}

TEST(PopHeaderFields, AFieldNameInsideAnotherIsNotTaken)
{
    CPopMessage message = WithHeader("X-Original-From: wrong@x\r\nReply-To: r@x\r\nFrom: right@x");
    std::string value;
    ASSERT_TRUE(message.FindField("FROM: ", value));
    EXPECT_EQ(value, "right@x");
    EXPECT_FALSE(message.FindField("TO: ", value));
}

TEST(PopHeaderFields, MissingFromStopsTheSummaryParse)
{
    CPopMessage message = WithHeader("Date: Mon, 7 Dec 1998 10:20:30 +0000\r\nSubject: s\r\nMessage-ID: <x@y>");
    message.ParseSummaryHeader();
    EXPECT_EQ(message.From, "");
    EXPECT_EQ(message.Date, "");
    EXPECT_EQ(message.Subject, "");
    EXPECT_EQ(message.MessageId, "");
}

TEST(PopHeaderFields, MissingDateStopsBeforeSubjectAndId)
{
    CPopMessage message = WithHeader("From: a@x\r\nSubject: s\r\nMessage-ID: <x@y>");
    message.ParseSummaryHeader();
    EXPECT_EQ(message.From, "a@x");
    EXPECT_EQ(message.Subject, "");
    EXPECT_EQ(message.MessageId, "");
}

TEST(PopHeaderFields, MissingSubjectIsEmptyAndTheParseGoesOn)
{
    CPopMessage message = WithHeader("From: a@x\r\nDate: Mon, 7 Dec 1998 10:20:30 +0000\r\nMessage-ID: <x@y>");
    message.ParseSummaryHeader();
    EXPECT_EQ(message.Subject, "");
    EXPECT_EQ(message.MessageId, "<x@y>");
}

TEST(PopHeaderFields, MailHeaderCollectsToAndCcRecipients)
{
    CPopMessage message = WithHeader(
        "From: Ann <ann@x>\r\nTo: Bob <bob@y>, carl@z\r\nSubject: Hi\r\nMessage-ID: <1@x>\r\nCC: dora@w");
    message.ParseMailHeader();
    EXPECT_EQ(message.From, "Ann <ann@x>");
    EXPECT_EQ(message.Subject, "Hi");
    EXPECT_EQ(message.MessageId, "<1@x>");
    ASSERT_EQ(message.Recipients.size(), 3u);
    EXPECT_EQ(message.Recipients[0].Address, "bob@y");
    EXPECT_EQ(message.Recipients[0].Name, "Bob ");
    EXPECT_EQ(message.Recipients[1].Address, "carl@z");
    EXPECT_EQ(message.Recipients[2].Address, "dora@w");
}

TEST(PopHeaderFields, MailHeaderWithoutMessageIdSkipsCc)
{
    CPopMessage message = WithHeader("From: a@x\r\nTo: b@y\r\nCC: c@z");
    message.ParseMailHeader();
    ASSERT_EQ(message.Recipients.size(), 1u);
    EXPECT_EQ(message.Recipients[0].Address, "b@y");
}

TEST(PopHeaderFields, MailHeaderWithoutToStopsAfterFrom)
{
    CPopMessage message = WithHeader("From: a@x\r\nSubject: s\r\nMessage-ID: <1@x>");
    message.ParseMailHeader();
    EXPECT_EQ(message.From, "a@x");
    EXPECT_EQ(message.Subject, "");
    EXPECT_TRUE(message.Recipients.empty());
}

TEST(PopSummaryDate, WithAndWithoutWeekdayGiveTheSameDate)
{
    EXPECT_EQ(SummaryDate("Mon, 7 Dec 1998 10:20:30 +0000"), "1998/12/7");
    EXPECT_EQ(SummaryDate("7 Dec 1998 10:20:30 +0000"), "1998/12/7");
    EXPECT_EQ(SummaryDate("Mon 7 Dec 1998 10:20:30 +0000"), "1998/12/7");
    EXPECT_EQ(SummaryDate("Mon,7 Dec 1998 10:20:30 +0000"), "1998/12/7");
    EXPECT_EQ(SummaryDate("Thu, 01 Jan 2024 09:00:00 +0100"), "2024/01/01");
    EXPECT_EQ(SummaryDate("Sat,  28  Feb  2004 23:59:59 -0800"), "2004/02/28");
    EXPECT_EQ(SummaryDate("7 Dec 1998"), "1998/12/7");
}

TEST(PopSummaryDate, EveryMonthHasItsNumber)
{
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "2000/%02d/3", i + 1);
        EXPECT_EQ(SummaryDate(std::string("3 ") + months[i] + " 2000 00:00:00 +0000"), expected);
    }
}

TEST(PopSummaryDate, UnknownMonthStaysAsWritten)
{
    EXPECT_EQ(SummaryDate("Mon, 7 dec 1998 10:20:30 +0000"), "1998/dec7");
    EXPECT_EQ(SummaryDate("Mon, 7 Dezember 1998"), "1998/Dezember7");
    EXPECT_EQ(SummaryDate(""), "/");
    EXPECT_EQ(SummaryDate("garbage"), "/garbage");
}

TEST(PopRecipients, SplitAtCommaAndSemicolon)
{
    CPopMessage message;
    message.AddRecipients("ann@x, Bob <bob@y>;carl@z");
    ASSERT_EQ(message.Recipients.size(), 3u);
    EXPECT_EQ(message.Recipients[0].Address, "ann@x");
    EXPECT_EQ(message.Recipients[0].Name, "");
    EXPECT_EQ(message.Recipients[1].Address, "bob@y");
    EXPECT_EQ(message.Recipients[1].Name, "Bob ");
    EXPECT_EQ(message.Recipients[2].Address, "carl@z");
}

TEST(PopRecipients, SeparatorsInsideQuotesAndBracketsDoNotSplit)
{
    CPopMessage message;
    message.AddRecipients("\"Doe, John; Jr.\" <john@x>, \"Quote \\\" here, too\" <q@x>; <odd,one@x>");
    ASSERT_EQ(message.Recipients.size(), 3u);
    EXPECT_EQ(message.Recipients[0].Name, "\"Doe, John; Jr.\" ");
    EXPECT_EQ(message.Recipients[0].Address, "john@x");
    EXPECT_EQ(message.Recipients[1].Address, "q@x");
    EXPECT_EQ(message.Recipients[2].Address, "odd,one@x");
}

TEST(PopRecipients, EmptyEntriesAreSkipped)
{
    CPopMessage message;
    message.AddRecipients("");
    message.AddRecipients(";;, ;");
    message.AddRecipients("Nobody <>");
    EXPECT_TRUE(message.Recipients.empty());
    message.AddRecipients("a@x;");
    ASSERT_EQ(message.Recipients.size(), 1u);
}

TEST(PopRecipients, UnclosedBracketEndsTheList)
{
    CPopMessage message;
    message.AddRecipients("a@x; Bob <bob@y; c@z");
    ASSERT_EQ(message.Recipients.size(), 1u);
    EXPECT_EQ(message.Recipients[0].Address, "a@x");
}

TEST(PopRecipients, HiddenRecipientsAreMarked)
{
    CPopMessage message;
    message.AddRecipients("a@x");
    message.AddRecipients("secret@y", true);
    ASSERT_EQ(message.Recipients.size(), 2u);
    EXPECT_FALSE(message.Recipients[0].Hidden);
    EXPECT_TRUE(message.Recipients[1].Hidden);
}

TEST(PopCompose, HeaderHasDateFromToSubject)
{
    CPopMessage message;
    message.From = "me@example.net";
    message.Subject = "Greetings";
    message.AddRecipients("Ann <ann@x>, bob@y");
    message.AddRecipients("cc@z");
    message.AddRecipients("hidden@b", true);
    message.Recipients[2].Copy = true;
    ASSERT_TRUE(message.ComposeHeader(0));
    std::regex shape("Date: [A-Z][a-z]{2}, \\d{2} [A-Z][a-z]{2} \\d{4} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}\r\n"
                     "From: me@example.net\r\n"
                     "Subject: Greetings\r\n"
                     "To: Ann <ann@x>, bob@y\r\n"
                     "Cc: cc@z\r\n"
                     "Message-Id: <[^@>]+@example.net>\r\n"
                     "MIME-Version: 1.0\r\n"
                     "Content-Type: text/plain; charset=UTF-8\r\n"
                     "Content-Transfer-Encoding: 7bit\r\n");
    EXPECT_TRUE(std::regex_match(message.Header, shape)) << message.Header;
    EXPECT_EQ(message.Header.find("hidden"), std::string::npos);
}

TEST(PopCompose, NoRecipientMeansNoHeader)
{
    CPopMessage message;
    message.AddRecipients(";;");
    EXPECT_FALSE(message.ComposeHeader(0));
}

TEST(PopCompose, OnlyHiddenRecipientsGiveAnUndisclosedTo)
{
    CPopMessage message;
    message.AddRecipients("hidden@b", true);
    ASSERT_TRUE(message.ComposeHeader(0));
    EXPECT_NE(message.Header.find("To: undisclosed-recipients: ;\r\n"), std::string::npos);
}

TEST(PopCompose, HeaderValuesCannotAddLines)
{
    CPopMessage message;
    message.From = "me@x";
    message.Subject = "two\r\nBcc: injected@evil";
    message.AddRecipients("a@x");
    ASSERT_TRUE(message.ComposeHeader(0));
    EXPECT_EQ(message.Header.find("\r\nBcc:"), std::string::npos);
}

TEST(PopCompose, DateIsEnglishWithFourDigitYearAndNumericZone)
{
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(korvalin::pop::FormatMailDate(913026030), "Mon, 07 Dec 1998 10:20:30 +0000");
    setenv("TZ", "EST5EDT", 1);
    tzset();
    EXPECT_EQ(korvalin::pop::FormatMailDate(913026030), "Mon, 07 Dec 1998 05:20:30 -0500");
    setenv("TZ", "IST-5:30", 1);
    tzset();
    EXPECT_EQ(korvalin::pop::FormatMailDate(913026030), "Mon, 07 Dec 1998 15:50:30 +0530");
    unsetenv("TZ");
    tzset();
}

TEST(PopCompose, DateDoesNotFollowTheLocale)
{
    const char* old = std::setlocale(LC_TIME, nullptr);
    std::string saved = old != nullptr ? old : "C";
    // Whatever locale is installed, the names stay English.
    std::setlocale(LC_TIME, "");
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(korvalin::pop::FormatMailDate(0), "Thu, 01 Jan 1970 00:00:00 +0000");
    unsetenv("TZ");
    tzset();
    std::setlocale(LC_TIME, saved.c_str());
}

TEST(PopStuffing, EveryLineStartingWithADotGetsAnother)
{
    CPopMessage message;
    message.Body = ".first\r\nmiddle\r\n.\r\n..two\r\nend.\r\n.";
    message.StuffDots();
    EXPECT_EQ(message.Body, "..first\r\nmiddle\r\n..\r\n...two\r\nend.\r\n..");
}

TEST(PopStuffing, BareLineEndsBecomeCrLf)
{
    CPopMessage message;
    message.Body = "a\n.b\rc\r\n";
    message.StuffDots();
    EXPECT_EQ(message.Body, "a\r\n..b\r\nc\r\n");
}

TEST(PopDigest, SameHeaderSameIdOtherHeaderOtherId)
{
    std::string a = korvalin::pop::HeaderDigestId("From: a@x\r\nSubject: s");
    EXPECT_EQ(a, korvalin::pop::HeaderDigestId("From: a@x\r\nSubject: s"));
    EXPECT_NE(a, korvalin::pop::HeaderDigestId("From: a@x\r\nSubject: t"));
    EXPECT_EQ(a.find("##"), std::string::npos);
    EXPECT_FALSE(a.empty());
}

TEST(PopAccountLine, FiveFieldsInOrder)
{
    auto account = korvalin::pop::SplitAccountLine("jo=Jo Smith=jo@example.net=pop.example.net=smtp.example.net:587");
    EXPECT_EQ(account.UserName, "jo");
    EXPECT_EQ(account.DisplayName, "Jo Smith");
    EXPECT_EQ(account.FromAddress, "jo@example.net");
    EXPECT_EQ(account.PopServer, "pop.example.net");
    EXPECT_EQ(account.SmtpServer, "smtp.example.net:587");
}

TEST(PopAccountLine, EmptyFieldShiftsTheOthers)
{
    auto account = korvalin::pop::SplitAccountLine("jo==jo@example.net=pop.example.net=smtp.example.net");
    EXPECT_EQ(account.UserName, "jo");
    EXPECT_EQ(account.DisplayName, "jo@example.net");
    EXPECT_EQ(account.FromAddress, "pop.example.net");
    EXPECT_EQ(account.PopServer, "smtp.example.net");
    EXPECT_EQ(account.SmtpServer, "");

    auto runs = korvalin::pop::SplitAccountLine("===a===b=");
    EXPECT_EQ(runs.UserName, "a");
    EXPECT_EQ(runs.DisplayName, "b");
    EXPECT_EQ(runs.FromAddress, "");
}

TEST(PopLocator, IdAndNumber)
{
    std::string id;
    int number = 0;
    ASSERT_TRUE(korvalin::pop::SplitLocator("<a@x>##12", id, number));
    EXPECT_EQ(id, "<a@x>");
    EXPECT_EQ(number, 12);
    ASSERT_TRUE(korvalin::pop::SplitLocator("<a##b@x>##3", id, number));
    EXPECT_EQ(id, "<a##b@x>");
    EXPECT_EQ(number, 3);
    EXPECT_EQ(korvalin::pop::MakeLocator("<a@x>", 7), "<a@x>##7");
    EXPECT_FALSE(korvalin::pop::SplitLocator("<a@x>", id, number));
    EXPECT_FALSE(korvalin::pop::SplitLocator("<a@x>##", id, number));
    EXPECT_FALSE(korvalin::pop::SplitLocator("<a@x>##0", id, number));
    EXPECT_FALSE(korvalin::pop::SplitLocator("<a@x>##1x", id, number));
    EXPECT_FALSE(korvalin::pop::SplitLocator("<a@x>##99999999999", id, number));
}

TEST(PopThread, ReplyIdsComeFromTheHostsExtraText)
{
    struct Case {
        std::string Extra, InReplyTo, References;
    };
    const std::vector<Case> cases = {
        {"", "", ""},
        {"<p@x>", "<p@x>", "<p@x>"},
        {"<a@x> <b@y>\r\n<p@z>", "<p@z>", "<a@x> <b@y> <p@z>"},
        {"<0123456789abcdef@digest.korvalin>", "", ""},  // made up by this plug-in
        {"AAAAuidl", "", ""},                          // a UIDL standing in for an id
        {"<a b@x> <no-at> <p@x>", "<p@x>", "<p@x>"},
    };
    for (const Case& c : cases) {
        CPopMessage message;
        korvalin::pop::TakeThread(c.Extra, message);
        EXPECT_EQ(message.InReplyTo, c.InReplyTo) << c.Extra;
        EXPECT_EQ(message.References, c.References) << c.Extra;
    }
}

TEST(PopHeaderFields, EncodedWordsAndCharsetsAreDecoded)
{
    CPopMessage message = WithHeader(
        "From: =?ISO-8859-1?Q?J=F6rg?= <j@x>\r\nTo: =?UTF-8?B?SsO8cmdlbg==?= <ju@y>, \"Doe, J\" <d@z>\r\n"
        "Subject: =?ISO-8859-1?Q?Rechnung?=\r\nDate: Mon, 7 Dec 1998 10:20:30 +0000\r\nMessage-ID: <e@x>");
    message.ParseMailHeader();
    EXPECT_EQ(message.From, "Jörg <j@x>");
    EXPECT_EQ(message.Subject, "Rechnung");
    ASSERT_EQ(message.Recipients.size(), 2u);
    EXPECT_EQ(message.Recipients[0].Address, "ju@y");
    EXPECT_EQ(message.Recipients[1].Address, "d@z");
    CPopMessage summary = WithHeader(message.Header);
    summary.ParseSummaryHeader();
    EXPECT_EQ(summary.From, "Jörg <j@x>");
    EXPECT_EQ(summary.Subject, "Rechnung");
}
