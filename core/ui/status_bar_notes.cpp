// The status-bar description of the note or rest under the cursor, with the
// search for the dynamic mark in force.
#include "core/ui/status_bar_notes.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/objects/class_table.h"
#include "core/constants.h"
#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/objects/midi_action.h"
#include "core/model/score_document.h"
#include "core/services/display_services.h"
#include "core/state.h"
#include "core/ui/status_bar.h"

namespace ql {
namespace {

constexpr uint16_t kWord2TieEnds = 0x0010;
constexpr uint16_t kWord2TieStarts = 0x0020;
constexpr uint16_t kFlagSoundHidden = 0x0200;
constexpr uint16_t kFlagCrossStaff = 0x0400;
constexpr uint16_t kStemCrossAbove = 0x8000;

// Dynamic marks: the scope is the low nibble of the byte after the flags word,
// which as a whole is the mode byte.
constexpr uint8_t kScopeMask = 0x0F;
constexpr uint8_t kAbsoluteModeAbove = 15;
constexpr int kMinimumVolume = 0;
constexpr int kMaximumVolume = 127;
constexpr int kPositionTickShift = 16;

// Staff scopes of a dynamic mark, relative to the staff holding it.
enum StaffScope : uint8_t {
    kScopeThisStaff = 0,
    kScopeEveryStaff = 1,
    kScopeGroup = 2,
    kScopeThisOrNamed = 3,
    kScopeGroupOrNamed = 4,
    kScopeThisOrNamedGroup = 6,
    kScopeGroupOrNamedGroup = 7,
};

// Fixed tuplet ratios (tuplet kind 1) as shown: notes played, in the time of.
struct ShownRatio {
    int played;
    int inTimeOf;
};
constexpr ShownRatio kFixedTupletShown[] = {
    {3, 2}, {5, 4}, {6, 4}, {7, 4}, {9, 8}, {11, 8}, {2, 3}, {4, 3}, {4, 6},
};
constexpr int kTupletFixed = 1;
constexpr int kTupletOwn = 2;
constexpr int kNibbleBits = 4;
constexpr uint8_t kNibbleMask = 0x0F;

struct StaffRange {
    int first;
    int last;
    bool Contains(int staff) const { return staff >= first && staff <= last; }
};

// The narrower of the staff's barline group and brace group; on equal size the one
// starting at the lower staff; a staff in neither is its own group.
StaffRange GroupOf(ScoreView* view, int staff) {
    StaffRange bar{display::FirstStaffOfBarGroup(view, staff),
                   display::LastStaffOfBarGroup(view, staff)};
    StaffRange brace{display::FirstStaffOfBrace(view, staff),
                     display::LastStaffOfBrace(view, staff)};
    bool inBar = bar.Contains(staff) && bar.last > bar.first;
    bool inBrace = brace.Contains(staff) && brace.last > brace.first;
    if (!inBar && !inBrace) return {staff, staff};
    if (!inBrace) return bar;
    if (!inBar) return brace;
    int barSize = bar.last - bar.first;
    int braceSize = brace.last - brace.first;
    if (barSize != braceSize) return barSize < braceSize ? bar : brace;
    return bar.first <= brace.first ? bar : brace;
}

bool ScopeReaches(ScoreView* view, const DynamicMark& mark, int markStaff, int noteStaff) {
    auto inGroupOf = [&](int staff) { return GroupOf(view, staff).Contains(noteStaff); };
    bool isThis = noteStaff == markStaff;
    bool isNamed = noteStaff == mark.namedStaff;
    switch (mark.scope) {
        case kScopeThisStaff:
            return isThis;
        case kScopeEveryStaff:
            return true;
        case kScopeGroup:
            return inGroupOf(markStaff);
        case kScopeThisOrNamed:
            return isThis || isNamed;
        case kScopeGroupOrNamed:
            return inGroupOf(markStaff) || isNamed;
        case kScopeThisOrNamedGroup:
            return isThis || inGroupOf(mark.namedStaff);
        case kScopeGroupOrNamedGroup:
            return inGroupOf(markStaff) || inGroupOf(mark.namedStaff);
        default:
            return false;
    }
}

// The best candidate of one measure, over all staves; false when none.
bool FindMarkInMeasure(ScoreView* view, int measure, int noteStaff, int voice, int limitTick,
                       DynamicMark* best) {
    ScoreDocument* document = view->document;
    bool found = false;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* head = cell != nullptr ? cell->objects.get() : nullptr;
        for (ScoreObject* object = head != nullptr ? head->next.get() : nullptr; object != nullptr;
             object = object->next.get()) {
            if (object->type != TypeCode(ObjectType::Dynamic)) continue;
            DynamicMark mark = ReadDynamicMark(object);
            if (!mark.enabled || (mark.voiceMask != 0 && (mark.voiceMask & (1u << voice)) == 0))
                continue;
            if (mark.tick > limitTick || !ScopeReaches(view, mark, staff, noteStaff)) continue;
            if (!found || mark.tick > best->tick) *best = mark;
            found = true;
        }
    }
    return found;
}

std::string Format(int32_t id, auto... values) {
    std::string format = ProgramString(id);
    char text[kStatusTextBytes];
    std::snprintf(text, sizeof text, format.c_str(), values...);
    return text;
}

std::string TupletSuffix(const EventRecord& event) {
    auto ratioOf = [](uint8_t kind, uint8_t ratio) -> ShownRatio {
        if (kind == kTupletFixed && ratio < std::size(kFixedTupletShown))
            return kFixedTupletShown[ratio];
        return ShownRatio{ratio >> kNibbleBits, ratio & kNibbleMask};
    };
    if (event.tupletKind != kTupletFixed && event.tupletKind != kTupletOwn) return {};
    ShownRatio inner = ratioOf(event.tupletKind, event.tupletRatio);
    char text[kStatusTextBytes];
    if (event.outerRatio != 0) {
        ShownRatio outer = ratioOf(kTupletOwn, event.outerRatio);
        std::snprintf(text, sizeof text, " ((%d/%d)%d/%d)", outer.played, outer.inTimeOf,
                      inner.played, inner.inTimeOf);
    } else {
        std::snprintf(text, sizeof text, " (%d/%d)", inner.played, inner.inTimeOf);
    }
    return text;
}

std::string TickAndLength(int tick, int length) {
    bool shortForm = State().program.ShortStatusForm != 0;
    return Format(shortForm ? kStrTickLengthShort : kStrTickLength, tick, length);
}

std::string VolumeText(const NoteVolume& volume, int base, int key) {
    if (!volume.found) return Format(kStrVolumeNoMark, volume.volume, base, key);
    if (volume.mark.absolute) return Format(kStrVolumeAbsolute, volume.volume, volume.volume, key);
    return Format(kStrVolumeRelative, volume.volume, base, static_cast<int>(volume.mark.level),
                  key);
}

int StaffBaseVelocity(ScoreDocument* document, int staff) {
    StaffRecord* record = StaffRecordOf(document, staff);
    return record != nullptr ? record->baseKeyVelocity : 0;
}

}  // namespace

