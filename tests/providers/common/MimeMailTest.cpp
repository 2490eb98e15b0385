#include "MimeMail.h"

#include <gtest/gtest.h>

#include "MailPage.h"

#include <fstream>
#include <random>
#include <sstream>
#include <thread>

using namespace korvalin::mime;

namespace {

std::string ReadCorpus(const std::string& name)
{
    std::ifstream file(std::string(KORVALIN_MAIL_CORPUS) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_FALSE(text.str().empty()) << name;
    return text.str();
}

bool IsUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

struct PartWant {
    std::string FileName, ContentType, ContentId;
    size_t Size;
    bool Listed;
};

struct CorpusCase {
    std::string File;
    std::string From, Subject;
    std::vector<std::string> Shown;   // in the body
    std::vector<std::string> Hidden;  // never in the body
    std::vector<PartWant> Parts;
};

const std::vector<CorpusCase> kCorpus = {
    {"alternative-qp-base64.eml",
     "Renée Dupré <renee@example.com>",
     "Café demain?",
     {"<p>Café au lait — <b>bientôt</b></p>"},
     {"=C3", "PGh0bWw", "soft=", "=_alt_7f3a"},
     {}},
    {"latin1.eml",
     "\"Müller, Hans\" <hans@example.de>",
     "Rechnung für Dezember",
     {"<pre", "Rechnung für Dezember: 42,00 £ &amp; &lt;keine&gt; Mahnung.\n</pre>"},
     {"\r", "<keine>"},
     {}},
    {"shift-jis-subject.eml",
     "山田 <yamada@example.jp>",
     "日本語の件名",
     {"Grüße aus Tokio. Dieser Absatz ist mit weichen Zeilenumbrüchen geschrieben.\n",
      "&gt; Zitat, das auch weich umbricht.\n", "\n-- \nYamada\n"},
     {"weichen \n"},
     {}},
    {"rfc2231-attachment.eml",
     "Office <office@example.at>",
     "Die Unterlagen",
     {"Please find the invoice attached."},
     {"JVBER", "export PATH"},
     {{"€ Rechnung März.pdf", "application/pdf", "", 9 + 256 + 7, true},
      {"profile", "text/plain", "", 17, true}}},
    {"html-cid-remote.eml",
     "News <news@shop.example>",
     "Your weekly offers",
     {"src=\"cid:logo@shop.example\"", "Only € 9,99 this week!", "http://tracker.shop.example/open.gif?u=42"},
     {"iVBOR"},
     {{"", "image/png", "logo@shop.example", 70, false}}},
    {"broken-boundary.eml",
     "broken@example.org",
     "Broken structure",
     {"The first part survives.", "The second part is cut off but still shown"},
     {"VGhl"},
     {}},
    {"forward-rfc822.eml",
     "Bob <bob@example.com>",
     "Fwd: Original",
     {"See below.", "Forwarded message", "From: Chérie &lt;cherie@example.fr&gt;", "Subject: Original",
      "Le texte d'origine, à bientôt."},
     {"=C3=A0"},
     {}},
};

}  // namespace

TEST(MimeMail, CorpusMailsComeOutDecoded)
{
    for (const CorpusCase& c : kCorpus) {
        SCOPED_TRACE(c.File);
        std::string raw = ReadCorpus(c.File);
        ParsedMail mail = ParseMail(raw);
        EXPECT_EQ(mail.Headers.From, c.From);
        EXPECT_EQ(mail.Headers.Subject, c.Subject);
        for (const std::string& shown : c.Shown)
            EXPECT_NE(mail.Body.find(shown), std::string::npos) << shown << "\n--- body:\n" << mail.Body;
        for (const std::string& hidden : c.Hidden)
            EXPECT_EQ(mail.Body.find(hidden), std::string::npos) << hidden;
        ASSERT_EQ(mail.Parts.size(), c.Parts.size());
        for (size_t i = 0; i < c.Parts.size(); ++i) {
            EXPECT_EQ(mail.Parts[i].FileName, c.Parts[i].FileName);
            EXPECT_EQ(mail.Parts[i].ContentType, c.Parts[i].ContentType);
            EXPECT_EQ(mail.Parts[i].ContentId, c.Parts[i].ContentId);
            EXPECT_EQ(mail.Parts[i].Data.size(), c.Parts[i].Size);
            EXPECT_EQ(mail.Parts[i].Listed, c.Parts[i].Listed);
        }
        // The header block alone (as TOP gives it) decodes the same.
        MailHeaders top = ParseHeaders(raw.substr(0, raw.find("\r\n\r\n")));
        EXPECT_EQ(top.From, c.From);
        EXPECT_EQ(top.Subject, c.Subject);
    }
}

TEST(MimeMail, HeaderFieldsOfTheCorpus)
{
    MailHeaders headers = ParseMail(ReadCorpus("alternative-qp-base64.eml")).Headers;
    EXPECT_EQ(headers.To, "Paul <paul@example.net>");
    EXPECT_EQ(headers.Cc, "Jürgen <juergen@example.org>");
    EXPECT_EQ(headers.Date, "Mon, 07 Dec 2026 10:20:30 +0100");
    EXPECT_EQ(headers.MessageId, "<alt-1@example.com>");
}

TEST(MimeMail, AnythingParsesWithoutCrashing)
{
    const std::vector<std::string> inputs = {
        "", "\r\n", "garbage without any header", "Subject: =?UTF-8?B?broken", std::string(3, '\0'),
        "Content-Type: multipart/mixed; boundary=x\r\n\r\n--x\r\n--x\r\n--x--",
        "Content-Type: message/rfc822\r\n\r\nContent-Type: message/rfc822\r\n\r\n",
        "Content-Type: text/plain; charset=no-such-charset\r\n\r\n\xE9t\xE9",
        "Content-Type: text/plain; charset=utf-8\r\n\r\n\xFF\xFE invalid"};
    for (const std::string& input : inputs) {
        ParsedMail mail = ParseMail(input);
        EXPECT_TRUE(IsUtf8(mail.Body) && IsUtf8(mail.Headers.Subject)) << input;
    }
}

TEST(MimeMail, AMailWithoutReadableTextStillShowsSomething)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Content-Type: multipart/mixed; boundary=x\r\n\r\nno parts here at all\r\n", "no parts here at all"},
        {"Content-Type: multipart/mixed; boundary=x\n\nbare line ends, no parts\n", "bare line ends, no parts"},
        {"Content-Type: multipart/mixed; boundary=x\r\n\r\n--x\r\nContent-Type: application/pdf; name=a.pdf\r\n\r\n"
         "%PDF\r\n--x--\r\n",
         "attachments are listed below"},
    };
    for (const auto& [raw, shown] : cases) {
        ParsedMail mail = ParseMail(raw);
        EXPECT_NE(mail.Body.find(shown), std::string::npos) << raw << "\n" << mail.Body;
    }
}

