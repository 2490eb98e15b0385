#include "MailPage.h"

#include <array>
#include <cstdint>

namespace korvalin::mime {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kPartStart = "<!--korvalin-part ";
constexpr std::string_view kPartEnd = "-->";

// Attribute values are percent-encoded, so that no quote, "-" or ">" of a
// name can end the comment or the attribute.
std::string Encode(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
                     c == '.' || c == '_' || c == '/' || c == '@' || c == '+';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Decode(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        int high = text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The value of name="..." in an attribute text, decoded; "" when absent.
std::string Attribute(std::string_view attributes, std::string_view name)
{
    std::string key = " " + std::string(name) + "=\"";
    std::string padded = " " + std::string(attributes);
    size_t at = padded.find(key);
    if (at == std::string::npos)
        return {};
    size_t start = at + key.size();
    size_t end = padded.find('"', start);
    if (end == std::string::npos)
        return {};
    return Decode(std::string_view(padded).substr(start, end - start));
}

}  // namespace

std::string Base64Encode(std::string_view bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4 + bytes.size() / 57 + 2);
    size_t line = 0;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t chunk = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            chunk |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
        if (++line == 19) {
            out += '\n';
            line = 0;
        }
    }
    return out;
}

std::string Base64Decode(std::string_view text)
{
    std::array<int, 256> values{};
    values.fill(-1);
    for (size_t i = 0; i < kAlphabet.size(); ++i)
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int>(i);
    std::string out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t chunk = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=')
            break;
        int value = values[static_cast<unsigned char>(c)];
        if (value < 0)
            continue;
        chunk = (chunk << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((chunk >> bits) & 0xFF);
        }
    }
    return out;
}

std::string WritePage(std::string_view body, const std::vector<PagePart>& parts)
{
    std::string page = "<meta charset=\"utf-8\">\n";
    page += body;
    page += "\n";
    page += kPartsMarker;
    page += "\n";
    for (const PagePart& part : parts) {
        page += kPartStart;
        page += "name=\"" + Encode(part.FileName) + "\" type=\"" + Encode(part.ContentType) + "\" cid=\"" +
                Encode(part.ContentId) + "\" listed=\"" + (part.Listed ? "1" : "0") + "\"\n";
        page += Base64Encode(part.Data);
        page += "\n";
        page += kPartEnd;
        page += "\n";
    }
    return page;
}

ReadPageResult ReadPage(std::string_view page)
{
    ReadPageResult result;
    size_t marker = page.rfind(kPartsMarker);
    if (marker == std::string_view::npos) {
        result.Body = page;
        return result;
    }
    result.Body = page.substr(0, marker);
    std::string_view rest = page.substr(marker + kPartsMarker.size());
    size_t pos = 0;
    while ((pos = rest.find(kPartStart, pos)) != std::string_view::npos) {
        size_t start = pos + kPartStart.size();
        size_t lineEnd = rest.find('\n', start);
        size_t end = rest.find(kPartEnd, start);
        if (end == std::string_view::npos)
            break;
        pos = end + kPartEnd.size();
        if (lineEnd == std::string_view::npos || lineEnd > end)
            continue;
        std::string_view attributes = rest.substr(start, lineEnd - start);
        PagePart part;
        part.FileName = Attribute(attributes, "name");
        part.ContentType = Attribute(attributes, "type");
        part.ContentId = Attribute(attributes, "cid");
        part.Listed = Attribute(attributes, "listed") != "0";
        part.Data = Base64Decode(rest.substr(lineEnd + 1, end - lineEnd - 1));
        result.Parts.push_back(std::move(part));
    }
    return result;
}

}  // namespace korvalin::mime
