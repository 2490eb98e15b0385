#include "FeatureTestBed.h"
#include "FilterFile.h"
#include "IcqPaging.h"

#include <gtest/gtest.h>

namespace korvalin::test {
namespace {

Filter Sample()
{
    Filter filter;
    filter.NAME = "Boss";
    filter.NEW = true;
    filter.FROMPRES = true;
    filter.FROM = "Smith";
    filter.SUBJECT = "ignored text";
    filter.FORWARD = "me@home.example";
    filter.REPLY = "/tmp/reply.txt";
    filter.DELETE = true;
    return filter;
}

TEST(FilterFile, WritesNineKeyedLinesWithCrLf)
{
    EXPECT_EQ(FilterFileText({Sample()}),
              "NAME=Boss\r\nNEW=y\r\nFROMPRES=y\r\nFROM=Smith\r\nSUBJPRES=n\r\nSUBJECT=ignored text\r\n"
              "FORWARD=me@home.example\r\nREPLY=/tmp/reply.txt\r\nDELETE=y\r\n");
}

TEST(FilterFile, RoundTripKeepsEveryFieldAndTheOrder)
{
    Filter second;
    second.NAME = "second = with equals";
    second.SUBJPRES = true;
    FilterList read = ParseFilterFile(FilterFileText({Sample(), second}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].NAME, "Boss");
    EXPECT_TRUE(read[0].NEW && read[0].FROMPRES && !read[0].SUBJPRES && read[0].DELETE);
    EXPECT_EQ(read[0].FROM, "Smith");
    EXPECT_EQ(read[0].SUBJECT, "ignored text");
    EXPECT_EQ(read[0].FORWARD, "me@home.example");
    EXPECT_EQ(read[0].REPLY, "/tmp/reply.txt");
    EXPECT_FALSE(read[0].replyTextReady);
    EXPECT_EQ(read[1].NAME, "second = with equals");
    EXPECT_TRUE(read[1].SUBJPRES);
}

TEST(FilterFile, ReadsLenientlyUpToTheFirstMalformedRecord)
{
    const std::string good = FilterFileText({Sample()});
    // Upper-case "Y" is true, anything else false; LF-only lines are fine.
    FilterList read = ParseFilterFile("NAME=a\nNEW=Y\nFROMPRES=yes\nFROM=\nSUBJPRES=n\nSUBJECT=\nFORWARD=\nREPLY=\n"
                                      "DELETE=Y\n" +
                                      good + "NAME=broken\r\nNEW=y\r\nFROM=x\r\n" + good);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_TRUE(read[0].NEW);
    EXPECT_FALSE(read[0].FROMPRES);
    EXPECT_TRUE(read[0].DELETE);
    EXPECT_EQ(read[1].NAME, "Boss");
    // A record cut short by the end of the file is dropped.
    EXPECT_EQ(ParseFilterFile(good + "NAME=half\r\nNEW=y\r\n").size(), 1u);
    EXPECT_TRUE(ParseFilterFile("garbage\r\n" + good).empty());
}

TEST(FilterFile, ALineBreakInAValueCannotSplitItsRecord)
{
    Filter filter = Sample();
    filter.NAME = "two\r\nlines";
    filter.FORWARD = "a@b\nNAME=injected";
    FilterList read = ParseFilterFile(FilterFileText({filter, Sample()}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].NAME, "two");
    EXPECT_EQ(read[0].FORWARD, "a@b");
}

TEST(FilterFile, PathIsTheLoginAndProviderUnderFilters)
{
    EXPECT_EQ(FilterFilePath("/data", "joe", "HotMail"), std::filesystem::path("/data/Filters/joe.HotMail"));
    EXPECT_FALSE(FilterFilePath("/data", "../../etc/x", "HotMail"));
}

TEST(FilterRules, LoadAtLoginSaveAndLoadAgainAfterRestart)
{
    FeatureBed bed;
    auto account = bed.AddAccount("HotMail", "joe");
    bed.hooks.LoadFilters(*account);  // no file: no filters, no message
    EXPECT_TRUE(bed.hooks.Filters().Filters(*account).empty());
    bed.hooks.Filters().AppendFilter(*account, Sample());
    EXPECT_TRUE(bed.hooks.Filters().SaveFilters(*account));
    const auto file = bed.bed.paths.dataRoot / "Filters" / "joe.HotMail";
    EXPECT_EQ(ReadFile(file), FilterFileText({Sample()}));

    // A second login keeps the list in memory instead of reading it again.
    WriteFile(file, "");
    bed.hooks.LoadFilters(*account);
    EXPECT_EQ(bed.hooks.Filters().Filters(*account).size(), 1u);

    WriteFile(file, FilterFileText({Sample(), Sample()}));
    auto other = bed.AddAccount("HotMail", "joe2");
    std::filesystem::copy_file(file, bed.bed.paths.dataRoot / "Filters" / "joe2.HotMail");
    bed.hooks.LoadFilters(*other);
    EXPECT_EQ(bed.hooks.Filters().Filters(*other).size(), 2u);
    EXPECT_TRUE(bed.bed.ui.MessageTexts().empty());
}

TEST(FilterRules, FailedSaveTellsThePersonTwiceAndDeletesNothing)
{
    FeatureBed bed;
    auto account = bed.AddAccount("HotMail", "joe");
    // "Filters" is a plain file: no filter file can be written below it.
    WriteFile(bed.bed.paths.dataRoot / "Filters", "in the way");
    bed.hooks.Filters().AppendFilter(*account, Sample());
    EXPECT_FALSE(bed.hooks.Filters().SaveFilters(*account));
    auto texts = bed.bed.ui.MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("could not be written"), std::string::npos);
    EXPECT_EQ(texts[1], kFilterSaveFailed);
    EXPECT_EQ(ReadFile(bed.bed.paths.dataRoot / "Filters"), "in the way");
}

TEST(FilterRules, ListShownBeforeTheFirstLoginIsTheStoredOne)
{
    FeatureBed bed;
    auto account = bed.AddAccount("HotMail", "joe");
    const auto file = bed.bed.paths.dataRoot / "Filters" / "joe.HotMail";
    WriteFile(file, FilterFileText({Sample()}));
    // Adding a rule to an account that has not logged in yet keeps the stored ones.
    ASSERT_TRUE(AddIcqPaging(bed.engine(), bed.hooks.Filters(), *account, "123456"));
    FilterList saved = ParseFilterFile(ReadFile(file));
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].NAME, "Boss");
}

TEST(IcqPaging, ForwardsEveryNewMailToThePager)
{
    FeatureBed bed;
    bed.WriteHostsConf("icq.pager = pager.example\n");
    auto account = bed.AddAccount("HotMail", "joe");
    ASSERT_TRUE(AddIcqPaging(bed.engine(), bed.hooks.Filters(), *account, "12345"));
    FilterList saved = ParseFilterFile(ReadFile(bed.bed.paths.dataRoot / "Filters" / "joe.HotMail"));
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].NAME, "ICQ Paging");
    EXPECT_TRUE(saved[0].NEW);
    EXPECT_FALSE(saved[0].FROMPRES || saved[0].SUBJPRES || saved[0].DELETE);
    EXPECT_EQ(saved[0].FORWARD, "12345@pager.example");
    EXPECT_TRUE(saved[0].REPLY.empty());

    EXPECT_FALSE(AddIcqPaging(bed.engine(), bed.hooks.Filters(), *account, "12a45"));
    EXPECT_FALSE(AddIcqPaging(bed.engine(), bed.hooks.Filters(), *account, ""));
    EXPECT_EQ(bed.hooks.Filters().Filters(*account).size(), 1u);
}

}  // namespace
}  // namespace korvalin::test
