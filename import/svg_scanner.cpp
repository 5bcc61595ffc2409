#include "import/svg_scanner.h"

namespace importer {
namespace {

// Passes over "<!--...-->", "<![CDATA[...]]>" and "<?...?>" starting at lt. Returns the position
// to search on from, lt when nothing is there to pass over, or npos when the construct never ends.
size_t SkipNonElement(std::string_view text, size_t lt)
{
    std::string_view rest = text.substr(lt + 1);
    std::string_view closing;
    if (rest.starts_with("!--")) {
        closing = "-->";
    } else if (rest.starts_with("![CDATA[")) {
        closing = "]]>";
    } else if (rest.starts_with("?")) {
        closing = "?>";
    } else {
        return lt;
    }
    size_t end = text.find(closing, lt + 1);
    return end == std::string_view::npos ? end : end + closing.size();
}

}  // namespace

size_t BlankLengthAt(std::string_view text, size_t pos)
{
    if (pos >= text.size()) {
        return 0;
    }
    char c = text[pos];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        return 1;
    }
    if (static_cast<unsigned char>(c) == 0xE3 && text.substr(pos, 3) == "\xE3\x80\x80") {
        return 3;
    }
    return 0;
}

size_t SkipBlanks(std::string_view text, size_t start, char extra)
{
    size_t pos = start;
    while (pos < text.size()) {
        size_t blank = BlankLengthAt(text, pos);
        if (blank > 0) {
            pos += blank;
        } else if (extra != '\0' && text[pos] == extra) {
            ++pos;
        } else {
            return pos;
        }
    }
    return text.size();
}

size_t FindDelimiter(std::string_view text, size_t start, char d1, char d2)
{
    for (size_t pos = start; pos < text.size(); ++pos) {
        char c = text[pos];
        if ((d1 != '\0' && c == d1) || (d2 != '\0' && c == d2) || BlankLengthAt(text, pos) > 0) {
            return pos;
        }
    }
    return text.size();
}

std::string GetNextTag(std::string_view text, size_t &pos)
{
    size_t from = pos;
    for (;;) {
        size_t lt = text.find('<', from);
        if (lt == std::string_view::npos) {
            return "";
        }
        size_t after = SkipNonElement(text, lt);
        if (after == std::string_view::npos) {
            return "";
        }
        if (after != lt) {
            from = after;
            continue;
        }
        size_t end = FindDelimiter(text, lt + 2, '>', '/');
        if (end >= text.size()) {
            pos = text.size();
            return "";
        }
        pos = end;
        return std::string(text.substr(lt + 1, end - lt - 1));
    }
}

bool SkipElement(std::string_view text, size_t &pos, const std::string &name)
{
    // Open elements still waiting for their closing tag, innermost last. Iterative, so that deep
    // nesting costs memory in proportion to the text, never stack.
    std::vector<std::string> open;
    std::string current = name;
    for (;;) {
        size_t gt = text.find('>', pos);
        if (gt == std::string_view::npos) {
            return false;
        }
        if (gt > 0 && text[gt - 1] == '/') {
            pos = gt + 1;
        } else {
            open.push_back("/" + current);
        }
        while (!open.empty()) {
            std::string tag = GetNextTag(text, pos);
            if (tag.empty()) {
                return false;
            }
            if (tag == open.back()) {
                open.pop_back();
                ++pos;
                continue;
            }
            current = tag;
            break;
        }
        if (open.empty()) {
            return true;
        }
    }
}

bool IsTagEndMarker(std::string_view name)
{
    return name == "/>" || name == "?>" || name == ">";
}

