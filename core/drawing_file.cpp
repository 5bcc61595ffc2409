#include "core/drawing_file.h"

#include "core/path_block_parts.h"
#include "core/stored_paths.h"

#include "platform/base/atomic_file.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"
#include "platform/base/text_encoding.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>

namespace core {
namespace {

constexpr std::string_view kDrawingPrefix = "QLK";
constexpr std::string_view kClipPrefix = "QKCLIP";
constexpr std::string_view kWrittenVersion = "030";

// The smallest lines a file can hold: every value takes at least one character and a separator.
constexpr size_t kMinAnchorBytes = 6;  // "0,0,0" and a line end
constexpr size_t kMinStopBytes = 4;    // "0,0" and a line end

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

size_t SkipDigits(std::string_view text, size_t pos)
{
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
    }
    return pos;
}

bool IsRadixDigit(char c, int radix)
{
    if (radix == 8) {
        return c >= '0' && c <= '7';
    }
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// True when the whole text is one number in a form Val() reads: an optional sign, digits with an
// optional fraction and an E or D exponent, or &H hexadecimal / &O octal digits.
bool IsNumberText(std::string_view text)
{
    if (text.size() >= 3 && text[0] == '&') {
        char kind = static_cast<char>(text[1] | 0x20);
        int radix = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
        return radix != 0 &&
               std::all_of(text.begin() + 2, text.end(), [radix](char c) { return IsRadixDigit(c, radix); });
    }
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    size_t digitsStart = pos;
    pos = SkipDigits(text, pos);
    size_t mantissaDigits = pos - digitsStart;
    if (pos < text.size() && text[pos] == '.') {
        size_t fractionStart = ++pos;
        pos = SkipDigits(text, pos);
        mantissaDigits += pos - fractionStart;
    }
    if (mantissaDigits == 0) {
        return false;
    }
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            ++pos;
        }
        size_t exponentStart = pos;
        pos = SkipDigits(text, pos);
        if (pos == exponentStart) {
            return false;
        }
    }
    return pos == text.size();
}

std::string DrawingBadMessage(const std::string &fileName)
{
    return "ファイル [" + fileName + "] は不正なQuillarkファイルです。";
}

std::string ClipBadMessage(const std::string &fileName)
{
    std::string name = std::filesystem::path(fileName).filename().string();
    return "ファイル [" + name + "] は不正なQuillarkクリップファイルです。";
}

bool IsKnownVersion(std::string_view version)
{
    return version == "010" || version == "020" || version == "030";
}

// Values in a path block's field line (and the stop-count line of version 030).
size_t PathBlockValueCount(std::string_view version)
{
    if (version == "010") {
        return 14;
    }
    return version == "020" ? 16 : 18;
}

// The number of middle stops written for a fill type.
int32_t StopLimit(int16_t fillType)
{
    switch (fillType) {
    case kFillLinear:
    case kFillRadial:
        return 6;
    case kFillReflected:
        return 2;
    default:
        return 0;
    }
}

bool ReadAnchor(FieldReader &file, AnchorPoint &anchor)
{
    return file.ReadInt16InRange(anchor.AnchorKind, kOnCurve, kControlPoint) && file.ReadInt32(anchor.X) &&
           file.ReadInt32(anchor.Y);
}

bool ReadStop(FieldReader &file, GradStop &stop)
{
    return file.ReadInt32InRange(stop.StopPos, 0, 255) && file.ReadColor(stop.StopColor);
}

bool ReadStops(FieldReader &file, PathRecord &path)
{
    int32_t count = 0;
    if (!file.ReadCount(count, kMinStopBytes)) {
        return false;
    }
    path.SetStopCount(count);
    for (int32_t i = 1; i <= count; ++i) {
        if (!ReadStop(file, path.Stops[static_cast<size_t>(i)])) {
            return false;
        }
    }
    return true;
}

bool ReadAnchors(FieldReader &file, int32_t anchorMax, PathRecord &path)
{
    path.Anchors.resize(static_cast<size_t>(anchorMax + 1));
    for (AnchorPoint &anchor : path.Anchors) {
        if (!ReadAnchor(file, anchor)) {
            return false;
        }
    }
    return true;
}

