#include "core/backup_file.h"

#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/history.h"
#include "core/stored_paths.h"
#include "core/host.h"
#include "platform/base/atomic_file.h"
#include "platform/base/file_names.h"
#include "platform/base/program_folder.h"
#include "platform/base/text_encoding.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <system_error>
#include <type_traits>

namespace core {
namespace {

constexpr char kBackupSuffix[] = ".backup";
constexpr std::string_view kDrawingBackupEnding = ".qlk.backup";

constexpr char kOpenErrorTitle[] = "ファイルオープンエラー";
constexpr char kSaveErrorTitle[] = "ファイル保存エラー";

// Encoded sizes of the smallest possible elements: a count in the file is accepted only when the
// bytes after it could hold that many.
constexpr size_t kArrayNeverSized = 2;
constexpr size_t kAnchorBytes = 10;
constexpr size_t kStopBytes = 8;
constexpr size_t kAnchorRefBytes = 8;
constexpr size_t kMinPathRecordBytes = 84;
constexpr size_t kMinCollectionBytes = 4 + 2 * kArrayNeverSized;

constexpr size_t kMaxStringBytes = 0xFFFF;
constexpr size_t kAnyCount = static_cast<size_t>(std::numeric_limits<int32_t>::max());

// The undo history holds at most 2 x HistoryMax entries after entry 0 (one more is allowed), with
// the depth no more than the program keeps: a longer one is not a backup the program wrote.
size_t HistoryEntryLimit(int32_t historyMax)
{
    return 2 * static_cast<size_t>(std::clamp(historyMax, 1, kHistoryMaxLimit)) + 2;
}

// Both directions walk one list of fields per record (the *Fields templates below): the writer
// stores each value it is given, the reader fills it in. Only the reader checks what it got.

// Appends fields in the backup layout. Every call returns true unless a value cannot be stored.
class RecordWriter {
public:
    bool Byte(uint8_t value) { return Put(value, 1); }
    bool Int16(int16_t value) { return Put(static_cast<uint16_t>(value), 2); }
    bool Int32(int32_t value) { return Put(static_cast<uint32_t>(value), 4); }
    bool Uint32(uint32_t value) { return Put(value, 4); }
    bool Bool(bool value) { return Int16(value ? -1 : 0); }
    bool Single(float value) { return Put(std::bit_cast<uint32_t>(value), 4); }

    bool String(const std::string &utf8)
    {
        std::string text = platform::Utf8ToCp932(utf8);
        if (text.size() > kMaxStringBytes) {
            return Fail("65535バイトを超える長さのテキストは書き込めません");
        }
        Put(static_cast<uint32_t>(text.size()), 2);
        bytes_ += text;
        return true;
    }

    // A path: stored as text, remembered when the code page cannot hold it.
    bool Path(const std::string &utf8)
    {
        NoteStoredPath(utf8);
        return String(utf8);
    }

    // Never sized when empty; else one dimension with lower bound 0. Items: a vector, or the
    // history's shared path array.
    template <typename Items, typename Fields>
    bool Array(const Items &items, size_t /*minElementBytes*/, Fields fields, size_t maxCount = kAnyCount)
    {
        if (items.empty()) {
            return Int16(0);
        }
        if (items.size() > std::min(maxCount, kAnyCount)) {
            return Fail("配列の要素がバックアップに収まる数を超えています");
        }
        Int16(1);
        Int32(static_cast<int32_t>(items.size()));
        Int32(0);
        return std::all_of(items.begin(), items.end(), [&](const auto &item) { return fields(*this, item); });
    }

    bool Fail(const std::string &reason)
    {
        error_ = reason;
        return false;
    }

    std::string &Bytes() { return bytes_; }
    const std::string &Error() const { return error_; }

private:
    bool Put(uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i) {
            bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
        return true;
    }

    std::string bytes_;
    std::string error_;
};

// Takes fields in the backup layout from any bytes; the first failure is kept and every later read
// fails too.
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}

