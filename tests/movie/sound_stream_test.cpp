#include "movie/audio_file.h"
#include "movie/tag_buffer.h"
#include "movie/movie_writer.h"
#include "movie/sound_stream.h"
#include "tests/support/byte_mutator.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

using movie::Bytes;

namespace {

struct Info {
    bool ok = false;
    int32_t kind = 99;
    int32_t bitRate = 0;
    int32_t sampleRate = 0;
    int32_t stereo = 0;
};

Info SoundInfo(const Bytes &bytes)
{
    Info info;
    info.ok = movie::GetSoundInfo(bytes, info.kind, info.bitRate, info.sampleRate, info.stereo);
    return info;
}

void Append32(Bytes &bytes, uint32_t value)
{
    movie::AppendLong(bytes, value);
}

void AppendChunk(Bytes &riff, const char *id, const Bytes &data)
{
    riff.insert(riff.end(), id, id + 4);
    Append32(riff, static_cast<uint32_t>(data.size()));
    riff.insert(riff.end(), data.begin(), data.end());
}

Bytes FormatChunk(int format, int channels, uint32_t rate, int bits)
{
    Bytes fmt;
    movie::AppendWord(fmt, format);
    movie::AppendWord(fmt, channels);
    Append32(fmt, rate);
    Append32(fmt, rate * static_cast<uint32_t>(channels * bits / 8));
    movie::AppendWord(fmt, channels * bits / 8);
    movie::AppendWord(fmt, bits);
    return fmt;
}

// RIFF WAVE with an odd-sized chunk before "fmt " (chunks follow without a pad byte).
Bytes Wave(int format, int channels, uint32_t rate, int bits, const Bytes &samples)
{
    Bytes riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(riff, "LIST", {1, 2, 3});
    AppendChunk(riff, "fmt ", FormatChunk(format, channels, rate, bits));
    AppendChunk(riff, "data", samples);
    movie::LongToBytes(static_cast<int64_t>(riff.size()) - 8, riff.data() + 4);
    return riff;
}

// MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz, stereo: 417 bytes each (418 with padding).
Bytes Mp3Stream(int frames, bool padded = false)
{
    Bytes stream;
    for (int i = 0; i < frames; ++i) {
        Bytes frame(padded ? 418 : 417, static_cast<uint8_t>(i + 1));
        frame[0] = 0xFF;
        frame[1] = 0xFB;
        frame[2] = padded ? 0x92 : 0x90;
        frame[3] = 0x44;
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

class SoundStreamTest : public testing::Test {
protected:
    void SetUp() override { movie::ResetWriterForTest(); }
    void TearDown() override { movie::ResetWriterForTest(); }

    // A movie whose sound stream plays the MP3 data from its start.
    static void BeginWithSound(float rate, const Bytes &mp3)
    {
        movie::BeginMovie(6, 100, 100, rate);
        movie::Writer().TagBuffer.clear();
        movie::SoundStreamState &sound = movie::SoundStream();
        sound.SoundData = mp3;
        sound.SoundPos = 0;
        sound.SoundFramesDone = 0;
        sound.SamplesPerMp3Frame = 1152;
        sound.SoundSampleRate = 44100;
        sound.SeekCarry = 0;
    }

    // The tags NextFrame left for the next frame.
    static Bytes NextFrameTags()
    {
        movie::NextFrame();
        Bytes tags = movie::Writer().TagBuffer;
        movie::Writer().TagBuffer.clear();
        return tags;
    }
};

}  // namespace

TEST_F(SoundStreamTest, MpegLayer3Headers)
{
    struct Case {
        Bytes header;
        int32_t kind, bitRate, sampleRate, stereo;
    } cases[] = {
        {{0xFF, 0xFB, 0x90, 0x44}, 3, 128000, 44100, 1},  // MPEG-1, joint stereo
        {{0xFF, 0xFB, 0x14, 0xC0}, 3, 32000, 48000, 0},   // mono
        {{0xFF, 0xF3, 0x84, 0xC4}, 2, 64000, 24000, 0},   // MPEG-2
        {{0xFF, 0xE3, 0x28, 0x80}, 0, 16000, 8000, 1},    // MPEG-2.5
        {{0xFF, 0xE2, 0x14, 0xFF}, 0, 8000, 12000, 0},    // without CRC
    };
    for (const Case &c : cases) {
        Info info = SoundInfo(c.header);
        EXPECT_TRUE(info.ok);
        EXPECT_EQ(info.kind, c.kind);
        EXPECT_EQ(info.bitRate, c.bitRate);
        EXPECT_EQ(info.sampleRate, c.sampleRate);
        EXPECT_EQ(info.stereo, c.stereo);
    }

    // Refused: other layers, the reserved version, free and bad bit rates, the reserved sample
    // rate (of every version), no frame sync, too few bytes.
    for (Bytes header : {Bytes{0xFF, 0xFD, 0x90, 0x44}, Bytes{0xFF, 0xFF, 0x90, 0x44}, Bytes{0xFF, 0xEB, 0x90, 0x44},
                         Bytes{0xFF, 0xFB, 0x00, 0x44}, Bytes{0xFF, 0xFB, 0xF0, 0x44}, Bytes{0xFF, 0xFB, 0x9C, 0x44},
                         Bytes{0xFF, 0xF3, 0x8C, 0x44}, Bytes{0xFF, 0xE3, 0x8C, 0x44}, Bytes{0xFF, 0xDF, 0x90, 0x44},
                         Bytes{0xFE, 0xFB, 0x90, 0x44}, Bytes{0xFF, 0xFB, 0x90}, Bytes{}}) {
        EXPECT_FALSE(SoundInfo(header).ok) << testsupport::Escaped(std::string(header.begin(), header.end()));
    }
}

TEST_F(SoundStreamTest, WaveAndMagicKinds)
{
    EXPECT_EQ(SoundInfo({'M', 'M', 'M', 'D', 0}).kind, movie::kSoundSmaf);
    EXPECT_EQ(SoundInfo({'m', 'e', 'l', 'o'}).kind, movie::kSoundMelo);
    EXPECT_EQ(SoundInfo({'M', 'T', 'h', 'd', 0, 0, 0, 6}).kind, movie::kSoundMidi);

    Info stereo16 = SoundInfo(Wave(1, 2, 44100, 16, {1, 2, 3, 4}));
    EXPECT_EQ(stereo16.kind, movie::kSoundWave);
    EXPECT_EQ(stereo16.bitRate, 16);
    EXPECT_EQ(stereo16.sampleRate, 44100);
    EXPECT_EQ(stereo16.stereo, 1);
    Info mono8 = SoundInfo(Wave(1, 1, 11025, 8, {0x80}));
    EXPECT_EQ(mono8.sampleRate, 11025);

    // ReadWavFormat leaves the samples; formats other than 8 or 16-bit PCM keep the file.
    Bytes wave = Wave(1, 1, 8000, 16, {9, 8, 7, 6, 5});
    int32_t bits = 0;
    int32_t rate = 0;
    int32_t channels = 0;
    EXPECT_TRUE(movie::ReadWavFormat(wave, bits, rate, channels));
    EXPECT_EQ(wave, (Bytes{9, 8, 7, 6, 5}));
    Bytes shortFormat = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(shortFormat, "fmt ", {1, 0, 1, 0, 0x40, 0x1F, 0, 0});
    AppendChunk(shortFormat, "data", {1});
    for (Bytes other : {Wave(1, 2, 44100, 24, {0}), Wave(3, 2, 44100, 32, {0}), shortFormat}) {
        Bytes kept = other;
        EXPECT_FALSE(movie::ReadWavFormat(other, bits, rate, channels));
        EXPECT_EQ(other, kept);
    }
}

TEST_F(SoundStreamTest, RiffChunksOfAnySizeEndTheSearch)
{
    Bytes riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(riff, "junk", {});
    AppendChunk(riff, "abcd", {1, 2, 3});
    Bytes found = riff;
    EXPECT_TRUE(movie::FindRiffChunk(found, "abcd"));
    EXPECT_EQ(found, (Bytes{1, 2, 3}));
    found = riff;
    EXPECT_FALSE(movie::FindRiffChunk(found, "data"));
    EXPECT_EQ(found, riff);

    // Sizes past the end or of 2^31 and more stop the search, as do truncated chunk headers.
    for (uint32_t size : {4u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF8u, 0xFFFFFFFFu}) {
        Bytes hostile = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a', 't', 'a'};
        Append32(hostile, size);
        hostile.insert(hostile.end(), {1, 2, 3});
        Bytes before = hostile;
        EXPECT_FALSE(movie::FindRiffChunk(hostile, "data")) << size;
        EXPECT_EQ(hostile, before);
        Bytes skipped = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'j', 'u', 'n', 'k'};
        Append32(skipped, size);
        AppendChunk(skipped, "data", {1});
        EXPECT_FALSE(movie::FindRiffChunk(skipped, "data")) << size;
    }
    for (size_t cut = 0; cut < riff.size(); ++cut) {
        Bytes truncated(riff.begin(), riff.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(movie::FindRiffChunk(truncated, "abcd")) << cut;
    }
    Bytes wave = Wave(1, 2, 44100, 16, {1, 2});
    for (size_t cut = 0; cut < wave.size(); ++cut) {
        Info info = SoundInfo(Bytes(wave.begin(), wave.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_FALSE(info.ok) << cut;
    }
}

TEST_F(SoundStreamTest, Mp3FramesAreCutWithTheirPadding)
{
    Bytes stream = Mp3Stream(1, true);
    Bytes second = Mp3Stream(1);
    stream.insert(stream.end(), {0x00, 0xFF, 0x10, 0x20});  // junk, and an 0xFF that is no sync
    stream.insert(stream.end(), second.begin(), second.end());
    int32_t position = 0;
    Bytes frame;
    ASSERT_TRUE(movie::GetNextMp3Frame(stream, position, 417, frame));
    EXPECT_EQ(frame.size(), 418u);
    EXPECT_EQ(frame, Bytes(stream.begin(), stream.begin() + 418));
    EXPECT_EQ(position, 422);
    ASSERT_TRUE(movie::GetNextMp3Frame(stream, position, 417, frame));
    EXPECT_EQ(frame.size(), 417u);
    EXPECT_EQ(position, static_cast<int32_t>(stream.size()));
    EXPECT_FALSE(movie::GetNextMp3Frame(stream, position, 417, frame));

    // A frame running past the end, a bad position or length: nothing cut, nothing moved.
    for (int32_t start : {-1, 423, 836, static_cast<int32_t>(stream.size()) - 3, INT32_MAX}) {
        position = start;
        EXPECT_FALSE(movie::GetNextMp3Frame(stream, position, 417, frame)) << start;
        EXPECT_EQ(position, start);
    }
    position = 0;
    EXPECT_FALSE(movie::GetNextMp3Frame(stream, position, 0, frame));
    EXPECT_FALSE(movie::GetNextMp3Frame(stream, position, -5, frame));
    EXPECT_FALSE(movie::GetNextMp3Frame(Bytes{0xFF, 0xFB, 0x90}, position, 1, frame));
}

TEST_F(SoundStreamTest, StreamBlocksCarryTheFramesOfEachMovieFrame)
{
    // 12 fps at 44.1 kHz: 3675 samples a frame, three MP3 frames of 1152 and a carry of 219.
    Bytes mp3 = Mp3Stream(4);
    BeginWithSound(12.0f, mp3);
    Bytes block = NextFrameTags();
    ASSERT_EQ(block.size(), 6u + 4u + 3u * 417u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 10),
              (Bytes{0xFF, 0x04, 0xE7, 0x04, 0x00, 0x00, 0x80, 0x0D, 0x00, 0x00}));  // 1255 bytes, 3456
    EXPECT_EQ(Bytes(block.begin() + 10, block.end()), Bytes(mp3.begin(), mp3.begin() + 3 * 417));
    EXPECT_EQ(movie::SoundStream().SeekCarry, 219);
    EXPECT_EQ(movie::SoundStream().SoundPos, 3 * 417);
    EXPECT_EQ(movie::Writer().FrameBuffers[0], Bytes());  // the block opens the next frame

    // The last MP3 frame, then the stream ends: SeekSamples 219, SampleCount 1152.
    block = NextFrameTags();
    ASSERT_EQ(block.size(), 10u + 417u);
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 10),
              (Bytes{0xFF, 0x04, 0xA5, 0x01, 0x00, 0x00, 0x80, 0x04, 0xDB, 0x00}));
    EXPECT_EQ(movie::SoundStream().SoundPos, -1);
    EXPECT_EQ(movie::SoundStream().SeekCarry, 219 + 3675 - 1152);
    EXPECT_EQ(NextFrameTags(), Bytes());
    EXPECT_EQ(movie::Writer().FrameCount, 3);

    // 60 fps: 735 samples, so the first frame gets an empty block and the second one MP3 frame.
    BeginWithSound(60.0f, mp3);
    EXPECT_EQ(NextFrameTags(), (Bytes{0xFF, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    block = NextFrameTags();
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 10),
              (Bytes{0xFF, 0x04, 0xA5, 0x01, 0x00, 0x00, 0x80, 0x04, 0xDF, 0x02}));
    EXPECT_EQ(movie::SoundStream().SeekCarry, 1470 - 1152);

    // Damaged data ends the stream after the frames before it.
    Bytes damaged = Mp3Stream(2);
    damaged[418] = 0x00;
    BeginWithSound(12.0f, damaged);
    block = NextFrameTags();
    EXPECT_EQ(block.size(), 10u + 417u);
    EXPECT_EQ(movie::SoundStream().SoundPos, -1);
}

TEST_F(SoundStreamTest, MoviesAndSpritesResetTheStream)
{
    BeginWithSound(12.0f, Mp3Stream(4));
    movie::BeginMovie(6, 100, 100, 12.0f);
    EXPECT_EQ(movie::SoundStream().SoundPos, -1);
    movie::Writer().TagBuffer.clear();
    EXPECT_EQ(NextFrameTags(), Bytes());

    // A sprite written into the file: its length and frame count are patched at its end.
    std::string path = testsupport::TempPath("sprite.swf");
    movie::BeginMovie(6, 100, 100, 12.0f);
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieOpen));
    movie::SoundStream().SoundPos = 0;
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kSpriteBegin));
    EXPECT_EQ(movie::SoundStream().SoundPos, -1);
    movie::AppendHex("FF09000000000200" "0000");  // DefineSprite id 2, length and frames patched later
    movie::PlaceObject(1, 0, 0, 1.0f, 1.0f, 0.0f, 0, 256, 0, "", "", movie::kNoClipLayer, -1.0f, {});
    movie::ControlMovieFile(path, movie::kMovieFlush);
    movie::NextFrame();
    movie::NextFrame();
    movie::ControlMovieFile(path, movie::kMovieFrames);
    movie::WriteEndTag();
    movie::ControlMovieFile(path, movie::kMovieFlush);
    movie::SoundStream().SoundPos = 0;
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kSpriteEnd));
    EXPECT_EQ(movie::SoundStream().SoundPos, -1);
    EXPECT_EQ(movie::Writer().FrameCount, 0);
    EXPECT_EQ(movie::Writer().DepthOf(0), 0);
    movie::WriteEndTag();
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieFinish));

    std::string file = testsupport::ReadAll(path);
    // Header 21, sprite header 10, PlaceObject2 11, two ShowFrames, End, then the movie's End.
    ASSERT_EQ(file.size(), 21u + 10u + 11u + 4u + 2u + 2u);
    EXPECT_EQ(file.substr(21, 10), std::string("\xFF\x09\x15\x00\x00\x00\x02\x00\x02\x00", 10));

    // Ending a sprite that was never begun fails and leaves the file alone.
    movie::BeginMovie(6, 100, 100, 12.0f);
    ASSERT_TRUE(movie::ControlMovieFile(path, movie::kMovieOpen));
    EXPECT_FALSE(movie::ControlMovieFile(path, movie::kSpriteEnd));
}

