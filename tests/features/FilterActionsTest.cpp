#include "FeatureTestBed.h"
#include "FolderSummary.h"
#include "MailCache.h"
#include "TextConversion.h"

#include <gtest/gtest.h>

namespace korvalin::test {
namespace {

SummaryEntry Mail(const std::string& id, const std::string& from, const std::string& subject, bool isNew = true)
{
    SummaryEntry entry;
    entry.From = from;
    entry.Subject = subject;
    entry.Locator = "/mail?id=" + id;
    entry.MessageId = id;
    entry.New = isNew;
    return entry;
}

Filter Rule(const std::string& name)
{
    Filter filter;
    filter.NAME = name;
    return filter;
}

class FilterActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        bed.WriteHostsConf("vendor.web = https://vendor.example\n");
        bed.engine().Online().SetOnline(false);  // no checks start behind the test's back
        account = bed.AddAccount("HotMail", "joe");
        script = bed.Script("HotMail");
        summary = bed.engine().Mail().OpenFolder(*account->Inbox());
        ASSERT_TRUE(summary);
    }

    void SetFilters(FilterList filters) { bed.hooks.Filters().SetFilters(*account, std::move(filters)); }
    void ServeMail(const std::string& id, const std::string& body, const std::string& from,
                   const std::string& subject)
    {
        CMailMessage headers;
        headers.From = from;
        headers.Subject = subject;
        headers.To = "joe@hotmail.example";
        std::lock_guard lock(script->mutex);
        script->mails["/mail?id=" + id] = {body, headers};
    }
    bool Listed(const std::string& id) { return summary->FindRow(id) >= 1; }
    std::optional<SummaryEntry> Listing(const std::string& id)
    {
        int row = summary->FindRow(id);
        return row >= 1 ? summary->Entry(row) : std::nullopt;
    }

    FeatureBed bed;
    std::shared_ptr<CAccount> account;
    std::shared_ptr<MailScript> script;
    std::shared_ptr<FolderSummary> summary;
};

TEST_F(FilterActions, FilterWithoutConditionsMatchesEveryMailAndNewOnlyEveryNewMail)
{
    Filter all = Rule("all");
    EXPECT_TRUE(FilterMatches(all, Mail("1", "a", "b", false)));
    Filter fresh = Rule("new");
    fresh.NEW = true;
    EXPECT_TRUE(FilterMatches(fresh, Mail("1", "a", "b", true)));
    EXPECT_FALSE(FilterMatches(fresh, Mail("1", "a", "b", false)));
}

TEST_F(FilterActions, ConditionsAreCaseSensitiveContainmentAndAnEmptyTextMatches)
{
    Filter boss = Rule("boss");
    boss.FROMPRES = true;
    boss.FROM = "Smith";
    EXPECT_TRUE(FilterMatches(boss, Mail("1", "John Smith <js@x>", "hi")));
    EXPECT_FALSE(FilterMatches(boss, Mail("1", "john smith <js@x>", "hi")));
    boss.SUBJPRES = true;
    boss.SUBJECT = "Report";
    EXPECT_FALSE(FilterMatches(boss, Mail("1", "John Smith", "report due")));
    EXPECT_TRUE(FilterMatches(boss, Mail("1", "John Smith", "Weekly Report")));
    boss.SUBJECT = "";
    EXPECT_TRUE(FilterMatches(boss, Mail("1", "John Smith", "anything")));
    // A condition not in force is not looked at.
    boss.FROMPRES = false;
    EXPECT_TRUE(FilterMatches(boss, Mail("1", "someone else", "anything")));
}

TEST_F(FilterActions, OnlyTheFirstMatchingFilterActsAndReorderingChangesWhich)
{
    Filter first = Rule("first");
    first.FORWARD = "first@x.example";
    Filter second = Rule("second");
    second.DELETE = true;
    ServeMail("1", "body", "ann@x.example", "Hello");
    SetFilters({first, second});
    EXPECT_GE(summary->AddSummaryEntry(Mail("1", "ann@x.example", "Hello"), false), 1);
    bed.WaitForRequests();
    EXPECT_EQ(script->Events(), (std::vector<std::string>{"get /mail?id=1", "send first@x.example"}));

    SetFilters({second, first});
    EXPECT_EQ(summary->AddSummaryEntry(Mail("2", "ann@x.example", "Hello"), false), -1);
    bed.WaitForRequests();
    EXPECT_EQ(script->Events().back(), "delete /mail?id=2");
    EXPECT_FALSE(Listed("2"));
}

