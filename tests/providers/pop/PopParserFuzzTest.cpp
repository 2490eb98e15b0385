// Random and truncated header blocks, recipient lists, dates, locators and
// account lines: the parsers never crash and keep their promises.
#include "PopMessage.h"
#include "PopProvider.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include <algorithm>
#include <random>

namespace {

const std::string kRealHeader =
    "Return-Path: <anna.meyer@example.com>\r\n"
    "Received: from mx.example.com (mx.example.com [198.51.100.7])\r\n"
    "\tby mail.example.net (Postfix) with ESMTPS id 4F2A\r\n"
    "\tfor <testuser@example.net>; Mon, 1 Jan 2024 09:01:00 +0100\r\n"
    "Message-ID: <1704096060.abcdef@example.com>\r\n"
    "Date: Mon, 1 Jan 2024 09:01:00 +0100\r\n"
    "From: \"Anna Meyer\" <anna.meyer@example.com>\r\n"
    "To: Test User <testuser@example.net>, \"Doe, J\" <j@x>; k@y\r\n"
    "CC: <c@z>\r\n"
    "Subject: Re: Meeting notes #123\r\n"
    "MIME-Version: 1.0";

const char kAlphabet[] = "\r\n:<>\",;. \tFROMDATESUBJCTIDfromx@1234567890=#\0\xff";

std::string Mutate(std::mt19937& random, std::string text)
{
    std::uniform_int_distribution<int> action(0, 5);
    int edits = std::uniform_int_distribution<int>(1, 8)(random);
    for (int i = 0; i < edits; ++i) {
        size_t at = text.empty() ? 0 : std::uniform_int_distribution<size_t>(0, text.size() - 1)(random);
        char c = kAlphabet[std::uniform_int_distribution<size_t>(0, sizeof kAlphabet - 1)(random)];
        switch (action(random)) {
        case 0:
            text = text.substr(0, at);  // truncated
            break;
        case 1:
            text.insert(at, 1, c);
            break;
        case 2:
            if (!text.empty())
                text[at] = c;
            break;
        case 3:
            if (!text.empty())
                text.erase(at, std::uniform_int_distribution<size_t>(1, 40)(random));
            break;
        case 4:
            text = text.substr(at);
            break;
        default:
            text.insert(at, text.substr(0, std::min<size_t>(at, 30)));
        }
    }
    return text;
}

std::string RandomBytes(std::mt19937& random, size_t most)
{
    std::string text(std::uniform_int_distribution<size_t>(0, most)(random), '\0');
    for (char& c : text)
        c = kAlphabet[std::uniform_int_distribution<size_t>(0, sizeof kAlphabet - 1)(random)];
    return text;
}

}  // namespace

TEST(PopParserFuzz, HeaderBlocksNeverBreakTheParsers)
{
    std::mt19937 random(20240101);
    for (int round = 0; round < 20000; ++round) {
        std::string header = round % 4 == 0 ? RandomBytes(random, 300) : Mutate(random, kRealHeader);
        CPopMessage summary;
        summary.Header = header;
        summary.ParseSummaryHeader();
        for (const std::string* field : {&summary.From, &summary.Subject, &summary.MessageId})
            ASSERT_EQ(field->find("\r\n"), std::string::npos) << header;

        CPopMessage mail;
        mail.Header = header;
        mail.ParseMailHeader();
        for (const CPopMessage::Recipient& recipient : mail.Recipients)
            ASSERT_FALSE(recipient.Address.empty()) << header;

        std::string digest = korvalin::pop::HeaderDigestId(header);
        ASSERT_EQ(digest, korvalin::pop::HeaderDigestId(header));
    }
}

TEST(PopParserFuzz, ListsDatesLocatorsAndAccountLines)
{
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text = RandomBytes(random, 120);

        CPopMessage message;
        message.AddRecipients(text, round % 2 == 0);
        for (const CPopMessage::Recipient& recipient : message.Recipients)
            ASSERT_FALSE(recipient.Address.empty());

        korvalin::pop::SummaryDate(text);
        korvalin::pop::SummaryDate(Mutate(random, "Mon, 7 Dec 1998 10:20:30 +0000"));

        std::string id;
        int number = 0;
        if (korvalin::pop::SplitLocator(text, id, number)) {
            ASSERT_GT(number, 0);
        }

        auto account = korvalin::pop::SplitAccountLine(text);
        for (const std::string* field : {&account.UserName, &account.DisplayName, &account.FromAddress,
                                         &account.PopServer, &account.SmtpServer})
            ASSERT_EQ(field->find('='), std::string::npos);
    }
}

TEST(PopParserFuzz, ComposedMailStaysWellFormed)
{
    std::mt19937 random(99);
    for (int round = 0; round < 5000; ++round) {
        CPopMessage message;
        message.From = RandomBytes(random, 30);
        message.Subject = RandomBytes(random, 60);
        message.Body = RandomBytes(random, 400);
        message.AddRecipients(RandomBytes(random, 60));
        message.AddRecipients("fallback@x");
        ASSERT_TRUE(message.ComposeHeader(0));
        // Only the composed fields, each on its line or folded onto the
        // next with a leading blank; CR LF line ends, short lines.
        ASSERT_EQ(std::count(message.Header.begin(), message.Header.end(), '\n'),
                  std::count(message.Header.begin(), message.Header.end(), '\r'))
            << message.Header;
        std::regex field("(Date|From|To|Cc|Subject|Message-Id|MIME-Version|Content-Type|Content-Transfer-Encoding):( .*)?"
                         "|[ \t].*");
        std::set<std::string> names;
        size_t start = 0;
        for (size_t end; (end = message.Header.find("\r\n", start)) != std::string::npos; start = end + 2) {
            std::string line = message.Header.substr(start, end - start);
            ASSERT_TRUE(std::regex_match(line, field)) << line << "\n" << message.Header;
            ASSERT_LE(line.size(), 998u);
            ASSERT_EQ(line.find('\r'), std::string::npos);
            if (line[0] != ' ' && line[0] != '\t') {
                ASSERT_TRUE(names.insert(line.substr(0, line.find(':'))).second) << message.Header;
            }
        }
        ASSERT_EQ(start, message.Header.size());
        ASSERT_EQ(names.count("From"), 1u) << message.Header;
        ASSERT_EQ(names.count("To"), 1u) << message.Header;

        message.StuffDots();
        // No line of the sent body is a lone "." and every line end is CR LF.
        const std::string& body = message.Body;
        ASSERT_NE(body.substr(0, 2), ".\r");
        ASSERT_EQ(body.find("\r\n.\r\n"), std::string::npos);
        for (size_t i = 0; i < body.size(); ++i) {
            if (body[i] == '\n') {
                ASSERT_TRUE(i > 0 && body[i - 1] == '\r');
            }
            if (body[i] == '\r') {
                ASSERT_TRUE(i + 1 < body.size() && body[i + 1] == '\n');
            }
        }
    }
}