// The field line of a path block; the anchors' upper bound goes to anchorMax.
bool ReadFieldLine(FieldReader &file, std::string_view version, int32_t &anchorMax, PathRecord &path)
{
    if (!(file.ReadInt32InRange(anchorMax, -1, INT32_MAX - 1) &&
          file.CheckCount(int64_t{anchorMax} + 1, kMinAnchorBytes) && file.ReadBool(path.blClosed) &&
          file.ReadInt32(path.LineWidth) && file.ReadInt16(path.LineMode) && file.ReadColor(path.LineColor) &&
          file.ReadInt16InRange(path.FillType, kFillNone, kFillRadial) && file.ReadColor(path.FillColor) &&
          file.ReadInt32(path.GradCenterX) && file.ReadInt32(path.GradCenterY) && file.ReadSingle(path.GradAngle) &&
          file.ReadSingle(path.GradRatioX))) {
        return false;
    }
    if (version == "030") {
        if (!file.ReadSingle(path.GradRatioY)) {
            return false;
        }
    } else {
        path.GradRatioY = path.GradRatioX;  // older files have one ratio for both directions
    }
    if (!(file.ReadColor(path.GradColor) && file.ReadBool(path.blGroup) && file.ReadInt32(path.GroupID))) {
        return false;
    }
    // Version 010 has no compound paths.
    return version == "010" || (file.ReadBool(path.blCompound) && file.ReadInt32(path.CompoundID));
}

bool ReadPathCount(FieldReader &file, std::string_view version, int32_t &count)
{
    return file.ReadCount(count, PathBlockValueCount(version) * 2);
}

// Reads count path blocks into paths 1 .. count.
bool ReadPathBlocks(FieldReader &file, std::string_view version, int32_t count, PathArray &paths)
{
    if (ReadPathBlocksInParts(file, version, count, paths)) {
        return true;
    }
    paths.assign(1, PathRecord());
    paths.reserve(static_cast<size_t>(count) + 1);
    for (int32_t i = 1; i <= count; ++i) {
        if (!ReadPathRecord(file, version, paths.emplace_back())) {
            return false;
        }
    }
    return true;
}

// Reads the magic line and returns its version; marks the file bad when it is not one we read.
std::string_view ReadMagic(FieldReader &file, std::string_view prefix)
{
    std::string_view line;
    if (!file.ReadBareLine(line)) {
        return {};
    }
    std::string_view version = MagicVersion(line, prefix);
    if (version.empty()) {
        file.Fail("the first line is not \"" + std::string(prefix) + "\" and a known version");
    }
    return version;
}

// Reads and decodes a whole file for the readers; false with a reason when it cannot be read.
bool LoadText(const std::string &fileName, std::string &text, std::string *detail)
{
    std::string bytes;
    if (!platform::ReadWholeFile(fileName, bytes)) {
        if (detail) {
            *detail = "the file cannot be read";
        }
        return false;
    }
    text = platform::TakeCp932AsUtf8(std::move(bytes));
    return true;
}

size_t EstimatedBytes(const PathArray &paths, int32_t count)
{
    size_t bytes = 256;
    for (int32_t i = 1; i <= count; ++i) {
        bytes += 160 + paths[static_cast<size_t>(i)].Anchors.size() * 24;
    }
    return bytes;
}

void WritePathBlocks(const PathArray &paths, int32_t count, FieldWriter &file)
{
    for (int32_t i = 1; i <= count; ++i) {
        WritePathRecord(paths[static_cast<size_t>(i)], file);
    }
}

bool SaveBytes(const std::string &fileName, const FieldWriter &file, std::string &message)
{
    std::string reason;
    if (!platform::WriteFileAtomically(fileName, file.Bytes(), &reason)) {
        message = "ファイル [" + fileName + "] を保存できませんでした。\n" + reason;
        return false;
    }
    message.clear();
    return true;
}

int32_t ClampCount(const PathArray &paths, int32_t count)
{
    return std::clamp(count, 0, UpperBound(paths));
}

}  // namespace

// --- FieldReader ---------------------------------------------------------------------------------

