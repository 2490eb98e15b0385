// The IMAP response parser and what the provider takes out of responses.
#include "ImapItems.h"
#include "ImapMessage.h"
#include "ImapProvider.h"
#include "ImapResponse.h"
#include "ImapUtf7.h"

#include <gtest/gtest.h>

using namespace korvalin::imap;

namespace {

ImapResponse Parsed(const std::string& wire)
{
    ImapResponse response;
    std::string error;
    EXPECT_TRUE(ParseResponse(wire, response, error)) << wire << ": " << error;
    return response;
}

TEST(ImapResponseParse, StatusResponsesKeepCodeArgumentsAndText)
{
    struct Case {
        std::string wire, tag, name, code, arguments, text;
        ImapResponse::Kind kind;
    };
    const Case cases[] = {
        {"* OK [UIDVALIDITY 3857529045] UIDs valid", "*", "OK", "UIDVALIDITY", "3857529045", "UIDs valid",
         ImapResponse::Untagged},
        {"K7 no [TRYCREATE] no such mailbox", "K7", "NO", "TRYCREATE", "", "no such mailbox", ImapResponse::Tagged},
        {"* BYE server shutting down", "*", "BYE", "", "", "server shutting down", ImapResponse::Untagged},
        {"+ idling", "", "", "", "", "idling", ImapResponse::Continuation},
        {"* OK [PERMANENTFLAGS (\\Seen \\*)] Limited", "*", "OK", "PERMANENTFLAGS", "(\\Seen \\*)", "Limited",
         ImapResponse::Untagged},
    };
    for (const Case& c : cases) {
        ImapResponse r = Parsed(c.wire);
        EXPECT_EQ(r.kind, c.kind) << c.wire;
        EXPECT_EQ(r.tag, c.tag) << c.wire;
        EXPECT_EQ(r.name, c.name) << c.wire;
        EXPECT_EQ(r.code, c.code) << c.wire;
        EXPECT_EQ(r.codeArguments, c.arguments) << c.wire;
        EXPECT_EQ(r.text, c.text) << c.wire;
    }
}

TEST(ImapResponseParse, DataValuesWithStringsLiteralsNilAndNesting)
{
    ImapResponse r = Parsed("* 12 FETCH (UID 7 FLAGS (\\Seen) BODY[HEADER.FIELDS (FROM SUBJECT)] {9}\r\n"
                            "From: a\r\n X NIL \"q\\\"uo\\\\te\" (a (b (c))))");
    ASSERT_TRUE(r.hasNumber);
    EXPECT_EQ(r.number, 12u);
    EXPECT_EQ(r.name, "FETCH");
    ASSERT_EQ(r.values.size(), 1u);
    const auto& items = r.values[0].items;
    ASSERT_EQ(items.size(), 10u);
    EXPECT_TRUE(items[0].IsAtom("uid"));
    EXPECT_EQ(items[3].items[0].text, "\\Seen");
    EXPECT_EQ(items[4].text, "BODY[HEADER.FIELDS (FROM SUBJECT)]");
    EXPECT_EQ(items[5].kind, ImapValue::String);
    EXPECT_EQ(items[5].text, "From: a\r\n");
    EXPECT_EQ(items[6].text, "X");
    EXPECT_EQ(items[7].kind, ImapValue::Nil);
    EXPECT_EQ(items[8].text, "q\"uo\\te");
    ASSERT_EQ(items[9].kind, ImapValue::List);
    EXPECT_EQ(items[9].items[1].items[1].items[0].text, "c");
}

TEST(ImapResponseParse, MalformedResponsesAreRefusedWithAReason)
{
    const std::string bad[] = {
        "",
        "*",
        "* 3 FETCH (UID 1",            // list not closed
        "* LIST ) \"/\" x",            // close without open
        "* 1 FETCH (BODY[] {10}\r\nshort)",  // literal longer than what follows
        "* 1 FETCH (BODY[] {99999999999999999999}\r\n)",
        "* 1 FETCH (BODY[] {5}x",      // no line end after the size
        "* X \"open",
        "K1 FETCH (UID 1)",            // tagged but not a status
        "* OK [UIDVALIDITY 1 not closed",
        "* SEARCH \x01",
    };
    for (const std::string& wire : bad) {
        ImapResponse response;
        std::string error;
        EXPECT_FALSE(ParseResponse(wire, response, error)) << wire;
        EXPECT_FALSE(error.empty()) << wire;
    }
    std::string deep = "* X ";
    for (size_t i = 0; i < kMaxNesting + 2; ++i)
        deep += "(";
    ImapResponse response;
    std::string error;
    EXPECT_FALSE(ParseResponse(deep, response, error));
}

TEST(ImapResponseParse, TrailingLiteralMarkers)
{
    EXPECT_EQ(TrailingLiteral("* 1 FETCH (BODY[] {42}", 100), 42);
    EXPECT_EQ(TrailingLiteral("* 1 FETCH (BODY[] {42+}", 100), 42);
    EXPECT_EQ(TrailingLiteral("* 1 FETCH (BODY[] {0}", 100), 0);
    EXPECT_EQ(TrailingLiteral("* 1 FETCH (BODY[] {101}", 100), -2);
    EXPECT_EQ(TrailingLiteral("* OK {x}", 100), -1);
    EXPECT_EQ(TrailingLiteral("* OK done", 100), -1);
    EXPECT_EQ(TrailingLiteral("}", 100), -1);
}

TEST(ImapArguments, QuotingEscapesAndRefusesLineBreaks)
{
    std::string quoted;
    EXPECT_TRUE(QuoteArgument("a\"b\\c", quoted));
    EXPECT_EQ(quoted, "\"a\\\"b\\\\c\"");
    EXPECT_FALSE(QuoteArgument("x\r\nK9 LOGOUT", quoted));
    EXPECT_FALSE(QuoteArgument(std::string("a\0b", 3), quoted));
}

TEST(ImapMailboxNames, ModifiedUtf7Decodes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"INBOX", "INBOX"},
        {"Sent &- Received", "Sent & Received"},
        {"Entw&APw-rfe", "Entw\xC3\xBC" "rfe"},
        {"&ZeVnLIqe-", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},
        {"&2D3eAA-", "\xF0\x9F\x98\x80"},      // a surrogate pair
        {"bad &AB*- run", "bad &AB*- run"},    // malformed: kept as written
        {"open &APw", "open &APw"},
        {"&2D0-", "&2D0-"},                    // a lone surrogate
    };
    for (const auto& [wire, shown] : cases)
        EXPECT_EQ(DecodeMailboxName(wire), shown) << wire;
}

