#include "movie/movie_writer.h"

#include "movie/tag_buffer.h"
#include "platform/swf/tag_records.h"
#include "movie/clip_actions.h"
#include "movie/edit_text.h"
#include "movie/sound_stream.h"
#include "platform/base/atomic_file.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace movie {
namespace {

namespace swf = platform::swf;

WriterState FreshWriter()
{
    WriterState state;
    for (size_t i = 0; i < state.BitMask.size(); ++i) {
        state.BitMask[i] = uint32_t{1} << i;
    }
    return state;
}

WriterState g_writer = FreshWriter();
thread_local WriterState *t_writer = nullptr;  // a ThreadWriter's, on its thread

bool IsLayer(int32_t layer)
{
    return layer >= kLayerMin && layer <= kLayerMax;
}

Bytes ShowFrameTag()
{
    return swf::ShortTag(TagCode::ShowFrame, {});
}

// Writes count bytes at the end of the open movie, counting them; a failure marks the movie
// failed.
void WriteToFile(const uint8_t *bytes, size_t count)
{
    WriterState &w = Writer();
    if (w.InMemory) {
        w.WrittenMovie.append(reinterpret_cast<const char *>(bytes), count);
        w.WrittenBytes += static_cast<int64_t>(count);
        return;
    }
    if (!w.MovieFile) {
        w.FileFailed = true;
        return;
    }
    if (count > 0 && std::fwrite(bytes, 1, count, w.MovieFile.get()) != count) {
        w.FileFailed = true;
    }
    w.WrittenBytes += static_cast<int64_t>(count);
}

void WriteToFile(const std::vector<uint8_t> &bytes)
{
    WriteToFile(bytes.data(), bytes.size());
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

// CLIPACTIONS (SWF 6) of a script: reserved UI16, the OR of all event flags as UI32, one
// CLIPACTIONRECORD per section that compiles, and the UI32 0 end.
Bytes ClipActionsBytes(const std::string &actions)
{
    std::vector<swf::ClipActionRecord> records;
    std::string script = ExpandScriptIncludes(actions);
    int32_t lineCounter = 0;
    while (!script.empty()) {
        swf::ClipActionRecord record;
        int32_t eventFlags = 0;
        int32_t keyCode = 0;
        if (CompileClipActions(script, record.actions, eventFlags, lineCounter, keyCode) <= 0) {
            continue;
        }
        record.eventFlags = static_cast<uint32_t>(eventFlags);
        if ((eventFlags & kClipEventKeyPress) != 0) {
            record.keyCode = static_cast<uint8_t>(keyCode);
        }
        if (!swf::EndsWithEndAction(record.actions)) {
            record.actions.push_back(swf::kActionEnd);  // the ActionEndFlag is ours to write
        }
        records.push_back(std::move(record));
    }
    return swf::ClipActionsBytes(records);
}

bool PatchFile(long offset, const uint8_t *bytes, size_t count)
{
    WriterState &w = Writer();
    if (w.InMemory) {
        if (offset < 0 || static_cast<size_t>(offset) + count > w.WrittenMovie.size()) {
            return false;
        }
        std::memcpy(w.WrittenMovie.data() + offset, bytes, count);
        return true;
    }
    std::FILE *file = w.MovieFile.get();
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, count, file) == count &&
           std::fseek(file, 0, SEEK_END) == 0;
}

// The open sprite's length (bytes after its tag word and length field) and frame count.
bool PatchSprite()
{
    WriterState &w = Writer();
    if ((!w.MovieFile && !w.InMemory) || w.SpriteStart < 1 ||
        w.WrittenBytes < w.SpriteStart - 1 + static_cast<int64_t>(swf::kSpriteHeaderBytes)) {
        return false;
    }
    uint8_t length[4];
    uint8_t frames[2];
    const int64_t tagStart = w.SpriteStart - 1;
    LongToBytes(w.WrittenBytes - tagStart - static_cast<int64_t>(swf::kLongTagHeaderBytes), length);
    WordToBytes(std::clamp(w.FrameCount, 0, 65535), frames);
    if (!PatchFile(static_cast<long>(tagStart + swf::kLongTagLengthAt), length, 4) ||
        !PatchFile(static_cast<long>(tagStart + swf::kSpriteFrameCountAt), frames, 2)) {
        w.FileFailed = true;
    }
    return !w.FileFailed;
}

void OpenMovieFile(const std::string &path)
{
    WriterState &w = Writer();
    w.InMemory = false;
    // A movie file is the program's own: whatever stands at its name is replaced, not followed.
    const int fd = platform::CreateProgramFile(path);
    w.MovieFile.reset(fd >= 0 ? fdopen(fd, "w+b") : nullptr);
    if (fd >= 0 && !w.MovieFile) {
        close(fd);
    }
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
    if (!w.MovieFile && !w.InMemory) {
        return false;
    }
    bool ok = !w.FileFailed && w.WrittenBytes <= std::numeric_limits<uint32_t>::max();
    uint8_t length[4];
    uint8_t frames[2];
    LongToBytes(w.WrittenBytes, length);
    WordToBytes(std::clamp(frameCount, 0, 65535), frames);
    ok = ok && PatchFile(swf::kFileLengthOffset, length, 4) && PatchFile(kHeaderSize - 2, frames, 2);
    if (w.InMemory) {
        w.InMemory = false;
        w.FileFailed = !ok;
        return ok;
    }
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
    if (w.InMemory) {
        w.MovieFileBytes.assign(w.WrittenMovie.begin(), w.WrittenMovie.end());
        return true;
    }
    if (!w.MovieFile || std::fflush(w.MovieFile.get()) != 0) {
        return false;
    }
    // Read through the open file itself: its name may name something else by now.
    w.MovieFileBytes.resize(static_cast<size_t>(std::max<int64_t>(0, w.WrittenBytes)));
    size_t read = 0;
    while (read < w.MovieFileBytes.size()) {
        ssize_t n = pread(fileno(w.MovieFile.get()), w.MovieFileBytes.data() + read, w.MovieFileBytes.size() - read,
                          static_cast<off_t>(read));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        read += static_cast<size_t>(n);
    }
    bool complete = read == w.MovieFileBytes.size();
    w.MovieFileBytes.resize(read);
    return complete;
}

}  // namespace

