// PerformNote: the note-on and note-off of one note of a voice.
//
// Start = the measure's start + the note's time (rounded up to 16 ticks outside
// tuplets), delayed by swing on off-beats, by the note's own delay with
// "AllowMIDIdelay", and moved at random with "Loosen Up!" (as are its end and
// velocity). Key = the pitch under the clef, key
// and accidentals in force in the cell, plus the staff's and the global
// transposition; a key that leaves 0..127 plays nothing. Velocity = the staff's
// base velocity + the note's offset, at most 127; below 1 the note is silent, as is
// a note whose sound is hidden (a cue note).
// Length = the value's ticks with the swing correction, halved for a staccato,
// times the playback percent (in 128ths), one tick short of the full length while
// playing. A tie start keeps its key in the held-note table and sends no note-off;
// the note that ends the tie sends no note-on and, unless it ties on, the note-off.
// Both events are made before either is placed, so a refused note-off never
// leaves a note-on without its end. A tie that leads nowhere (no next note of its
// key where the value ends, or the end of the run) ends the held note at its own
// end.
#include <algorithm>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/ui/status_bar_notes.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/accidental_state.h"
#include "notes/ties/ties.h"
#include "sequencer/perform_steps.h"
#include "sequencer/performance_builder.h"

namespace ql {
namespace {

constexpr int kPositionGrid = 16;
constexpr int kEighth = 512;
constexpr int kSixteenth = 256;
constexpr int kEighthSwing = 170;
constexpr int kSixteenthSwing = 85;
constexpr int kPercentScale = 128;
constexpr int kFullPercent = 100;
constexpr int kShortestSounding = 2;
// A tie's next note starts where the tied value ends, give or take the rounding of
// positions and a swung start.
constexpr int32_t kTieTolerance = 256;
constexpr int kLongestLoosenCode = 6;
constexpr int kMaxKey = 127;
constexpr int kMaxVelocity = 127;
constexpr uint8_t kNoteOnStatus = 0x90;
constexpr uint8_t kNoteOffStatus = 0x80;
constexpr uint8_t kNoteOffVelocity = 64;
constexpr uint8_t kChannelMask = 0x0F;
constexpr int kDataShift1 = 8;
constexpr int kDataShift2 = 16;

uint32_t NoteMessage(uint8_t status, int channel, int key, int velocity) {
    return static_cast<uint32_t>(status | (channel & kChannelMask)) | (static_cast<uint32_t>(key) << kDataShift1) |
           (static_cast<uint32_t>(velocity) << kDataShift2);
}

bool IsInTuplet(const EventRecord& note) { return note.tupletKind != 0 || note.outerRatio != 0; }

HeldNote* FindHeld(PerformanceRun& run, uint8_t identity, int key) {
    for (HeldNote& held : run.held)
        if (held.used && held.identity == identity && held.key == key) return &held;
    return nullptr;
}

HeldNote* FreeHeldEntry(PerformanceRun& run) {
    for (HeldNote& held : run.held)
        if (!held.used) return &held;
    return nullptr;  // full: the tie's first note ends at its own end
}

struct NoteTiming {
    int32_t start = 0;
    int32_t end = 0;      // where it stops sounding
    int32_t nominal = 0;  // where its value ends (a tie's next note starts there)
};

// The random part of "Loosen Up!": a value in -width .. width - 1.
int Jitter(PerformanceRun& run, int width) {
    if (width <= 0) return 0;
    return width - static_cast<int>(run.random() % static_cast<uint32_t>(2 * width));
}

int LoosenTimingWidth(const PerformanceOptions::Loosen& loosen) {
    const int k = std::clamp(loosen.timingCode, 0, kLongestLoosenCode);
    return (1 << (k + 2)) + (loosen.wider && k > 0 ? 1 << (k - 1) : 0);
}

NoteTiming TimeNote(PerformanceRun& run, const PlayedMeasure& measure, const EventRecord& note, bool jitter) {
    int position = note.time;
    const bool tuplet = IsInTuplet(note);
    if (!tuplet) position = (position + kPositionGrid - 1) / kPositionGrid * kPositionGrid;
    const int length = EventDurationTicks(note);
    NoteTiming timing;
    timing.start = measure.start + position + (tuplet ? 0 : SwingStartDelay(run.options, position, length));
    int sounding = SoundingLength(run.options, tuplet ? -1 : position, length, (note.word2 & kNoteStaccato) != 0);
    if (run.options.allowMidiDelay) {
        timing.start += note.attack;
        if (note.release != 0) sounding = length + note.release;
    }
    timing.nominal = measure.start + position + length;
    if (jitter && run.options.loosen.on) {
        const int width = LoosenTimingWidth(run.options.loosen);
        timing.start += Jitter(run, width);
        sounding += Jitter(run, width / 2);
    }
    timing.end = std::max(timing.start + sounding, timing.start + kShortestSounding);
    return timing;
}

int SoundingKey(const PerformanceRun& run, int staff, int voice, const PlayedMeasure& measure,
                const EventRecord& note) {
    StaffRecord* record = StaffRecordOf(run.document, staff);
    MeasureCell* cell = ExistingMeasureCell(run.document, staff, measure.measure);
    if (record == nullptr || cell == nullptr) return -1;
    return ComputeNoteKeyInCell(record, cell, note, voice) + record->semitones + run.options.globalTransposition +
           OctaveShiftAt(run, staff, measure.start + note.time);
}

}  // namespace

int32_t SwingStartDelay(const PerformanceOptions& options, int position, int length) {
    if (options.swingEighths && length % kEighth == 0 && position % kEighth == 0 && position % (2 * kEighth) != 0)
        return kEighthSwing;
    if (options.swingSixteenths && length % kSixteenth == 0 && position % kSixteenth == 0 &&
        position % (2 * kSixteenth) != 0)
        return kSixteenthSwing;
    return 0;
}

int32_t SoundingLength(const PerformanceOptions& options, int position, int length, bool staccato) {
    // Swing: a length of an odd number of eighths (sixteenths) is longer on the beat
    // and shorter off it, so the next note's delayed start is met.
    auto swing = [&](bool on, int unit, int amount) {
        if (!on || position < 0 || length % unit != 0 || (length / unit) % 2 == 0) return;
        length += position % (2 * unit) == 0 ? amount : -amount;
    };
    swing(options.swingEighths, kEighth, kEighthSwing);
    swing(options.swingSixteenths && !options.swingEighths, kSixteenth, kSixteenthSwing);
    if (staccato) length /= 2;
    const int percent = std::clamp<int>(options.playbackPercent, 1, kFullPercent);
    const int scaled = length * (percent * kPercentScale / kFullPercent) / kPercentScale;
    if (scaled == length && !options.exporting) return length - 1;
    return scaled;
}

bool CloseStaleTies(PerformanceRun& run, int staff, int voice, int32_t time) {
    const uint8_t identity = static_cast<uint8_t>(staff * kVoicesPerStaff + voice);
    for (HeldNote& held : run.held) {
        if (!held.used || held.identity != identity || held.due + kTieTolerance >= time) continue;
        // Not before the block being filled: a note-off already due plays at once.
        const int32_t end = std::max(held.soundingEnd, run.fillBase);
        PerformanceEvent* off = NewPerformanceEvent(run, PerformanceEventKind::Channel, held.port, staff, end,
                                                    NoteMessage(kNoteOffStatus, held.channel, held.key, kNoteOffVelocity));
        if (off == nullptr) return false;
        held.used = false;
        InsertPerformanceEvent(run.voices[staff][voice].notes, off);
    }
    return true;
}

bool PerformNote(PerformanceRun& run, int staff, int voice, const PlayedMeasure& measure, EventRecord& note) {
    const StaffRecord* record = StaffRecordOf(run.document, staff);
    if (record == nullptr || (note.flags & kNoteSoundHidden) != 0) return true;  // its sound hidden
    if (!CloseStaleTies(run, staff, voice, TimeNote(run, measure, note, false).start)) return false;
    const int key = SoundingKey(run, staff, voice, measure, note);
    if (key < 0 || key > kMaxKey) return true;  // off the keyboard after transposition
    const perform_detail::PortChannel destination = perform_detail::VoiceDestination(*record, voice);
    const uint8_t identity = static_cast<uint8_t>(staff * kVoicesPerStaff + voice);
    const NoteTiming timing = TimeNote(run, measure, note, true);
    const bool tiesOn = (note.word2 & kTieStartsHere) != 0;
    HeldNote* held = (note.word2 & kTieEndsHere) != 0 ? FindHeld(run, identity, key) : nullptr;
    if (held != nullptr) {  // the tie goes on sounding the first note
        if (tiesOn) {
            held->due = timing.nominal;
            held->soundingEnd = timing.end;
            return true;
        }
        held->used = false;
        PerformanceEvent* off = NewPerformanceEvent(run, PerformanceEventKind::Channel, held->port, staff, timing.end,
                                                    NoteMessage(kNoteOffStatus, held->channel, key, kNoteOffVelocity));
        if (off == nullptr) return false;
        InsertPerformanceEvent(run.voices[staff][voice].notes, off);
        return true;
    }
    const int jitter = run.options.loosen.on ? Jitter(run, run.options.loosen.velocityWidth) : 0;
    const int velocity = std::min(record->baseKeyVelocity + note.velocity + jitter +
                                      DynamicsDelta(run, staff, voice, timing.start), kMaxVelocity);
    if (velocity < 1) return true;
    PerformanceEvent* on = NewPerformanceEvent(run, PerformanceEventKind::Channel, destination.port, staff,
                                               timing.start, NoteMessage(kNoteOnStatus, destination.channel, key, velocity));
    HeldNote* entry = tiesOn ? FreeHeldEntry(run) : nullptr;
    PerformanceEvent* off = nullptr;
    if (on != nullptr && entry == nullptr) {
        off = NewPerformanceEvent(run, PerformanceEventKind::Channel, destination.port, staff, timing.end,
                                  NoteMessage(kNoteOffStatus, destination.channel, key, kNoteOffVelocity));
        if (off == nullptr) FreeStaticRecord(kPerformanceStaticPool, on);
    }
    if (on == nullptr || (entry == nullptr && off == nullptr)) return false;
    VoiceCursor& cursor = run.voices[staff][voice];
    InsertPerformanceEvent(cursor.notes, on);
    if (off != nullptr) InsertPerformanceEvent(cursor.notes, off);
    if (entry != nullptr)
        *entry = HeldNote{true, identity, static_cast<uint8_t>(key), static_cast<uint8_t>(destination.channel),
                          static_cast<uint8_t>(destination.port), timing.nominal, timing.end};
    return true;
}

}  // namespace ql
