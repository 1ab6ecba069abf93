// Fuzz entry point for the Standard MIDI File reader: the input is the file. Every
// track is read to its end; a read must end in an event, the track's end or an
// error, never outside the bytes given; a track that stops names a byte inside
// itself and counts the events it gave. Seed corpus: interchange/fuzz/smf_seeds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "interchange/smf/smf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql::smf;
    SmfOpenStatus status = SmfOpenStatus::Ok;
    std::unique_ptr<MidiFileReader> file =
        OpenMidiBytes(std::span<const uint8_t>(data, size), &status);
    if (!file) return 0;
    MidiFileEvent event;
    while (std::unique_ptr<MidiTrack> track = ReadTrackHeader(*file)) {
        uint32_t events = 0;
        TrackReadResult result;
        while ((result = ReadTrackEvent(*track, &event)) == TrackReadResult::Event) {
            if (event.length > size) __builtin_trap();
            ++events;
        }
        if ((result == TrackReadResult::Error) != track->Stopped()) __builtin_trap();
        if (track->eventsRead != events) __builtin_trap();
        if (track->Stopped() && track->stop.offset > track->end - track->start) __builtin_trap();
    }
    return 0;
}