WriterState &Writer()
{
    return t_writer ? *t_writer : g_writer;
}

ThreadWriter::ThreadWriter()
    : writer_(std::make_unique<WriterState>(FreshWriter())), sound_(std::make_unique<SoundStreamState>()),
      previousWriter_(t_writer), previousSound_(UseThreadSoundStream(sound_.get()))
{
    t_writer = writer_.get();
}

ThreadWriter::~ThreadWriter()
{
    t_writer = previousWriter_;
    UseThreadSoundStream(previousSound_);
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
    w.InMemory = false;
    w.WrittenMovie.clear();
    w.WrittenBytes = 0;
    w.SpriteStart = 0;
    w.FileFailed = false;
    ClearDepthTable();

    width = std::clamp(width, 1, kMaxFramePixels);
    height = std::clamp(height, 1, kMaxFramePixels);
    // The file length and frame count are patched when the file is finished.
    swf::MovieHeader header;
    header.version = static_cast<uint8_t>(std::clamp(version, 0, 255));
    header.frame = {0, width * 20, 0, height * 20};
    header.frameRate = swf::FrameRateField(static_cast<double>(rate));
    AppendToBuffer(swf::MovieHeaderBytes(header));
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
    swf::PlaceObjectRecord place;
    place.move = occupied;
    place.depth = static_cast<uint16_t>(LayerToDepth(layer));
    if (!occupied) {
        place.characterId = static_cast<uint16_t>(id);
    }
    if (rotation != 0.0f || scaleX != 1.0f || scaleY != 1.0f || x != 0 || y != 0) {
        float c = std::cos(rotation);
        float s = std::sin(rotation);
        place.matrix = MatrixOf(scaleX * c, scaleY * c, scaleX * s, -scaleY * s, x, y);
    }
    bool clipping = clipLayer > kNoClipLayer;
    if (!clipping && (alphaMult != 256 || colourAdd != 0 || spec.UseTransform)) {
        place.cxform = spec.UseTransform
                           ? CxformOf(platform::RoundToInt32(spec.RedMult * 256.0),
                                      platform::RoundToInt32(spec.GreenMult * 256.0),
                                      platform::RoundToInt32(spec.BlueMult * 256.0),
                                      platform::RoundToInt32(spec.AlphaMult * 256.0), spec.RedAdd, spec.GreenAdd,
                                      spec.BlueAdd, spec.AlphaAdd)
                           : CxformOf(256, 256, 256, alphaMult, colourAdd, colourAdd, colourAdd, 0);
    }
    if (ratio >= 0.0f) {
        place.ratio = static_cast<uint16_t>(std::clamp(platform::RoundToInt32(ratio * 65535.0), 0, 65535));
    }
    if (!name.empty() && !occupied) {
        Bytes encoded;
        EncodeUtf8(name, encoded, true);
        place.name = std::string(encoded.begin(), encoded.end());
    }
    if (clipping) {
        place.clipDepth = static_cast<uint16_t>(LayerToDepth(std::clamp(clipLayer, kLayerMin, kLayerMax)));
    }
    if (!actions.empty() && !occupied) {
        place.clipActions = ClipActionsBytes(actions);
    }
    AppendLongTag(TagCode::PlaceObject2, swf::PlaceObject2Body(place));
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
    AppendShortTag(TagCode::RemoveObject2, swf::RemoveObject2Body(static_cast<uint16_t>(LayerToDepth(layer))));
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
    AppendShortTag(TagCode::End, {});
}

void SetBackgroundColor(uint8_t red, uint8_t green, uint8_t blue)
{
    AppendShortTag(TagCode::SetBackgroundColor, swf::SetBackgroundColorBody({red, green, blue, 255}));
}

void AppendLongTag(TagCode code, const std::vector<uint8_t> &body)
{
    AppendToBuffer(swf::LongTag(code, body));
}

void AppendShortTag(TagCode code, const std::vector<uint8_t> &body)
{
    AppendToBuffer(swf::ShortTag(code, body));
}

void WriteToMovie(const uint8_t *bytes, size_t count)
{
    constexpr size_t kTailRoom = 4096;  // for the tags that usually follow a large one
    WriterState &w = Writer();
    if (w.InMemory) {
        // Room for all of it at once: the movie's memory does not grow by doubling.
        w.WrittenMovie.reserve(w.WrittenMovie.size() + w.TagBuffer.size() + count + kTailRoom);
    }
    WriteToFile(w.TagBuffer);
    w.TagBuffer.clear();
    WriteToFile(bytes, count);
}

void OpenMovieInMemory()
{
    WriterState &w = Writer();
    w.MovieFile.reset();
    w.InMemory = true;
    w.WrittenBytes = 0;
    w.WrittenMovie.clear();
    w.FileFailed = false;
    WriteToFile(w.TagBuffer);
    w.TagBuffer.clear();
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