TEST(ImapBase64, EncodesAuthenticatePlain)
{
    EXPECT_EQ(Base64(std::string("\0user\0pass", 10)), "AHVzZXIAcGFzcw==");
    EXPECT_EQ(Base64("ab"), "YWI=");
    EXPECT_EQ(Base64("abc"), "YWJj");
    EXPECT_EQ(Base64(""), "");
}

TEST(ImapItems, ListEntriesKnowTheirUse)
{
    struct Case {
        std::string wire;
        std::string name, shown;
        bool noSelect, sent, trash, inbox;
    };
    const Case cases[] = {
        {"* LIST (\\HasNoChildren \\Sent) \"/\" Outbox", "Outbox", "Outbox", false, true, false, false},
        {"* LIST (\\HasNoChildren) \".\" \"INBOX.Trash\"", "INBOX.Trash", "INBOX.Trash", false, false, true, false},
        {"* LIST (\\Noselect) \"/\" {4}\r\nArch", "Arch", "Arch", true, false, false, false},
        {"* LIST () NIL inbox", "inbox", "inbox", false, false, false, true},
        {"* LIST (\\Trash) \"/\" \"Papierkorb &AMQ-\"", "Papierkorb &AMQ-", "Papierkorb \xC3\x84", false, false,
         true, false},
    };
    for (const Case& c : cases) {
        MailboxInfo info;
        ASSERT_TRUE(TakeListEntry(Parsed(c.wire), info)) << c.wire;
        EXPECT_EQ(info.wireName, c.name);
        EXPECT_EQ(info.displayName, c.shown);
        EXPECT_EQ(info.noSelect, c.noSelect) << c.wire;
        EXPECT_EQ(info.sent, c.sent) << c.wire;
        EXPECT_EQ(info.trash, c.trash) << c.wire;
        EXPECT_EQ(info.inbox, c.inbox) << c.wire;
    }
    MailboxInfo info;
    EXPECT_FALSE(TakeListEntry(Parsed("* LIST (\\Sent)"), info));
    EXPECT_FALSE(TakeListEntry(Parsed("* LSUB () \"/\" x"), info));
}

TEST(ImapItems, FetchItemsInAnyOrder)
{
    FetchItems items;
    ASSERT_TRUE(TakeFetch(Parsed("* 3 FETCH (FLAGS (\\Seen \\Deleted) RFC822.SIZE 2049 UID 17 BODY[] {3}\r\nabc)"),
                          items));
    EXPECT_EQ(items.uid, 17u);
    EXPECT_TRUE(items.seen);
    EXPECT_TRUE(items.deleted);
    EXPECT_EQ(items.size, 2049u);
    EXPECT_EQ(items.body, "abc");
    EXPECT_EQ(SizeText(items.size), "3k");
    EXPECT_FALSE(TakeFetch(Parsed("* 3 FETCH (FLAGS (\\Seen))"), items));  // no UID
    EXPECT_FALSE(TakeFetch(Parsed("* 3 FETCH (UID x)"), items));
    EXPECT_FALSE(TakeFetch(Parsed("* 3 EXPUNGE"), items));
}