bool FieldReader::Fail(std::string_view reason)
{
    if (error_.empty()) {
        error_ = "line " + std::to_string(LineAt(tokenPos_)) + ": " + std::string(reason);
    }
    return false;
}

int FieldReader::LineAt(size_t pos) const
{
    return 1 + static_cast<int>(std::count(text_.begin(), text_.begin() + static_cast<ptrdiff_t>(pos), '\n'));
}

bool FieldReader::ReadBareLine(std::string_view &line)
{
    if (Failed()) {
        return false;
    }
    tokenPos_ = pos_;
    if (pos_ >= text_.size()) {
        return Fail("the file ends early");
    }
    size_t end = pos_;
    while (end < text_.size() && !IsLineEnd(text_[end])) {
        ++end;
    }
    line = text_.substr(pos_, end - pos_);
    if (end < text_.size() && text_[end] == '\r') {
        ++end;
    }
    if (end < text_.size() && text_[end] == '\n') {
        ++end;
    }
    pos_ = end;
    return true;
}

bool FieldReader::NextToken(std::string_view &token, bool &quoted)
{
    if (Failed()) {
        return false;
    }
    const size_t size = text_.size();
    // Blanks and empty lines before a value are skipped.
    size_t pos = pos_;
    while (pos < size && (IsBlank(text_[pos]) || IsLineEnd(text_[pos]))) {
        ++pos;
    }
    tokenPos_ = pos;
    if (pos >= size) {
        return Fail("the file ends early");
    }
    quoted = text_[pos] == '"';
    if (quoted) {
        size_t close = pos + 1;
        while (close < size && text_[close] != '"' && !IsLineEnd(text_[close])) {
            ++close;
        }
        if (close >= size || text_[close] != '"') {
            return Fail("a string has no closing quote");
        }
        token = text_.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        while (pos < size && IsBlank(text_[pos])) {
            ++pos;
        }
        if (pos < size && text_[pos] != ',' && !IsLineEnd(text_[pos])) {
            return Fail("unexpected text after a string");
        }
    } else {
        size_t start = pos;
        bool stray = false;  // a quote inside, looked for in the same pass
        for (; pos < size; ++pos) {
            const char c = text_[pos];
            if (c == ',' || IsLineEnd(c)) {
                break;
            }
            stray |= c == '"';
        }
        size_t end = pos;
        while (end > start && IsBlank(text_[end - 1])) {
            --end;
        }
        token = text_.substr(start, end - start);
        if (stray) {
            return Fail("a stray quote in \"" + std::string(token) + "\"");
        }
    }
    // One separator: a comma, or a line end (CR LF, LF or CR).
    if (pos < size) {
        if (text_[pos] == '\r' && pos + 1 < size && text_[pos + 1] == '\n') {
            ++pos;
        }
        ++pos;
    }
    pos_ = pos;
    return true;
}

bool FieldReader::NextNumberToken(std::string_view &token)
{
    bool quoted = false;
    if (!NextToken(token, quoted)) {
        return false;
    }
    if (quoted || !IsNumberText(token)) {
        return Fail("\"" + std::string(token) + "\" is not a number");
    }
    return true;
}

// A whole number within [low, high]. A fraction is rounded half to even, as an integer variable
// takes it.
bool FieldReader::ReadWhole(int64_t &value, int64_t low, int64_t high)
{
    std::string_view token;
    bool quoted = false;
    if (!NextToken(token, quoted)) {
        return false;
    }
    // Plain digits (with a minus sign) are a number text; other forms are checked first.
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    const bool plain = error == std::errc() && end == token.data() + token.size();
    if (quoted || (!plain && !IsNumberText(token))) {
        return Fail("\"" + std::string(token) + "\" is not a number");
    }
    if (!plain) {
        double real = platform::RoundHalfEven(platform::Val(token));
        if (!(real >= static_cast<double>(low) && real <= static_cast<double>(high))) {
            return Fail(std::string(token) + " is out of range");
        }
        value = static_cast<int64_t>(real);
    }
    if (value < low || value > high) {
        return Fail(std::string(token) + " is out of range");
    }
    return true;
}

