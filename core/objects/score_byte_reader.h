// The source a stored record body is read from: a read function and, where the
// source can tell, how many bytes it still holds. The score file's source is
// ScoreFileReader(); tests and fuzz entries read from memory through the same type.
#pragma once

#include <cstdint>

namespace ql {

// A source also tells how many bytes it still holds, so that a reader refuses a
// stored length the source cannot hold before it allocates for it. A source that
// cannot tell (bytesLeft null) is read as before: a short read frees what was made.
struct ScoreByteReader {
    int (*read)(void* buffer, uint32_t count) = nullptr;
    uint64_t (*bytesLeft)() = nullptr;

    ScoreByteReader(int (*reader)(void*, uint32_t), uint64_t (*left)() = nullptr)
        : read(reader), bytesLeft(left) {}
    int operator()(void* buffer, uint32_t count) const { return read(buffer, count); }
    // False when the source says it holds fewer than `count` bytes.
    bool CanHold(uint64_t count) const { return bytesLeft == nullptr || bytesLeft() >= count; }
};
// The score file being read, with its bytes left.
ScoreByteReader ScoreFileReader();

}  // namespace ql
