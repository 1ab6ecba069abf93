// Reading Standard MIDI Files (bare, or inside a RIFF "RMID" wrapper): the header,
// then track by track, event by event with running status. Every read is bounded:
// a track reads only inside its chunk, chunks that are not tracks are skipped by
// their length, lengths of system-exclusive and meta data are checked against the
// bytes left in the chunk, and a variable-length number has at most four bytes.
// An error ends one track, which says why and where (TrackStop); the next track is
// still found at its chunk's start. Lenient where files of other programs need it:
// system-common and real-time messages a track carries over from a live stream
// (F1, F2, F3, F6, F8, FA, FB, FC, FE) are skipped with their data and counted,
// their delta times carried to the next event, and the running status kept; only
// the undefined statuses (F4, F5, F9, FD), whose length is unknown, end the track.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "interchange/byte_source.h"
#include "interchange/smf/smf_format.h"

namespace ql::smf {

// Why a file could not be opened for reading.
enum class SmfOpenStatus : uint8_t {
    Ok,
    OpenFailed,   // the system refused the file; see the error number
    InvalidData,  // not an SMF (no "MThd"), or a header shorter than it must be
};

struct MidiFileReader {
    uint32_t headerLength = 0;
    uint8_t headerId[4] = {};
    uint16_t format = 0;
    uint16_t trackCount = 0;
    uint16_t division = 0;
    std::unique_ptr<ByteSource> source;
    uint64_t nextChunk = 0;  // where the chunk after the current one starts
};

// Why a track stopped before its end-of-track or its chunk's end.
enum class TrackStopReason : uint8_t {
    None,             // the track has not stopped early
    CutShort,         // the chunk (or the file) ends inside an event
    NumberTooLong,    // a delta time or a data length of more than four bytes
    DataPastChunk,    // system-exclusive or meta data longer than the chunk has left
    UndefinedStatus,  // F4, F5, F9 or FD: what follows cannot be measured
};

// Where and why a track stopped. `offset` counts from the track's first data byte
// (the byte after the chunk header) and names the first byte of the part that
// could not be read: the delta time, the status byte (the first data byte under
// running status), the meta type, or a length.
struct TrackStop {
    TrackStopReason reason = TrackStopReason::None;
    uint32_t offset = 0;
};

struct MidiTrack {
    MidiFileReader* file = nullptr;
    uint32_t byteCount = 0;  // the chunk's stored length
    uint64_t start = 0;      // where its data starts
    uint64_t end = 0;        // where its data ends (the end of the file when sooner)
    uint64_t position = 0;   // where its next event starts
    uint8_t runningStatus = kInitialRunningStatus;
    uint8_t runningLength = 2;     // data bytes of the running status
    bool ended = false;            // end-of-track met (or the chunk's end)
    TrackStop stop;                // set when the track could not be read on
    uint32_t eventsRead = 0;       // events given so far (those kept when it stopped)
    uint32_t skippedMessages = 0;  // system-common and real-time messages skipped

    bool Stopped() const { return stop.reason != TrackStopReason::None; }
};

// Kinds of event ReadTrackEvent gives.
enum class MidiEventKind : uint8_t {
    Channel = 0x80,
    SysEx = 0xF0,
    Meta = 0xFF,
};

struct MidiFileEvent {
    MidiEventKind kind = MidiEventKind::Channel;
    uint32_t delta = 0;
    uint8_t status = 0;         // channel status, 0xF0/0xF7, or the meta type
    std::vector<uint8_t> data;  // meta data carries a terminating zero after `length` bytes
    uint32_t length = 0;        // data bytes, without the meta terminator
};

enum class TrackReadResult : uint8_t {
    Event,  // `event` holds the next event
    End,    // the track ended (end-of-track, or its chunk's end)
    Error,  // damaged data: this track reads no further (the track's `stop` says why)
};

// Opens a file quietly; null with the reason (and the system's error number).
std::unique_ptr<MidiFileReader> OpenMidiFile(const std::string& path, SmfOpenStatus* status,
                                             int* error);
// Opens a memory image (kept as a copy).
std::unique_ptr<MidiFileReader> OpenMidiBytes(std::span<const uint8_t> bytes,
                                              SmfOpenStatus* status);
// Opens a file and tells the user why when it cannot: "File open error: <number>",
// or the notice and box "Invalid MIDI data".
std::unique_ptr<MidiFileReader> OpenMidiFileForRead(const std::string& path);

// The next track chunk, skipping chunks of other kinds; null when none is left.
std::unique_ptr<MidiTrack> ReadTrackHeader(MidiFileReader& file);

// The track chunks the file holds from where it stands, at most `most`: a damaged
// header may count tracks the file does not have. The file is left where it was.
int CountTrackChunks(MidiFileReader& file, int most);
// The next event of a track; its delta time includes those of the messages skipped
// before it.
TrackReadResult ReadTrackEvent(MidiTrack& track, MidiFileEvent* event);

}  // namespace ql::smf
