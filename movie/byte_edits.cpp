#include "movie/byte_edits.h"

#include <cstring>

namespace movie {
namespace {

bool EditsFit(const std::string &bytes, const std::vector<ByteEdit> &edits, const std::vector<uint8_t> &pieces)
{
    size_t end = 0;
    for (const ByteEdit &edit : edits) {
        if (edit.At < end || edit.At > bytes.size() || edit.Length > bytes.size() - edit.At ||
            edit.PieceAt > pieces.size() || edit.PieceLength > pieces.size() - edit.PieceAt) {
            return false;
        }
        end = edit.At + edit.Length;
    }
    return true;
}

}  // namespace

bool ApplyByteEdits(std::string &bytes, const std::vector<ByteEdit> &edits, const std::vector<uint8_t> &pieces)
{
    if (!EditsFit(bytes, edits, pieces)) {
        return false;
    }
    // The kept runs: run k lies after edit k-1 (run 0 from the start) and moves by the growth of
    // the edits before it.
    struct Run {
        size_t From;
        size_t Length;
        ptrdiff_t Shift;
    };
    std::vector<Run> runs;
    runs.reserve(edits.size() + 1);
    size_t from = 0;
    ptrdiff_t shift = 0;
    for (const ByteEdit &edit : edits) {
        runs.push_back({from, edit.At - from, shift});
        shift += static_cast<ptrdiff_t>(edit.PieceLength) - static_cast<ptrdiff_t>(edit.Length);
        from = edit.At + edit.Length;
    }
    runs.push_back({from, bytes.size() - from, shift});
    const size_t oldSize = bytes.size();
    const size_t newSize = static_cast<size_t>(static_cast<ptrdiff_t>(oldSize) + shift);
    if (newSize > oldSize) {
        bytes.resize(newSize);
    }
    // Runs moving towards the end go last first, runs moving towards the start first first: no
    // run lands on the bytes of one not moved yet.
    char *data = bytes.data();
    for (size_t k = runs.size(); k-- > 0;) {
        if (runs[k].Shift > 0 && runs[k].Length > 0) {
            std::memmove(data + runs[k].From + runs[k].Shift, data + runs[k].From, runs[k].Length);
        }
    }
    for (const Run &run : runs) {
        if (run.Shift < 0 && run.Length > 0) {
            std::memmove(data + run.From + run.Shift, data + run.From, run.Length);
        }
    }
    shift = 0;
    for (const ByteEdit &edit : edits) {
        if (edit.PieceLength > 0) {
            std::memcpy(data + edit.At + shift, pieces.data() + edit.PieceAt, edit.PieceLength);
        }
        shift += static_cast<ptrdiff_t>(edit.PieceLength) - static_cast<ptrdiff_t>(edit.Length);
    }
    bytes.resize(newSize);
    return true;
}

}  // namespace movie
