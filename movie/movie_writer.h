// The movie writer's module state and its movie-level layer: the SWF header, object placement on
// layers -256..256, frames and the file output. One movie is built at a time: tags collect in
// the tag buffer and are flushed to the open file by ControlMovieFile.
//
// A one-frame movie is written as:
//   BeginMovie(6, w, h, 12.0f); ControlMovieFile(path, kMovieOpen);
//   definition tags ...;        ControlMovieFile(path, kMovieFlush);
//   PlaceObject(...); NextFrame(); ControlMovieFile(path, kMovieFrames);
//   WriteEndTag();              bool complete = ControlMovieFile(path, kMovieFinish);
#pragma once

#include "movie/tag_buffer.h"
#include "movie/unit_cache.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace movie {

constexpr int32_t kLayerMin = -256;
constexpr int32_t kLayerMax = 256;
constexpr int32_t kNoClipLayer = -65536;  // clipLayer at or below this: no clipping
constexpr int32_t kMaxFramePixels = 1638;  // 32767 twips: the header's 16-bit frame fields
constexpr int32_t kHeaderSize = 21;
// The most memory the writer's shape buffer keeps for the next shape once a shape is written.
constexpr size_t kMostKeptShapeBytes = size_t{1} << 20;

// ControlMovieFile modes.
enum MovieFileMode : int32_t {
    kMovieOpen = 1,     // create (truncate) the file and write the header
    kMovieFlush = 2,    // write the tag buffer
    kMovieFinish = 3,   // write the tag buffer, patch length and frame count, close
    kSpriteBegin = 4,   // the next bytes flushed start a DefineSprite; its frames start at 0
    kSpriteEnd = 5,     // patch the sprite's length and frame count; frames start at 0 again
    kMovieFrames = 6,   // write every finished frame with its ShowFrame, then the tag buffer
    kMovieFinishPlusOne = 7,  // as kMovieFinish with one more frame counted
    kMovieReadBack = 99       // MovieFileBytes := the bytes written to the open file so far
};

// Colour transform handed to every placement; the system never fills it (UseTransform false).
struct ColorTransformSpec {
    bool UseTransform = false;
    float RedMult = 1.0f;  // 1.0 = unchanged
    float GreenMult = 1.0f;
    float BlueMult = 1.0f;
    float AlphaMult = 1.0f;
    int32_t RedAdd = 0;
    int32_t GreenAdd = 0;
    int32_t BlueAdd = 0;
    int32_t AlphaAdd = 0;
};

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

struct WriterState {
    std::array<uint32_t, 32> BitMask{};
    std::vector<uint8_t> TagBuffer;                 // tags not yet written to the file
    std::array<int16_t, 513> DepthTable{};          // layer + 256: 0 free, -1 occupied
    std::vector<std::vector<uint8_t>> FrameBuffers{{}};  // placement tags of finished frames
    int32_t FrameIndex = 0;
    int32_t FrameCount = 0;
    float FrameRate = 12.0f;  // of the movie begun last

    std::unique_ptr<std::FILE, FileCloser> MovieFile;
    std::string MoviePath;
    int64_t WrittenBytes = 0;
    int64_t SpriteStart = 0;  // 1-based file position of the open sprite's tag; 0 = none
    bool FileFailed = false;  // a write of the open movie failed
    std::vector<uint8_t> MovieFileBytes;  // what kMovieReadBack read
    // The movie is written to WrittenMovie instead of a file (OpenMovieInMemory), length and
    // frame count patched there.
    bool InMemory = false;
    std::string WrittenMovie;

    // Scratch buffers of the shape unit being encoded.
    UnitScratch Unit;
    // A shape lacking at least twice this many units in the cache has them encoded on several
    // threads, each taking at least this many.
    size_t UnitsPerThread = 512;
    int64_t UnitsEncodedOnThreads = 0;  // for the tests' count of work
    // The body of the cached shape being written; its memory is kept from movie to movie up to
    // kMostKeptShapeBytes.
    BitBuffer ShapeBits;
    // Units encoded for earlier shapes; kept across movies.
    UnitCache Units;

    int16_t &DepthOf(int32_t layer) { return DepthTable[static_cast<size_t>(layer - kLayerMin)]; }
};

WriterState &Writer();

struct SoundStreamState;

// A writer of the constructing thread's own: while it lives, every writer call on that thread
// (buffers, unit cache, sound stream) uses it instead of the shared writer, so that another
// thread can write a movie while the main thread writes its own. What it holds is freed with it.
class ThreadWriter {
public:
    ThreadWriter();
    ~ThreadWriter();
    ThreadWriter(const ThreadWriter &) = delete;
    ThreadWriter &operator=(const ThreadWriter &) = delete;

private:
    std::unique_ptr<WriterState> writer_;
    std::unique_ptr<SoundStreamState> sound_;
    WriterState *previousWriter_ = nullptr;
    SoundStreamState *previousSound_ = nullptr;
};

// Closes any open movie file and puts the writer back to its initial state (bit masks filled);
// the sound stream too.
void ResetWriterForTest();

// Starts a movie in the tag buffer and resets every piece of writer state (an open file is
// closed) and the sound stream. Width and height are clamped to 1..1638 pixels.
void BeginMovie(int32_t version, int32_t width, int32_t height, float rate);

int32_t LayerToDepth(int32_t layer);

// Appends one PlaceObject2 at the depth of layer (-256..256; other layers write nothing).
// rotation in radians; alphaMult 256 = opaque; clipLayer kNoClipLayer = none; ratio < 0 = none.
// A non-empty actions script on a free depth is compiled into clip actions, one record per
// section that compiles (see clip_actions.h).
void PlaceObject(int32_t id, int32_t x, int32_t y, float scaleX, float scaleY, float rotation, int32_t colourAdd,
                 int32_t alphaMult, int32_t layer, const std::string &name, const std::string &actions,
                 int32_t clipLayer, float ratio, const ColorTransformSpec &spec);

// "ALL" removes every occupied layer; otherwise a comma-separated list of layers. True when at
// least one RemoveObject2 was written.
bool RemoveObjects(const std::string &list);
void RemoveObject(int32_t layer);

// Stores the tag buffer as the finished frame and starts the next one, whose tags begin with
// the sound stream's block for the finished frame (when a stream is open).
void NextFrame();
void WriteEndTag();
void SetBackgroundColor(uint8_t red, uint8_t green, uint8_t blue);

// Appends a tag with the long length form (always used by the tag writers) or the short form.
void AppendLongTag(TagCode code, const std::vector<uint8_t> &body);
void AppendShortTag(TagCode code, const std::vector<uint8_t> &body);

// File output (see MovieFileMode). Every mode ends with an empty tag buffer. Returns whether
// every write of the movie so far succeeded; for kMovieFinish, whether the file is complete
// (an incomplete file is removed). kSpriteBegin expects the caller to flush a DefineSprite
// header (tag word, length, id, frame count) next; kSpriteEnd fails without one.
bool ControlMovieFile(const std::string &path, int32_t mode);

// In place of ControlMovieFile(path, kMovieOpen): the movie begun last is written to
// WrittenMovie only. Every later mode works on it as on a file (the path is not used), and
// kMovieFinish leaves the finished movie there, length and frame count patched.
void OpenMovieInMemory();
// Writes the tag buffer and then count bytes to the open movie: large tags go to a movie in
// memory without passing through the tag buffer.
void WriteToMovie(const uint8_t *bytes, size_t count);

}  // namespace movie
