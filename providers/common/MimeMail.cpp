#include "MimeMail.h"

#include "MailPage.h"

#include <gmime/gmime.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cerrno>
#include <memory>
#include <mutex>
#include <random>

namespace korvalin::mime {
namespace {

// GMime keeps global tables (charsets, iconv cache) that must be set up
// once before any thread uses it; plug-in operations run on several threads.
void InitMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

struct ObjectUnref {
    void operator()(gpointer object) const
    {
        if (object != nullptr)
            g_object_unref(object);
    }
};
template <typename T>
using Ref = std::unique_ptr<T, ObjectUnref>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GText = std::unique_ptr<char, GFree>;

std::string Take(char* text)
{
    GText owned(text);
    return owned ? std::string(owned.get()) : std::string();
}

// Lenient parser options: encoded words and parameters as real senders
// write them, addresses without a domain, 8-bit headers read as UTF-8 or
// else Windows-1252.
class ParserOptions {
public:
    ParserOptions() : Options(g_mime_parser_options_new())
    {
        g_mime_parser_options_set_rfc2047_compliance_mode(Options, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_parameter_compliance_mode(Options, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_address_compliance_mode(Options, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_allow_addresses_without_domain(Options, TRUE);
        const char* fallback[] = {"UTF-8", "windows-1252", nullptr};
        g_mime_parser_options_set_fallback_charsets(Options, fallback);
    }
    ~ParserOptions() { g_mime_parser_options_free(Options); }
    ParserOptions(const ParserOptions&) = delete;
    ParserOptions& operator=(const ParserOptions&) = delete;

    GMimeParserOptions* Options;
};

std::string ToLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// Converts with iconv; a byte the charset does not know becomes U+FFFD.
// False when the charset is unknown.
bool ConvertToUtf8(std::string_view text, const char* charset, std::string& out)
{
    const char* name = g_mime_charset_iconv_name(charset);
    iconv_t cd = iconv_open("UTF-8", name != nullptr ? name : charset);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    out.reserve(text.size() + text.size() / 2);
    std::vector<char> input(text.begin(), text.end());
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (result == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // An invalid or cut sequence: mark it and go on after one byte.
            out += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    iconv_close(cd);
    return true;
}

// The charset an HTML text declares in a <meta> near its start, or "".
std::string HtmlDeclaredCharset(std::string_view html)
{
    std::string head = ToLower(std::string(html.substr(0, 4096)));
    size_t meta = 0;
    while ((meta = head.find("<meta", meta)) != std::string::npos) {
        size_t end = head.find('>', meta);
        if (end == std::string::npos)
            break;
        std::string_view tag(head.data() + meta, end - meta);
        size_t at = tag.find("charset=");
        if (at != std::string_view::npos) {
            at += 8;
            while (at < tag.size() && (tag[at] == '"' || tag[at] == '\'' || tag[at] == ' '))
                ++at;
            size_t stop = at;
            while (stop < tag.size() && (std::isalnum(static_cast<unsigned char>(tag[stop])) || tag[stop] == '-' ||
                                         tag[stop] == '_' || tag[stop] == ':' || tag[stop] == '.'))
                ++stop;
            if (stop > at)
                return std::string(tag.substr(at, stop - at));
        }
        meta = end;
    }
    return {};
}

// Text of a part in UTF-8: the charset it names, else (for HTML) the one its
// <meta> declares; unknown or missing charsets take the text as UTF-8 when
// it is valid UTF-8, else as Windows-1252.
std::string TextToUtf8(std::string_view bytes, std::string charset, bool html)
{
    if (charset.empty() && html)
        charset = HtmlDeclaredCharset(bytes);
    charset = ToLower(charset);
    bool utf8 = g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
    if (charset == "us-ascii" || charset == "ascii" || charset == "utf-8" || charset == "utf8")
        charset.clear();
    std::string out;
    if (!charset.empty() && ConvertToUtf8(bytes, charset.c_str(), out))
        return out;
    if (utf8)
        return std::string(bytes);
    if (ConvertToUtf8(bytes, "windows-1252", out))
        return out;
    return Latin1ToUtf8(bytes);
}

std::string ValidUtf8(std::string_view text)
{
    return Take(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
}

std::string AddressList(InternetAddressList* list)
{
    if (list == nullptr || internet_address_list_length(list) == 0)
        return {};
    return ValidUtf8(Take(internet_address_list_to_string(list, nullptr, FALSE)));
}

std::string HeaderValue(GMimeObject* object, const char* name)
{
    const char* value = g_mime_object_get_header(object, name);
    return value != nullptr ? ValidUtf8(value) : std::string();
}

std::string References(const char* text, bool firstOnly)
{
    if (text == nullptr)
        return {};
    GMimeReferences* refs = g_mime_references_parse(nullptr, text);
    if (refs == nullptr)
        return {};
    std::string ids;
    int count = g_mime_references_length(refs);
    for (int i = 0; i < count && !(firstOnly && i > 0); ++i) {
        if (!ids.empty())
            ids += ' ';
        ids += "<";
        ids += g_mime_references_get_message_id(refs, i);
        ids += ">";
    }
    g_mime_references_free(refs);
    return ValidUtf8(ids);
}

MailHeaders HeadersOf(GMimeMessage* message)
{
    MailHeaders headers;
    auto* object = GMIME_OBJECT(message);
    headers.From = AddressList(g_mime_message_get_from(message));
    headers.To = AddressList(g_mime_message_get_to(message));
    headers.Cc = AddressList(g_mime_message_get_cc(message));
    const char* subject = g_mime_message_get_subject(message);
    headers.Subject = subject != nullptr ? ValidUtf8(subject) : std::string();
    headers.Date = HeaderValue(object, "Date");
    const char* id = g_mime_message_get_message_id(message);
    if (id != nullptr && *id != '\0')
        headers.MessageId = ValidUtf8(std::string("<") + id + ">");
    headers.InReplyTo = References(g_mime_object_get_header(object, "In-Reply-To"), true);
    headers.References = References(g_mime_object_get_header(object, "References"), false);
    return headers;
}

Ref<GMimeMessage> ParseMessage(std::string_view raw)
{
    InitMime();
    Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(raw.data(), raw.size()));
    Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    ParserOptions options;
    return Ref<GMimeMessage>(g_mime_parser_construct_message(parser.get(), options.Options));
}

std::string PartBytes(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (content == nullptr)
        return {};
    Ref<GMimeStream> memory(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, memory.get());
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.get()));
    return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::string MimeType(GMimeObject* object)
{
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (type == nullptr)
        return "application/octet-stream";
    return ToLower(Take(g_mime_content_type_get_mime_type(type)));
}

std::string WithoutCr(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                continue;
            out += '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

// Walks a mail's structure and gathers its shown text and its parts.
class BodyWalker {
public:
    explicit BodyWalker(ParsedMail& mail) : Mail(mail) {}

    void Walk(GMimeObject* object, int depth)
    {
        if (object == nullptr || depth > kMaxDepth)
            return;
        if (GMIME_IS_MESSAGE_PART(object))
            Forwarded(g_mime_message_part_get_message(GMIME_MESSAGE_PART(object)), depth);
        else if (GMIME_IS_MULTIPART(object))
            Multipart(GMIME_MULTIPART(object), depth);
        else if (GMIME_IS_PART(object))
            Leaf(GMIME_PART(object), true);
    }

private:
    static constexpr int kMaxDepth = 32;

    static bool IsText(const std::string& type) { return type == "text/plain" || type == "text/html"; }

    // Whether an alternative holds HTML that can be shown.
    static bool HasHtml(GMimeObject* object, int depth)
    {
        if (object == nullptr || depth > kMaxDepth)
            return false;
        if (GMIME_IS_MULTIPART(object)) {
            auto* multipart = GMIME_MULTIPART(object);
            for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i)
                if (HasHtml(g_mime_multipart_get_part(multipart, i), depth + 1))
                    return true;
            return false;
        }
        return GMIME_IS_PART(object) && MimeType(object) == "text/html" && !g_mime_part_is_attachment(GMIME_PART(object));
    }

    static bool HasText(GMimeObject* object)
    {
        return GMIME_IS_MULTIPART(object) || (GMIME_IS_PART(object) && IsText(MimeType(object)));
    }

    void Multipart(GMimeMultipart* multipart, int depth)
    {
        auto* object = GMIME_OBJECT(multipart);
        GMimeContentType* type = g_mime_object_get_content_type(object);
        const char* subtype = type != nullptr ? g_mime_content_type_get_media_subtype(type) : nullptr;
        std::string sub = ToLower(subtype != nullptr ? subtype : "mixed");
        int count = g_mime_multipart_get_count(multipart);
        if (sub == "alternative" && count > 0) {
            // The last alternative is the richest: the last with HTML, else
            // the last with text, else the first.
            GMimeObject* chosen = nullptr;
            for (int i = 0; i < count && chosen == nullptr; ++i) {
                GMimeObject* candidate = g_mime_multipart_get_part(multipart, count - 1 - i);
                if (HasHtml(candidate, depth + 1))
                    chosen = candidate;
            }
            for (int i = 0; i < count && chosen == nullptr; ++i) {
                GMimeObject* candidate = g_mime_multipart_get_part(multipart, count - 1 - i);
                if (HasText(candidate))
                    chosen = candidate;
            }
            Walk(chosen != nullptr ? chosen : g_mime_multipart_get_part(multipart, 0), depth + 1);
            return;
        }
        for (int i = 0; i < count; ++i) {
            GMimeObject* child = g_mime_multipart_get_part(multipart, i);
            if (sub == "related" && i > 0 && GMIME_IS_PART(child))
                Leaf(GMIME_PART(child), false);
            else
                Walk(child, depth + 1);
        }
    }

    void Forwarded(GMimeMessage* message, int depth)
    {
        if (message == nullptr)
            return;
        MailHeaders headers = HeadersOf(message);
        std::string& body = Mail.Body;
        body += "<div class=\"forwarded\"><hr><p><b>Forwarded message</b><br>";
        auto line = [&](const char* label, const std::string& value) {
            if (value.empty())
                return;
            body += label;
            body += EscapeHtml(value);
            body += "<br>";
        };
        line("From: ", headers.From);
        line("Date: ", headers.Date);
        line("To: ", headers.To);
        line("Cc: ", headers.Cc);
        line("Subject: ", headers.Subject);
        body += "</p>";
        Walk(g_mime_message_get_mime_part(message), depth + 1);
        body += "</div>";
    }

    // A leaf is shown when it is text meant to be read; anything else is a part.
    void Leaf(GMimePart* part, bool showable)
    {
        auto* object = GMIME_OBJECT(part);
        std::string type = MimeType(object);
        const char* fileName = g_mime_part_get_filename(part);
        bool attached = g_mime_part_is_attachment(part) || (fileName != nullptr && !IsText(type));
        if (showable && IsText(type) && !attached) {
            Text(part, type == "text/html");
            return;
        }
        MailPart item;
        item.FileName = SafeFileName(fileName != nullptr ? ValidUtf8(fileName) : std::string());
        item.ContentType = ValidUtf8(type);
        const char* id = g_mime_object_get_content_id(object);
        item.ContentId = id != nullptr ? ValidUtf8(id) : std::string();
        item.Data = PartBytes(part);
        item.Listed = showable || g_mime_part_is_attachment(part) || item.ContentId.empty();
        Mail.Parts.push_back(std::move(item));
    }

    void Text(GMimePart* part, bool html)
    {
        auto* object = GMIME_OBJECT(part);
        const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
        std::string text = TextToUtf8(PartBytes(part), charset != nullptr ? charset : "", html);
        if (html) {
            Mail.Body += text;
            return;
        }
        text = WithoutCr(text);
        const char* format = g_mime_object_get_content_type_parameter(object, "format");
        if (format != nullptr && g_ascii_strcasecmp(format, "flowed") == 0) {
            const char* delsp = g_mime_object_get_content_type_parameter(object, "delsp");
            text = UnflowText(text, delsp != nullptr && g_ascii_strcasecmp(delsp, "yes") == 0);
        }
        Mail.Body += "<pre style=\"white-space: pre-wrap\">";
        Mail.Body += EscapeHtml(text);
        Mail.Body += "</pre>";
    }

    ParsedMail& Mail;
};

std::string Printable(std::string_view text)
{
    std::string out;
    for (char c : text)
        out += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    return out;
}

std::string DomainOf(const std::string& address)
{
    size_t at = address.rfind('@');
    std::string domain = at == std::string::npos ? std::string() : address.substr(at + 1);
    domain.erase(std::remove_if(domain.begin(), domain.end(),
                                [](char c) {
                                    return !(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-');
                                }),
                 domain.end());
    return domain.empty() ? "korvalin.invalid" : domain;
}

std::string NewMessageId(const std::string& address, std::time_t now)
{
    std::random_device device;
    std::uniform_int_distribution<unsigned long long> random;
    char local[64];
    std::snprintf(local, sizeof local, "%llx.%016llx", static_cast<unsigned long long>(now), random(device));
    return std::string(local) + "@" + DomainOf(address);
}

// True when every line holds at most 998 octets before its line end.
bool ShortLines(std::string_view text)
{
    size_t length = 0;
    for (char c : text) {
        if (c == '\n') {
            length = 0;
        } else if (c != '\r' && ++length > 998) {
            return false;
        }
    }
    return true;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != 0; });
}

std::string WithCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    std::string plain = WithoutCr(text);
    for (char c : plain) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

std::string EscapeHtml(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string UnflowText(std::string_view text, bool delsp)
{
    std::string out;
    std::string paragraph;
    int paragraphDepth = -1;
    auto flush = [&] {
        if (paragraphDepth < 0)
            return;
        out.append(static_cast<size_t>(paragraphDepth), '>');
        if (paragraphDepth > 0 && !paragraph.empty())
            out += ' ';
        out += paragraph;
        out += '\n';
        paragraph.clear();
        paragraphDepth = -1;
    };
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        bool last = end == std::string_view::npos;
        std::string_view line = text.substr(pos, last ? std::string_view::npos : end - pos);
        if (last && line.empty())
            break;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        int depth = 0;
        while (!line.empty() && line.front() == '>') {
            ++depth;
            line.remove_prefix(1);
        }
        if (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);  // the stuffed space
        bool signature = line == "-- ";
        bool soft = !signature && !line.empty() && line.back() == ' ';
        if (paragraphDepth >= 0 && depth != paragraphDepth)
            flush();
        paragraphDepth = depth;
        if (soft && delsp)
            line.remove_suffix(1);
        paragraph.append(line);
        if (!soft)
            flush();
        if (last)
            break;
        pos = end + 1;
    }
    flush();
    return out;
}

ParsedMail ParseMail(std::string_view raw)
{
    ParsedMail mail;
    Ref<GMimeMessage> message = ParseMessage(raw);
    if (!message) {
        mail.Body = "<pre style=\"white-space: pre-wrap\">" + EscapeHtml(WithoutCr(TextToUtf8(raw, "", false))) + "</pre>";
        return mail;
    }
    mail.Headers = HeadersOf(message.get());
    BodyWalker walker(mail);
    walker.Walk(g_mime_message_get_mime_part(message.get()), 0);
    return mail;
}

std::string PageOf(const ParsedMail& mail)
{
    std::vector<PagePart> parts;
    parts.reserve(mail.Parts.size());
    for (const MailPart& part : mail.Parts)
        parts.push_back({part.FileName, part.ContentType, part.ContentId, part.Data, part.Listed});
    return WritePage(mail.Body, parts);
}

MailHeaders ParseHeaders(std::string_view headerBlock)
{
    std::string block(headerBlock);
    while (!block.empty() && (block.back() == '\r' || block.back() == '\n'))
        block.pop_back();
    block += "\r\n\r\n";
    Ref<GMimeMessage> message = ParseMessage(block);
    return message ? HeadersOf(message.get()) : MailHeaders();
}

std::string DecodeHeaderText(std::string_view value)
{
    InitMime();
    ParserOptions options;
    std::string text(value);
    return ValidUtf8(Take(g_mime_utils_header_decode_text(options.Options, text.c_str())));
}

std::string SafeFileName(std::string_view name)
{
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string clean;
    for (char c : ValidUtf8(name)) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F && c != ':')
            clean += c;
    }
    size_t start = clean.find_first_not_of(". ");
    clean = start == std::string::npos ? std::string() : clean.substr(start);
    while (!clean.empty() && (clean.back() == ' ' || clean.back() == '.'))
        clean.pop_back();
    if (clean.size() > 200) {
        size_t cut = 200;
        while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80)
            --cut;
        clean.resize(cut);
    }
    return clean;
}

ComposedMail ComposeMail(const OutgoingMail& mail)
{
    InitMime();
    Ref<GMimeMessage> message(g_mime_message_new(TRUE));
    auto* object = GMIME_OBJECT(message.get());
    g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_FROM, Printable(mail.From.Name).c_str(),
                               Printable(mail.From.Address).c_str());
    for (const MailAddress& to : mail.To)
        g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_TO, Printable(to.Name).c_str(),
                                   Printable(to.Address).c_str());
    for (const MailAddress& cc : mail.Cc)
        g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_CC, Printable(cc.Name).c_str(),
                                   Printable(cc.Address).c_str());
    if (mail.To.empty() && mail.Cc.empty())
        g_mime_object_set_header(object, "To", "undisclosed-recipients:;", nullptr);
    g_mime_message_set_subject(message.get(), ValidUtf8(Printable(mail.Subject)).c_str(), "utf-8");
    GDateTime* date = g_date_time_new_from_unix_local(static_cast<gint64>(mail.Date));
    g_mime_message_set_date(message.get(), date);
    g_date_time_unref(date);
    ComposedMail composed;
    std::string id = NewMessageId(mail.From.Address, mail.Date);
    g_mime_message_set_message_id(message.get(), id.c_str());
    composed.MessageId = "<" + id + ">";
    std::string inReplyTo = References(mail.InReplyTo.c_str(), true);
    if (!inReplyTo.empty()) {
        std::string references = References(mail.References.c_str(), false);
        // The thread so far, then the mail answered.
        if (references.find(inReplyTo) == std::string::npos)
            references += (references.empty() ? "" : " ") + inReplyTo;
        g_mime_object_set_header(object, "In-Reply-To", inReplyTo.c_str(), nullptr);
        g_mime_object_set_header(object, "References", references.c_str(), nullptr);
    }

    std::string text = WithCrLf(ValidUtf8(mail.Text));
    // The text goes in as UTF-8 bytes: GMime's own text setter would pick
    // another charset for text that fits one.
    Ref<GMimeTextPart> part(g_mime_text_part_new_with_subtype("plain"));
    Ref<GMimeStream> content(g_mime_stream_mem_new_with_buffer(text.data(), text.size()));
    Ref<GMimeDataWrapper> wrapper(g_mime_data_wrapper_new_with_stream(content.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(GMIME_PART(part.get()), wrapper.get());
    g_mime_object_set_content_type_parameter(GMIME_OBJECT(part.get()), "charset", "UTF-8");
    GMimeContentEncoding encoding = GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;
    if (ShortLines(text) && IsAscii(text))
        encoding = GMIME_CONTENT_ENCODING_7BIT;
    else if (ShortLines(text) && mail.EightBit && text.find('\0') == std::string::npos)
        encoding = GMIME_CONTENT_ENCODING_8BIT;
    g_mime_part_set_content_encoding(GMIME_PART(part.get()), encoding);
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(part.get()));

    GMimeFormatOptions* format = g_mime_format_options_new();
    g_mime_format_options_set_newline_format(format, GMIME_NEWLINE_FORMAT_DOS);
    std::string whole = Take(g_mime_object_to_string(object, format));
    g_mime_format_options_free(format);
    size_t blank = whole.find("\r\n\r\n");
    if (blank == std::string::npos) {
        composed.Header = whole;
        return composed;
    }
    composed.Header = whole.substr(0, blank + 2);
    composed.Body = whole.substr(blank + 4);
    return composed;
}

}  // namespace korvalin::mime