bool FieldReader::ReadInt32InRange(int32_t &value, int32_t low, int32_t high)
{
    int64_t whole = 0;
    if (!ReadWhole(whole, low, high)) {
        return false;
    }
    value = static_cast<int32_t>(whole);
    return true;
}

bool FieldReader::ReadInt16InRange(int16_t &value, int16_t low, int16_t high)
{
    int64_t whole = 0;
    if (!ReadWhole(whole, low, high)) {
        return false;
    }
    value = static_cast<int16_t>(whole);
    return true;
}

bool FieldReader::ReadInt32(int32_t &value)
{
    return ReadInt32InRange(value, INT32_MIN, INT32_MAX);
}

bool FieldReader::ReadInt16(int16_t &value)
{
    return ReadInt16InRange(value, INT16_MIN, INT16_MAX);
}

bool FieldReader::ReadByte(uint8_t &value)
{
    int64_t whole = 0;
    if (!ReadWhole(whole, 0, 255)) {
        return false;
    }
    value = static_cast<uint8_t>(whole);
    return true;
}

bool FieldReader::ReadColor(Color &value)
{
    int32_t signedValue = 0;
    if (!ReadInt32(signedValue)) {
        return false;
    }
    value = static_cast<Color>(signedValue);
    return true;
}

bool FieldReader::ReadSingle(float &value)
{
    std::string_view token;
    if (!NextNumberToken(token)) {
        return false;
    }
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error == std::errc() && end == token.data() + token.size()) {
        return true;
    }
    // Forms from_chars does not take (a "+" sign, a D exponent, &H) and magnitudes below the
    // smallest single, which become 0.
    double real = platform::Val(token);
    if (!(std::fabs(real) <= FLT_MAX)) {
        return Fail(std::string(token) + " is out of range");
    }
    value = static_cast<float>(real);
    return true;
}

bool FieldReader::ReadBool(bool &value)
{
    std::string_view token;
    bool quoted = false;
    if (!NextToken(token, quoted)) {
        return false;
    }
    auto equalsIgnoringCase = [&token](std::string_view word) {
        return token.size() == word.size() &&
               std::equal(token.begin(), token.end(), word.begin(),
                          [](char a, char b) { return (a >= 'a' && a <= 'z' ? a - 32 : a) == b; });
    };
    if (!quoted && equalsIgnoringCase("#TRUE#")) {
        value = true;
    } else if (!quoted && equalsIgnoringCase("#FALSE#")) {
        value = false;
    } else if (!quoted && IsNumberText(token)) {
        value = platform::Val(token) != 0;
    } else {
        return Fail("\"" + std::string(token) + "\" is not #TRUE# or #FALSE#");
    }
    return true;
}

bool FieldReader::ReadString(std::string &value)
{
    std::string_view token;
    bool quoted = false;
    if (!NextToken(token, quoted)) {
        return false;
    }
    value.assign(token);
    return true;
}

bool FieldReader::CheckCount(int64_t count, size_t minBytesPerItem)
{
    if (count < 0) {
        return Fail("negative count " + std::to_string(count));
    }
    if (minBytesPerItem > 0 && static_cast<uint64_t>(count) > (BytesLeft() + 1) / minBytesPerItem) {
        return Fail("count " + std::to_string(count) + " is more than the rest of the file holds");
    }
    return true;
}

bool FieldReader::ReadCount(int32_t &count, size_t minBytesPerItem)
{
    return ReadInt32(count) && CheckCount(count, minBytesPerItem);
}

// --- FieldWriter ---------------------------------------------------------------------------------

void FieldWriter::BareLine(std::string_view line)
{
    bytes_.append(line);
    bytes_.append("\r\n");
    lineStarted_ = false;
}

void FieldWriter::Separate()
{
    if (lineStarted_) {
        bytes_ += ',';
    }
    lineStarted_ = true;
}

FieldWriter &FieldWriter::WriteInt(int64_t value)
{
    Separate();
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    bytes_.append(buffer, result.ptr);
    return *this;
}

FieldWriter &FieldWriter::WriteSingle(float value)
{
    Separate();
    bytes_ += platform::FormatSingle(value);
    return *this;
}

