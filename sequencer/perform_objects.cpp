// The MIDI-carrying objects of a measure cell: tempo marks (kind-1 events),
// dynamics and hairpins (velocity changes, or controller 7) and pedal marks
// (their controller). A hairpin's transition runs over its span. Octave signs
// shift the notes of their staff inside their range.
//
// A single occurrence makes one event at the object's tick. A gradual transition
// runs over interval x 256 ticks with one event every transitionStep ticks from
// t = 0 while t < length, value = start + (end - start) x t / length; a tempo
// transition ends with one more event at t = length at the final tempo, so the
// music after it keeps the marked tempo. Controller values are clamped to 0..127
// and velocity changes to -127..127; tempo rates to the engine's range. The
// destinations are the staves of the action's output destination
// (sequencer/midi_destinations.h) and the voices of its mask, one event per
// distinct port and channel. An envelope transition follows
// its pooled envelope (sequencer/transition_envelope.h) step by step over the same
// length.
#include <algorithm>
#include <array>
#include <climits>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "objects/hairpin/hairpin.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_playback.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_objects.h"
#include "sequencer/midi_destinations.h"
#include "sequencer/perform_steps.h"

namespace ql {
namespace {

using perform_detail::Destinations;
using perform_detail::EachStep;
using perform_detail::kTicksPerInterval;
using perform_detail::kTimingEnvelope;
using perform_detail::kTimingSingle;
using perform_detail::PlaceControl;
using perform_detail::PortChannel;
using perform_detail::TransitionShape;

constexpr int kMaxListObjects = 64 * 1024;
constexpr uint32_t kTickShift = 16;  // a time-anchored object's tick: the position's upper half
constexpr int32_t kRatePerSixteenth = 256;  // ticks per minute of one sixteenth a minute
constexpr int kMaxData = 127;
constexpr int kMaxDelta = 127;
constexpr uint8_t kDestinationAllStaves = 1;
constexpr int kMaxDynamicsStaves = 64;
constexpr int kOctave = 12;
constexpr uint8_t kShiftUp = 1;
constexpr uint8_t kShiftDown = 2;
constexpr int kShiftByteShift = 24;  // byte 3 of the message
constexpr uint8_t kTimeAnchoredSubtype = 0;

int32_t ObjectTick(const ScoreObject* object) {
    return static_cast<int32_t>(AsTextObject(object)->body.location.position >> kTickShift);
}

// A mark's transition runs over its interval (at least one sixteenth).
TransitionShape MarkTransition(const MidiAction& action) {
    return TransitionShape{std::max<int32_t>(action.interval, 1) * kTicksPerInterval, kEnvelopeDivisor};
}

// A tempo mark: its rate once, as a gradual change, or along its envelope (in
// beats of its unit, which become sixteenths a minute). Rates are held to the
// engine's range only.
bool PerformTempo(PerformanceRun& run, int staff, int32_t at, ScoreObject* object) {
    const MidiAction& action = *MidiActionOfText(object);
    const auto place = [&](int32_t t, int32_t sixteenths) {
        const uint32_t rate = std::clamp<uint32_t>(static_cast<uint32_t>(std::max(sixteenths, 1)) * kRatePerSixteenth,
                                                   kMinRate, kMaxRate);
        return PlaceControl(run, staff, PerformanceEventKind::Tempo, 0, at + t, rate);
    };
    if (MidiTimingOf(action) == kTimingEnvelope) {
        if ((action.flags & kMidiFlagEnabled) == 0) return true;
        return EachStep(run, action, MarkTransition(action), 0, 0, true, [&](int32_t t, int32_t beats) {
            return place(t, TempoSixteenthsPerMinute(object, beats));
        });
    }
    TempoRates rates;
    if (!TempoPlaybackRates(object, &rates)) return true;
    return EachStep(run, action, MarkTransition(action), rates.start, rates.end, true, place);
}

void AddDynamics(PerformanceRun& run, int staff, const MidiAction& action, int32_t time, int delta) {
    const uint8_t destination = action.destinationTiming & kMidiDestinationMask;
    uint64_t staves = 0;
    if (destination == kDestinationAllStaves) staves = ~uint64_t{0};
    for (const DestinationStaff& d : DestinationStaves(run.document, staff, destination, action.namedStaff))
        staves |= uint64_t{1} << (std::clamp(d.staff, 1, kMaxDynamicsStaves) - 1);
    uint8_t voices = static_cast<uint8_t>((action.flags & kMidiVoiceMask) >> kMidiVoiceShift);
    if (voices == 0) voices = (1 << kVoicesPerStaff) - 1;
    const int8_t clamped = static_cast<int8_t>(std::clamp(delta, -kMaxDelta, kMaxDelta));
    for (DynamicsEntry& entry : run.dynamics) {
        if (entry.time == time && entry.delta == clamped) {
            entry.staves |= staves;
            entry.voices |= voices;
            return;
        }
    }
    run.dynamics.insert(run.dynamics.begin(), DynamicsEntry{time, staves, voices, clamped});
}

// A dynamic, hairpin or pedal action: velocity changes (dynamics and hairpins
// with Key velocity), or the controller's messages on each destination.
bool PerformAction(PerformanceRun& run, int staff, int32_t at, const MidiAction* action, bool velocityKind) {
    if (action == nullptr || MidiKindOf(*action) == kMidiKindData) return true;
    const bool enveloped = MidiTimingOf(*action) == kTimingEnvelope;
    const int32_t start = enveloped ? 0 : action->head.values.value;
    const int32_t end = enveloped ? 0 : action->head.values.finalValue;
    if (velocityKind && (action->flags & kMidiFlagKeyVelocity) != 0) {
        return EachStep(run, *action, MarkTransition(*action), start, end, false, [&](int32_t t, int32_t value) {
            AddDynamics(run, staff, *action, at + t, value);
            return true;
        });
    }
    const int controller = action->controller & kMaxData;
    const bool single = MidiTimingOf(*action) == kTimingSingle;
    for (const PortChannel& pc : Destinations(run, staff, *action)) {
        const bool made = EachStep(run, *action, MarkTransition(*action), start, end, false, [&](int32_t t, int32_t value) {
            for (const uint32_t message : ControllerMessages(pc.channel, controller, value, single))
                if (!PlaceControl(run, staff, PerformanceEventKind::Channel, pc.port, at + t, message)) return false;
            return true;
        });
        if (!made) return false;
    }
    return true;
}

// A hairpin: its action as a transition over its span, from its first anchor's
// tick in the measure.
bool PerformHairpin(PerformanceRun& run, int staff, const PlayedMeasure& measure, ScoreObject* object) {
    const HairpinObject& hairpin = *AsHairpin(object);
    MidiAction action{};
    if (!HairpinPlaybackAction(hairpin, run.document, measure.measure, &action)) return true;
    const int32_t at = measure.start + std::min<int32_t>(hairpin.points[0].coarse[1], measure.length);
    return PerformAction(run, staff, at, &action, true);
}

// An octave sign of the staff: up for the 8va label, down for the 8vb labels or,
// with a typed label, when the end hook points up. Its range goes into the table;
// with the table full, octave-shift events at its ends instead.
bool PerformOctaveLine(PerformanceRun& run, int staff, const PlayedMeasure& measure, ScoreObject* object) {
    if (object->subtype != kTimeAnchoredSubtype) return true;
    const TextSpanner& line = *reinterpret_cast<const TextSpanner*>(object);
    const SpannerEndpoint& ends = line.spanner.endpoint;
    const uint16_t label = line.text.body.string;
    const bool glyph = (line.text.body.flags & kTextOwnsString) == 0;
    bool up = ends.endHook >= 0;
    if (glyph && label == kOctaveAboveCode) up = true;
    if (glyph && (label == kOctaveBelowCode || label == kOctaveKeptBelowCode)) up = false;
    const int first = measure.measure + static_cast<int16_t>(ends.start.coarse[0]);
    const int second = measure.measure + static_cast<int16_t>(ends.end.coarse[0]);
    const int64_t length =
        int64_t{ends.end.coarse[1]} - ends.start.coarse[1] + PlayedTicksOfMeasures(run.document, first, second);
    const int32_t start = measure.start + std::min<int32_t>(ends.start.coarse[1], measure.length);
    const int32_t end = start + static_cast<int32_t>(std::clamp<int64_t>(length, 0, INT32_MAX / 2));
    if (run.octaves.size() < kMaxOctaveRanges) {
        run.octaves.push_back(OctaveRange{staff, start, end, up});
        return true;
    }
    return PlaceControl(run, staff, PerformanceEventKind::OctaveShift, 0, start,
                        static_cast<uint32_t>(up ? kShiftUp : kShiftDown) << kShiftByteShift) &&
           PlaceControl(run, staff, PerformanceEventKind::OctaveShift, 0, end, 0);
}

// The MIDI event objects and articulations with MIDI attached to the notes of the
// cell's voices, each at its note's tick.
bool PerformNoteAttachments(PerformanceRun& run, int staff, const PlayedMeasure& measure, MeasureCell* cell) {
    for (int voice = 0; voice < kVoicesPerStaff; ++voice) {
        EventRecord* note = GetVoiceFirstEvent(cell, voice);
        for (int guard = 0; note != nullptr && guard < kMaxListObjects; ++guard, note = NextEvent(note)) {
            if (IsHeadSentinel(*note)) continue;
            const int32_t at = measure.start + std::min<int32_t>(note->time, measure.length);
            ScoreObject* object = GetEventAttachment(note);
            for (int i = 0; object != nullptr && i < kMaxListObjects; ++i, object = object->next.get()) {
                if (object->type != TypeCode(ObjectType::MidiEvent) &&
                    object->type != TypeCode(ObjectType::NoteArticulation))
                    continue;
                if (!PerformMidiEventObject(run, staff, at, object)) return false;
            }
        }
    }
    return true;
}

}  // namespace

bool PerformCellObjects(PerformanceRun& run, int staff, const PlayedMeasure& measure) {
    MeasureCell* cell = ExistingMeasureCell(run.document, staff, measure.measure);
    ScoreObject* object = cell != nullptr ? cell->objects.get() : nullptr;
    for (int i = 0; object != nullptr && i < kMaxListObjects; ++i, object = object->next.get()) {
        bool made = true;
        if (object->type == TypeCode(ObjectType::Hairpin)) {
            made = PerformHairpin(run, staff, measure, object);
        } else if (object->type == TypeCode(ObjectType::Octave)) {
            made = PerformOctaveLine(run, staff, measure, object);
        } else {
            const int32_t at = measure.start + std::min(ObjectTick(object), measure.length);
            if (object->type == TypeCode(ObjectType::Tempo)) made = PerformTempo(run, staff, at, object);
            else if (object->type == TypeCode(ObjectType::Dynamic))
                made = PerformAction(run, staff, at, MarkPlaybackAction(object), true);
            else if (object->type == TypeCode(ObjectType::Pedal))
                made = PerformAction(run, staff, at, MarkPlaybackAction(object), false);
            else if (object->type == TypeCode(ObjectType::MidiEvent) ||
                     object->type == TypeCode(ObjectType::NoteArticulation))
                made = PerformMidiEventObject(run, staff, at, object);
        }
        if (!made) return false;
    }
    return cell == nullptr || PerformNoteAttachments(run, staff, measure, cell);
}

int OctaveShiftAt(const PerformanceRun& run, int staff, int32_t time) {
    for (const OctaveRange& range : run.octaves)
        if (range.staff == staff && time >= range.start && time < range.end) return range.up ? kOctave : -kOctave;
    return 0;
}

int DynamicsDelta(const PerformanceRun& run, int staff, int voice, int32_t time) {
    const DynamicsEntry* best = nullptr;
    const uint64_t staffBit = uint64_t{1} << (std::clamp(staff, 1, kMaxDynamicsStaves) - 1);
    for (const DynamicsEntry& entry : run.dynamics) {
        if (entry.time > time || (entry.staves & staffBit) == 0 || (entry.voices & (1 << voice)) == 0) continue;
        if (best == nullptr || entry.time > best->time) best = &entry;
    }
    return best != nullptr ? best->delta : 0;
}

}  // namespace ql
