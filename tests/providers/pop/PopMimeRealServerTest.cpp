// Real-world-shaped MIME mails through real servers: the corpus read from
// Dovecot comes out decoded in the summary and on the page; a mail sent
// through aiosmtpd reads back correctly with Python's email package.
#include "Filter.h"
#include "MailPage.h"
#include "PopTestSupport.h"
#include "RealMailServers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using korvalin::test::RealMailServers;
using testing::HasSubstr;
using testing::Not;

namespace {

class MimeServers : public testing::Environment {
public:
    void SetUp() override
    {
        SkipReason = RealMailServers::MissingReason();
        if (!SkipReason.empty())
            return;
        Servers = std::make_unique<RealMailServers>();
        if (!Servers->Start(StartError))
            Servers.reset();
    }
    void TearDown() override { Servers.reset(); }

    static inline std::unique_ptr<RealMailServers> Servers;
    static inline std::string SkipReason;
    static inline std::string StartError;
};

[[maybe_unused]] testing::Environment* const kServers = testing::AddGlobalTestEnvironment(new MimeServers);

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\r':
            json += "\\r";
            break;
        case '\t':
            json += "\\t";
            break;
        default:
            json += c;
        }
    }
    return json + "\"";
}

// What Python's email package reads in a mail file: field name -> JSON string.
std::map<std::string, std::string> ReadWithPython(const std::string& path)
{
    std::map<std::string, std::string> fields;
    std::string command = "/usr/bin/python3 '" + std::string(KORVALIN_READ_MAIL) + "' '" + path + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return fields;
    std::string output;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    ::pclose(pipe);
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return fields;
}

class MimeRealServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!MimeServers::SkipReason.empty())
            GTEST_SKIP() << MimeServers::SkipReason;
        ASSERT_NE(MimeServers::Servers, nullptr) << MimeServers::StartError;
        Servers().ClearMailbox();
    }

    static RealMailServers& Servers() { return *MimeServers::Servers; }

    std::unique_ptr<CPopProvider> Provider()
    {
        auto provider = std::make_unique<CPopProvider>();
        provider->SetUserProfile(Servers().AccountLine(), RealMailServers::kPassword);
        return provider;
    }
};

struct CorpusMail {
    std::string File, From, Subject;
    std::vector<std::string> OnPage;
    std::vector<std::string> Attachments;  // listed part names
};

}  // namespace

