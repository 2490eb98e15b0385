// The program's settings record: exactly 508 bytes, little-endian, stored as
// the "Dravnek" value of the user store. Other code names a setting by its
// byte offset; the typed accessors below read and write those bytes, so the
// stored form stays byte-exact. One record per process, read from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace korvalin {

namespace setting {
inline constexpr size_t kAskBeforeDelete = 0;
inline constexpr size_t kAutoCheck = 4;
inline constexpr size_t kHideOnStartup = 8;
inline constexpr size_t kStartWithSession = 12;
inline constexpr size_t kCheckInterval = 16;
inline constexpr size_t kPlaySound = 20;
inline constexpr size_t kCheckInternet = 24;
inline constexpr size_t kReserved28 = 28;
// The reserved 28 (default 0) holds "no desktop notifications": 0 shows them,
// so every record stored before keeps them on.
inline constexpr size_t kNoDesktopNotifications = kReserved28;
inline constexpr size_t kNoticeOnOnline = 32;
inline constexpr size_t kNoticeOnOffline = 36;
inline constexpr size_t kClearSavedMails = 40;
inline constexpr size_t kReserved44 = 44;
inline constexpr size_t kPrefixReply = 48;
inline constexpr size_t kPrefixForward = 52;
inline constexpr size_t kSaveCopy = 56;
inline constexpr size_t kAddSignature = 60;
inline constexpr size_t kReplyPrefix = 64;    // 7 bytes, NUL-terminated
inline constexpr size_t kForwardPrefix = 71;  // 7 bytes, NUL-terminated
inline constexpr size_t kSignature = 78;      // 405 bytes, NUL-terminated
inline constexpr size_t kPadding = 483;
inline constexpr size_t kLoginAbortMinutes = 484;
inline constexpr size_t kStartOnline = 488;
inline constexpr size_t kCheckMailtoHandler = 492;
inline constexpr size_t kNoticeOnHide = 496;
inline constexpr size_t kPopupOnNewMail = 500;
inline constexpr size_t kLogLevel = 504;

inline constexpr size_t kPrefixWidth = 7;
inline constexpr size_t kSignatureWidth = 405;
}  // namespace setting

class UserSettings {
public:
    static constexpr size_t kSize = 508;
    using Bytes = std::array<uint8_t, kSize>;

    // A record holding the defaults; the signature invites to vendorWeb.
    explicit UserSettings(const std::string& vendorWeb = "");

    static std::string DefaultSignature(const std::string& vendorWeb);

    // Every setting to its default.
    void ResetToDefaults(const std::string& vendorWeb);
    // Copies at most kSize bytes of stored over the start of the record.
    void Overlay(const std::string& stored);

    Bytes ToBytes() const;
    std::string ToStoredValue() const;

    int32_t Int(size_t offset) const;
    void SetInt(size_t offset, int32_t value);
    bool Flag(size_t offset) const { return Int(offset) != 0; }
    void SetFlag(size_t offset, bool on) { SetInt(offset, on ? 1 : 0); }

    std::string ReplyPrefix() const { return Text(setting::kReplyPrefix, setting::kPrefixWidth); }
    void SetReplyPrefix(const std::string& text) { SetText(setting::kReplyPrefix, setting::kPrefixWidth, text); }
    std::string ForwardPrefix() const { return Text(setting::kForwardPrefix, setting::kPrefixWidth); }
    void SetForwardPrefix(const std::string& text) { SetText(setting::kForwardPrefix, setting::kPrefixWidth, text); }
    std::string Signature() const { return Text(setting::kSignature, setting::kSignatureWidth); }
    void SetSignature(const std::string& text) { SetText(setting::kSignature, setting::kSignatureWidth, text); }

    // Minutes, kept within 1..60 whatever the stored bytes say.
    int CheckIntervalMinutes() const;
    int LoginAbortMinutes() const;

private:
    std::string Text(size_t offset, size_t width) const;
    // Stores at most width-1 bytes of text and NUL-fills the rest of the field.
    void SetText(size_t offset, size_t width, const std::string& text);

    mutable std::mutex mutex_;
    Bytes bytes_{};
};

}  // namespace korvalin