    bool Byte(uint8_t &value) { return GetAs(value, 1); }
    bool Int16(int16_t &value) { return GetAs(value, 2); }
    bool Int32(int32_t &value) { return GetAs(value, 4); }
    bool Uint32(uint32_t &value) { return GetAs(value, 4); }
    bool Bool(bool &value)
    {
        int16_t raw = 0;
        return Int16(raw) && (value = raw != 0, true);
    }
    bool Single(float &value)
    {
        uint32_t raw = 0;
        if (!Get(raw, 4)) {
            return false;
        }
        value = std::bit_cast<float>(raw);
        return std::isfinite(value) || Fail("単精度の数値が有限の値ではありません");
    }

    bool String(std::string &utf8)
    {
        uint32_t length = 0;
        if (!Get(length, 2)) {
            return false;
        }
        if (length > BytesLeft()) {
            return Fail("テキストがファイルの終わりを越えています");
        }
        utf8 = platform::Cp932ToUtf8(bytes_.substr(pos_, length));
        pos_ += length;
        return true;
    }

    bool Path(std::string &utf8)
    {
        return String(utf8) && (utf8 = PathOfStoredText(utf8), true);
    }

    // An array of at most maxCount elements that take at least minElementBytes each.
    template <typename Items, typename Fields>
    bool Array(Items &items, size_t minElementBytes, Fields fields, size_t maxCount = kAnyCount)
    {
        using T = typename Items::value_type;
        int16_t dimensions = 0;
        if (!Int16(dimensions)) {
            return false;
        }
        if (dimensions == 0) {
            items.clear();
            return true;
        }
        int32_t count = 0;
        int32_t lowerBound = 0;
        if (dimensions != 1 || !Int32(count) || !Int32(lowerBound)) {
            return Fail("配列が一次元ではありません");
        }
        if (count < 0 || lowerBound != 0) {
            return Fail("配列の添字が 0 から始まっていません");
        }
        if (static_cast<uint64_t>(count) * minElementBytes > BytesLeft()) {
            return Fail("配列の要素がファイルの残りに収まる数を超えています");
        }
        if (static_cast<size_t>(count) > maxCount) {
            return Fail("配列の要素がバックアップに収まる数を超えています");
        }
        items.assign(static_cast<size_t>(count), T());
        return std::all_of(items.begin(), items.end(), [&](T &item) { return fields(*this, item); });
    }

    bool Fail(const std::string &reason)
    {
        if (error_.empty()) {
            error_ = reason + "（" + std::to_string(pos_) + " バイト目）";
        }
        return false;
    }

    size_t BytesLeft() const { return bytes_.size() - pos_; }
    const std::string &Error() const { return error_; }

private:
    bool Get(uint32_t &value, int count)
    {
        if (!error_.empty()) {
            return false;
        }
        if (BytesLeft() < static_cast<size_t>(count)) {
            return Fail("ファイルが途中で終わっています");
        }
        value = 0;
        for (int i = 0; i < count; ++i) {
            value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes_[pos_ + static_cast<size_t>(i)])) << (8 * i);
        }
        pos_ += static_cast<size_t>(count);
        return true;
    }

    // The low count bytes as the integer type, two's complement.
    template <typename T>
    bool GetAs(T &value, int count)
    {
        uint32_t raw = 0;
        if (!Get(raw, count)) {
            return false;
        }
        using Unsigned = std::make_unsigned_t<T>;
        value = static_cast<T>(static_cast<Unsigned>(raw));
        return true;
    }

    std::string_view bytes_;
    size_t pos_ = 0;
    std::string error_;
};

// ---- the fields of each record ----------------------------------------------------------------

