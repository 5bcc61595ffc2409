// Streaming sound of a movie: one SoundStreamBlock per frame holding the MPEG audio frames that
// cover the frame's duration. Nothing in the program opens a stream yet, so SoundPos stays -1
// and every block call returns at once; opening one means loading SoundData with an MP3 file,
// setting SoundPos, SamplesPerMp3Frame and SoundSampleRate, and writing a SoundStreamHead.
#pragma once

#include "movie/tag_buffer.h"

#include <cstdint>

namespace movie {

struct SoundStreamState {
    Bytes SoundData;                 // the MP3 file
    int32_t SoundPos = -1;           // byte position of the next MP3 frame; -1 = no sound stream
    int32_t SoundFramesDone = 0;     // movie frames that got their block
    int32_t SamplesPerMp3Frame = 0;
    int32_t Mp3FrameLength = 0;      // bytes of the current MP3 frame without padding
    int32_t SeekCarry = 0;           // samples written ahead of (positive) or behind the frames
    int32_t SoundSampleRate = 0;     // Hz
};

SoundStreamState &SoundStream();
// Makes SoundStream() on the calling thread return state (null: the shared one); returns the
// one it returned before. ThreadWriter uses it.
SoundStreamState *UseThreadSoundStream(SoundStreamState *state);

void ResetSoundStreamForTest();

// Ends any sound stream (SoundPos := -1).
void ResetSoundStream();

// Appends the SoundStreamBlock of the frame NextFrame just finished, when a stream is open and
// that frame has none yet. rate is the movie's frame rate in frames per second.
void WriteSoundStreamBlock(float rate);

}  // namespace movie