TEST(MimeMail, DecodesEncodedWords)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"=?ISO-8859-1?Q?Rechnung?=", "Rechnung"},
        {"=?utf-8?q?Gr=C3=BC=C3=9Fe?= und =?UTF-8?B?S8O2bG4=?=", "Grüße und Köln"},
        {"plain text", "plain text"},
        {"=?unknown-charset?Q?abc?=", "abc"},
    };
    for (const auto& [encoded, decoded] : cases)
        EXPECT_EQ(DecodeHeaderText(encoded), decoded) << encoded;
}

TEST(MimeMail, MarkupIsEscaped)
{
    EXPECT_EQ(EscapeHtml("<a@x> & <script>"), "&lt;a@x&gt; &amp; &lt;script&gt;");
    EXPECT_EQ(EscapeHtml("say \"hi\""), "say &quot;hi&quot;");
    EXPECT_EQ(EscapeHtml("plain"), "plain");
}

TEST(MimeMail, SafeFileNames)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"report.pdf", "report.pdf"},
        {"../../etc/passwd", "passwd"},
        {"C:\\Users\\x\\.bashrc", "bashrc"},
        {"...hidden", "hidden"},
        {"line\r\nbreak\t.txt", "linebreak.txt"},
        {"dots at end. . ", "dots at end"},
        {"..", ""},
        {std::string(300, 'a') + ".txt", std::string(200, 'a')},
    };
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(SafeFileName(name), safe) << name;
}

TEST(MimeMail, UnflowsFlowedText)
{
    const std::vector<std::tuple<std::string, bool, std::string>> cases = {
        {"one \ntwo\nthree\n", false, "one two\nthree\n"},
        {"one \ntwo\n", true, "onetwo\n"},
        {"> a \n> b\nc\n", false, "> a b\nc\n"},
        {" From stuffed\n", false, "From stuffed\n"},
        {"-- \nsig\n", false, "-- \nsig\n"},
    };
    for (const auto& [flowed, delsp, plain] : cases)
        EXPECT_EQ(UnflowText(flowed, delsp), plain) << flowed;
}

