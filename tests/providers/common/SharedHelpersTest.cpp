#include "FormEncoding.h"
#include "HostsConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace korvalin;

TEST(FormEncoding, KeepsUnreservedAndEscapesTheRest)
{
    EXPECT_EQ(EncodeFormValue("Az09-._~"), "Az09-._~");
    EXPECT_EQ(EncodeFormValue("p&ss=w rd+%"), "p%26ss%3Dw%20rd%2B%25");
    EXPECT_EQ(EncodeFormValue("Re: hi&to=x"), "Re%3A%20hi%26to%3Dx");
    EXPECT_EQ(EncodeFormValue(std::string("\xE9\n", 2)), "%E9%0A");
    EXPECT_EQ(EncodeFormValue(""), "");
}

TEST(FormEncoding, DecodingRoundTripsAndKeepsMalformedEscapes)
{
    std::string value = "a&b=c d+e%f\xFF";
    EXPECT_EQ(DecodeFormValue(EncodeFormValue(value)), value);
    EXPECT_EQ(DecodeFormValue("a+b%2"), "a b%2");
    EXPECT_EQ(DecodeFormValue("%zz"), "%zz");
}

TEST(HostsConfig, ParsesKeyValueLinesAndIgnoresTheRest)
{
    auto values = ParseHostsText("# comment\n\nhotmail.web = 127.0.0.1:8080\r\nbroken line\n = novalue\n"
                                 "yahoo.login=login.test  \n");
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(values["hotmail.web"], "127.0.0.1:8080");
    EXPECT_EQ(values["yahoo.login"], "login.test");
}

TEST(HostsConfig, FileInTheCurrentDirectoryOverridesDefaults)
{
    auto saved = std::filesystem::current_path();
    auto dir = std::filesystem::temp_directory_path() / ("korvalin-hosts-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    EXPECT_EQ(HostSetting("goplay.host"), DefaultHost("goplay.host"));
    std::ofstream(kHostsFileName) << "goplay.host = 127.0.0.1:1234\nexcite.mail =\n";
    EXPECT_EQ(HostSetting("goplay.host"), "127.0.0.1:1234");
    EXPECT_EQ(HostSetting("excite.mail"), DefaultHost("excite.mail")) << "an empty value keeps the default";
    std::filesystem::current_path(saved);
    std::filesystem::remove_all(dir);
}

TEST(HostsConfig, EveryDocumentedKeyHasADefault)
{
    for (const char* key : {"hotmail.web", "hotmail.form", "hotmail.login", "yahoo.login", "yahoo.account",
                            "mailcity.home", "mailcity.terms", "angelfire.mail", "angelfire.terms", "netaddress.host",
                            "netaddress.classic", "netaddress.domain", "excite.registration", "excite.mail",
                            "excite.folderaction", "goplay.host", "vendor.web", "vendor.address", "vendor.conntest",
                            "icq.pager"})
        EXPECT_FALSE(DefaultHost(key).empty()) << key;
    EXPECT_EQ(HttpBase("host.test"), "http://host.test");
    EXPECT_EQ(HttpBase("https://host.test"), "https://host.test");
}
