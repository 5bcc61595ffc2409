#include "movie/movie_writer.h"

#include "movie/bit_writer.h"
#include "movie/clip_actions.h"
#include "movie/edit_text.h"
#include "movie/sound_stream.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace movie {
namespace {

constexpr int32_t kTagEnd = 0;
constexpr int32_t kTagShowFrame = 1;
constexpr int32_t kTagSetBackgroundColor = 9;
constexpr int32_t kTagPlaceObject2 = 26;
constexpr int32_t kTagRemoveObject2 = 28;

constexpr uint8_t kPlaceMove = 0x01;
constexpr uint8_t kPlaceHasCharacter = 0x02;
constexpr uint8_t kPlaceHasMatrix = 0x04;
constexpr uint8_t kPlaceHasColorTransform = 0x08;
constexpr uint8_t kPlaceHasRatio = 0x10;
constexpr uint8_t kPlaceHasName = 0x20;
constexpr uint8_t kPlaceHasClipDepth = 0x40;
constexpr uint8_t kPlaceHasClipActions = 0x80;

WriterState g_writer = [] {
    WriterState state;
    for (size_t i = 0; i < state.BitMask.size(); ++i) {
        state.BitMask[i] = uint32_t{1} << i;
    }
    return state;
}();

bool IsLayer(int32_t layer)
{
    return layer >= kLayerMin && layer <= kLayerMax;
}

Bytes ShowFrameTag()
{
    return {static_cast<uint8_t>(kTagShowFrame << 6), 0};
}

// Writes bytes at the end of the open movie, counting them; a failure marks the movie failed.
void WriteToFile(const std::vector<uint8_t> &bytes)
{
    WriterState &w = Writer();
    if (!w.MovieFile) {
        w.FileFailed = true;
        return;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), w.MovieFile.get()) != bytes.size()) {
        w.FileFailed = true;
    }
    if (w.KeepWrittenBytes) {
        w.WrittenMovie.append(bytes.begin(), bytes.end());
    }
    w.WrittenBytes += static_cast<int64_t>(bytes.size());
}

// Starts the writer's frames anew: no frame finished, one empty slot, no sound stream.
void RestartFrames()
{
    WriterState &w = Writer();
    w.FrameBuffers.assign(1, {});
    w.FrameIndex = 0;
    w.FrameCount = 0;
    ResetSoundStream();
}

// Whether action records run end to end up to a final End action (a compiler's complete code).
bool EndsWithEndAction(const Bytes &code)
{
    size_t i = 0;
    while (i < code.size()) {
        if (code[i] == 0) {
            return i + 1 == code.size();
        }
        size_t length = code[i] >= 0x80 && i + 2 < code.size() ? (code[i + 1] | (code[i + 2] << 8)) + 3u : 1u;
        i += length;
    }
    return false;
}

// CLIPACTIONS (SWF 6) of a script: reserved UI16, the OR of all event flags as UI32, one
// CLIPACTIONRECORD per section that compiles, and the UI32 0 end.
Bytes ClipActionsBytes(const std::string &actions)
{
    Bytes records;
    uint32_t allFlags = 0;
    std::string script = ExpandScriptIncludes(actions);
    int32_t lineCounter = 0;
    while (!script.empty()) {
        Bytes code;
        int32_t eventFlags = 0;
        int32_t keyCode = 0;
        int32_t count = CompileClipActions(script, code, eventFlags, lineCounter, keyCode);
        if (count <= 0) {
            continue;
        }
        bool keyPress = (eventFlags & kClipEventKeyPress) != 0;
        bool ended = EndsWithEndAction(code);  // else the ActionEndFlag is ours to write
        AppendLong(records, eventFlags);
        AppendLong(records, int64_t{count} + (keyPress ? 1 : 0) + (ended ? 0 : 1));
        if (keyPress) {
            records.push_back(static_cast<uint8_t>(keyCode));
        }
        records.insert(records.end(), code.begin(), code.end());
        if (!ended) {
            records.push_back(0);  // ActionEndFlag
        }
        allFlags |= static_cast<uint32_t>(eventFlags);
    }
    Bytes bytes;
    AppendWord(bytes, 0);
    AppendLong(bytes, allFlags);
    bytes.insert(bytes.end(), records.begin(), records.end());
    AppendLong(bytes, 0);  // ClipActionEndFlag
    return bytes;
}

