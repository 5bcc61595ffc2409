#include "platform/profile/profile.h"

#include "platform/base/atomic_file.h"
#include "platform/base/text_encoding.h"

#include <algorithm>

namespace platform {
namespace {

std::string_view Trim(std::string_view text)
{
    const char *blanks = " \t";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool SameName(std::string_view a, std::string_view b)
{
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : static_cast<char>(c); };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    std::string_view text = Trim(line);
    if (text.size() < 2 || text.front() != '[') {
        return std::nullopt;
    }
    size_t close = text.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(text.substr(1, close - 1));
}

bool IsKeyLine(std::string_view line, std::string_view key)
{
    size_t equals = line.find('=');
    return equals != std::string_view::npos && !SectionName(line) && SameName(Trim(line.substr(0, equals)), key);
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::string KeyLine(std::string_view key, std::string_view value)
{
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path))
{
    std::string bytes;
    if (ReadWholeFile(path_, bytes)) {
        lines_ = SplitLines(Cp932ToUtf8(bytes));
    }
}

int ProfileFile::FindSection(std::string_view section) const
{
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto name = SectionName(lines_[i]);
        if (name && SameName(*name, section)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ProfileFile::FindKey(int header, std::string_view key) const
{
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size() && !SectionName(lines_[i]); ++i) {
        if (IsKeyLine(lines_[i], key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ProfileFile::SectionInsertPoint(int header) const
{
    int insertAt = header + 1;
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size() && !SectionName(lines_[i]); ++i) {
        if (!Trim(lines_[i]).empty()) {
            insertAt = static_cast<int>(i) + 1;
        }
    }
    return insertAt;
}

std::optional<std::string> ProfileFile::Get(std::string_view section, std::string_view key) const
{
    int header = FindSection(section);
    int line = header < 0 ? -1 : FindKey(header, key);
    if (line < 0) {
        return std::nullopt;
    }
    std::string_view text = lines_[static_cast<size_t>(line)];
    return std::string(Trim(text.substr(text.find('=') + 1)));
}

std::string ProfileFile::Get(std::string_view section, std::string_view key, std::string_view fallback) const
{
    auto value = Get(section, key);
    return value ? *value : std::string(fallback);
}

void ProfileFile::Set(std::string_view section, std::string_view key, std::string_view value)
{
    int header = FindSection(section);
    if (header < 0) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(KeyLine(key, value));
        return;
    }
    int line = FindKey(header, key);
    if (line >= 0) {
        lines_[static_cast<size_t>(line)] = KeyLine(key, value);
        return;
    }
    lines_.insert(lines_.begin() + SectionInsertPoint(header), KeyLine(key, value));
}

std::string ProfileFile::Text() const
{
    std::string text;
    for (const std::string &line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool ProfileFile::Save(std::string *error) const
{
    return WriteFileAtomically(path_, Utf8ToCp932(Text()), error);
}

std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view fallback,
                              const std::string &path)
{
    return ProfileFile(path).Get(section, key, fallback);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string &path)
{
    ProfileFile profile(path);
    profile.Set(section, key, value);
    return profile.Save();
}

}  // namespace platform