TEST_F(FilterActions, ForwardAndDeleteQueueSendThenDeleteAndTheMailIsNeverListed)
{
    Filter rule = Rule("away");
    rule.FORWARD = "me@home.example";
    rule.DELETE = true;
    SetFilters({rule});
    ServeMail("7", Bytes("<p>Dear Joe,<BR>see <a href=\"x\">this</a> &amp; that\0more"), "ann@x.example", "Plans");
    EXPECT_EQ(summary->AddSummaryEntry(Mail("7", "Ann", "Plans (listed)"), false), -1);
    bed.WaitForRequests();
    EXPECT_EQ(script->Events(),
              (std::vector<std::string>{"get /mail?id=7", "send me@home.example", "delete /mail?id=7"}));
    EXPECT_FALSE(Listed("7"));

    auto sent = script->Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Subject, "Plans");
    EXPECT_TRUE(sent[0].From.empty() && sent[0].CC.empty() && sent[0].BCC.empty());
    // Banner, then the mail without its tags, form-encoded for a web account.
    const std::string plain = "-------Auto forwarded by Korvalin Mail--------\n"
                              "Get Korvalin Mail from https://vendor.example \n"
                              "and add power to your web based email accounts.\n"
                              "----------------------------------------------\n"
                              "\nDear Joe,see this & that\nmore";
    EXPECT_EQ(sent[0].Body, FormEncode(plain));
    // The copy fetched for the forward went with the mail.
    for (const auto& file : std::filesystem::directory_iterator(account->Folder()))
        EXPECT_FALSE(IsCachedMailFileName(file.path().filename().string())) << file.path();
}

TEST_F(FilterActions, ForwardOnlyLeavesTheMailListedAndCached)
{
    Filter rule = Rule("copy");
    rule.FORWARD = "me@home.example";
    SetFilters({rule});
    ServeMail("3", "the body", "ann@x.example", "Plans");
    EXPECT_GE(summary->AddSummaryEntry(Mail("3", "Ann", "Plans"), false), 1);
    bed.WaitForRequests();
    auto listed = Listing("3");
    ASSERT_TRUE(listed);
    ASSERT_FALSE(listed->Cache.empty());
    auto file = CachedMailFile(account->Folder(), listed->Cache);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadFile(*file), "the body");
    EXPECT_EQ(listed->Message.From, "ann@x.example");
}

TEST_F(FilterActions, ACachedMailIsForwardedFromItsCopyWithoutFetching)
{
    Filter rule = Rule("copy");
    rule.FORWARD = "me@home.example";
    SetFilters({rule});
    std::string error;
    auto reference = StoreCachedMail(account->Folder(), "kept copy", &error);
    ASSERT_TRUE(reference) << error;
    SummaryEntry entry = Mail("4", "Ann", "Plans");
    entry.Cache = *reference;
    entry.Message.Subject = "Plans";
    EXPECT_FALSE(bed.hooks.ApplyFilters(*summary, entry));
    bed.WaitForRequests();
    EXPECT_EQ(script->Events(), (std::vector<std::string>{"send me@home.example"}));
    EXPECT_NE(script->Sent()[0].Body.find("kept%20copy"), std::string::npos);

    // A copy that has gone: the entry loses it, the person is told, nothing is sent.
    std::filesystem::remove(*CachedMailFile(account->Folder(), *reference));
    entry.Cache = *reference;
    EXPECT_FALSE(bed.hooks.ApplyFilters(*summary, entry));
    EXPECT_TRUE(entry.Cache.empty());
    EXPECT_EQ(bed.bed.ui.MessageTexts(), (std::vector<std::string>{kCachedMailUnreadable}));
    bed.WaitForRequests();
    EXPECT_EQ(script->Events().size(), 1u);
}

TEST_F(FilterActions, ForwardAndReplyTakeTheSubjectOfTheMailItselfNotTheListed)
{
    const std::filesystem::path replyFile = bed.bed.dir.Path() / "reply.txt";
    WriteFile(replyFile, "away");
    struct Case {
        std::string id, forward, reply, sentSubject;
    };
    for (const Case& c : {Case{"f", "me@home.example", "", ""}, Case{"r", "", replyFile.string(), "Autoreply: "}}) {
        Filter rule = Rule("rule");
        rule.FORWARD = c.forward;
        rule.REPLY = c.reply;
        SetFilters({rule});
        ServeMail(c.id, "body", "ann@x.example", "");
        summary->AddSummaryEntry(Mail(c.id, "Ann", "Listed subject"), false);
        bed.WaitForRequests();
        auto sent = script->Sent();
        ASSERT_FALSE(sent.empty()) << c.id;
        EXPECT_EQ(sent.back().Subject, c.sentSubject) << c.id;
    }
}

TEST_F(FilterActions, EntriesKnownOnlyFromDiskAreNeverFiltered)
{
    Filter rule = Rule("delete all");
    rule.DELETE = true;
    SetFilters({rule});
    SummaryEntry entry = Mail("5", "Ann", "Plans");
    entry.Locator = "(cached)";
    EXPECT_FALSE(bed.hooks.ApplyFilters(*summary, entry));
    bed.WaitForRequests();
    EXPECT_TRUE(script->Events().empty());
}