bool PatchFile(long offset, const uint8_t *bytes, size_t count)
{
    WriterState &w = Writer();
    if (w.KeepWrittenBytes && offset >= 0 && static_cast<size_t>(offset) + count <= w.WrittenMovie.size()) {
        std::memcpy(w.WrittenMovie.data() + offset, bytes, count);
    }
    std::FILE *file = w.MovieFile.get();
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, count, file) == count &&
           std::fseek(file, 0, SEEK_END) == 0;
}

// The open sprite's length (bytes after its tag word and length field) and frame count.
bool PatchSprite()
{
    WriterState &w = Writer();
    if (!w.MovieFile || w.SpriteStart < 1 || w.WrittenBytes < w.SpriteStart + 9) {
        return false;
    }
    uint8_t length[4];
    uint8_t frames[2];
    LongToBytes(w.WrittenBytes - w.SpriteStart - 5, length);
    WordToBytes(std::clamp(w.FrameCount, 0, 65535), frames);
    if (!PatchFile(static_cast<long>(w.SpriteStart + 1), length, 4) ||
        !PatchFile(static_cast<long>(w.SpriteStart + 7), frames, 2)) {
        w.FileFailed = true;
    }
    return !w.FileFailed;
}

void OpenMovieFile(const std::string &path)
{
    WriterState &w = Writer();
    w.MovieFile.reset(std::fopen(path.c_str(), "wb"));
    w.MoviePath = path;
    w.WrittenBytes = 0;
    w.WrittenMovie.clear();
    w.FileFailed = !w.MovieFile;
    if (w.MovieFile) {
        WriteToFile(w.TagBuffer);
    }
}

void WriteFrames()
{
    WriterState &w = Writer();
    std::vector<uint8_t> pending = std::move(w.TagBuffer);
    for (int32_t i = 0; i < w.FrameCount && static_cast<size_t>(i) < w.FrameBuffers.size(); ++i) {
        WriteToFile(w.FrameBuffers[static_cast<size_t>(i)]);
        WriteToFile(ShowFrameTag());
    }
    WriteToFile(pending);
}

// Writes the rest, patches the file length and the frame count into the header and closes.
bool FinishMovieFile(int32_t frameCount)
{
    WriterState &w = Writer();
    WriteToFile(w.TagBuffer);
    if (!w.MovieFile) {
        return false;
    }
    bool ok = !w.FileFailed && w.WrittenBytes <= std::numeric_limits<uint32_t>::max();
    uint8_t length[4];
    uint8_t frames[2];
    LongToBytes(w.WrittenBytes, length);
    WordToBytes(std::clamp(frameCount, 0, 65535), frames);
    ok = ok && PatchFile(4, length, 4) && PatchFile(19, frames, 2);
    ok = std::fclose(w.MovieFile.release()) == 0 && ok;
    if (!ok) {
        std::remove(w.MoviePath.c_str());
    }
    w.FileFailed = !ok;
    return ok;
}

// The bytes written to the open file so far; false when they cannot all be read back.
bool ReadBackMovieFile()
{
    WriterState &w = Writer();
    w.MovieFileBytes.clear();
    if (!w.MovieFile || std::fflush(w.MovieFile.get()) != 0) {
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(w.MoviePath.c_str(), "rb"));
    if (!in) {
        return false;
    }
    w.MovieFileBytes.resize(static_cast<size_t>(std::max<int64_t>(0, w.WrittenBytes)));
    size_t read = std::fread(w.MovieFileBytes.data(), 1, w.MovieFileBytes.size(), in.get());
    bool complete = read == w.MovieFileBytes.size();
    w.MovieFileBytes.resize(read);
    return complete;
}

}  // namespace

WriterState &Writer()
{
    return g_writer;
}

void ResetWriterForTest()
{
    g_writer = WriterState();
    InitBitMasks();
    ResetSoundStreamForTest();
}