TEST(ImapItems, MailboxStateFromSelect)
{
    MailboxState state;
    for (const char* wire : {"* 172 EXISTS", "* OK [UIDVALIDITY 3857529045] x", "* OK [UIDNEXT 4392] x",
                             "* OK [HIGHESTMODSEQ 715194045007] x", "* OK [UNSEEN 12] x", "* FLAGS (\\Seen)"})
        TakeMailboxState(Parsed(wire), state);
    EXPECT_EQ(state.exists, 172u);
    EXPECT_EQ(state.uidValidity, 3857529045u);
    EXPECT_EQ(state.uidNext, 4392u);
    EXPECT_EQ(state.highestModseq, 715194045007u);
}

TEST(ImapItems, LocatorsRoundTripAndRefuseOthers)
{
    std::string name;
    uint64_t validity = 0, uid = 0;
    ASSERT_TRUE(SplitLocator(MakeLocator("Lists:Work/a b", 99, 12), name, validity, uid));
    EXPECT_EQ(name, "Lists:Work/a b");
    EXPECT_EQ(validity, 99u);
    EXPECT_EQ(uid, 12u);
    for (const char* other : {"", "msgid##3", "imap:1:0:INBOX", "imap:x:1:INBOX", "imap:1:2:", "imap:1:2"})
        EXPECT_FALSE(SplitLocator(other, name, validity, uid)) << other;
}

// The direct reading of plain header blocks gives what the MIME unit gives;
// anything it cannot read the same way is left to the MIME unit.
TEST(ImapHeaderSummary, PlainBlocksReadAsTheMimeUnitReadsThem)
{
    struct Case {
        std::string block;
        bool plain;
    };
    const Case cases[] = {
        {"From: Sender 1 <s1@example.org>\r\nSubject: Mail number 1\r\nDate: Mon, 7 Dec 1998 10:20:30 +0000\r\n"
         "Message-ID: <1@bench>\r\n\r\n", true},
        {"from: s2@example.org\r\nsubject: Hi\r\ndate: 7 Dec 1998 10:20:30 +0000\r\nmessage-id: <a.b@c.d>\r\n\r\n", true},
        {"From: \"Ann Smith\" <ann.smith@example.org>\r\nSubject:   padded  \r\n\r\n", true},
        {"From: Ann <a@b.c>\nSubject: (no subject) [x] ok!\nDate: Tue, 8 Dec 1998\n\n", true},
        {"Subject: \r\nDate: \r\n\r\n", true},
        {"From: x@y\r\n\r\n", true},
        {"Message-ID: <only@id>\r\n\r\n", true},
        {"", true},
        {"From: =?UTF-8?B?w4RuZGVy?= <a@b.c>\r\nSubject: =?ISO-8859-1?Q?Gr=FC=DFe?=\r\n\r\n", false},
        {"From: Ann <a@b.c>\r\nSubject: folded\r\n line\r\n\r\n", false},
        {"From: \"Smith, Ann\" <a@b.c>\r\n\r\n", false},
        {"From: Ann.Smith <a@b.c>\r\n\r\n", false},
        {"From: a@b.c (Ann)\r\n\r\n", false},
        {"From: <a@b.c>\r\n\r\n", false},
        {"From: Ann <a@b.c>, Bob <b@b.c>\r\n\r\n", false},
        {"From: a@b.c\r\nFrom: d@e.f\r\n\r\n", false},
        {"Subject: two  spaces\r\n\r\n", false},
        {"Subject: caf\xc3\xa9\r\n\r\n", false},
        {"Subject: tab\there\r\n\r\n", false},
        {"Message-ID: <no-at-sign>\r\n\r\n", false},
        {"Message-ID: <a@b> (comment)\r\n\r\n", false},
        {"No colon here\r\n\r\n", false},
    };
    for (const Case& c : cases) {
        HeaderSummary plain;
        EXPECT_EQ(SummarizePlainHeader(c.block, plain), c.plain) << c.block;
        HeaderSummary mime = SummarizeHeaderWithMime(c.block);
        HeaderSummary chosen = SummarizeHeader(c.block);
        EXPECT_EQ(chosen.From, mime.From) << c.block;
        EXPECT_EQ(chosen.Subject, mime.Subject) << c.block;
        EXPECT_EQ(chosen.Date, mime.Date) << c.block;
        EXPECT_EQ(chosen.MessageId, mime.MessageId) << c.block;
    }
}

}  // namespace
