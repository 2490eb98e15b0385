#include "ImapUtf7.h"

#include <cstdint>
#include <vector>

namespace korvalin::imap {
namespace {

constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == ',')
        return 63;
    return -1;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The UTF-8 of one base64 run ("&" and "-" excluded); false when malformed.
bool DecodeRun(std::string_view run, std::string& out)
{
    std::vector<uint16_t> units;
    uint32_t bits = 0;
    int count = 0;
    for (char c : run) {
        int sextet = SextetOf(c);
        if (sextet < 0)
            return false;
        bits = (bits << 6) | static_cast<uint32_t>(sextet);
        count += 6;
        if (count >= 16) {
            count -= 16;
            units.push_back(static_cast<uint16_t>(bits >> count));
            bits &= (1u << count) - 1;
        }
    }
    if (units.empty() || count >= 6 || bits != 0)
        return false;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)
                return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00u);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
        AppendUtf8(out, unit);
    }
    return true;
}

}  // namespace

std::string DecodeMailboxName(std::string_view wire)
{
    std::string out;
    size_t pos = 0;
    while (pos < wire.size()) {
        char c = wire[pos];
        if (c != '&') {
            out += c;
            ++pos;
            continue;
        }
        size_t end = wire.find('-', pos + 1);
        if (end == std::string_view::npos) {
            out.append(wire.substr(pos));
            break;
        }
        if (end == pos + 1) {
            out += '&';
        } else {
            std::string decoded;
            if (DecodeRun(wire.substr(pos + 1, end - pos - 1), decoded))
                out += decoded;
            else
                out.append(wire.substr(pos, end - pos + 1));
        }
        pos = end + 1;
    }
    return out;
}

std::string Base64(std::string_view data)
{
    std::string out;
    size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        uint32_t n = (static_cast<uint8_t>(data[i]) << 16) | (static_cast<uint8_t>(data[i + 1]) << 8) |
                     static_cast<uint8_t>(data[i + 2]);
        for (int shift : {18, 12, 6, 0})
            out += kAlphabet[(n >> shift) & 0x3F];
    }
    if (i < data.size()) {
        uint32_t n = static_cast<uint8_t>(data[i]) << 16;
        if (i + 1 < data.size())
            n |= static_cast<uint8_t>(data[i + 1]) << 8;
        out += kAlphabet[(n >> 18) & 0x3F];
        out += kAlphabet[(n >> 12) & 0x3F];
        out += i + 1 < data.size() ? kAlphabet[(n >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

}  // namespace korvalin::imap