void BeginMovie(int32_t version, int32_t width, int32_t height, float rate)
{
    WriterState &w = Writer();
    w.TagBuffer.clear();
    RestartFrames();
    w.FrameRate = rate;
    w.MovieFile.reset();
    w.KeepWrittenBytes = false;
    w.WrittenMovie.clear();
    w.WrittenBytes = 0;
    w.SpriteStart = 0;
    w.FileFailed = false;
    ClearDepthTable();

    width = std::clamp(width, 1, kMaxFramePixels);
    height = std::clamp(height, 1, kMaxFramePixels);
    double fps = std::isfinite(rate) ? std::clamp(static_cast<double>(rate), 0.0, 255.99609375) : 0.0;
    double whole = std::floor(fps);

    Bytes header = {'F', 'W', 'S', static_cast<uint8_t>(std::clamp(version, 0, 255))};
    AppendLong(header, 0);  // file length, patched when the file is finished
    Bytes frame = WriteRect16(0, width * 20, 0, height * 20);
    header.insert(header.end(), frame.begin(), frame.end());
    header.push_back(static_cast<uint8_t>(std::floor((fps - whole) * 256.0)));
    header.push_back(static_cast<uint8_t>(whole));
    AppendWord(header, 0);  // frame count, patched when the file is finished
    AppendToBuffer(header);
}

int32_t LayerToDepth(int32_t layer)
{
    return layer + 257;
}

void PlaceObject(int32_t id, int32_t x, int32_t y, float scaleX, float scaleY, float rotation, int32_t colourAdd,
                 int32_t alphaMult, int32_t layer, const std::string &name, const std::string &actions,
                 int32_t clipLayer, float ratio, const ColorTransformSpec &spec)
{
    if (!IsLayer(layer)) {
        return;
    }
    WriterState &w = Writer();
    bool occupied = w.DepthOf(layer) == -1;
    Bytes body = {0};
    AppendWord(body, LayerToDepth(layer));
    uint8_t flags = 0;
    if (occupied) {
        flags |= kPlaceMove;
    } else {
        flags |= kPlaceHasCharacter;
        AppendWord(body, id);
    }
    if (rotation != 0.0f || scaleX != 1.0f || scaleY != 1.0f || x != 0 || y != 0) {
        flags |= kPlaceHasMatrix;
        float c = std::cos(rotation);
        float s = std::sin(rotation);
        Bytes matrix = WriteMatrix(scaleX * c, scaleY * c, scaleX * s, -scaleY * s, x, y);
        body.insert(body.end(), matrix.begin(), matrix.end());
    }
    bool clipping = clipLayer > kNoClipLayer;
    if (!clipping && (alphaMult != 256 || colourAdd != 0 || spec.UseTransform)) {
        flags |= kPlaceHasColorTransform;
        Bytes cx = spec.UseTransform
                       ? WriteColorTransform(platform::RoundToInt32(spec.RedMult * 256.0),
                                             platform::RoundToInt32(spec.GreenMult * 256.0),
                                             platform::RoundToInt32(spec.BlueMult * 256.0),
                                             platform::RoundToInt32(spec.AlphaMult * 256.0), spec.RedAdd,
                                             spec.GreenAdd, spec.BlueAdd, spec.AlphaAdd)
                       : WriteColorTransform(256, 256, 256, alphaMult, colourAdd, colourAdd, colourAdd, 0);
        body.insert(body.end(), cx.begin(), cx.end());
    }
    if (ratio >= 0.0f) {
        flags |= kPlaceHasRatio;
        AppendWord(body, std::clamp(platform::RoundToInt32(ratio * 65535.0), 0, 65535));
    }
    if (!name.empty() && !occupied) {
        flags |= kPlaceHasName;
        Bytes encoded;
        EncodeUtf8(name, encoded, false);
        body.insert(body.end(), encoded.begin(), encoded.end());
    }
    if (clipping) {
        flags |= kPlaceHasClipDepth;
        AppendWord(body, LayerToDepth(std::clamp(clipLayer, kLayerMin, kLayerMax)));
    }
    if (!actions.empty() && !occupied) {
        flags |= kPlaceHasClipActions;
        Bytes clipActions = ClipActionsBytes(actions);
        body.insert(body.end(), clipActions.begin(), clipActions.end());
    }
    body[0] = flags;
    AppendLongTag(kTagPlaceObject2, body);
    w.DepthOf(layer) = -1;
}

