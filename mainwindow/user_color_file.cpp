#include "mainwindow/user_color_file.h"

#include "platform/base/atomic_file.h"
#include "platform/base/number_text.h"
#include "platform/base/program_folder.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

namespace mainwindow {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr size_t kSetRows = 6;

uint32_t HexPart(std::string_view part)
{
    double value = platform::Val("&H" + std::string(part));
    return (value > 0 && value <= 255) ? static_cast<uint32_t>(value) : 0;
}

// A field "BBGGRR": blue from the first two characters, green from the third and fourth, red from
// the last two.
uint32_t ColorOfField(std::string_view field)
{
    std::string_view blue = field.substr(0, 2);
    std::string_view green = field.size() > 2 ? field.substr(2, 2) : std::string_view();
    std::string_view red = field.size() > 2 ? field.substr(field.size() - 2) : field;
    return HexPart(red) | (HexPart(green) << 8) | (HexPart(blue) << 16);
}

// The fields of the file: a comma or a line end ends a field; line ends at the end of the file
// end the last row. Nothing when a row is cut short. At most maxFields are taken; more tells
// whether the text went on after them.
std::optional<std::vector<std::string_view>> SplitFields(std::string_view text, size_t maxFields, bool &more)
{
    more = false;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    std::vector<std::string_view> fields;
    if (text.empty()) {
        return fields;
    }
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ',' || text[i] == '\r' || text[i] == '\n') {
            if (fields.size() == maxFields) {
                more = true;
                break;
            }
            fields.push_back(text.substr(start, i - start));
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (fields.size() % 6 != 0) {
        return std::nullopt;  // the file ends inside a row
    }
    return fields;
}

bool ReadTable(const std::string &path, UserColorTable &table, bool &more)
{
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes)) {
        return false;
    }
    auto fields = SplitFields(bytes, kMaxUserColorRows * 6, more);
    if (!fields) {
        return false;
    }
    size_t rows = fields->size() / 6;
    size_t rounded = (rows + kSetRows - 1) / kSetRows * kSetRows;
    table.assign(rounded == 0 ? kSetRows : rounded, UserColorRow{});
    for (size_t i = 0; i < fields->size(); ++i) {
        table[i / 6][i % 6] = ColorOfField((*fields)[i]);
    }
    return true;
}

std::string NamePart(const std::string &path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string UserColorFileText(const UserColorTable &table)
{
    std::string text;
    text.reserve(table.size() * 44);
    for (const UserColorRow &row : table) {
        for (size_t j = 0; j < row.size(); ++j) {
            char field[8];
            std::snprintf(field, sizeof field, "%06X", row[j] & 0xFFFFFF);
            text += field;
            text += (j + 1 < row.size()) ? "," : "\r\n";
        }
    }
    return text;
}

bool SaveUserColorFile(const std::string &path, const UserColorTable &table, std::string *error)
{
    return platform::WriteFileAtomically(path, UserColorFileText(table), error);
}

bool LoadUserColorFile(const std::string &path, UserColorTable &table)
{
    bool more = false;
    if (ReadTable(path, table, more)) {
        return !more;
    }
    if (NamePart(path) != kUserColorFileName) {
        return LoadUserColorFile(platform::ProgramFile(kUserColorFileName), table);
    }
    table.assign(kSetRows, UserColorRow{kWhite, kWhite, kWhite, kWhite, kWhite, kWhite});
    return true;
}

}  // namespace mainwindow
