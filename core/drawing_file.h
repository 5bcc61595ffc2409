// The drawing file (.qlk, first line "QLK030") and the clip file (.qkclip, first line
// "QKCLIP030"): text lines of comma-separated values, CP932 with CR LF on disk.
//
// Readers take values in sequence: a comma or a line end separates values alike, blanks around a
// value and empty lines before it are ignored, a quoted string may hold commas, Booleans are
// #TRUE# / #FALSE#, numbers come in every form Val() accepts. Each value is converted into its
// field's type with a range check; a value that does not fit makes the file bad. Versions 010, 020
// and 030 are read; 030 is written.
#pragma once

#include "core/canvas_settings.h"
#include "core/path_record.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// Reads the values of a whole decoded (UTF-8) file one after the other; the text must outlive the
// reader. The first failure is kept (with its line number); every later read fails too.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}
    // Reads from position start of text on (line numbers still count from its beginning).
    FieldReader(std::string_view text, size_t start) : text_(text), pos_(std::min(start, text.size())) {}

    // The rest of the current line as it stands (the magic line), without its line end.
    bool ReadBareLine(std::string_view &line);

    bool ReadInt32(int32_t &value);
    bool ReadInt16(int16_t &value);
    bool ReadByte(uint8_t &value);
    // A 32-bit field kept within [low, high].
    bool ReadInt32InRange(int32_t &value, int32_t low, int32_t high);
    bool ReadInt16InRange(int16_t &value, int16_t low, int16_t high);
    // A colour is stored as its signed 32-bit value.
    bool ReadColor(Color &value);
    bool ReadSingle(float &value);
    bool ReadBool(bool &value);
    bool ReadString(std::string &value);

    // A count of items that follow, each taking at least minBytesPerItem bytes of what is left:
    // a negative count, or one larger than the rest of the file could hold, makes the file bad.
    bool ReadCount(int32_t &count, size_t minBytesPerItem);
    bool CheckCount(int64_t count, size_t minBytesPerItem);

    // Marks the file bad with a reason; returns false.
    bool Fail(std::string_view reason);

    bool Failed() const { return !error_.empty(); }
    // "line N: reason" of the first failure, empty while none.
    const std::string &Error() const { return error_; }
    size_t BytesLeft() const { return text_.size() - pos_; }
    std::string_view Text() const { return text_; }
    // Where the next value is looked for; MoveTo puts it at a position another reader reached.
    size_t Position() const { return pos_; }
    void MoveTo(size_t pos) { pos_ = std::min(pos, text_.size()); }

private:
    // The next value's text, blanks trimmed and quotes removed; quoted tells whether it had them.
    bool NextToken(std::string_view &token, bool &quoted);
    bool NextNumberToken(std::string_view &token);
    bool ReadWhole(int64_t &value, int64_t low, int64_t high);
    int LineAt(size_t pos) const;

    std::string_view text_;
    size_t pos_ = 0;
    size_t tokenPos_ = 0;  // where the last value started, for the line number of a failure
    std::string error_;
};

// Builds the bytes of a file in the files' forms (CP932, CR LF, "." as decimal point).
class FieldWriter {
public:
    // A line written as it stands (the magic line).
    void BareLine(std::string_view line);

    FieldWriter &WriteInt(int64_t value);
    // A colour is stored as its signed 32-bit value (opaque colours are negative).
    FieldWriter &WriteColor(Color value) { return WriteInt(static_cast<int32_t>(value)); }
    FieldWriter &WriteSingle(float value);
    FieldWriter &WriteBool(bool value);
    // A UTF-8 string, quoted. Double quotes, CR and LF, which would break the line, are left out.
    FieldWriter &WriteString(std::string_view utf8);
    void EndLine();

    const std::string &Bytes() const { return bytes_; }
    void Reserve(size_t bytes) { bytes_.reserve(bytes); }

private:
    void Separate();

    std::string bytes_;
    bool lineStarted_ = false;
};

// The version of a magic line: the three characters after the prefix ("QLK" or "QKCLIP") when
// they are "010", "020" or "030"; empty when the line is not a magic of that kind.
std::string_view MagicVersion(std::string_view magic, std::string_view prefix);

// Magic line "QLK030" and the two settings lines (canvas size, background, optimisation,
// quality; the underlay).
void WriteSettingsLines(const CanvasSettings &settings, FieldWriter &file);
// One path block, version 030. Stops are limited by the fill type (2 and 4: 6, 3: 2, others: 0).
void WritePathRecord(const PathRecord &path, FieldWriter &file);

// The two settings lines into the fields they hold; the other fields of settings are untouched.
bool ReadSettingsLines(FieldReader &file, std::string_view version, CanvasSettings &settings);
// One path block of the version ("010", "020" or "030"): fields as read, all others as in an
// empty record.
bool ReadPathRecord(FieldReader &file, std::string_view version, PathRecord &path);

// What a drawing file holds. Settings: the fields of the settings lines are read over it, the
// others keep what the caller put there.
struct DrawingFileContents {
    CanvasSettings Settings;
    PathArray Paths{PathRecord()};  // 1 .. upper bound; element 0 unused
};

// What a clip file holds.
struct ClipFileContents {
    PathArray Paths{PathRecord()};  // 1 .. upper bound; element 0 unused
    int32_t ClipOriginX = 0;
    int32_t ClipOriginY = 0;
};

// Writes magic, settings lines, the count and paths 1 .. count whole to a temporary file, then
// renames it over fileName. False (the old file untouched) with message when anything failed.
bool WriteDrawingFile(const std::string &fileName, const PathArray &paths, int32_t count,
                      const CanvasSettings &settings, std::string &message);
bool WriteClipFile(const std::string &fileName, const PathArray &paths, int32_t count, int32_t clipOriginX,
                   int32_t clipOriginY, std::string &message);

// Read a whole file. On a bad file: false, message "ファイル [path] は不正なQuillarkファイルです。"
// (a clip file: "ファイル [name] は不正なQuillarkクリップファイルです。"), the reason in *detail
// when given, and contents untouched.
bool ReadDrawingFile(const std::string &fileName, DrawingFileContents &contents, std::string &message,
                     std::string *detail = nullptr);
bool ReadClipFile(const std::string &fileName, ClipFileContents &contents, std::string &message,
                  std::string *detail = nullptr);

}  // namespace core