std::string_view GetNextAttributeView(std::string_view text, size_t &pos, std::string_view &value)
{
    value = {};
    size_t start = SkipBlanks(text, pos);
    if (start >= text.size()) {
        pos = text.size();
        return "";
    }
    // A tag end is recognised at the start of a token even when text follows it directly
    // ("<g>text"), so that a reader never runs on into the element's content.
    for (std::string_view marker : {std::string_view("/>"), std::string_view("?>"), std::string_view(">")}) {
        if (text.substr(start).starts_with(marker)) {
            pos = start + marker.size();
            return marker;
        }
    }
    size_t end = FindDelimiter(text, start + 1, '=', '<');
    pos = end;
    std::string_view name = text.substr(start, end - start);
    // The value's opening quote, unless the tag ends first (searching no further than either, so
    // that a tag of many attributes is read in linear time).
    size_t open = text.find_first_of("\">", end);
    if (open == std::string_view::npos || text[open] == '>') {
        // No value in this tag: the attribute ends at the tag's end ("/>" or ">").
        if (open == std::string_view::npos) {
            pos = text.size();
        } else {
            pos = open > 0 && text[open - 1] == '/' ? open - 1 : open;
        }
        return name;
    }
    size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) {
        // A missing closing quote ends the value at the end of the tag.
        size_t gt = text.find('>', open + 1);
        size_t valueEnd = gt == std::string_view::npos ? text.size() : gt;
        if (valueEnd > open + 1 && text[valueEnd - 1] == '/') {
            --valueEnd;
        }
        value = text.substr(open + 1, valueEnd - open - 1);
        pos = valueEnd;
        return name;
    }
    value = text.substr(open + 1, close - open - 1);
    pos = close + 1;
    return name;
}

std::string GetNextAttribute(std::string_view text, size_t &pos, std::string &value)
{
    std::string_view view;
    std::string name(GetNextAttributeView(text, pos, view));
    value.assign(view);
    return name;
}

void StepBackOverMarker(size_t &pos, std::string_view marker)
{
    if (marker == "/>" || marker == "?>") {
        pos -= 2;
    } else if (marker == ">") {
        pos -= 1;
    }
}

std::string GetIdAttribute(std::string_view text, size_t pos)
{
    std::string_view value;
    for (;;) {
        std::string_view name = GetNextAttributeView(text, pos, value);
        if (name == "id") {
            return std::string(value);
        }
        if (name.empty() || IsTagEndMarker(name)) {
            return "";
        }
    }
}

std::string GetNextStyleDecl(std::string_view text, size_t &pos, std::string &value)
{
    value.clear();
    size_t start = SkipBlanks(text, pos);
    if (start >= text.size()) {
        pos = text.size();
        return "";
    }
    // Every search stays inside this declaration, so a long style is read in linear time.
    const std::string_view declaration = text.substr(start, text.find(';', start) - start);
    const size_t declEnd = start + declaration.size();
    const size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) {
        // No ":" in this declaration: skip it.
        pos = declEnd < text.size() ? declEnd + 1 : text.size();
        return "";
    }
    std::string name(declaration.substr(0, FindDelimiter(declaration, 0, ':')));
    size_t valueStart = SkipBlanks(text, start + colon + 1);
    size_t valueEnd = FindDelimiter(text, valueStart, ';');
    value = std::string(text.substr(valueStart, valueEnd - valueStart));
    pos = valueEnd;
    if (pos >= text.size()) {
        return name;
    }
    size_t next = text.find(';', pos);
    pos = next == std::string_view::npos ? text.size() : next + 1;
    return name;
}

std::string GetUrlId(std::string_view text)
{
    size_t hash = text.find('#');
    if (hash == std::string_view::npos) {
        return "";
    }
    size_t start = SkipBlanks(text, hash + 1);
    size_t end = FindDelimiter(text, start, ')');
    return std::string(text.substr(start, end - start));
}

std::vector<std::string_view> ParseArgList(std::string_view text, size_t &pos)
{
    std::vector<std::string_view> args;
    ++pos;
    while (pos < text.size()) {
        char c = text[pos];
        size_t blank = BlankLengthAt(text, pos);
        if (blank > 0) {
            pos += blank;
        } else if (c == ',' || c == 'E' || c == 'e') {
            ++pos;
        } else if (c == ')') {
            break;
        } else {
            size_t end = FindDelimiter(text, pos + 1, ',', ')');
            args.push_back(text.substr(pos, end - pos));
            pos = end;
        }
    }
    return args;
}

}  // namespace importer
