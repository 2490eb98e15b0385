#include "ImapResponse.h"

#include <cctype>

namespace korvalin::imap {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool ParseDecimal(std::string_view text, uint64_t& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// Reads values from the wire text, one position forward at a time.
class Scanner {
public:
    explicit Scanner(std::string_view wire) : wire_(wire) {}

    bool AtEnd() const { return pos_ >= wire_.size(); }
    char Peek() const { return AtEnd() ? '\0' : wire_[pos_]; }
    void SkipSpaces()
    {
        while (!AtEnd() && wire_[pos_] == ' ')
            ++pos_;
    }
    const std::string& Error() const { return error_; }

    // The next run of characters up to a space (the response's tag and name).
    std::string_view Word()
    {
        size_t start = pos_;
        while (!AtEnd() && wire_[pos_] != ' ' && wire_[pos_] != '\r' && wire_[pos_] != '\n')
            ++pos_;
        return wire_.substr(start, pos_ - start);
    }
    std::string_view Rest()
    {
        std::string_view rest = wire_.substr(std::min(pos_, wire_.size()));
        pos_ = wire_.size();
        return rest;
    }

    // Values up to the end, or up to the ')' that closes a list when nested.
    bool Values(std::vector<ImapValue>& out, size_t depth)
    {
        if (depth > kMaxNesting)
            return Fail("lists nested too deeply");
        while (true) {
            SkipSpaces();
            if (AtEnd())
                return depth == 0 || Fail("a list is not closed");
            char c = Peek();
            if (c == ')') {
                if (depth == 0)
                    return Fail("a ')' without '('");
                ++pos_;
                return true;
            }
            if (++count_ > kMaxValues)
                return Fail("too many values");
            ImapValue value;
            if (!One(value, depth))
                return false;
            out.push_back(std::move(value));
        }
    }

private:
    bool Fail(std::string text)
    {
        if (error_.empty())
            error_ = std::move(text);
        return false;
    }

    bool One(ImapValue& value, size_t depth)
    {
        char c = Peek();
        if (c == '(') {
            ++pos_;
            value.kind = ImapValue::List;
            return Values(value.items, depth + 1);
        }
        if (c == '"')
            return Quoted(value);
        if (c == '{' || (c == '~' && pos_ + 1 < wire_.size() && wire_[pos_ + 1] == '{'))
            return Literal(value);
        return AtomValue(value);
    }

    bool Quoted(ImapValue& value)
    {
        value.kind = ImapValue::String;
        ++pos_;
        while (!AtEnd()) {
            char c = wire_[pos_++];
            if (c == '"')
                return true;
            if (c == '\r' || c == '\n')
                return Fail("a line end inside a quoted string");
            if (c == '\\') {
                if (AtEnd())
                    break;
                c = wire_[pos_++];
            }
            value.text += c;
        }
        return Fail("a quoted string is not closed");
    }

    bool Literal(ImapValue& value)
    {
        if (Peek() == '~')
            ++pos_;
        ++pos_;  // '{'
        size_t close = wire_.find('}', pos_);
        if (close == std::string_view::npos)
            return Fail("a literal size is not closed");
        std::string_view digits = wire_.substr(pos_, close - pos_);
        if (!digits.empty() && digits.back() == '+')
            digits.remove_suffix(1);
        uint64_t size = 0;
        if (!ParseDecimal(digits, size))
            return Fail("a literal size is not a number");
        pos_ = close + 1;
        if (wire_.substr(pos_, 2) == "\r\n")
            pos_ += 2;
        else if (Peek() == '\n')
            ++pos_;
        else
            return Fail("a literal size is not followed by a line end");
        if (size > wire_.size() - pos_)
            return Fail("a literal is shorter than its size");
        value.kind = ImapValue::String;
        value.text.assign(wire_.substr(pos_, static_cast<size_t>(size)));
        pos_ += static_cast<size_t>(size);
        return true;
    }

    // Atom characters, with a bracketed section ("BODY[HEADER.FIELDS (FROM)]")
    // taken whole whatever it holds.
    bool AtomValue(ImapValue& value)
    {
        size_t start = pos_;
        while (!AtEnd()) {
            char c = wire_[pos_];
            if (c == '[') {
                size_t close = wire_.find(']', pos_);
                if (close == std::string_view::npos)
                    return Fail("a '[' is not closed");
                pos_ = close + 1;
                continue;
            }
            if (c == ' ' || c == '(' || c == ')' || c == '"' || c == '{' || c == '\r' || c == '\n' ||
                static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
                break;
            ++pos_;
        }
        if (pos_ == start) {
            return Fail(std::string("an unexpected character ") +
                        std::to_string(static_cast<unsigned char>(wire_[pos_])));
        }
        std::string_view atom = wire_.substr(start, pos_ - start);
        if (EqualNoCase(atom, "NIL")) {
            value.kind = ImapValue::Nil;
        } else {
            value.kind = ImapValue::Atom;
            value.text.assign(atom);
        }
        return true;
    }

    std::string_view wire_;
    size_t pos_ = 0;
    size_t count_ = 0;
    std::string error_;
};

bool IsStatusName(std::string_view name)
{
    return name == "OK" || name == "NO" || name == "BAD" || name == "BYE" || name == "PREAUTH";
}

// "[CODE arguments] text" or "text".
bool ParseResponseText(std::string_view text, ImapResponse& response, std::string& error)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '[') {
        size_t close = text.find(']');
        if (close == std::string_view::npos) {
            error = "a response code is not closed";
            return false;
        }
        std::string_view inside = text.substr(1, close - 1);
        size_t space = inside.find(' ');
        response.code = Upper(inside.substr(0, space));
        if (space != std::string_view::npos)
            response.codeArguments.assign(inside.substr(space + 1));
        text.remove_prefix(close + 1);
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
    }
    response.text.assign(text);
    return true;
}

}  // namespace