FieldWriter &FieldWriter::WriteBool(bool value)
{
    Separate();
    bytes_ += value ? "#TRUE#" : "#FALSE#";
    return *this;
}

FieldWriter &FieldWriter::WriteString(std::string_view utf8)
{
    Separate();
    std::string clean;
    clean.reserve(utf8.size());
    for (char c : utf8) {
        if (c != '"' && !IsLineEnd(c)) {
            clean += c;
        }
    }
    bytes_ += '"';
    bytes_ += platform::Utf8ToCp932(clean);
    bytes_ += '"';
    return *this;
}

void FieldWriter::EndLine()
{
    bytes_.append("\r\n");
    lineStarted_ = false;
}

// --- Settings lines and path blocks --------------------------------------------------------------

std::string_view MagicVersion(std::string_view magic, std::string_view prefix)
{
    while (!magic.empty() && IsBlank(magic.back())) {
        magic.remove_suffix(1);
    }
    if (magic.size() < prefix.size() + 3 || magic.substr(0, prefix.size()) != prefix) {
        return {};
    }
    std::string_view version = magic.substr(magic.size() - 3);
    return IsKnownVersion(version) ? version : std::string_view();
}

void WriteSettingsLines(const CanvasSettings &settings, FieldWriter &file)
{
    NoteStoredPath(settings.BackgroundFile);
    file.BareLine(std::string(kDrawingPrefix) + std::string(kWrittenVersion));
    file.WriteInt(settings.Width)
        .WriteInt(settings.Height)
        .WriteInt(settings.BackColorR)
        .WriteInt(settings.BackColorG)
        .WriteInt(settings.BackColorB)
        .WriteInt(settings.OptimizeFlag)
        .WriteInt(settings.OptimizePoint)
        .WriteInt(settings.OptimizeLine)
        .WriteInt(settings.Quality)
        .EndLine();
    file.WriteInt(settings.BackgroundFlag)
        .WriteString(settings.BackgroundFile)
        .WriteInt(settings.BackgroundX)
        .WriteInt(settings.BackgroundY)
        .WriteSingle(settings.BackgroundScale)
        .WriteInt(settings.BackgroundOpacity)
        .EndLine();
}

bool ReadSettingsLines(FieldReader &file, std::string_view /*version*/, CanvasSettings &settings)
{
    CanvasSettings read = settings;
    bool ok = file.ReadInt32(read.Width) && file.ReadInt32(read.Height) && file.ReadByte(read.BackColorR) &&
              file.ReadByte(read.BackColorG) && file.ReadByte(read.BackColorB) && file.ReadInt16(read.OptimizeFlag) &&
              file.ReadInt32(read.OptimizePoint) && file.ReadInt32(read.OptimizeLine) && file.ReadInt16(read.Quality) &&
              file.ReadInt16(read.BackgroundFlag) && file.ReadString(read.BackgroundFile) &&
              file.ReadInt32(read.BackgroundX) && file.ReadInt32(read.BackgroundY) &&
              file.ReadSingle(read.BackgroundScale) && file.ReadInt32(read.BackgroundOpacity);
    if (ok) {
        read.BackgroundFile = PathOfStoredText(read.BackgroundFile);
        settings = std::move(read);
    }
    return ok;
}

void WritePathRecord(const PathRecord &path, FieldWriter &file)
{
    // Values the reader would reject never reach the file.
    int16_t fillType = path.FillType >= kFillNone && path.FillType <= kFillRadial ? path.FillType : int16_t{kFillNone};
    file.WriteInt(path.AnchorMax())
        .WriteBool(path.blClosed)
        .WriteInt(path.LineWidth)
        .WriteInt(path.LineMode)
        .WriteColor(path.LineColor)
        .WriteInt(fillType)
        .WriteColor(path.FillColor)
        .WriteInt(path.GradCenterX)
        .WriteInt(path.GradCenterY)
        .WriteSingle(path.GradAngle)
        .WriteSingle(path.GradRatioX)
        .WriteSingle(path.GradRatioY)
        .WriteColor(path.GradColor)
        .WriteBool(path.blGroup)
        .WriteInt(path.GroupID)
        .WriteBool(path.blCompound)
        .WriteInt(path.CompoundID)
        .EndLine();

    int32_t stopCount = std::min(path.StopCount(), StopLimit(fillType));
    file.WriteInt(stopCount).EndLine();
    for (int32_t i = 1; i <= stopCount; ++i) {
        const GradStop &stop = path.Stops[static_cast<size_t>(i)];
        file.WriteInt(std::clamp(stop.StopPos, 0, 255)).WriteColor(stop.StopColor).EndLine();
    }
    for (const AnchorPoint &anchor : path.Anchors) {
        file.WriteInt(anchor.AnchorKind == kControlPoint ? kControlPoint : kOnCurve)
            .WriteInt(anchor.X)
            .WriteInt(anchor.Y)
            .EndLine();
    }
}