TEST_F(SoundStreamTest, DamagedAudioIsReadSafely)
{
    const std::string wave = [] {
        Bytes bytes = Wave(1, 2, 22050, 16, Bytes(64, 0x11));
        return std::string(bytes.begin(), bytes.end());
    }();
    const std::string mp3 = [] {
        Bytes bytes = Mp3Stream(3, true);
        return std::string(bytes.begin(), bytes.end());
    }();
    testsupport::ByteMutator mutator(20240611, {"RIFF", "WAVE", "fmt ", "data", "\xFF\xFF\xFF\x7F", "\xF8\xFF\xFF\xFF",
                                                "\xFF\xFB", "\xFF\xE3", "\xFF\xF3\x8C", "MThd"});
    for (int round = 0; round < 1500; ++round) {
        std::string damaged = mutator.Mutate(round % 2 ? wave : mp3);
        Bytes bytes(damaged.begin(), damaged.end());
        SCOPED_TRACE(testsupport::Escaped(damaged));
        SoundInfo(bytes);
        Bytes copy = bytes;
        int32_t bits = 0;
        int32_t rate = 0;
        int32_t channels = 0;
        if (movie::ReadWavFormat(copy, bits, rate, channels)) {
            EXPECT_LE(copy.size(), bytes.size());
        }
        copy = bytes;
        movie::FindRiffChunk(copy, "data");

        // Cutting frames always moves forward and stays inside the data.
        int32_t position = 0;
        Bytes frame;
        for (int frames = 0; movie::GetNextMp3Frame(bytes, position, 417, frame); ++frames) {
            ASSERT_LE(position, static_cast<int32_t>(bytes.size()));
            ASSERT_LT(frames, 20);
        }

        BeginWithSound(12.0f, bytes);
        for (int i = 0; i < 4; ++i) {
            movie::NextFrame();
        }
        EXPECT_LE(movie::Writer().TagBuffer.size(), 10u + bytes.size());
    }
}