TEST_F(FilterActions, AFailedFetchForwardsAndDeletesNothing)
{
    Filter rule = Rule("away");
    rule.FORWARD = "me@home.example";
    rule.DELETE = true;
    SetFilters({rule});
    // The service does not know the mail: GetMail leaves From empty.
    EXPECT_GE(summary->AddSummaryEntry(Mail("8", "Ann", "Plans"), false), 1);
    bed.WaitForRequests();
    EXPECT_EQ(script->Events(), (std::vector<std::string>{"get /mail?id=8"}));
    auto listed = Listing("8");
    ASSERT_TRUE(listed);
    EXPECT_TRUE(listed->Cache.empty());
}

class AutoReply : public FilterActions {
protected:
    void SetUp() override
    {
        FilterActions::SetUp();
        replyFile = bed.bed.dir.Path() / "reply.txt";
        WriteFile(replyFile, "I am away.\r\nBack on Monday.");
        Filter rule = Rule("away");
        rule.REPLY = replyFile.string();
        rule.DELETE = true;
        SetFilters({rule});
    }

    std::filesystem::path replyFile;
};

TEST_F(AutoReply, ReplyFetchesAnUnknownSenderAndIsBuiltOnce)
{
    ServeMail("1", "hello", "Ann <ann@x.example>", "Lunch?");
    ServeMail("2", "hello", "bob@y.example", "Dinner?");
    EXPECT_EQ(summary->AddSummaryEntry(Mail("1", "Ann", "Lunch?"), false), -1);
    bed.WaitForRequests();
    // Edits of the reply file apply only after the filters are read again.
    WriteFile(replyFile, "changed");
    EXPECT_EQ(summary->AddSummaryEntry(Mail("2", "Bob", "Dinner?"), false), -1);
    bed.WaitForRequests();

    EXPECT_EQ(script->Events(),
              (std::vector<std::string>{"get /mail?id=1", "send Ann <ann@x.example>", "delete /mail?id=1",
                                        "get /mail?id=2", "send bob@y.example", "delete /mail?id=2"}));
    auto sent = script->Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].Subject, "Autoreply: Lunch?");
    const std::string text = "--------Auto replied by Korvalin Mail---------\n"
                             "Get Korvalin Mail from https://vendor.example \n"
                             "and add power to your web based email accounts.\n"
                             "----------------------------------------------\n"
                             "I am away.\nBack on Monday.\n";
    EXPECT_EQ(sent[0].Body, FormEncode(text));
    EXPECT_EQ(sent[1].Body, FormEncode(text));
}

TEST_F(AutoReply, NoReplyToAnAutoreplyOrToTheAccountItself)
{
    ServeMail("1", "x", "other@y.example", "Autoreply: Lunch?");
    ServeMail("2", "x", "Joe <JOE@hotmail.example>", "Note to self");
    EXPECT_EQ(summary->AddSummaryEntry(Mail("1", "other", "Autoreply: Lunch?"), false), -1);
    bed.WaitForRequests();
    EXPECT_EQ(summary->AddSummaryEntry(Mail("2", "Joe", "Note to self"), false), -1);
    bed.WaitForRequests();
    // The delete of the same filter still happens.
    EXPECT_EQ(script->Events(), (std::vector<std::string>{"get /mail?id=1", "delete /mail?id=1", "get /mail?id=2",
                                                          "delete /mail?id=2"}));
}

TEST_F(AutoReply, UnreadableReplyFileSkipsReplyAndDeleteAndIsTriedAgain)
{
    std::filesystem::remove(replyFile);
    ServeMail("1", "x", "ann@x.example", "Lunch?");
    EXPECT_GE(summary->AddSummaryEntry(Mail("1", "Ann", "Lunch?"), false), 1);
    bed.WaitForRequests();
    EXPECT_TRUE(script->Events().empty());
    auto texts = bed.bed.ui.MessageTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("could not be read"), std::string::npos);

    WriteFile(replyFile, "now here");
    ServeMail("2", "x", "ann@x.example", "Lunch?");
    EXPECT_EQ(summary->AddSummaryEntry(Mail("2", "Ann", "Lunch?"), false), -1);
    bed.WaitForRequests();
    EXPECT_EQ(script->Events().back(), "delete /mail?id=2");
}

TEST_F(AutoReply, PopAccountsSendTheTextAsItIs)
{
    auto pop = bed.AddAccount("POPMail", "pat");
    pop->Update([](AccountState& state) {
        state.isPop = true;
        state.pop.emailAddress = "pat@pop.example";
    });
    Filter rule = Rule("away");
    rule.REPLY = replyFile.string();
    bed.hooks.Filters().SetFilters(*pop, {rule});
    auto popScript = bed.Script("POPMail");
    {
        CMailMessage headers;
        headers.From = "ann@x.example";
        headers.Subject = "Hi";
        std::lock_guard lock(popScript->mutex);
        popScript->mails["/mail?id=1"] = {"x", headers};
    }
    auto popSummary = bed.engine().Mail().OpenFolder(*pop->Inbox());
    popSummary->AddSummaryEntry(Mail("1", "ann", "Hi"), false);
    bed.WaitForRequests();
    auto sent = popScript->Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].Body.find("I am away.\nBack on Monday.\n"), std::string::npos);
}

}  // namespace
}  // namespace korvalin::test