bool ReadPathRecord(FieldReader &file, std::string_view version, PathRecord &path)
{
    if (!IsKnownVersion(version)) {
        return file.Fail("unknown version \"" + std::string(version) + "\"");
    }
    PathRecord read;
    int32_t anchorMax = 0;
    bool ok = ReadFieldLine(file, version, anchorMax, read) && (version != "030" || ReadStops(file, read)) &&
              ReadAnchors(file, anchorMax, read);
    if (ok) {
        path = std::move(read);
    }
    return ok;
}

// --- Whole files ---------------------------------------------------------------------------------

bool WriteDrawingFile(const std::string &fileName, const PathArray &paths, int32_t count,
                      const CanvasSettings &settings, std::string &message)
{
    count = ClampCount(paths, count);
    FieldWriter file;
    file.Reserve(EstimatedBytes(paths, count));
    WriteSettingsLines(settings, file);
    file.WriteInt(count).EndLine();
    WritePathBlocks(paths, count, file);
    return SaveBytes(fileName, file, message);
}

bool WriteClipFile(const std::string &fileName, const PathArray &paths, int32_t count, int32_t clipOriginX,
                   int32_t clipOriginY, std::string &message)
{
    count = ClampCount(paths, count);
    FieldWriter file;
    file.Reserve(EstimatedBytes(paths, count));
    file.BareLine(std::string(kClipPrefix) + std::string(kWrittenVersion));
    file.WriteInt(count).WriteInt(clipOriginX).WriteInt(clipOriginY).EndLine();
    WritePathBlocks(paths, count, file);
    return SaveBytes(fileName, file, message);
}

bool ReadDrawingFile(const std::string &fileName, DrawingFileContents &contents, std::string &message,
                     std::string *detail)
{
    message.clear();
    std::string text;
    if (!LoadText(fileName, text, detail)) {
        message = DrawingBadMessage(fileName);
        return false;
    }
    FieldReader file(text);
    DrawingFileContents read;
    read.Settings = contents.Settings;
    std::string_view version = ReadMagic(file, kDrawingPrefix);
    int32_t count = 0;
    if (!file.Failed() && ReadSettingsLines(file, version, read.Settings) && ReadPathCount(file, version, count) &&
        ReadPathBlocks(file, version, count, read.Paths)) {
        contents = std::move(read);
        return true;
    }
    message = DrawingBadMessage(fileName);
    if (detail) {
        *detail = file.Error();
    }
    return false;
}

bool ReadClipFile(const std::string &fileName, ClipFileContents &contents, std::string &message, std::string *detail)
{
    message.clear();
    std::string text;
    if (!LoadText(fileName, text, detail)) {
        message = ClipBadMessage(fileName);
        return false;
    }
    FieldReader file(text);
    ClipFileContents read;
    std::string_view version = ReadMagic(file, kClipPrefix);
    int32_t count = 0;
    bool ok = !file.Failed() && ReadPathCount(file, version, count) && file.ReadInt32(read.ClipOriginX) &&
              file.ReadInt32(read.ClipOriginY) && ReadPathBlocks(file, version, count, read.Paths);
    if (ok) {
        contents = std::move(read);
        return true;
    }
    message = ClipBadMessage(fileName);
    if (detail) {
        *detail = file.Error();
    }
    return false;
}

}  // namespace core