template <typename Io, typename Settings>
bool SettingsFields(Io &file, Settings &s)
{
    return file.Int32(s.Width) && file.Int32(s.Height) && file.Byte(s.BackColorR) && file.Byte(s.BackColorG) &&
           file.Byte(s.BackColorB) && file.Int16(s.OptimizeFlag) && file.Int32(s.OptimizePoint) &&
           file.Int32(s.OptimizeLine) && file.Int16(s.Quality) && file.Int32(s.HistoryMax) &&
           file.Int16(s.AutoConvertFlag) && file.Int32(s.AutoConvertValue) && file.Int32(s.GridWidth) &&
           file.Int32(s.GridHeight) && file.Int32(s.GridPower) && file.Int16(s.FloodQuality) &&
           file.Single(s.FloodAccuracy) && file.Single(s.FloodChink) && file.Single(s.FloodAcute) &&
           file.Int16(s.DrawOutsideFlag) && file.Int32(s.ScrollMargin) && file.Int16(s.BackgroundFlag) &&
           file.Path(s.BackgroundFile) && file.Int32(s.BackgroundX) && file.Int32(s.BackgroundY) &&
           file.Single(s.BackgroundScale) && file.Int32(s.BackgroundOpacity);
}

constexpr auto kAnchorFields = [](auto &file, auto &anchor) {
    return file.Int32(anchor.X) && file.Int32(anchor.Y) && file.Int16(anchor.AnchorKind);
};
constexpr auto kStopFields = [](auto &file, auto &stop) {
    return file.Uint32(stop.StopColor) && file.Int32(stop.StopPos);
};
constexpr auto kAnchorRefFields = [](auto &file, auto &ref) {
    return file.Int32(ref.PathIndex) && file.Int32(ref.AnchorIndex);
};
constexpr auto kByteFields = [](auto &file, auto &byte) { return file.Byte(byte); };

// The place a path record keeps in the file for an encoding cache: its bytes and bit position.
struct StoredCache {
    std::vector<uint8_t> Bytes;
    int32_t BitPos = 0;
    int32_t BytePos = 0;
};

// Written records need no check.
bool CheckPath(RecordWriter &, const PathRecord &, int32_t, int32_t, const StoredCache &)
{
    return true;
}

// The stored counts and positions must agree with the arrays read. Values that only select among
// choices are brought into range: stray anchor kinds become on-curve points, unknown fill types no
// fill, stop positions are cut to 0..255.
bool CheckPath(RecordReader &file, PathRecord &path, int32_t anchorMax, int32_t stopCount, const StoredCache &cache)
{
    bool anchorsMatch = path.Anchors.empty() ? anchorMax == 0 || anchorMax == -1 : anchorMax == path.AnchorMax();
    if (!anchorsMatch) {
        return file.Fail("アンカーの数が合いません");
    }
    if (stopCount != path.StopCount()) {
        return file.Fail("グラデーションの色の数が合いません");
    }
    if (cache.BitPos < 0 || cache.BitPos > 8 || cache.BytePos < 0 ||
        static_cast<size_t>(cache.BytePos) > cache.Bytes.size()) {
        return file.Fail("描画キャッシュの位置がその範囲を外れています");
    }
    for (AnchorPoint &anchor : path.Anchors) {
        if (anchor.AnchorKind != kControlPoint) {
            anchor.AnchorKind = kOnCurve;
        }
    }
    if (path.FillType < kFillNone || path.FillType > kFillRadial) {
        path.FillType = kFillNone;
    }
    for (GradStop &stop : path.Stops) {
        stop.StopPos = std::clamp(stop.StopPos, 0, 255);
    }
    return true;
}

template <typename Io, typename Path>
bool PathFields(Io &file, Path &path)
{
    // A record whose anchors were never sized (element 0) keeps the count's initial 0.
    int32_t anchorMax = path.Anchors.empty() ? 0 : path.AnchorMax();
    int32_t stopCount = path.StopCount();
    // The record keeps a place for an encoding cache: written empty (to be encoded again), read,
    // checked and dropped.
    std::string cacheMark;
    StoredCache cache;
    return file.Array(path.Anchors, kAnchorBytes, kAnchorFields) && file.Int32(anchorMax) &&
           file.Bool(path.blClosed) && file.Int32(path.LineWidth) && file.Int16(path.LineMode) &&
           file.Uint32(path.LineColor) && file.Int16(path.FillType) && file.Uint32(path.FillColor) &&
           file.Int32(path.GradCenterX) && file.Int32(path.GradCenterY) && file.Single(path.GradAngle) &&
           file.Single(path.GradRatioX) && file.Single(path.GradRatioY) && file.Uint32(path.GradColor) &&
           file.Int32(stopCount) && file.Array(path.Stops, kStopBytes, kStopFields) && file.String(cacheMark) &&
           file.Array(cache.Bytes, 1, kByteFields) && file.Int32(cache.BitPos) &&
           file.Int32(cache.BytePos) && file.Bool(path.blSelected) && file.Bool(path.blGroup) &&
           file.Int32(path.GroupID) && file.Bool(path.blCompound) && file.Int32(path.CompoundID) &&
           file.Int32(path.DispFlags) && CheckPath(file, path, anchorMax, stopCount, cache);
}

