#include "MailPage.h"

#include <gtest/gtest.h>

using namespace korvalin::mime;

TEST(MailPage, PartsRoundTripWhateverTheirNames)
{
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    std::vector<PagePart> parts = {
        {"a \"quoted\" --> name.pdf", "application/pdf", "", binary, true},
        {"", "image/png", "logo@x", "\x89PNG", false},
        {"empty.txt", "text/plain", "", "", true},
    };
    std::string page = WritePage("<p>body</p>", parts);
    EXPECT_EQ(page.rfind("<meta charset=\"utf-8\">", 0), 0u);
    ReadPageResult read = ReadPage(page);
    EXPECT_NE(read.Body.find("<p>body</p>"), std::string_view::npos);
    ASSERT_EQ(read.Parts.size(), parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(read.Parts[i].FileName, parts[i].FileName);
        EXPECT_EQ(read.Parts[i].ContentType, parts[i].ContentType);
        EXPECT_EQ(read.Parts[i].ContentId, parts[i].ContentId);
        EXPECT_EQ(read.Parts[i].Data, parts[i].Data);
        EXPECT_EQ(read.Parts[i].Listed, parts[i].Listed);
    }
}

TEST(MailPage, ABodyCannotForgeParts)
{
    // The mail's own text carries a marker and a part; only the real list counts.
    std::string forged = std::string(kPartsMarker) + "\n<!--korvalin-part name=\"evil.sh\" type=\"text/x-sh\" cid=\"\" "
                                                     "listed=\"1\"\nZWNobyBldmls\n-->\n";
    std::string page = WritePage("<p>hi</p>" + forged, {{"real.txt", "text/plain", "", "ok", true}});
    ReadPageResult read = ReadPage(page);
    ASSERT_EQ(read.Parts.size(), 1u);
    EXPECT_EQ(read.Parts[0].FileName, "real.txt");
    EXPECT_NE(read.Body.find("evil.sh"), std::string_view::npos);
}

TEST(MailPage, PagesWithoutMarkerOrWithBrokenPartsStillRead)
{
    EXPECT_EQ(ReadPage("<p>web page</p>").Body, "<p>web page</p>");
    EXPECT_TRUE(ReadPage("<p>web page</p>").Parts.empty());
    std::string broken = std::string(kPartsMarker) + "<!--korvalin-part no line end -->\n<!--korvalin-part name=\"x\"";
    EXPECT_TRUE(ReadPage(broken).Parts.empty());
}

TEST(MailPage, Base64)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}};
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(Base64Encode(plain), encoded);
        EXPECT_EQ(Base64Decode(encoded), plain);
    }
    EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
}
