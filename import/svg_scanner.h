// The SVG reader's markup scanner. The reader keeps the whole decoded document (UTF-8) as one text
// and walks it with a cursor: a 0-based byte position held by the caller. Past the end is
// text.size(). All comparisons are exact and case-sensitive.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace importer {

// Length of the blank at pos (space, TAB, CR, LF: 1; the ideographic space U+3000: 3), else 0.
size_t BlankLengthAt(std::string_view text, size_t pos);

// First position at or after start that is neither a blank nor extra ('\0': no extra character).
size_t SkipBlanks(std::string_view text, size_t start, char extra = '\0');

// First position at or after start holding a blank, d1 or d2 ('\0' matches nothing).
size_t FindDelimiter(std::string_view text, size_t start, char d1 = '\0', char d2 = '\0');

// The next element name ("g", "/g", "!DOCTYPE"); comments, CDATA sections and processing
// instructions are passed over. pos ends on the character that ended the name. "" at the end of
// the text.
std::string GetNextTag(std::string_view text, size_t &pos);

// Skips the rest of the element whose name GetNextTag just returned, content included. False when
// the text runs out first.
bool SkipElement(std::string_view text, size_t &pos, const std::string &name);

// True for the names GetNextAttribute returns in place of an attribute at a tag's end.
bool IsTagEndMarker(std::string_view name);

// The next attribute of the open tag and its double-quoted value; at the tag's end one of the
// markers "/>", "?>", ">" with pos just behind it; "" at the end of the text.
std::string GetNextAttribute(std::string_view text, size_t &pos, std::string &value);
// The same as views into text (no copies: attribute values such as path data can be long).
std::string_view GetNextAttributeView(std::string_view text, size_t &pos, std::string_view &value);

// Puts pos back from behind a tag-end marker onto it, so SkipElement sees the tag's end.
void StepBackOverMarker(size_t &pos, std::string_view marker);

// Gives every attribute of the open tag to onAttribute(name, value), both views into text, and
// puts pos back onto the tag's end. False when the text ran out before the tag ended.
template <typename Handler>
bool ForEachAttribute(std::string_view text, size_t &pos, Handler &&onAttribute)
{
    std::string_view value;
    for (;;) {
        std::string_view name = GetNextAttributeView(text, pos, value);
        if (name.empty()) {
            return false;
        }
        if (IsTagEndMarker(name)) {
            StepBackOverMarker(pos, name);
            return true;
        }
        onAttribute(name, value);
    }
}

// The value of the open tag's id attribute ("" when absent); pos is not moved.
std::string GetIdAttribute(std::string_view text, size_t pos);

// The next "name: value" declaration of a style text. A declaration without ":" gives "".
// Callers loop until pos >= text.size().
std::string GetNextStyleDecl(std::string_view text, size_t &pos, std::string &value);

// The id of a url(#id) reference; "" without "#".
std::string GetUrlId(std::string_view text);

// The argument texts of one transform function; pos stands on its "(" and ends on the ")".
std::vector<std::string_view> ParseArgList(std::string_view text, size_t &pos);

}  // namespace importer
