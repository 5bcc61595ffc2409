// Recognising audio files and cutting MPEG audio frames for the movie's streaming sound: RIFF
// WAVE, MPEG audio Layer III frame headers, and SMAF, "melo" and MIDI files by their magic.
#pragma once

#include "movie/tag_buffer.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace movie {

// Kinds reported by GetSoundInfo besides the MPEG version bits (3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5).
enum SoundKind : int32_t {
    kSoundSmaf = -1,   // "MMMD"
    kSoundMelo = -2,   // "melo"
    kSoundMidi = -3,   // "MThd"
    kSoundWave = -16,  // RIFF WAVE
};

// What the first bytes hold. For an MPEG audio Layer III frame header: kind = version bits,
// bitRate in bit/s, sampleRate in Hz, stereo 1 unless the channel mode is mono; true when both
// rates are known. For RIFF WAVE: kind kSoundWave and ReadWavFormat's result (bitRate = bits per
// sample, stereo = channels - 1). The three magic kinds are true without reading further.
bool GetSoundInfo(std::span<const uint8_t> bytes, int32_t &kind, int32_t &bitRate, int32_t &sampleRate,
                  int32_t &stereo);

// Reads the "fmt " chunk of a RIFF WAVE file: only PCM with 8 or 16 bits per sample is accepted,
// and then bytes becomes the "data" chunk's contents. False otherwise (bytes kept).
bool ReadWavFormat(Bytes &bytes, int32_t &bits, int32_t &sampleRate, int32_t &channelsMinusOne);

// Searches the chunks of a RIFF file from offset 12 for the id; on a match bytes becomes that
// chunk's data. A chunk size of 2^31 or more, or one running past the end, stops the search.
bool FindRiffChunk(Bytes &bytes, std::string_view chunkId);

// Cuts the frame of frameLength bytes (plus the padding byte its header asks for) at position
// into frame and moves position to the next frame sync after it, or to the end of the data.
// False, with nothing changed, when the frame does not lie wholly inside the data.
bool GetNextMp3Frame(const Bytes &bytes, int32_t &position, int32_t frameLength, Bytes &frame);

}  // namespace movie
