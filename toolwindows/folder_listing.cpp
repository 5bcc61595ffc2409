#include "toolwindows/folder_listing.h"

#include "core/backup_file.h"
#include "core/document_lifecycle.h"
#include "platform/base/file_names.h"
#include "platform/base/text_encoding.h"

#include <algorithm>
#include <filesystem>

namespace toolwindows {
namespace {

constexpr char kDrawingMark[] = "●";
constexpr char kPlainDrawingMark[] = "○";
constexpr char kOtherMark[] = "　";
constexpr int kTypeCodeStart = 1;
constexpr int kTypeCodeLength = 3;

struct TypeOfExtension {
    const char *extension;
    const char *code;
};

constexpr TypeOfExtension kTypes[] = {{"qlk", "QLK"}, {"bmp", "BMP"}, {"jpg", "JPG"},    {"jpeg", "JPG"},
                                      {"png", "PNG"}, {"wmf", "WMF"}, {"svg", "SVG"},    {"svgz", "SVG"},
                                      {"qkclip", "QKC"}};

// Names in the order of a listing sorted by name: letters in either case alike, then by bytes.
bool NameOrder(const std::string &a, const std::string &b)
{
    std::string lowerA = platform::AsciiLower(a);
    std::string lowerB = platform::AsciiLower(b);
    return lowerA != lowerB ? lowerA < lowerB : a < b;
}

}  // namespace

std::string JoinFolder(const std::string &folder, const std::string &name)
{
    if (!folder.empty() && folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

QString TypeCodeOf(const std::string &name)
{
    std::string extension = platform::AsciiLower(platform::GetExtensionPart(name));
    for (const TypeOfExtension &type : kTypes) {
        if (extension == type.extension) {
            return QString::fromLatin1(type.code);
        }
    }
    return {};
}

std::vector<std::string> ListFolderFiles(const std::string &folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        std::string name = it->path().filename().string();
        if (it->is_regular_file(ignored) && !TypeCodeOf(name).isEmpty()) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), NameOrder);
    return names;
}

std::vector<FolderEntry> BuildEntries(const std::vector<std::string> &names)
{
    std::vector<FolderEntry> entries;
    for (const std::string &name : names) {
        QString code = TypeCodeOf(name);
        const char *marker = kOtherMark;
        if (code == QLatin1String("QLK")) {
            std::error_code ignored;
            marker = std::filesystem::exists(core::BackupFilePath(name), ignored) ? kDrawingMark : kPlainDrawingMark;
        }
        entries.push_back(
            {QString::fromUtf8(marker) + code + QStringLiteral("| ") + QString::fromStdString(name), name});
    }
    // Neighbours swap only when the first type code is greater, so one type keeps the name order.
    std::stable_sort(entries.begin(), entries.end(), [](const FolderEntry &a, const FolderEntry &b) {
        return a.text.mid(kTypeCodeStart, kTypeCodeLength) < b.text.mid(kTypeCodeStart, kTypeCodeLength);
    });
    return entries;
}

QString EntryFileName(const QString &entry)
{
    qsizetype separator = entry.lastIndexOf(QStringLiteral("| "));
    return separator < 0 ? QString() : entry.mid(separator + 2);
}

std::string CopyTargetPath(const std::string &source)
{
    std::string extension = platform::GetExtensionPart(source);
    std::string stem = extension.empty() ? source : source.substr(0, source.size() - extension.size() - 1);
    std::string ending = extension.empty() ? std::string() : "." + extension;
    for (long k = 1;; ++k) {
        std::string candidate = stem + "_" + std::to_string(k) + ending;
        std::error_code ignored;
        if (!std::filesystem::exists(candidate, ignored)) {
            return candidate;
        }
    }
}

}  // namespace toolwindows
