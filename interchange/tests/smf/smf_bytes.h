// Building Standard MIDI Files byte by byte for the tests, and reading every track
// of one back.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "interchange/smf/smf_reader.h"

namespace ql::smf::testing {

using Bytes = std::vector<uint8_t>;

void PutU32(Bytes& out, uint32_t value);
// "MThd" with the stored length; bytes beyond six are filler.
Bytes Header(uint16_t format, uint16_t tracks, uint16_t division, uint32_t length = 6);
// A chunk whose stored length is the data's unless `storedLength` is given.
Bytes Chunk(const char (&id)[5], const Bytes& data, int64_t storedLength = -1);
Bytes Join(std::initializer_list<Bytes> parts);
// Format 1: a tempo track and a track of notes with running status and a sysex.
Bytes TwoTrackFile();
// Format 1 at 96 ticks a quarter: an empty signature track and a track whose chord
// of `keys` notes from key 40 up is struck at once and held for `measures` 4/4
// measures.
Bytes HeldChordFile(int keys, int measures);

// One track as read: its events, the last read's result and the track's account.
struct ReadTrack {
    std::vector<MidiFileEvent> events;
    TrackReadResult last = TrackReadResult::End;
    TrackStop stop;
    uint32_t eventsRead = 0;
    uint32_t skippedMessages = 0;
};
// Reads every track of the file to its end.
std::vector<ReadTrack> ReadAllTracks(MidiFileReader& file);

}  // namespace ql::smf::testing
