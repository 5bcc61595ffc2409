// Tokenizer of the clip-action compiler.
#include "platform/actionscript/script_lexer.h"

#include "platform/base/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace platform {

namespace {

// Length of the valid UTF-8 sequence at `at`, or 0 when the bytes there are not one.
size_t Utf8Length(std::string_view s, size_t at)
{
    auto byte = [&](size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; };
    unsigned c = byte(at);
    auto cont = [&](size_t i) { return (byte(i) & 0xC0) == 0x80; };
    if (c < 0x80) {
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        return cont(at + 1) ? 2 : 0;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        unsigned c1 = byte(at + 1);
        if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F)) {
            return 0;
        }
        return cont(at + 1) && cont(at + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        unsigned c1 = byte(at + 1);
        if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 > 0x8F)) {
            return 0;
        }
        return cont(at + 1) && cont(at + 2) && cont(at + 3) ? 4 : 0;
    }
    return 0;
}

void AppendUtf8(std::string &out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

// Punctuators, longest first so that the first match is the longest one.
constexpr std::string_view kPuncts[] = {
    ">>>=", ">>>", "===", "!==", "<<=", ">>=", "==", "!=", "<=", ">=", "&&", "||", "++", "--",
    "+=",   "-=",  "*=",  "/=",  "%=",  "&=",  "|=", "^=", "<<", ">>", "{",  "}",  "(",  ")",
    "[",    "]",   ";",   ",",   ".",   "?",   ":",  "=",  "+",  "-",  "*",  "/",  "%",  "&",
    "|",    "^",   "!",   "~",   "<",   ">"};

class Lexer {
public:
    explicit Lexer(std::string_view source) : s_(source) {}

    std::vector<Token> Run()
    {
        std::vector<Token> tokens;
        bool newline = false;
        while (true) {
            newline = SkipBlanks() || newline;
            Token token;
            token.line = line_;
            token.newlineBefore = newline;
            newline = false;
            if (at_ >= s_.size()) {
                tokens.push_back(token);
                return tokens;
            }
            char c = s_[at_];
            if (IsDigit(c) || (c == '.' && at_ + 1 < s_.size() && IsDigit(s_[at_ + 1]))) {
                token.kind = TokenKind::Number;
                token.number = ReadNumber();
            } else if (c == '"' || c == '\'') {
                token.kind = TokenKind::String;
                token.text = ReadString(c);
            } else if (IsNameStart(c)) {
                token.kind = TokenKind::Name;
                size_t start = at_;
                while (at_ < s_.size() && IsNameChar(s_[at_]) && !AtWideBlank()) {
                    size_t length = Utf8Length(s_, at_);
                    if (length == 0) {
                        Fail("UTF-8 として正しくない文字があります", line_);
                    }
                    at_ += length;
                }
                token.text = std::string(s_.substr(start, at_ - start));
            } else {
                token.kind = TokenKind::Punct;
                token.text = ReadPunct();
            }
            tokens.push_back(std::move(token));
        }
    }

private:
    [[noreturn]] void Fail(const char *message, int line) const { throw ScriptError{message, line}; }

    // Full-width and no-break spaces and the byte-order mark count as blanks.
    size_t WideBlankLength() const
    {
        std::string_view rest = s_.substr(at_);
        for (std::string_view blank : {"\xE3\x80\x80", "\xC2\xA0", "\xEF\xBB\xBF"}) {
            if (rest.substr(0, blank.size()) == blank) {
                return blank.size();
            }
        }
        return 0;
    }
    bool AtWideBlank() const { return WideBlankLength() > 0; }

    // Skips blanks and comments; true when a line break was among them.
    bool SkipBlanks()
    {
        bool newline = false;
        while (at_ < s_.size()) {
            char c = s_[at_];
            if (c == '\n') {
                ++line_;
                ++at_;
                newline = true;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++at_;
            } else if (c == '/' && at_ + 1 < s_.size() && s_[at_ + 1] == '/') {
                while (at_ < s_.size() && s_[at_] != '\n') {
                    ++at_;
                }
            } else if (c == '/' && at_ + 1 < s_.size() && s_[at_ + 1] == '*') {
                int startLine = line_;
                size_t end = s_.find("*/", at_ + 2);
                if (end == std::string_view::npos) {
                    Fail("コメントが閉じていません", startLine);
                }
                for (size_t i = at_; i < end; ++i) {
                    if (s_[i] == '\n') {
                        ++line_;
                        newline = true;
                    }
                }
                at_ = end + 2;
            } else if (size_t wide = WideBlankLength()) {
                at_ += wide;
            } else if (static_cast<unsigned char>(c) >= 0x80 && Utf8Length(s_, at_) == 0) {
                Fail("UTF-8 として正しくない文字があります", line_);
            } else {
                break;
            }
        }
        return newline;
    }

    double ReadNumber()
    {
        size_t start = at_;
        double value = 0.0;
        if (s_[at_] == '0' && at_ + 1 < s_.size() && (s_[at_ + 1] == 'x' || s_[at_ + 1] == 'X')) {
            at_ += 2;
            size_t digits = 0;
            while (at_ < s_.size() && platform::HexDigitValue(s_[at_]) >= 0) {
                value = value * 16.0 + platform::HexDigitValue(s_[at_]);
                ++at_;
                ++digits;
            }
            if (digits == 0) {
                Fail("数値が正しくありません", line_);
            }
        } else {
            while (at_ < s_.size() && IsDigit(s_[at_])) {
                ++at_;
            }
            if (at_ < s_.size() && s_[at_] == '.') {
                ++at_;
                while (at_ < s_.size() && IsDigit(s_[at_])) {
                    ++at_;
                }
            }
            if (at_ < s_.size() && (s_[at_] == 'e' || s_[at_] == 'E')) {
                size_t mark = at_ + 1;
                if (mark < s_.size() && (s_[mark] == '+' || s_[mark] == '-')) {
                    ++mark;
                }
                if (mark >= s_.size() || !IsDigit(s_[mark])) {
                    Fail("数値が正しくありません", line_);
                }
                at_ = mark;
                while (at_ < s_.size() && IsDigit(s_[at_])) {
                    ++at_;
                }
            }
            std::string_view text = s_.substr(start, at_ - start);
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error == std::errc::result_out_of_range) {
                value = OutOfRangeValue(text);
            } else if (error != std::errc() || end != text.data() + text.size()) {
                Fail("数値が正しくありません", line_);
            }
        }
        if (at_ < s_.size() && IsNameChar(s_[at_])) {
            Fail("数値が正しくありません", line_);
        }
        return value;
    }

    // A decimal number too large or too small for a double: infinity or 0, told apart by the
    // position of its first significant digit.
    static double OutOfRangeValue(std::string_view text)
    {
        size_t exponentAt = text.find_first_of("eE");
        std::string_view mantissa = text.substr(0, exponentAt);
        long long magnitude = 0;  // power of ten of the first significant digit, plus one
        size_t point = mantissa.find('.');
        size_t integerDigits = point == std::string_view::npos ? mantissa.size() : point;
        size_t first = mantissa.find_first_not_of("0.");
        if (first == std::string_view::npos) {
            return 0.0;
        }
        magnitude = first < integerDigits ? static_cast<long long>(integerDigits - first)
                                          : -static_cast<long long>(first - integerDigits - 1);
        if (exponentAt != std::string_view::npos) {
            std::string_view e = text.substr(exponentAt + 1);
            bool negative = !e.empty() && e[0] == '-';
            long long exponent = 0;
            for (char c : e) {
                if (IsDigit(c) && exponent < 100000) {
                    exponent = exponent * 10 + (c - '0');
                }
            }
            magnitude += negative ? -exponent : exponent;
        }
        return magnitude > 0 ? HUGE_VAL : 0.0;
    }

    std::string ReadString(char quote)
    {
        int startLine = line_;
        ++at_;
        std::string value;
        while (true) {
            if (at_ >= s_.size() || s_[at_] == '\n' || s_[at_] == '\r') {
                Fail("文字列が閉じていません", startLine);
            }
            char c = s_[at_];
            if (c == quote) {
                ++at_;
                return value;
            }
            if (static_cast<unsigned char>(c) >= 0x80) {
                size_t length = Utf8Length(s_, at_);
                if (length == 0) {
                    Fail("UTF-8 として正しくない文字があります", line_);
                }
                value.append(s_.substr(at_, length));
                at_ += length;
                continue;
            }
            ++at_;
            if (c != '\\') {
                value += c;
                continue;
            }
            if (at_ >= s_.size()) {
                Fail("文字列が閉じていません", startLine);
            }
            char e = s_[at_++];
            switch (e) {
            case 'n': value += '\n'; break;
            case 'r': value += '\r'; break;
            case 't': value += '\t'; break;
            case 'b': value += '\b'; break;
            case 'f': value += '\f'; break;
            case 'x': AppendUtf8(value, ReadHex(2)); break;
            case 'u': AppendUnicodeEscape(value); break;
            case '\n': ++line_; break;  // a backslash at the line end continues the string
            default:
                if (static_cast<unsigned char>(e) >= 0x80) {
                    --at_;  // an escaped multi-byte character stands for itself
                } else {
                    value += e;
                }
                break;
            }
        }
    }

    uint32_t ReadHex(int digits)
    {
        uint32_t code = 0;
        for (int i = 0; i < digits; ++i) {
            int v = at_ < s_.size() ? platform::HexDigitValue(s_[at_]) : -1;
            if (v < 0) {
                Fail("文字列のエスケープが正しくありません", line_);
            }
            code = code * 16 + static_cast<uint32_t>(v);
            ++at_;
        }
        return code;
    }

    // \uXXXX, joining a surrogate pair; a lone surrogate becomes U+FFFD.
    void AppendUnicodeEscape(std::string &value)
    {
        uint32_t code = ReadHex(4);
        if (code >= 0xD800 && code <= 0xDBFF && s_.substr(at_, 2) == "\\u") {
            size_t mark = at_;
            at_ += 2;
            uint32_t low = ReadHex(4);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(value, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                return;
            }
            at_ = mark;
        }
        AppendUtf8(value, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
    }

    std::string ReadPunct()
    {
        std::string_view rest = s_.substr(at_);
        for (std::string_view p : kPuncts) {
            if (rest.substr(0, p.size()) == p) {
                at_ += p.size();
                return std::string(p);
            }
        }
        Fail("使えない文字があります", line_);
    }

    std::string_view s_;
    size_t at_ = 0;
    int line_ = 1;
};

}  // namespace

std::vector<Token> TokenizeScript(std::string_view source)
{
    return Lexer(source).Run();
}

}  // namespace platform
