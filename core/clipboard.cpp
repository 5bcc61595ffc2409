#include "core/clipboard.h"

#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/groups.h"
#include "core/host.h"
#include "core/path_builder.h"
#include "core/path_importers.h"
#include "platform/base/atomic_file.h"
#include "platform/base/file_names.h"
#include "platform/base/rounding.h"
#include "platform/base/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>

namespace core {
namespace {

ClipboardState g_clipboard;

int32_t HalfGridWidth()
{
    return Doc().CurrentSettings.GridWidth / 2;
}

int32_t HalfGridHeight()
{
    return Doc().CurrentSettings.GridHeight / 2;
}

int32_t SaturatingAdd(int32_t a, int64_t b)
{
    return platform::SaturateInt<int32_t>(static_cast<int64_t>(a) + b);
}

// Gives the clip paths that share an id one fresh id each, in clip order: the smallest ones the
// document does not use, so pasted groups and compounds never merge with existing ones.
void RenumberClipIds(PathArray &clip, int32_t PathRecord::*idField)
{
    const UsedIds used(idField);
    std::map<int32_t, int32_t> fresh;
    int32_t candidate = 1;
    for (size_t i = 1; i < clip.size(); ++i) {
        int32_t old = clip[i].*idField;
        if (old <= 0) {
            continue;
        }
        auto known = fresh.find(old);
        if (known == fresh.end()) {
            int32_t id = used.NextFree(candidate);
            known = fresh.emplace(old, id).first;
            candidate = id < INT32_MAX ? id + 1 : id;
        }
        clip[i].*idField = known->second;
    }
}

void ShiftPasted(int32_t index, int32_t dx, int32_t dy)
{
    PathRecord &path = Doc().DocPaths[static_cast<size_t>(index)];
    for (int32_t k = 0; k <= path.AnchorMax(); ++k) {
        MoveAnchor(dx, dy, index, k);
    }
    path.GradCenterX = SaturatingAdd(path.GradCenterX, dx);
    path.GradCenterY = SaturatingAdd(path.GradCenterY, dy);
}

enum class ClipFormat { Unknown, Clip, Drawing, Metafile, Svg };

ClipFormat ClipFormatOf(const std::string &path)
{
    std::string extension = platform::AsciiLower(platform::GetExtensionPart(path));
    if (extension == "qkclip") {
        return ClipFormat::Clip;
    }
    if (extension == "qlk") {
        return ClipFormat::Drawing;
    }
    if (extension == "wmf") {
        return ClipFormat::Metafile;
    }
    if (extension == "svg" || extension == "svgz") {
        return ClipFormat::Svg;
    }
    return ClipFormat::Unknown;
}

// Paths read from a drawing or an import: the clip origin is the left and top of their bounds.
void TakeClipPaths(PathArray paths)
{
    Rect32 bounds = GetPathsBounds(paths);
    g_clipboard.ClipPaths = std::move(paths);
    g_clipboard.ClipOriginX = bounds.Left;
    g_clipboard.ClipOriginY = bounds.Top;
}

// An import that yields no path is a bad file.
bool TakeImportedPaths(PathCollection imported)
{
    if (imported.PathCount() == 0) {
        return false;
    }
    TakeClipPaths(std::move(imported.Paths));
    return true;
}

bool ReadClipPaths(const std::string &path, ClipFormat format)
{
    std::string message;
    switch (format) {
    case ClipFormat::Clip: {
        ClipFileContents contents;
        if (!ReadClipFile(path, contents, message)) {
            return false;
        }
        g_clipboard.ClipPaths = std::move(contents.Paths);
        g_clipboard.ClipOriginX = contents.ClipOriginX;
        g_clipboard.ClipOriginY = contents.ClipOriginY;
        return true;
    }
    case ClipFormat::Drawing: {
        // The file's settings lines land in a copy: the live canvas settings stay as they are.
        DrawingFileContents contents;
        contents.Settings = Doc().CurrentSettings;
        if (!ReadDrawingFile(path, contents, message)) {
            return false;
        }
        TakeClipPaths(std::move(contents.Paths));
        return true;
    }
    case ClipFormat::Svg: {
        PathCollection imported;
        return GetPathImporters().ReadSvgFile(path, imported) && TakeImportedPaths(std::move(imported));
    }
    case ClipFormat::Metafile: {
        std::string bytes;
        return platform::ReadWholeFile(path, bytes) && TakeImportedPaths(GetPathImporters().ReadMetafile(bytes));
    }
    case ClipFormat::Unknown:
        break;
    }
    return false;
}

}  // namespace

ClipboardState &Clipboard()
{
    return g_clipboard;
}

void ResetClipboardForTest()
{
    g_clipboard = ClipboardState();
}

void ClearClip()
{
    g_clipboard = ClipboardState();
}

int32_t GetClipCount()
{
    return UpperBound(g_clipboard.ClipPaths);
}

void CopySelectedPaths(int32_t x, int32_t y)
{
    ClearClip();
    if (Doc().DocPathCount() == 0) {
        return;
    }
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        const PathRecord &path = std::as_const(Doc().DocPaths)[static_cast<size_t>(i)];
        if (path.blSelected) {
            g_clipboard.ClipPaths.push_back(path);
        }
    }
    g_clipboard.ClipOriginX = x;
    g_clipboard.ClipOriginY = y;
    g_clipboard.PasteOffsetX = HalfGridWidth();
    g_clipboard.PasteOffsetY = HalfGridHeight();
}