TEST_F(MimeRealServerTest, CorpusComesOutDecodedInSummaryAndPage)
{
    const std::vector<CorpusMail> corpus = {
        {"alternative-qp-base64.eml", "Renée Dupré <renee@example.com>", "Café demain?", {"Café au lait"}, {}},
        {"latin1.eml", "\"Müller, Hans\" <hans@example.de>", "Rechnung für Dezember", {"42,00 £"}, {}},
        {"shift-jis-subject.eml", "山田 <yamada@example.jp>", "日本語の件名", {"Grüße aus Tokio"}, {}},
        {"rfc2231-attachment.eml", "Office <office@example.at>", "Die Unterlagen", {"invoice attached"},
         {"€ Rechnung März.pdf", "profile"}},
        {"html-cid-remote.eml", "News <news@shop.example>", "Your weekly offers", {"cid:logo@shop.example"}, {}},
        {"broken-boundary.eml", "broken@example.org", "Broken structure", {"The second part is cut off"}, {}},
        {"forward-rfc822.eml", "Bob <bob@example.com>", "Fwd: Original", {"Le texte d'origine, à bientôt."}, {}},
    };
    int n = 0;
    for (const CorpusMail& mail : corpus) {
        Servers().Deliver(ReadFile(std::string(KORVALIN_MAIL_CORPUS) + "/" + mail.File),
                          "corpus-" + std::to_string(++n));
        ASSERT_TRUE(Provider()->DoLogin());  // Dovecot numbers it before the next
    }
    auto provider = Provider();
    CSummaryArray list;
    ASSERT_TRUE(provider->GetMailSummary(list, -1)) << provider->Pop.LastError;
    ASSERT_EQ(list.size(), corpus.size());
    // Filters see the decoded text: "Rechnung" and "Müller" were sent encoded.
    struct FilterCase {
        bool onSubject;
        std::string text;
        std::string matchedFile;
    };
    for (const FilterCase& c : std::vector<FilterCase>{{true, "Rechnung", "latin1.eml"},
                                                       {false, "Müller", "latin1.eml"},
                                                       {true, "日本語", "shift-jis-subject.eml"},
                                                       {false, "Renée", "alternative-qp-base64.eml"}}) {
        korvalin::Filter filter;
        filter.SUBJPRES = c.onSubject;
        filter.FROMPRES = !c.onSubject;
        (c.onSubject ? filter.SUBJECT : filter.FROM) = c.text;
        std::vector<std::string> matched;
        for (size_t i = 0; i < list.size(); ++i)
            if (korvalin::FilterMatches(filter, list[i]))
                matched.push_back(corpus[i].File);
        EXPECT_EQ(matched, std::vector<std::string>{c.matchedFile}) << c.text;
    }
    for (size_t i = 0; i < corpus.size(); ++i) {
        SCOPED_TRACE(corpus[i].File);
        EXPECT_EQ(list[i].From, corpus[i].From);
        EXPECT_EQ(list[i].Subject, corpus[i].Subject);
        std::string page;
        CMailMessage message;
        ASSERT_TRUE(provider->GetMail(list[i].Locator, page, message));
        EXPECT_EQ(message.From, corpus[i].From);
        EXPECT_EQ(message.Subject, corpus[i].Subject);
        korvalin::mime::ReadPageResult read = korvalin::mime::ReadPage(page);
        std::string body(read.Body);
        for (const std::string& text : corpus[i].OnPage)
            EXPECT_THAT(body, HasSubstr(text));
        // No raw transfer encoding reaches the page's text.
        for (const char* raw : {"PGh0bWw", "JVBER", "iVBOR", "=C3=", "Content-Transfer-Encoding"})
            EXPECT_THAT(body, Not(HasSubstr(raw)));
        std::vector<std::string> listed;
        for (const korvalin::mime::PagePart& part : read.Parts)
            if (part.Listed)
                listed.push_back(part.FileName);
        EXPECT_EQ(listed, corpus[i].Attachments);
    }
}

TEST_F(MimeRealServerTest, SentMailReadsBackWithAnotherMailReader)
{
    auto provider = Provider();
    CMailMessage outgoing;
    outgoing.To = "Jürgen Groß <testuser@example.net>";
    outgoing.CC = "\"Doe, Jane\" <cc@example.org>";
    outgoing.Subject = "Grüße — 日本語";
    outgoing.Body = "Zeile mit Umlauten: äöü\r\n.\r\n" + std::string(1100, 'z') + "\r\nEnde";
    outgoing.Extra = "<root@example.org> <parent@example.org>";
    ASSERT_TRUE(provider->SendMail(outgoing)) << provider->Smtp.LastError;

    std::string file;
    for (const auto& entry : std::filesystem::directory_iterator(Servers().Maildir() + "/new"))
        file = entry.path();
    ASSERT_FALSE(file.empty());
    std::map<std::string, std::string> read = ReadWithPython(file);
    ASSERT_FALSE(read.empty()) << "read_mail.py gave nothing";
    EXPECT_EQ(read["Subject"], JsonString(outgoing.Subject));
    EXPECT_EQ(read["From"], JsonString("testuser@example.net"));
    EXPECT_EQ(read["To"], JsonString("Jürgen Groß <testuser@example.net>"));
    EXPECT_EQ(read["Cc"], JsonString("\"Doe, Jane\" <cc@example.org>"));
    EXPECT_EQ(read["In-Reply-To"], JsonString("<parent@example.org>"));
    EXPECT_EQ(read["References"], JsonString("<root@example.org> <parent@example.org>"));
    EXPECT_EQ(read["MIME-Version"], JsonString("1.0"));
    EXPECT_EQ(read["content-type"], JsonString("text/plain"));
    EXPECT_EQ(read["charset"], JsonString("utf-8"));
    EXPECT_THAT(read["Message-ID"], HasSubstr("@example.net>"));
    // The SMTP transfer ends every mail with an empty line before the final dot.
    EXPECT_EQ(read["body"], JsonString("Zeile mit Umlauten: äöü\n.\n" + std::string(1100, 'z') + "\nEnde\n\n"));
    EXPECT_EQ(read["defects"], JsonString(""));
}