int16_t NoteAttack(const EventRecord& event) {
    return event.attack;
}
int16_t NoteRelease(const EventRecord& event) {
    return event.release;
}
int8_t NoteKeyVelocity(const EventRecord& event) {
    return event.velocity;
}
bool IsNoteTiedLeft(const EventRecord& event) {
    return (event.word2 & kWord2TieEnds) != 0;
}
bool IsNoteTiedRight(const EventRecord& event) {
    return (event.word2 & kWord2TieStarts) != 0;
}
bool IsNoteCrossStaff(const EventRecord& event) {
    return (event.flags & kFlagCrossStaff) != 0;
}
bool IsCrossStaffAbove(const EventRecord& event) {
    return (event.stemWord & kStemCrossAbove) != 0;
}
bool IsNoteMuted(const EventRecord& event) {
    return (event.flags & kFlagSoundHidden) != 0;
}

MeasureCell* ExistingMeasureCell(ScoreDocument* document, int staff, int measure) {
    StaffRecord* record = StaffRecordOf(document, staff);
    if (record == nullptr || measure < 0 || measure >= MaxMeasures) return nullptr;
    CellHandleArray* cells = CellArrayOf(record);
    if (cells == nullptr) return nullptr;
    return FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[measure]);
}

int VoiceNumberShown(int voiceIndex) {
    if (voiceIndex == 1) return 3;
    if (voiceIndex == 2) return 2;
    return voiceIndex + 1;
}

