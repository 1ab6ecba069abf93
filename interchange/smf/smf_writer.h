// Writing Standard MIDI Files: the header, track chunks whose length is filled in
// when the track is closed, and channel, system-exclusive and meta events with
// variable-length deltas and running status. A failed write is told to the user
// once per file and every later write of that file returns -1 at once, so a full
// disk never gives a box per event. Files are never written RIFF-wrapped.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "interchange/smf/smf_format.h"
#include "platform/sys/file_io.h"

namespace ql::smf {

struct MidiFileWriter {
    sys::FileDescriptor file = sys::kNoFile;
    uint64_t size = 0;        // bytes written: the end of the file
    bool failed = false;      // a write, seek or close failed
    bool errorShown = false;  // the user has been told
};

struct MidiTrackWriter {
    MidiFileWriter* file = nullptr;
    uint32_t byteCount = 0;                         // bytes of events written so far
    uint64_t lengthPosition = 0;                    // where the chunk's length field sits
    uint8_t runningStatus = kInitialRunningStatus;  // 0: none (after a meta or sysex event)
    uint8_t lastChannelStatus = kInitialRunningStatus;
    bool firstEvent = true;
    bool writeLengthAtClose = true;
};

// Creates (or truncates) the file and writes its 14-byte header. On failure shows
// "Error occurred while creating file:\n<system text>" under the caption of
// `captionId` (or the save I/O text when the header cannot be written) and
// returns null.
std::unique_ptr<MidiFileWriter> CreateMidiFile(const std::string& path, uint16_t format,
                                               uint16_t tracks, uint16_t division,
                                               int32_t captionId);
// The box of a file that cannot be created: "Error occurred while creating
// file:\n<system text>" under the caption of `captionId`.
void ShowCreateMidiFileError(int error, int32_t captionId);
// Closes the file; false when any write of the file, or the close itself, failed.
bool CloseMidiFile(std::unique_ptr<MidiFileWriter> file);

// Starts a track chunk ("MTrk" and a zero length); null on a write failure.
std::unique_ptr<MidiTrackWriter> CreateMidiTrack(MidiFileWriter& file);
// Writes the track's true length into its chunk header; false on a failure.
bool CloseMidiTrack(std::unique_ptr<MidiTrackWriter> track);

// Writes one event after `delta` ticks: the bytes written, 1 when there was
// nothing to write, -1 on a write error. Channel statuses run on; a system-exclusive
// event (F0 or F7 first) is written as that byte, the count of the bytes after it
// as a variable-length number, then those bytes; other bytes from 0xF1 up are
// written as they are. Both clear the running status.
int WriteMidiEvent(MidiTrackWriter& track, uint32_t delta, std::span<const uint8_t> bytes);
// Writes a meta event (0xFF, type, length, data); the next channel event carries
// its status byte again.
int WriteMidiMetaEvent(MidiTrackWriter& track, uint8_t type, uint32_t delta,
                       std::span<const uint8_t> data);

}  // namespace ql::smf