constexpr auto kPathFields = [](auto &file, auto &path) { return PathFields(file, path); };

// Element 0 of a path array always exists.
void KeepElementZero(PathArray &paths)
{
    if (paths.empty()) {
        paths.emplace_back();
    }
}

bool PointsAtAnchor(const AnchorRef &ref, const PathArray &paths)
{
    return ref.PathIndex >= 1 && ref.PathIndex <= UpperBound(paths) && ref.AnchorIndex >= 0 &&
           ref.AnchorIndex <= paths[static_cast<size_t>(ref.PathIndex)].AnchorMax();
}

// Selected anchors 1.. that point at no anchor of the entry are dropped.
void KeepValidSelection(PathCollection &entry)
{
    auto &selection = entry.SelAnchors;
    if (selection.empty()) {
        selection.emplace_back();
        return;
    }
    auto invalid = [&entry](const AnchorRef &ref) { return !PointsAtAnchor(ref, entry.Paths); };
    selection.erase(std::remove_if(selection.begin() + 1, selection.end(), invalid), selection.end());
}

template <typename Entry>
bool CheckCollection(RecordWriter &, const Entry &, int32_t)
{
    return true;
}

bool CheckCollection(RecordReader &file, PathCollection &entry, int32_t pathCount)
{
    KeepElementZero(entry.Paths);
    if (pathCount != entry.PathCount()) {
        return file.Fail("履歴のパスの数が合いません");
    }
    KeepValidSelection(entry);
    return true;
}

// The paths of a history entry (read back as a collection, kept by the history in shared form).
// An entry that holds nothing but an untouched element 0 (the entry of a new document) never had
// its paths sized.
template <typename Entry>
bool EntryPaths(RecordWriter &file, const Entry &entry)
{
    if (entry.Paths.size() == 1 && entry.Paths[0] == PathRecord()) {
        return file.Int16(0);
    }
    return file.Array(entry.Paths, kMinPathRecordBytes, kPathFields);
}

bool EntryPaths(RecordReader &file, PathCollection &entry)
{
    return file.Array(entry.Paths, kMinPathRecordBytes, kPathFields);
}

constexpr auto kCollectionFields = [](auto &file, auto &entry) {
    int32_t pathCount = entry.PathCount();
    return file.Int32(pathCount) && EntryPaths(file, entry) &&
           file.Array(entry.SelAnchors, kAnchorRefBytes, kAnchorRefFields) && CheckCollection(file, entry, pathCount);
};

template <typename Entry>
bool CheckRecord(RecordWriter &, const PathArray &, int32_t, const std::vector<Entry> &, int32_t)
{
    return true;
}

bool CheckRecord(RecordReader &file, PathArray &paths, int32_t pathCount, std::vector<PathCollection> &history,
                 int32_t historyPos)
{
    KeepElementZero(paths);
    if (history.empty()) {
        history.emplace_back();
    }
    if (pathCount != UpperBound(paths)) {
        return file.Fail("パスの数が合いません");
    }
    if (historyPos < 0 || historyPos > UpperBound(history)) {
        return file.Fail("履歴の位置が履歴の範囲を外れています");
    }
    return file.BytesLeft() == 0 || file.Fail("記録の後に余分なデータがあります");
}

