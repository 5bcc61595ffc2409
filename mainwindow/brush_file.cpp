#include "mainwindow/brush_file.h"

#include "core/drawing_file.h"
#include "platform/base/atomic_file.h"
#include "platform/base/text_encoding.h"

namespace mainwindow {
namespace {

constexpr size_t kMinBrushBytes = 16;  // a name and the shortest path block

bool KnownVersion(const std::string &version)
{
    return version == "010" || version == "020" || version == "030";
}

}  // namespace

std::string BrushFileBytes(const core::BrushList &brushes)
{
    core::FieldWriter file;
    file.WriteString("030").WriteInt(brushes.BrushCount).EndLine();
    for (int32_t i = 1; i <= brushes.BrushCount; ++i) {
        file.WriteString(brushes.BrushNames[static_cast<size_t>(i)]).EndLine();
        core::WritePathRecord(brushes.BrushPaths[static_cast<size_t>(i)], file);
    }
    return file.Bytes();
}

bool SaveBrushFile(const std::string &path, const core::BrushList &brushes, std::string *error)
{
    return platform::WriteFileAtomically(path, BrushFileBytes(brushes), error);
}

bool ReadBrushFile(const std::string &path, core::PathArray &paths, std::vector<std::string> &names,
                   int32_t &skipped)
{
    skipped = 0;
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes)) {
        return false;
    }
    std::string text = platform::Cp932ToUtf8(bytes);
    core::FieldReader file(text);
    std::string version;
    int32_t count = 0;
    if (!file.ReadString(version) || !KnownVersion(version) || !file.ReadCount(count, kMinBrushBytes) || count < 1) {
        return false;
    }
    if (count > core::kMaxBrushes) {
        skipped = count - core::kMaxBrushes;
        count = core::kMaxBrushes;
    }
    core::PathArray readPaths(static_cast<size_t>(count) + 1);
    std::vector<std::string> readNames(static_cast<size_t>(count) + 1);
    for (int32_t i = 1; i <= count; ++i) {
        if (!file.ReadString(readNames[static_cast<size_t>(i)]) ||
            !core::ReadPathRecord(file, version, readPaths[static_cast<size_t>(i)])) {
            return false;
        }
    }
    paths = std::move(readPaths);
    names = std::move(readNames);
    return true;
}

}  // namespace mainwindow