DynamicMark ReadDynamicMark(ScoreObject* object) {
    DynamicMark mark;
    // Only a mark that sits in a MIDI-carrying outer record has an action before it.
    const MidiAction* action = MidiActionOfText(object);
    if (action == nullptr || action->classId != kMidiActionClass) return mark;
    mark.enabled = (action->flags & kMidiFlagEnabled) != 0;
    mark.voiceMask = static_cast<uint8_t>((action->flags & kMidiVoiceMask) >> kMidiVoiceShift);
    mark.scope = action->destinationTiming & kScopeMask;
    mark.namedStaff = action->namedStaff;
    mark.absolute = action->destinationTiming > kAbsoluteModeAbove;
    mark.level = action->head.values.value;
    mark.tick =
        static_cast<int32_t>(LoadField<uint32_t>(object->BodyBytes()) >> kPositionTickShift);
    return mark;
}

NoteVolume ComputeNoteVolume(ScoreView* view, const EventRecord& event, int staff, int measure,
                             int voice) {
    NoteVolume result;
    ScoreDocument* document = view->document;
    for (int m = measure; m >= 0 && !result.found; --m) {
        int limit = m == measure ? event.time : INT32_MAX;
        result.found = FindMarkInMeasure(view, m, staff, voice, limit, &result.mark);
    }
    int key = NoteKeyVelocity(event);
    int base = StaffBaseVelocity(document, staff);
    if (!result.found) {
        result.volume = base + key;
    } else {
        int raw = result.mark.absolute ? result.mark.level : key + result.mark.level + base;
        result.volume = std::clamp(raw, kMinimumVolume, kMaximumVolume);
    }
    if (IsNoteMuted(event)) result.volume = 0;
    return result;
}

void DescribeNote(ScoreView* view, const EventRecord* event) {
    if (view == nullptr || event == nullptr || view->document == nullptr) return;
    std::string timing = Format(kStrAttackRelease, NoteAttack(*event), NoteRelease(*event));
    if (IsNoteTiedLeft(*event)) timing += ProgramString(kStrTiedLeft);
    if (IsNoteTiedRight(*event)) timing += ProgramString(kStrTiedRight);
    SetStatusText(1, timing.c_str());

    // A cross-staff note is described on the staff it is drawn on.
    int staff = view->currentStaff;
    bool cross = IsNoteCrossStaff(*event);
    if (cross) {
        bool above = IsCrossStaffAbove(*event) && staff > 1;
        staff = above ? staff - 1 : std::min<int>(staff + 1, view->document->header.staffCount);
    }
    int voice = ActiveVoiceOfMask(view->voiceMask);
    std::string part0 = cross ? Format(kStrStaffVoice, staff, VoiceNumberShown(voice))
                              : Format(kStrNoteVoice, VoiceNumberShown(voice));
    NoteVolume volume = ComputeNoteVolume(view, *event, staff, view->currentMeasure, voice);
    part0 += VolumeText(volume, StaffBaseVelocity(view->document, staff), NoteKeyVelocity(*event));
    SetStatusText(0, part0.c_str());

    std::string part2 =
        TickAndLength(event->time, EventDurationTicks(*event)) + TupletSuffix(*event);
    SetStatusText(2, part2.c_str());
}

void DescribeRest(const ScoreObject* rest, int voice) {
    if (rest == nullptr) return;
    SetStatusText(0, Format(kStrRestVoice, VoiceNumberShown(voice)).c_str());
    SetStatusText(1, nullptr);
    SetStatusText(2, TickAndLength(ElementTime(rest), ElementDurationTicks(rest)).c_str());
}

}  // namespace ql
