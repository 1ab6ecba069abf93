// Hand-made Standard MIDI Files for the byte-layer tests.
#include <array>

#include "interchange/smf/smf_format.h"
#include "interchange/tests/smf/smf_bytes.h"

namespace ql::smf::testing {

void PutU32(Bytes& out, uint32_t value) {
    uint8_t bytes[4];
    WriteBigEndian32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

Bytes Header(uint16_t format, uint16_t tracks, uint16_t division, uint32_t length) {
    Bytes out{'M', 'T', 'h', 'd'};
    PutU32(out, length);
    const uint8_t words[] = {static_cast<uint8_t>(format >> 8),   static_cast<uint8_t>(format),
                             static_cast<uint8_t>(tracks >> 8),   static_cast<uint8_t>(tracks),
                             static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)};
    out.insert(out.end(), words, words + 6);
    for (uint32_t extra = 6; extra < length; ++extra) out.push_back(0xEE);
    return out;
}

Bytes Chunk(const char (&id)[5], const Bytes& data, int64_t storedLength) {
    Bytes out(id, id + 4);
    PutU32(out, storedLength < 0 ? static_cast<uint32_t>(data.size())
                                 : static_cast<uint32_t>(storedLength));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes TwoTrackFile() {
    const Bytes tempo{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500,000 us a quarter
                      0x00, 0xFF, 0x2F, 0x00};                   // end of track
    const Bytes notes{0x00, 0x90, 60,   100,                     // note on
                      0x60, 64,   90,                            // running status
                      0x83, 0x00, 0x80, 60,   0,                 // note off after 384
                      0x00, 0xF0, 0x03, 0x43, 0x12, 0xF7,        // system exclusive
                      0x00, 64,   0,                             // data after sysex
                      0x00, 0xFF, 0x2F, 0x00};
    return Join({Header(1, 2, 480), Chunk("MTrk", tempo), Chunk("MTrk", notes)});
}

Bytes HeldChordFile(int keys, int measures) {
    constexpr uint8_t kLowestKey = 40;
    constexpr uint32_t kMeasureTicks = 4 * 96;
    Bytes track;
    for (int k = 0; k < keys; ++k)
        track.insert(track.end(), {0x00, 0x90, static_cast<uint8_t>(kLowestKey + k), 90});
    for (int k = 0; k < keys; ++k) {
        const uint32_t delta = k == 0 ? static_cast<uint32_t>(measures) * kMeasureTicks : 0;
        std::array<uint8_t, kMaxVlqBytes> vlq{};
        const size_t length = EncodeVlq(delta, vlq);
        track.insert(track.end(), vlq.begin(), vlq.begin() + static_cast<std::ptrdiff_t>(length));
        track.insert(track.end(), {0x80, static_cast<uint8_t>(kLowestKey + k), 0});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    return Join({Header(1, 2, 96), Chunk("MTrk", Bytes{0x00, 0xFF, 0x2F, 0x00}), Chunk("MTrk", track)});
}

std::vector<ReadTrack> ReadAllTracks(MidiFileReader& file) {
    std::vector<ReadTrack> tracks;
    while (std::unique_ptr<MidiTrack> track = ReadTrackHeader(file)) {
        ReadTrack read;
        MidiFileEvent event;
        while ((read.last = ReadTrackEvent(*track, &event)) == TrackReadResult::Event)
            read.events.push_back(event);
        read.stop = track->stop;
        read.eventsRead = track->eventsRead;
        read.skippedMessages = track->skippedMessages;
        tracks.push_back(std::move(read));
    }
    return tracks;
}

}  // namespace ql::smf::testing