void CutSelectedPaths(int32_t x, int32_t y)
{
    EndPathInProgress();
    ClearClip();
    std::vector<bool> doomed(Doc().DocPaths.size(), false);
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        const PathRecord &path = std::as_const(Doc().DocPaths)[static_cast<size_t>(i)];
        if (path.blSelected) {
            g_clipboard.ClipPaths.push_back(path);
            doomed[static_cast<size_t>(i)] = true;
        }
    }
    DeleteFlaggedPaths(doomed);
    g_clipboard.ClipOriginX = x;
    g_clipboard.ClipOriginY = y;
}

void PastePaths(int32_t x, int32_t y, bool useOffset, int32_t position)
{
    if (GetClipCount() == 0) {
        return;
    }
    EndPathInProgress();
    DeselectAllPaths();

    PathArray pasted = g_clipboard.ClipPaths;
    RenumberClipIds(pasted, &PathRecord::GroupID);
    RenumberClipIds(pasted, &PathRecord::CompoundID);

    // A position equal to the count would put the copies before path 1, into element 0.
    int32_t count = Doc().DocPathCount();
    position = std::clamp(position, -1, count - 1);
    int32_t base = count - position;
    if (position > -1) {
        g_clipboard.PasteOffsetX = 0;
        g_clipboard.PasteOffsetY = 0;
    }
    int32_t dx = useOffset ? g_clipboard.PasteOffsetX : SaturatingAdd(x, -int64_t{g_clipboard.ClipOriginX});
    int32_t dy = useOffset ? g_clipboard.PasteOffsetY : SaturatingAdd(y, -int64_t{g_clipboard.ClipOriginY});

    for (size_t i = 1; i < pasted.size(); ++i) {
        pasted[i].blSelected = true;
    }
    auto &paths = Doc().DocPaths;
    paths.insert(paths.begin() + base, std::make_move_iterator(pasted.begin() + 1),
                 std::make_move_iterator(pasted.end()));
    for (int32_t t = base; t < base + static_cast<int32_t>(pasted.size()) - 1; ++t) {
        ShiftPasted(t, dx, dy);
    }

    if (useOffset) {
        g_clipboard.PasteOffsetX = SaturatingAdd(g_clipboard.PasteOffsetX, HalfGridWidth());
        g_clipboard.PasteOffsetY = SaturatingAdd(g_clipboard.PasteOffsetY, HalfGridHeight());
    }
}

void DeletePath(int32_t i)
{
    if (i < 1 || i > Doc().DocPathCount()) {
        return;
    }
    std::vector<bool> doomed(Doc().DocPaths.size(), false);
    doomed[static_cast<size_t>(i)] = true;
    DeleteFlaggedPaths(doomed);
}

void DeleteSelectedPaths()
{
    EndPathInProgress();
    std::vector<bool> doomed(Doc().DocPaths.size(), false);
    for (int32_t i = 1; i <= Doc().DocPathCount(); ++i) {
        doomed[static_cast<size_t>(i)] = std::as_const(Doc().DocPaths)[static_cast<size_t>(i)].blSelected;
    }
    DeleteFlaggedPaths(doomed);
}

void DeleteFlaggedPaths(const std::vector<bool> &doomed)
{
    auto &paths = Doc().DocPaths;
    auto isDoomed = [&](size_t i) { return i > 0 && i < doomed.size() && i < paths.size() && doomed[i]; };

    size_t removed = 0;
    paths.RemoveIf(1, [&](size_t i) {
        if (!isDoomed(i)) {
            return false;
        }
        NotePathRemoved(static_cast<int32_t>(i - removed));  // its index among the paths left so far
        ++removed;
        return true;
    });
    if (paths.empty()) {
        paths.emplace_back();
    }
}


bool SaveClipFile(const std::string &path)
{
    if (GetClipCount() == 0) {
        GetHost().ShowStatus("クリップを保存できません。");
        return false;
    }
    ClipFormat format = ClipFormatOf(path);
    std::string message;
    bool saved = false;
    if (format == ClipFormat::Clip) {
        saved = WriteClipFile(path, g_clipboard.ClipPaths, GetClipCount(), g_clipboard.ClipOriginX,
                              g_clipboard.ClipOriginY, message);
    } else if (format == ClipFormat::Drawing) {
        saved = WriteDrawingFile(path, g_clipboard.ClipPaths, GetClipCount(), Doc().CurrentSettings, message);
    } else {
        message = "クリップを保存できません。拡張子を .qkclip または .qlk にしてください。";
    }
    GetHost().ShowStatus(saved ? "クリップを [ " + path + "] に保存しました。" : message);
    return saved;
}

bool LoadClipFile(const std::string &path)
{
    ClearClip();
    std::string name = platform::GetFileNamePart(path);
    ClipFormat format = ClipFormatOf(path);
    if (format == ClipFormat::Unknown) {
        GetHost().ShowStatus("ファイル [" + name + "] はクリップボードに読み込めない種類のファイルです。");
        return false;
    }
    if (!ReadClipPaths(path, format)) {
        ClearClip();
        GetHost().ShowStatus("ファイル [" + name + "] は不正なQuillarkクリップファイルです。");
        return false;
    }
    RemoveEmptyPaths(g_clipboard.ClipPaths);
    GetHost().ShowStatus("ファイル [" + name + "] をクリップボードに読み込みました。");
    return true;
}

}  // namespace core