bool RemoveObjects(const std::string &list)
{
    bool removed = false;
    if (list == "ALL") {
        for (int32_t layer = kLayerMin; layer <= kLayerMax; ++layer) {
            if (Writer().DepthOf(layer) == -1) {
                RemoveObject(layer);
                removed = true;
            }
        }
        return removed;
    }
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = std::min(list.find(',', start), list.size());
        int32_t layer = platform::RoundToInt32(platform::Val(std::string_view(list).substr(start, comma - start)));
        if (IsLayer(layer)) {
            RemoveObject(layer);
            removed = true;
        }
        start = comma + 1;
    }
    return removed;
}

void RemoveObject(int32_t layer)
{
    if (!IsLayer(layer)) {
        return;
    }
    Bytes body;
    AppendWord(body, LayerToDepth(layer));
    AppendShortTag(kTagRemoveObject2, body);
    Writer().DepthOf(layer) = 0;
}

void NextFrame()
{
    WriterState &w = Writer();
    w.FrameBuffers.resize(std::max(w.FrameBuffers.size(), static_cast<size_t>(w.FrameIndex) + 1));
    w.FrameBuffers[static_cast<size_t>(w.FrameIndex)] = std::move(w.TagBuffer);
    w.TagBuffer.clear();
    w.FrameIndex += 1;
    w.FrameCount = w.FrameIndex;
    w.FrameBuffers.emplace_back();
    WriteSoundStreamBlock(w.FrameRate);
}

void WriteEndTag()
{
    AppendShortTag(kTagEnd, {});
}

void SetBackgroundColor(uint8_t red, uint8_t green, uint8_t blue)
{
    AppendShortTag(kTagSetBackgroundColor, {red, green, blue});
}

void AppendLongTag(int32_t code, const std::vector<uint8_t> &body)
{
    Bytes tag;
    tag.reserve(body.size() + 6);
    AppendWord(tag, (code << 6) | 0x3F);
    AppendLong(tag, static_cast<int64_t>(body.size()));
    tag.insert(tag.end(), body.begin(), body.end());
    AppendToBuffer(tag);
}

void AppendShortTag(int32_t code, const std::vector<uint8_t> &body)
{
    if (body.size() >= 0x3F) {
        AppendLongTag(code, body);
        return;
    }
    Bytes tag;
    AppendWord(tag, (code << 6) | static_cast<int32_t>(body.size()));
    tag.insert(tag.end(), body.begin(), body.end());
    AppendToBuffer(tag);
}

bool ControlMovieFile(const std::string &path, int32_t mode)
{
    WriterState &w = Writer();
    bool ok = true;
    switch (mode) {
    case kMovieOpen:
        OpenMovieFile(path);
        ok = !w.FileFailed;
        break;
    case kMovieFlush:
        WriteToFile(w.TagBuffer);
        ok = !w.FileFailed;
        break;
    case kMovieFrames:
        WriteFrames();
        ok = !w.FileFailed;
        break;
    case kMovieFinish:
        ok = FinishMovieFile(w.FrameCount);
        break;
    case kSpriteBegin:
        w.SpriteStart = w.WrittenBytes + 1;
        RestartFrames();
        ok = !w.FileFailed;
        break;
    case kSpriteEnd:
        ok = PatchSprite() && !w.FileFailed;
        w.SpriteStart = 0;
        RestartFrames();
        ClearDepthTable();
        break;
    case kMovieFinishPlusOne:
        ok = FinishMovieFile(w.FrameCount + 1);
        break;
    case kMovieReadBack:
        ok = ReadBackMovieFile();
        break;
    default:
        ok = false;
        break;
    }
    w.TagBuffer.clear();
    return ok;
}

}  // namespace movie