TEST(MimeMail, ComposedMailIsValidMimeAndReadsBack)
{
    OutgoingMail out;
    out.From = {"Jörg Müller", "joerg@example.org"};
    out.To = {{"Ann", "ann@example.net"}, {"Doe, J", "j@example.net"}};
    out.Cc = {{"", "cc@example.net"}};
    out.Subject = "Grüße aus Köln";
    out.Text = "Zeile eins\nZeile zwei: çà\n.\n" + std::string(1500, 'x') + "\n";
    out.Date = 1700000000;
    out.InReplyTo = "<orig@example.com>";
    out.References = "<first@example.com>";
    ComposedMail composed = ComposeMail(out);

    EXPECT_NE(composed.Header.find("MIME-Version: 1.0\r\n"), std::string::npos);
    EXPECT_NE(composed.Header.find("Content-Type: text/plain; charset=UTF-8\r\n"), std::string::npos);
    EXPECT_NE(composed.Header.find("Content-Transfer-Encoding: quoted-printable\r\n"), std::string::npos);
    EXPECT_NE(composed.Header.find("In-Reply-To: <orig@example.com>\r\n"), std::string::npos);
    EXPECT_NE(composed.Header.find("References: <first@example.com> <orig@example.com>\r\n"), std::string::npos);
    EXPECT_NE(composed.MessageId.find("@example.org>"), std::string::npos);
    for (const std::string* text : {&composed.Header, &composed.Body}) {
        size_t start = 0;
        for (size_t end; (end = text->find("\r\n", start)) != std::string::npos; start = end + 2)
            EXPECT_LE(end - start, 998u);
        EXPECT_EQ(start, text->size()) << "every line ends with CR LF";
        for (char c : *text)
            EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "7-bit transport";
    }
    ParsedMail back = ParseMail(composed.Header + "\r\n" + composed.Body);
    EXPECT_EQ(back.Headers.Subject, out.Subject);
    EXPECT_EQ(back.Headers.From, "Jörg Müller <joerg@example.org>");
    EXPECT_EQ(back.Headers.To, "Ann <ann@example.net>, \"Doe, J\" <j@example.net>");
    EXPECT_EQ(back.Headers.Cc, "cc@example.net");
    EXPECT_EQ(back.Headers.MessageId, composed.MessageId);
    EXPECT_NE(back.Body.find("Zeile zwei: çà\n.\n" + std::string(1500, 'x')), std::string::npos);
}

TEST(MimeMail, BodyEncodingFollowsTextAndServer)
{
    struct Case {
        std::string Text;
        bool EightBit;
        std::string Encoding;
    };
    const std::vector<Case> cases = {
        {"plain ascii\n", false, "7bit"},
        {"plain ascii\n", true, "7bit"},
        {"Grüße\n", false, "quoted-printable"},
        {"Grüße\n", true, "8bit"},
        {"Grüße " + std::string(1200, 'y') + "\n", true, "quoted-printable"},
        {std::string(1200, 'y') + "\n", false, "quoted-printable"},
    };
    for (const Case& c : cases) {
        OutgoingMail out;
        out.From = {"", "me@example.org"};
        out.To = {{"", "you@example.org"}};
        out.Text = c.Text;
        out.EightBit = c.EightBit;
        ComposedMail composed = ComposeMail(out);
        EXPECT_NE(composed.Header.find("Content-Transfer-Encoding: " + c.Encoding + "\r\n"), std::string::npos)
            << c.Text.substr(0, 20) << " 8bit=" << c.EightBit << "\n" << composed.Header;
    }
}

TEST(MimeMail, ParsesOnManyThreadsAtOnce)
{
    std::string raw = ReadCorpus("alternative-qp-base64.eml");
    std::vector<std::thread> threads;
    std::vector<std::string> subjects(4);
    for (size_t i = 0; i < subjects.size(); ++i)
        threads.emplace_back([&, i] {
            for (int n = 0; n < 50; ++n)
                subjects[i] = ParseMail(raw).Headers.Subject;
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const std::string& subject : subjects)
        EXPECT_EQ(subject, "Café demain?");
}

TEST(MimeMail, MutatedCorpusReadsWithoutCrashing)
{
    std::mt19937 random(2026);
    std::vector<std::string> mails;
    for (const CorpusCase& c : kCorpus)
        mails.push_back(ReadCorpus(c.File));
    const std::string specials = "=?<>\"\r\n-;:*'%";
    for (int round = 0; round < 3000; ++round) {
        std::string mail = mails[static_cast<size_t>(round) % mails.size()];
        int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !mail.empty(); ++e) {
            size_t at = random() % mail.size();
            switch (random() % 4) {
            case 0:
                mail[at] = static_cast<char>(random());
                break;
            case 1:
                mail[at] = specials[random() % specials.size()];
                break;
            case 2:
                mail.erase(at, random() % 40);
                break;
            default:
                mail.resize(at);
            }
        }
        ParsedMail parsed = ParseMail(mail);
        korvalin::mime::ReadPageResult page = korvalin::mime::ReadPage(PageOf(parsed));
        ASSERT_EQ(page.Parts.size(), parsed.Parts.size());
        ASSERT_TRUE(IsUtf8(parsed.Body) && IsUtf8(parsed.Headers.From) && IsUtf8(parsed.Headers.Subject));
        ParseHeaders(mail);
    }
}