// The whole record: settings, paths 0 .. n, n, history entries, history position.
template <typename Io, typename Settings, typename Paths, typename Entries, typename Position>
bool RecordFields(Io &file, Settings &settings, Paths &paths, Entries &history, Position &historyPos)
{
    int32_t pathCount = UpperBound(paths);
    return SettingsFields(file, settings) && file.Array(paths, kMinPathRecordBytes, kPathFields) &&
           file.Int32(pathCount) &&
           file.Array(history, kMinCollectionBytes, kCollectionFields, HistoryEntryLimit(settings.HistoryMax)) &&
           file.Int32(historyPos) && CheckRecord(file, paths, pathCount, history, historyPos);
}

// Entry: a decoded PathCollection or the history's own HistoryEntry.
template <typename Entry>
bool EncodeBackup(const CanvasSettings &settings, const PathArray &paths, const std::vector<Entry> &history,
                  int32_t historyPos, std::string &bytes, std::string &message)
{
    RecordWriter file;
    if (!RecordFields(file, settings, paths, history, historyPos)) {
        message = file.Error();
        return false;
    }
    bytes = std::move(file.Bytes());
    return true;
}

// ---- files --------------------------------------------------------------------------------

bool ReadBackupFile(const std::string &backupPath, BackupRecord &record, std::string &message)
{
    std::string bytes;
    std::string reason;
    if (!platform::ReadWholeFile(backupPath, bytes)) {
        reason = "ファイルを開けないか、通常のファイルではありません";
    } else if (DecodeBackupRecord(bytes, record, reason)) {
        return true;
    }
    message = "バックアップファイル [" + backupPath + "] は読み込めません。\n" + reason;
    return false;
}

bool BackupExists(const std::string &backupPath)
{
    std::error_code error;
    return std::filesystem::is_regular_file(backupPath, error);
}

// Replaces the document and its history by the record's, as for a drawing just opened.
void RestoreDocument(BackupRecord &record, const std::string &path)
{
    NewDocument();  // leaves nothing of the previous drawing behind (a path being drawn included)
    Document &doc = Doc();
    doc.CurrentSettings = std::move(record.Settings);
    ClampCanvasSize(doc.CurrentSettings);
    doc.DocPaths = std::move(record.Paths);
    // Each entry shares the records of paths that are unchanged since the entry before.
    std::vector<HistoryEntry> entries;
    entries.reserve(record.History.size());
    for (const PathCollection &stored : record.History) {
        HistoryEntry &entry = entries.emplace_back();
        entry.Paths = SharedPathArray(stored.Paths, entries.size() > 1 ? &entries[entries.size() - 2].Paths : nullptr);
        entry.SelAnchors = stored.SelAnchors;
    }
    History().HistoryEntries = std::move(entries);
    History().HistoryPos = record.HistoryPos;
    Lifecycle().CurrentFileName = path;
    SetNamedCaption(path);
    // The drawing differs from its file, but the backup already holds the changes: the caption
    // keeps its mark while nothing new needs a backup.
    SetModified(true);
    Lifecycle().DocModified = false;
}

// Names are compared as the file system of the drawings' origin did: letters in either case.
bool EndsWithIgnoringCase(const std::string &name, std::string_view ending)
{
    if (name.size() < ending.size()) {
        return false;
    }
    auto sameLetter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    return std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      sameLetter);
}

}  // namespace

std::string BackupFilePath(const std::string &drawingPath)
{
    return platform::ProgramFile(platform::GetFileNamePart(drawingPath) + kBackupSuffix);
}

bool InPendingChangeFolder(const std::string &drawingPath)
{
    const std::string folder = platform::NormalFolder(GetHost().PendingChangeFolder());
    return !folder.empty() && !platform::GetFileNamePart(drawingPath).empty() &&
           platform::NormalFolder(platform::GetFolderPart(drawingPath)) == folder;
}

bool EncodeBackupRecord(const BackupRecord &record, std::string &bytes, std::string &message)
{
    return EncodeBackup(record.Settings, record.Paths, record.History, record.HistoryPos, bytes, message);
}

