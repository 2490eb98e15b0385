#include "TextConversion.h"

#include <gtest/gtest.h>

namespace korvalin {
namespace {

std::string Stripped(std::string text)
{
    RemoveTags(text);
    return text;
}

TEST(RemoveTags, EntitiesParagraphsAndSimpleTags)
{
    EXPECT_EQ(Stripped("Tom &amp; Jerry"), "Tom & Jerry");
    EXPECT_EQ(Stripped("line<BR>more"), "linemore");  // no line break for <BR>
    EXPECT_EQ(Stripped("a<P>b<p>c</P>"), "a\nb\nc");
    EXPECT_EQ(Stripped("&lt;b&gt; &quot;q&quot; x&nbsp;y"), "<b> \"q\" xy");
    EXPECT_EQ(Stripped("<TR><TD>cell</td></tr></TABLE><HR><div>d</DIV><PRE>p</pre>"), "celldp");
}

TEST(RemoveTags, EntitiesAreReplacedInOrderOnce)
{
    // "&amp;lt;" becomes "&lt;" after the "&lt;" pass is over: it stays.
    EXPECT_EQ(Stripped("&amp;lt;"), "&lt;");
    // A "&lt;BR&gt;" becomes "<BR>" before the tag pass, which then removes it.
    EXPECT_EQ(Stripped("x&lt;BR&gt;y"), "xy");
}

TEST(RemoveTags, AnchorsAreReducedToTheirText)
{
    EXPECT_EQ(Stripped("see <a href=\"http://x/?a=1\" target=_blank>the page</a>!"), "see the page!");
    EXPECT_EQ(Stripped("<A HREF=x>One</A> <a name=y>Two</a>"), "One Two");
    // Only "<a " and "<A " with a blank: other tags and forms stay.
    EXPECT_EQ(Stripped("<abbr>x</abbr><b>bold</b><a\thref=z>t</a><Br>"), "<abbr>x</abbr><b>bold</b><a\thref=z>t<Br>");
}

TEST(RemoveTags, AnchorJoinedByARemovalIsRemovedToo)
{
    EXPECT_EQ(Stripped("<<a x>a y>text"), "text");
}

TEST(RemoveTags, AnchorWithoutItsEndStaysAndNothingHangs)
{
    EXPECT_EQ(Stripped("before <a href=broken"), "before <a href=broken");
    EXPECT_EQ(Stripped("<a x>ok</a> then <A never closed"), "ok then <A never closed");
}

TEST(RemoveTags, TheAdMarkerCutsEverythingAfterIt)
{
    EXPECT_EQ(Stripped("Hello<BR>\n<!-- KORVALIN AD STARTS HERE --><a href=ad>Buy</a>"), "Hello\n");
    EXPECT_EQ(Stripped("<!-- KORVALIN AD STARTS HERE -->"), "");
}

TEST(RemoveTags, NeverLongerAndLogsWhenAsked)
{
    DiagnosticLog log;
    log.SetLevel(loglevel::kEverything);
    std::string text = "<p>&amp;&amp;<a b>c</a>";
    const size_t before = text.size();
    RemoveTags(text, &log);
    EXPECT_LE(text.size(), before);
    auto entries = log.TakePending();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].message, "Eating all tags from the mail");
}

TEST(FormEncode, LettersAndDigitsStayEverythingElseIsEscaped)
{
    EXPECT_EQ(FormEncode("Hello World 42"), "Hello%20World%2042");
    EXPECT_EQ(FormEncode("a=b&c\n"), "a%3Db%26c%0A");
    EXPECT_EQ(FormEncode("-._~+%"), "%2D%2E%5F%7E%2B%25");
    EXPECT_EQ(FormEncode(std::string("\xE9\x00", 2)), "%E9%00");
    EXPECT_EQ(FormEncode(""), "");
}

TEST(FormEncode, LogsWhenAsked)
{
    DiagnosticLog log;
    log.SetLevel(loglevel::kEverything);
    FormEncode("x", &log);
    auto entries = log.TakePending();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].message, "Reformatting the mail.");
}

}  // namespace
}  // namespace korvalin
