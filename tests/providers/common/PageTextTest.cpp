#include "PageText.h"

#include <gtest/gtest.h>

using namespace korvalin;

TEST(PageText, TextBetweenTakesTheFirstOpenAndTheNextCloseAfterIt)
{
    EXPECT_EQ(TextBetween("<a href=\"/x\">one</a><a href=\"/y\">", "href=\"", "\""), "/x");
    EXPECT_EQ(TextBetween("end\" then value=\"v\"", "value=\"", "\""), "v") << "a close before the open is passed";
    EXPECT_EQ(TextBetween("id=\"\"", "id=\"", "\""), "") << "the close may follow the open at once";
    EXPECT_EQ(TextBetween("abab", "ab", "ab"), "") << "the close is looked for from the value on";
    EXPECT_EQ(TextBetween("no marker here", "id=", ";"), "");
    EXPECT_EQ(TextBetween("id=42 and no end", "id=", ";"), "");
    EXPECT_EQ(TextBetween("id=", "id=", ";"), "");
}

TEST(PageText, TrimmingDropsOnlyTheNamedBlanks)
{
    EXPECT_EQ(Trim(" \t\v a b \f\r\n"), "a b");
    EXPECT_EQ(Trim(" \t\r\n"), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(" \va b\f\n", kBlanksAndLineEnds), "\va b\f") << "a vertical tab or form feed stays";
    EXPECT_EQ(Trim("\r\n folder \r\n", kBlanksAndLineEnds), "folder");
    EXPECT_EQ(TrimLeft("\t\v 12 KB \r\n"), "12 KB \r\n");
    EXPECT_EQ(TrimLeft(" \n"), "");
}

TEST(PageText, ReplaceAllWorksLeftToRightWithoutRescanningWhatItWrote)
{
    EXPECT_EQ(ReplaceAll("a&amp;b&amp;&amp;c", "&amp;", "&"), "a&b&&c");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAll("a-a", "a", "aa"), "aa-aa");
    EXPECT_EQ(ReplaceAll("1&nbsp;KB", "&nbsp;", ""), "1KB");
    EXPECT_EQ(ReplaceAll("nothing", "x", "y"), "nothing");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc") << "an empty marker replaces nothing and ends";
}

TEST(PageText, BracketsAndQuotesAreDecodedAndLineEndsDropped)
{
    EXPECT_EQ(DecodeBrackets("Ann &lt;ann@host&gt; &quot;A&quot;"), "Ann <ann@host> \"A\"");
    EXPECT_EQ(DecodeBrackets("&lt &amp;lt;"), "&lt &amp;lt;") << "only the whole entities count";

    EXPECT_EQ(WithoutLineEnd("Subject\r\n\r\n"), "Subject");
    EXPECT_EQ(WithoutLineEnd("two\nlines\n"), "two\nlines");
    EXPECT_EQ(WithoutLineEnd("\r\n"), "");
    EXPECT_EQ(WithoutLineEnd("none"), "none");
}
