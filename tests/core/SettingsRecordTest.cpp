#include "UserSettings.h"

#include <gtest/gtest.h>

#include <cstring>

using korvalin::UserSettings;
namespace setting = korvalin::setting;

namespace {

int32_t IntAt(const UserSettings::Bytes& bytes, size_t offset)
{
    return static_cast<int32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

}  // namespace

TEST(SettingsRecord, DefaultsAreByteExact)
{
    UserSettings settings("https://vendor.test");
    UserSettings::Bytes bytes = settings.ToBytes();
    ASSERT_EQ(bytes.size(), 508u);

    const std::pair<size_t, int32_t> ints[] = {
        {0, 1},  {4, 1},  {8, 0},  {12, 0}, {16, 2},  {20, 1},  {24, 1},  {28, 0},  {32, 1},  {36, 1},  {40, 0},
        {44, 5}, {48, 1}, {52, 0}, {56, 1}, {60, 1},  {484, 3}, {488, 1}, {492, 1}, {496, 1}, {500, 0}, {504, 0},
    };
    for (auto [offset, value] : ints)
        EXPECT_EQ(IntAt(bytes, offset), value) << "offset " << offset;

    const uint8_t replyPrefix[7] = {'=', ' ', 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data() + 64, replyPrefix, 7), 0);
    const uint8_t empty[7] = {};
    EXPECT_EQ(std::memcmp(bytes.data() + 71, empty, 7), 0);

    const std::string dashes(75, '-');
    const std::string signature = dashes + "\r\nVisit the Korvalin Mail web site at https://vendor.test\r\n" + dashes;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 78)), signature);
    for (size_t i = 78 + signature.size(); i <= 483; ++i)
        ASSERT_EQ(bytes[i], 0) << "byte " << i << " after the signature";
}

TEST(SettingsRecord, IntegersAreLittleEndianAndSigned)
{
    UserSettings settings;
    settings.SetInt(setting::kLogLevel, 0x0102030f);
    settings.SetInt(setting::kReserved28, -1);
    UserSettings::Bytes bytes = settings.ToBytes();
    EXPECT_EQ(bytes[504], 0x0f);
    EXPECT_EQ(bytes[505], 0x03);
    EXPECT_EQ(bytes[506], 0x02);
    EXPECT_EQ(bytes[507], 0x01);
    EXPECT_EQ(settings.Int(setting::kReserved28), -1);
    EXPECT_EQ(bytes[28], 0xff);
}

TEST(SettingsRecord, ShortStoredRecordOverlaysOnlyItsBytes)
{
    UserSettings stored;
    stored.SetInt(setting::kCheckInterval, 9);
    stored.SetInt(setting::kLoginAbortMinutes, 44);  // beyond byte 300: must not be taken
    std::string value = stored.ToStoredValue().substr(0, 300);

    UserSettings settings;
    settings.Overlay(value);
    EXPECT_EQ(settings.Int(setting::kCheckInterval), 9);
    EXPECT_EQ(settings.Int(setting::kLoginAbortMinutes), 3);

    settings.Overlay(std::string(600, '\x01'));  // longer than the record: only 508 bytes count
    EXPECT_EQ(settings.Int(setting::kLogLevel), 0x01010101);
}

TEST(SettingsRecord, TextFieldsStayInsideTheirBytes)
{
    UserSettings settings;
    settings.SetReplyPrefix("abcdefghij");
    EXPECT_EQ(settings.ReplyPrefix(), "abcdef");
    EXPECT_EQ(settings.ToBytes()[70], 0);

    // A stored record whose prefix field lacks its NUL is read within the field.
    std::string stored = settings.ToStoredValue();
    std::memset(stored.data() + setting::kForwardPrefix, 'x', 7);
    settings.Overlay(stored);
    EXPECT_EQ(settings.ForwardPrefix(), "xxxxxx");

    settings.SetSignature(std::string(1000, 's'));
    EXPECT_EQ(settings.Signature().size(), 404u);
    EXPECT_EQ(settings.ToBytes()[483], 0);
    EXPECT_EQ(settings.Int(setting::kLoginAbortMinutes), 3);
}

TEST(SettingsRecord, MinuteSettingsAreKeptInRange)
{
    UserSettings settings;
    settings.SetInt(setting::kLoginAbortMinutes, 0);
    settings.SetInt(setting::kCheckInterval, 500);
    EXPECT_EQ(settings.LoginAbortMinutes(), 1);
    EXPECT_EQ(settings.CheckIntervalMinutes(), 60);
    EXPECT_EQ(settings.Int(setting::kLoginAbortMinutes), 0) << "the stored bytes stay as they were";
}
