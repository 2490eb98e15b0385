// The texts of a new mail: reply and forward subjects, the quoted original,
// and the body that leaves for a POP or a web-mail account.
#include "ComposeText.h"

#include "UserSettings.h"

#include <gtest/gtest.h>

namespace korvalin::ui::test {
namespace {

TEST(ComposeText, ReplySubjectPutsRePrefixInFrontUnlessItIsThereInUpperCase)
{
    EXPECT_EQ(ReplySubject("Lunch"), "RE:Lunch");
    EXPECT_EQ(ReplySubject("RE: Lunch"), "RE: Lunch");
    EXPECT_EQ(ReplySubject("  Re: Lunch"), "RE:Re: Lunch") << "leading blanks go, the test is case-sensitive";
    EXPECT_EQ(ReplySubject(""), "RE:");
}

TEST(ComposeText, ForwardSubjectAlwaysPutsFwInFront)
{
    EXPECT_EQ(ForwardSubject("Lunch"), "FW:Lunch");
    EXPECT_EQ(ForwardSubject("FW:Lunch"), "FW:FW:Lunch");
}

TEST(ComposeText, QuotedOriginalPrefixesEveryLineDropsEmptyOnesAndEndsWithAPrefix)
{
    const std::string quoted = QuotedOriginal("Hello Ann,\r\n\r\n\nsee you <BR>at noon&amp;later\n", "> ");
    EXPECT_EQ(quoted, "\n\n===========Original Message===========\n> Hello Ann,\n> see you at noon&later\n> ");
}

TEST(ComposeText, QuotedOriginalOfAnEmptyMailIsTheHeadingAndOnePrefix)
{
    EXPECT_EQ(QuotedOriginal("\r\n\r\n", "|"), "\n\n===========Original Message===========\n|");
}

TEST(ComposeText, PrefixFollowsTheSubjectAndTheOptions)
{
    ComposeOptions options;
    options.prefixReply = true;
    options.replyPrefix = "> ";
    options.prefixForward = true;
    options.forwardPrefix = "| ";
    EXPECT_EQ(QuotePrefix(options, "RE:Lunch"), "> ");
    EXPECT_EQ(QuotePrefix(options, "FW:Lunch"), "| ");
    EXPECT_EQ(QuotePrefix(options, "FWD Lunch"), "| ") << "any subject beginning with FW is a forward";
    options.prefixForward = false;
    EXPECT_EQ(QuotePrefix(options, "FW:Lunch"), "");
    options.prefixReply = false;
    EXPECT_EQ(QuotePrefix(options, "Lunch"), "");
}

TEST(ComposeText, StartingBodyHoldsTheSignatureWithLineFeedsOnly)
{
    UserSettings settings("https://www.example.org");
    ComposeOptions options = ComposeOptions::FromSettings(settings);
    ASSERT_TRUE(options.addSignature) << "on by default";
    const std::string body = StartingBody(options);
    EXPECT_EQ(body.rfind("\n\n", 0), 0u);
    EXPECT_EQ(body.find('\r'), std::string::npos);
    EXPECT_NE(body.find("https://www.example.org"), std::string::npos);
    options.addSignature = false;
    EXPECT_EQ(StartingBody(options), "\n\n");
}

TEST(ComposeText, PopMailIsSentAsTypedWithTheFooter)
{
    ComposedMail mail;
    mail.to = "ann@example.org\nsecond line";
    mail.cc = "bob@example.org";
    mail.bcc = "eve@example.org";
    mail.subject = "Hi";
    mail.body = "Dear Ann,\nyes & no.";
    mail.saveCopy = true;
    const CMailMessage message = BuildOutgoingMail(mail, "https://k.example", true);
    EXPECT_EQ(message.To, "ann@example.org") << "only the first line of To";
    EXPECT_EQ(message.CC, "bob@example.org");
    EXPECT_EQ(message.BCC, "eve@example.org");
    EXPECT_EQ(message.Subject, "Hi");
    EXPECT_TRUE(message.From.empty());
    EXPECT_TRUE(message.Extra.empty());
    EXPECT_TRUE(message.SaveCopy);
    EXPECT_EQ(message.Body, "\nDear Ann,\nyes & no." + MailFooter("https://k.example"));
    EXPECT_NE(MailFooter("https://k.example").find("Use Korvalin Mail from https://k.example\n"), std::string::npos);
}

TEST(ComposeText, WebMailBodyIsPercentEncodedButForLettersAndDigits)
{
    ComposedMail mail;
    mail.to = "ann@example.org";
    mail.body = "a=1 & b\xE9";
    const CMailMessage message = BuildOutgoingMail(mail, "k", false);
    EXPECT_EQ(message.Body.rfind("%0Aa%3D1%20%26%20b%E9%0A", 0), 0u) << message.Body;
    EXPECT_EQ(message.Body.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789%"),
              std::string::npos);
    EXPECT_EQ(message.To, "ann@example.org") << "only the body is encoded";
}

TEST(ComposeText, FirstRecipientLineIsCutAt255Characters)
{
    EXPECT_EQ(FirstRecipientLine(std::string(300, 'a')).size(), 255u);
    EXPECT_EQ(FirstRecipientLine("\nann@example.org"), "");
}

}  // namespace
}  // namespace korvalin::ui::test
