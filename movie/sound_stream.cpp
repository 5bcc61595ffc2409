#include "movie/sound_stream.h"

#include "movie/audio_file.h"
#include "movie/movie_writer.h"
#include "platform/swf/tag_records.h"
#include "platform/base/rounding.h"

#include <cmath>
#include <span>

namespace movie {
namespace {

SoundStreamState g_sound;
thread_local SoundStreamState *t_sound = nullptr;

}  // namespace

SoundStreamState &SoundStream()
{
    return t_sound ? *t_sound : g_sound;
}

SoundStreamState *UseThreadSoundStream(SoundStreamState *state)
{
    SoundStreamState *before = t_sound;
    t_sound = state;
    return before;
}

void ResetSoundStreamForTest()
{
    g_sound = SoundStreamState();
}

void ResetSoundStream()
{
    SoundStream().SoundPos = -1;
}

void WriteSoundStreamBlock(float rate)
{
    SoundStreamState &sound = SoundStream();
    if (sound.SoundPos == -1 || sound.SoundFramesDone >= Writer().FrameIndex) {
        return;
    }
    // A stream without a usable rate or frame size cannot be timed: it ends without a block.
    if (!(rate > 0.0f) || sound.SamplesPerMp3Frame <= 0 || sound.SoundSampleRate <= 0) {
        ResetSoundStream();
        return;
    }
    sound.SoundFramesDone += 1;
    int64_t samples = platform::RoundToInt32(static_cast<double>(sound.SoundSampleRate) / rate);
    int64_t due = static_cast<int64_t>(
        std::floor(static_cast<double>(sound.SeekCarry + samples) / sound.SamplesPerMp3Frame));

    Bytes block;  // the MP3 frames
    int64_t written = 0;
    bool ended = false;
    const int16_t seek = static_cast<int16_t>(due > 0 ? sound.SeekCarry : 0);
    if (due > 0) {
        for (int64_t i = 0; i < due; ++i) {
            size_t at = static_cast<size_t>(std::max(sound.SoundPos, 0));
            if (sound.SoundPos >= 0 && at + 5 <= sound.SoundData.size()) {
                int32_t kind = 0;
                int32_t bitRate = 0;
                int32_t sampleRate = 0;
                int32_t stereo = 0;
                if (!GetSoundInfo(std::span<const uint8_t>(sound.SoundData).subspan(at), kind, bitRate, sampleRate,
                                  stereo)) {
                    ended = true;
                    break;
                }
                sound.Mp3FrameLength = static_cast<int32_t>(static_cast<int64_t>(sound.SamplesPerMp3Frame) *
                                                            bitRate / sound.SoundSampleRate / 8);
            }
            Bytes frame;
            if (!GetNextMp3Frame(sound.SoundData, sound.SoundPos, sound.Mp3FrameLength, frame)) {
                ended = true;
                break;
            }
            block.insert(block.end(), frame.begin(), frame.end());
            ++written;
        }
    }
    int64_t sampleCount = sound.SamplesPerMp3Frame * written;
    sound.SeekCarry = platform::SaturateInt<int32_t>(samples + sound.SeekCarry - sampleCount);
    AppendLongTag(TagCode::SoundStreamBlock,
                  platform::swf::SoundStreamBlockBody(static_cast<uint16_t>(sampleCount), seek, block));
    if (ended) {
        ResetSoundStream();
    }
}

}  // namespace movie
