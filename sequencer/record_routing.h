// Which staff a recorded event is transcribed for: one record staff ("single"),
// keys below the split point to the split staff and the rest to the record staff
// ("split"), or a staff per MIDI channel ("multichannel"). Channel messages whose
// kind is filtered out are not handed to the transcription at all.
#pragma once

#include <array>
#include <cstdint>

namespace ql {

enum class RecordMode : uint8_t { Single = 0, Split = 1, Multichannel = 2 };

constexpr uint8_t kChannelStavesUnset = 255;  // a first entry of 255: channel n on staff n + 1

struct RecordRouting {
    RecordMode mode = RecordMode::Single;
    int recordStaff = 1;
    int splitStaff = 2;
    int splitPoint = 60;  // keys below it go to the split staff
    std::array<uint8_t, 16> channelStaves{kChannelStavesUnset};
    // Channel messages left out of the transcription.
    bool filterKeyPressure = false;
    bool filterControllers = false;
    bool filterPrograms = false;
    bool filterChannelPressure = false;
    bool filterPitchWheel = false;
};

// The routing as a run uses it: a record staff outside the score becomes 1; a
// split staff outside it becomes the record staff + 1, and split mode falls back
// to single when that is outside too or both staves are one.
RecordRouting NormalizeRouting(RecordRouting routing, int staffCount);

// The staff of a recorded message (status in the low byte); 0 when its kind is
// filtered out or it is not a channel message.
int RecordedEventStaff(const RecordRouting& routing, uint32_t message, int staffCount);

}  // namespace ql