bool ImapValue::IsAtom(std::string_view name) const
{
    return kind == Atom && EqualNoCase(text, name);
}

const std::string& ImapValue::Text() const
{
    static const std::string kEmpty;
    return kind == Atom || kind == String ? text : kEmpty;
}

bool ImapValue::Number(uint64_t& value) const
{
    return kind == Atom && ParseDecimal(text, value);
}

bool ImapResponse::IsStatus() const
{
    return IsStatusName(name);
}

bool ParseResponse(std::string_view wire, ImapResponse& response, std::string& error)
{
    response = ImapResponse{};
    error.clear();
    Scanner scan(wire);
    std::string_view tag = scan.Word();
    if (tag.empty()) {
        error = "an empty response";
        return false;
    }
    scan.SkipSpaces();
    if (tag == "+") {
        response.kind = ImapResponse::Continuation;
        return ParseResponseText(scan.Rest(), response, error);
    }
    response.kind = tag == "*" ? ImapResponse::Untagged : ImapResponse::Tagged;
    response.tag.assign(tag);
    std::string_view name = scan.Word();
    if (response.kind == ImapResponse::Untagged && ParseDecimal(name, response.number)) {
        response.hasNumber = true;
        scan.SkipSpaces();
        name = scan.Word();
    }
    if (name.empty()) {
        error = "a response without a name";
        return false;
    }
    response.name = Upper(name);
    if (response.IsStatus())
        return ParseResponseText(scan.Rest(), response, error);
    if (response.kind == ImapResponse::Tagged) {
        error = "a tagged response that is not OK, NO or BAD";
        return false;
    }
    if (!scan.Values(response.values, 0)) {
        error = scan.Error();
        return false;
    }
    return true;
}

int64_t TrailingLiteral(std::string_view line, uint64_t maxSize)
{
    if (line.empty() || line.back() != '}')
        return -1;
    size_t open = line.rfind('{');
    if (open == std::string_view::npos)
        return -1;
    std::string_view digits = line.substr(open + 1, line.size() - open - 2);
    if (!digits.empty() && digits.back() == '+')
        digits.remove_suffix(1);
    uint64_t size = 0;
    if (!ParseDecimal(digits, size))
        return -1;
    if (size > maxSize)
        return -2;
    return static_cast<int64_t>(size);
}

bool QuoteArgument(std::string_view text, std::string& quoted)
{
    quoted = "\"";
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return true;
}

}  // namespace korvalin::imap
