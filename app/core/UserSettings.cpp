#include "UserSettings.h"

#include <algorithm>
#include <cstring>

namespace korvalin {
namespace {

struct IntDefault {
    size_t offset;
    int32_t value;
};

constexpr IntDefault kIntDefaults[] = {
    {setting::kAskBeforeDelete, 1}, {setting::kAutoCheck, 1},       {setting::kHideOnStartup, 0},
    {setting::kStartWithSession, 0}, {setting::kCheckInterval, 2},  {setting::kPlaySound, 1},
    {setting::kCheckInternet, 1},   {setting::kReserved28, 0},      {setting::kNoticeOnOnline, 1},
    {setting::kNoticeOnOffline, 1}, {setting::kClearSavedMails, 0}, {setting::kReserved44, 5},
    {setting::kPrefixReply, 1},     {setting::kPrefixForward, 0},   {setting::kSaveCopy, 1},
    {setting::kAddSignature, 1},    {setting::kLoginAbortMinutes, 3}, {setting::kStartOnline, 1},
    {setting::kCheckMailtoHandler, 1}, {setting::kNoticeOnHide, 1}, {setting::kPopupOnNewMail, 0},
    {setting::kLogLevel, 0},
};

int ClampMinutes(int32_t value)
{
    return std::clamp<int32_t>(value, 1, 60);
}

}  // namespace

UserSettings::UserSettings(const std::string& vendorWeb)
{
    ResetToDefaults(vendorWeb);
}

std::string UserSettings::DefaultSignature(const std::string& vendorWeb)
{
    const std::string dashes(75, '-');
    return dashes + "\r\nVisit the Korvalin Mail web site at " + vendorWeb + "\r\n" + dashes;
}

void UserSettings::ResetToDefaults(const std::string& vendorWeb)
{
    {
        std::lock_guard lock(mutex_);
        bytes_.fill(0);
    }
    for (const IntDefault& entry : kIntDefaults)
        SetInt(entry.offset, entry.value);
    SetReplyPrefix("= ");
    SetForwardPrefix("");
    SetSignature(DefaultSignature(vendorWeb));
}

void UserSettings::Overlay(const std::string& stored)
{
    std::lock_guard lock(mutex_);
    std::memcpy(bytes_.data(), stored.data(), std::min(stored.size(), kSize));
}

UserSettings::Bytes UserSettings::ToBytes() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::string UserSettings::ToStoredValue() const
{
    Bytes bytes = ToBytes();
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

int32_t UserSettings::Int(size_t offset) const
{
    std::lock_guard lock(mutex_);
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(bytes_.at(offset + i)) << (8 * i);
    return static_cast<int32_t>(value);
}

void UserSettings::SetInt(size_t offset, int32_t value)
{
    std::lock_guard lock(mutex_);
    auto bits = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i)
        bytes_.at(offset + i) = static_cast<uint8_t>(bits >> (8 * i));
}

int UserSettings::CheckIntervalMinutes() const
{
    return ClampMinutes(Int(setting::kCheckInterval));
}

int UserSettings::LoginAbortMinutes() const
{
    return ClampMinutes(Int(setting::kLoginAbortMinutes));
}

std::string UserSettings::Text(size_t offset, size_t width) const
{
    std::lock_guard lock(mutex_);
    const char* start = reinterpret_cast<const char*>(bytes_.data() + offset);
    // A stored field may lack its NUL: never read past the field.
    return std::string(start, strnlen(start, width - 1));
}

void UserSettings::SetText(size_t offset, size_t width, const std::string& text)
{
    std::lock_guard lock(mutex_);
    size_t length = std::min(text.size(), width - 1);
    std::memset(bytes_.data() + offset, 0, width);
    std::memcpy(bytes_.data() + offset, text.data(), length);
}

}  // namespace korvalin
