#include "TextScanner.h"

#include <gtest/gtest.h>

TEST(TextScanner, FindAndFindAfterCountFromTheStartAndSkipThePosition)
{
    CTextScanner scanner;
    EXPECT_EQ(scanner.Find("abcabc", "c"), 2);
    EXPECT_EQ(scanner.FindAfter("abcabc", "c", 2), 5);
    EXPECT_EQ(scanner.FindAfter("abcabc", "c", 5), -1);
    EXPECT_EQ(scanner.FindAfter("abc", "a", -1), 0);
    EXPECT_EQ(scanner.Find("abc", "x"), -1);
    // A marker starting exactly one byte after the position is found.
    EXPECT_EQ(scanner.FindAfter("aab", "a", 0), 1);
}

TEST(TextScanner, FindAfterAtOrPastTheEndGivesMissing)
{
    CTextScanner scanner;
    EXPECT_EQ(scanner.FindAfter("abc", "c", 3), -1);
    EXPECT_EQ(scanner.FindAfter("abc", "c", 1000), -1);
    EXPECT_EQ(scanner.FindAfter("", "a", -1), -1);
    EXPECT_EQ(scanner.FindAfter("abc", "a", -5), -1);
}

TEST(TextScanner, ExtractCopiesTheRangeAndReusesScratch)
{
    CTextScanner scanner;
    EXPECT_EQ(scanner.Extract("abcdef", 1, 4), "bcd");
    EXPECT_EQ(scanner.Extract("abcdef", 4, 1), "");
    EXPECT_EQ(scanner.Extract("abcdef", 2, 100), "cdef");
    EXPECT_EQ(scanner.Extract("abcdef", -3, 2), "ab");
    const std::string& first = scanner.Extract("xyz", 0, 1);
    scanner.Extract("xyz", 1, 3);
    EXPECT_EQ(first, "yz") << "a result is valid only until the next Extract";
}

TEST(TextScanner, ExtractHandlesValuesLongerThanAnyFixedBuffer)
{
    CTextScanner scanner;
    std::string line = "<b>" + std::string(5000, 'v') + "</b>";
    EXPECT_EQ(scanner.Extract(line, 3, scanner.Find(line, "</b>")).size(), 5000u);
}

TEST(TextScanner, StripTagsTurnsARowIntoCells)
{
    CTextScanner scanner;
    EXPECT_EQ(scanner.StripTags("<tr><td>&nbsp;Ann&nbsp;</td><td>&nbsp;Mar 5&nbsp;</td></tr>"), "Ann;Mar 5");
    EXPECT_EQ(scanner.StripTags("<td>&nbsp;a&nbsp;</td><td>&nbsp;b&nbsp;</td><td>&nbsp;c&nbsp;</td>"), "a;b;c");
    // A single semicolon inside a value disappears; a doubled one survives as one.
    EXPECT_EQ(scanner.StripTags("<td>&nbsp;x;y&nbsp;</td><td>&nbsp;p;;q&nbsp;</td>"), "xy;p;q");
}

TEST(TextScanner, StripTagsGivesNothingWithoutSpacesOrTags)
{
    CTextScanner scanner;
    EXPECT_EQ(scanner.StripTags("<b>bold</b>"), "");
    EXPECT_EQ(scanner.StripTags("no tags &nbsp;here&nbsp;"), "");
    EXPECT_EQ(scanner.StripTags(""), "");
    // An unclosed tag ends the tag pass; text after the last tag is not kept.
    EXPECT_EQ(scanner.StripTags("<td>&nbsp;a&nbsp;</td><td"), "a");
    std::string longRow;
    for (int i = 0; i < 300; ++i)
        longRow += "<td>&nbsp;cell" + std::to_string(i) + "&nbsp;</td>";
    EXPECT_EQ(scanner.StripTags(longRow).substr(0, 11), "cell0;cell1");
}