bool DecodeBackupRecord(std::string_view bytes, BackupRecord &record, std::string &message)
{
    RecordReader file(bytes);
    BackupRecord read;
    if (!RecordFields(file, read.Settings, read.Paths, read.History, read.HistoryPos)) {
        message = file.Error();
        return false;
    }
    record = std::move(read);
    return true;
}

bool SaveBackupFile(const std::string &path)
{
    if (!Lifecycle().DocModified || !InPendingChangeFolder(path)) {
        return false;
    }
    const Document &doc = Doc();
    const std::string backupPath = BackupFilePath(path);
    std::string bytes;
    std::string reason;
    platform::ClaimProgramFile(platform::GetFileNamePart(backupPath));  // before the backup exists
    if (!EncodeBackup(doc.CurrentSettings, doc.DocPaths, History().HistoryEntries, History().HistoryPos, bytes,
                      reason) ||
        !platform::WriteProgramFile(backupPath, bytes, &reason)) {
        GetHost().ShowErrorMessage("バックアップファイル [" + backupPath + "] を保存できませんでした。\n" + reason,
                                   kSaveErrorTitle);
        return false;
    }
    return true;
}

void OpenWithBackup(const std::string &path)
{
    const std::string backupPath = BackupFilePath(path);
    if (!InPendingChangeFolder(path) || !BackupExists(backupPath)) {
        OpenDrawingFile(path);
        return;
    }
    Host &host = GetHost();
    BackupRecord record;
    std::string message;
    if (!ReadBackupFile(backupPath, record, message)) {
        host.ShowErrorMessage(message + "\n元のファイルを開きます。", kOpenErrorTitle);
        OpenDrawingFile(path);
        return;
    }
    RestoreDocument(record, path);
    host.ReloadCanvas();
    host.RefreshList();
    host.RefreshPosition();
    host.RefreshGradient();
    host.ShowFolderInBrowser(platform::GetFolderPart(path));
}

bool ApplyBackupToFile(const std::string &path)
{
    const std::string backupPath = BackupFilePath(path);
    if (!InPendingChangeFolder(path) || !BackupExists(backupPath)) {
        return false;
    }
    Host &host = GetHost();
    BackupRecord record;
    std::string message;
    if (!ReadBackupFile(backupPath, record, message)) {
        host.ShowErrorMessage(message, kOpenErrorTitle);
        return false;
    }
    // The backup goes only once its changes are safely in the drawing file.
    if (!WriteDrawingFile(path, record.Paths, record.PathCount(), record.Settings, message)) {
        host.ShowErrorMessage(message, kSaveErrorTitle);
        return false;
    }
    std::error_code ignored;
    std::filesystem::remove(backupPath, ignored);
    host.ShowFolderInBrowser(platform::GetFolderPart(path));
    if (!NoteStoredPath(record.Settings.BackgroundFile)) {
        host.ShowStatus("[" + platform::GetFileNamePart(path) + "] " + kUnderlayPathNotStored);
    }
    return true;
}

void DeletePendingChange(const std::string &path)
{
    if (InPendingChangeFolder(path)) {
        std::error_code ignored;
        std::filesystem::remove(BackupFilePath(path), ignored);
    }
}

namespace {

// Every backup of a ".qlk" drawing in the program folder but those another running program owns.
std::vector<std::filesystem::path> DrawingBackups()
{
    std::error_code error;
    std::vector<std::filesystem::path> backups;
    const std::set<std::string> others = platform::ClaimedByOtherPrograms();
    for (std::filesystem::directory_iterator it(platform::ProgramFolder(), error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        const std::filesystem::path &file = it->path();
        if (it->is_regular_file(ignored) && EndsWithIgnoringCase(file.filename().string(), kDrawingBackupEnding) &&
            !others.contains(file.filename().string())) {
            backups.push_back(file);
        }
    }
    return backups;
}

}  // namespace

bool AnyDrawingBackup()
{
    return !DrawingBackups().empty();
}

void DeleteAllBackups()
{
    std::error_code error;
    for (const auto &backup : DrawingBackups()) {
        std::filesystem::remove(backup, error);
    }
}

}  // namespace core
