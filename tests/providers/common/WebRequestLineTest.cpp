#include "WebRequest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadAll(const std::string& page, bool dropLineEnd, size_t size = 1024)
{
    CWebRequest request;
    EXPECT_TRUE(request.AttachResponse(&page));
    std::vector<std::string> lines;
    std::vector<char> buffer(size);
    while (request.ReadLine(buffer.data(), buffer.size(), dropLineEnd) > 0)
        lines.emplace_back(buffer.data());
    return lines;
}

}  // namespace

TEST(WebRequestLines, LfPageGivesOneLinePerRead)
{
    EXPECT_EQ(ReadAll("one\ntwo\n", false), (std::vector<std::string>{"one\n", "two\n"}));
    EXPECT_EQ(ReadAll("one\ntwo\n", true), (std::vector<std::string>{"one", "two"}));
}

TEST(WebRequestLines, CrLfPageGivesALoneLfAfterEveryLine)
{
    EXPECT_EQ(ReadAll("one\r\ntwo\r\n", false), (std::vector<std::string>{"one\r", "\n", "two\r", "\n"}));
    EXPECT_EQ(ReadAll("one\r\ntwo\r\n", true), (std::vector<std::string>{"one", "", "two", ""}));
}

TEST(WebRequestLines, LastLineWithoutEndIsWholeAndEndRepeatsZero)
{
    std::string page = "first\nlast";
    CWebRequest request;
    request.AttachResponse(&page);
    char buffer[64];
    EXPECT_EQ(request.ReadLine(buffer, sizeof buffer, true), 6u);
    EXPECT_STREQ(buffer, "first");
    EXPECT_EQ(request.ReadLine(buffer, sizeof buffer, true), 4u);
    EXPECT_STREQ(buffer, "last");
    EXPECT_EQ(request.ReadLine(buffer, sizeof buffer, true), 0u);
    EXPECT_EQ(request.ReadLine(buffer, sizeof buffer, true), 0u);
}

TEST(WebRequestLines, LongLineComesInTerminatedPiecesInsideTheBuffer)
{
    std::string page = std::string(25, 'x') + "\nend\n";
    CWebRequest request;
    request.AttachResponse(&page);
    char buffer[12];
    std::string joined;
    size_t pieces = 0;
    size_t consumed;
    while ((consumed = request.ReadLine(buffer, sizeof buffer, false)) > 0) {
        ASSERT_LT(std::char_traits<char>::length(buffer), sizeof buffer);
        joined += buffer;
        ++pieces;
    }
    EXPECT_EQ(joined, page);
    EXPECT_EQ(pieces, 4u);  // 11 + 11 + "xxx\n" + "end\n"
}

TEST(WebRequestLines, NoResponseOrEmptyResponseReadsNothing)
{
    CWebRequest request;
    char buffer[16];
    EXPECT_FALSE(request.AttachResponse(nullptr));
    EXPECT_EQ(request.ReadLine(buffer, sizeof buffer, true), 0u);
    std::string empty;
    EXPECT_TRUE(request.AttachResponse(&empty));
    EXPECT_EQ(request.ReadLine(buffer, sizeof buffer, true), 0u);
}

TEST(WebRequestLines, AttachingAnotherResponseKeepsReadPos)
{
    std::string first = "abc\n";
    std::string second = "0123456789\n";
    CWebRequest request;
    request.AttachResponse(&first);
    std::string line;
    request.ReadLine(line, true);
    request.AttachResponse(&second);
    request.ReadLine(line, true);
    EXPECT_EQ(line, "456789");
}

TEST(WebRequestLines, TextAfterLtYieldsTheBareAddress)
{
    CWebRequest request;
    EXPECT_EQ(request.TextAfterLt("plain line"), "plain line");
    EXPECT_EQ(request.TextAfterLt("Ann &lt;ann.x&gt;"), "ann.x");
    EXPECT_EQ(request.TextAfterLt("&lt;ann.x"), "ann.x");
    EXPECT_EQ(request.TextAfterLt(std::string(3000, 'n') + "&lt;" + std::string(3000, 'a') + "&gt;"),
              std::string(3000, 'a'));
}
