// The room of each staff in a system (layout/staff_room.h). Every y here counts
// from the staff's bottom line (the view's staff y), down the page, in logical
// units at the staff's size: a note's head is centred on its step (64 units each,
// negative upwards), its stem's free end lies its stem length from the carrier's
// head, the marks on a note count from its head (from the staff when they say so),
// a lyric from its verse line.
#include "layout/staff_room.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "core/constants.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/system_drawing.h"
#include "layout/page_chain.h"
#include "layout/marks_above_staff.h"
#include "layout/page_fit.h"
#include "layout/spacing/accidental_columns.h"
#include "layout/spacing/spacing_list.h"
#include "notes/accidentals/accidental.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/lyrics/lyric.h"

namespace ql {

using namespace pages;

namespace {

constexpr int64_t kUnitsPerStep = 64;
constexpr int64_t kHalfHead = 64;
constexpr uint8_t kClefNibble = 0x0F;

// How far a clef's ink passes the staff's top and bottom lines, by clef kind: a G
// clef's curl and tail, an octave figure over or under it, an F clef's top.
constexpr std::array<VerticalReach, kClefKindCount> kClefReach = {{
    {192, 160},  // Treble
    {0, 0},      // Tenor
    {0, 0},      // Alto
    {32, 0},     // Bass
    {0, 0},      // Baritone
    {0, 0},      // Percussion
    {352, 160},  // Treble 8va above
    {192, 320},  // Treble 8va below
    {192, 0},    // Bass 8va above
    {32, 160},   // Bass 8va below
    {0, 0},      // Soprano
    {0, 0},      // TAB
    {0, 0},      // Mezzo Soprano
    {0, 0},      // (Modern) Tenor
    {0, 0},      // second Baritone form
}};

double StaffScale(const ScoreDocument* document, int staff) {
    const StaffRecord* record = StaffRecordOf(const_cast<ScoreDocument*>(document), staff);
    const uint8_t percent = record != nullptr ? StaffSizePercent(*record) : 0;
    return percent != 0 ? percent * kPercent : 1.0;
}

// A note's head with its accidental (the sign's glyph stands on the head's
// centre) and, on the chord's stem carrier, its stem out to the beam.
void TakeNoteReach(const ScoreDocument& document, const EventRecord& note, double scale, VerticalReach* reach) {
    const int64_t head = SignedStep(note) * kUnitsPerStep;
    int64_t top = head - kHalfHead;
    int64_t bottom = head + kHalfHead;
    if (NoteHasAccidental(note)) {
        const GlyphMetricEntry sign = GlyphMetricOf(document, AccidentalGlyphOfCode(NoteAccidentalCode(note)));
        top = std::min(top, head - sign.outline[kOutlineInkTop]);
        bottom = std::max(bottom, head - sign.outline[kOutlineInkBottom]);
    }
    if (IsStemCarrier(note) && !IsStemHidden(note) && note.duration < CodeOf(DurationCode::Whole)) {
        top = std::min(top, head + note.stemLength);
        bottom = std::max(bottom, head + note.stemLength);
    }
    reach->Take(static_cast<int64_t>(top * scale), static_cast<int64_t>(bottom * scale));
}

// The marks attached to a note, or only its articulations: lyrics from their verse
// lines (unless left out), the others from the head or the staff.
void TakeAttachedReach(ScoreView* view, EventRecord* note, double scale, VerticalReach* reach,
                       NoteLyrics lyrics = NoteLyrics::Counted, bool articulationsOnly = false) {
    const uint16_t* levels = view->document->header.lyricLevels;
    ScoreObject* head = GetEventAttachment(note);
    int guard = 0;
    for (ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
         object != nullptr && guard < kMaxChainLength; object = object->next.get(), ++guard) {
        const bool articulation = object->type == TypeCode(ObjectType::NoteArticulation);
        if (articulationsOnly && !articulation) continue;
        int64_t origin = SignedStep(*note) * kUnitsPerStep;
        if (object->type == TypeCode(ObjectType::Lyric)) {
            if (lyrics == NoteLyrics::LeftOut) continue;
            origin = static_cast<int16_t>(levels[LyricVerse(AsTextObject(object))]);
        } else if (articulation && (AsTextObject(object)->body.flags & kTextYFromStaff) != 0) {
            origin = 0;
        }
        TakeMarkReach(view, object, static_cast<int64_t>(origin * scale), scale, reach);
    }
}

// The reach of one staff's notes and marks from its bottom line (up and down the
// page).
InkReach ReachFromBottomLine(ScoreView* view, const ScoreSystem* system, int staff) {
    ScoreDocument* document = view->document;
    const double scale = StaffScale(document, staff);
    InkReach reach{{}, MarksReachOfStaff(view, system, staff)};
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
            EventRecord* e = GetVoiceFirstEvent(cell, voice);
            for (int n = 0; e != nullptr && n < kMaxChainLength; e = NextEvent(e), ++n) {
                if (IsHeadSentinel(*e) || IsCrossStaff(*e)) continue;
                TakeNoteReach(*document, *e, scale, &reach.notes);
                TakeAttachedReach(view, e, scale, &reach.marks);
            }
        }
    }
    const int64_t height = static_cast<int64_t>(kStaffHeight * scale);
    if (const int64_t lines = LinesPastTopLine(document, staff); lines > 0) reach.notes.Take(-height - lines, 0);
    if (const MeasureCell* cell = ExistingMeasureCell(document, staff, system->firstMeasure)) {
        const int clef = cell->clefKey & kClefNibble;
        if (IsValidClef(clef)) reach.marks.Take(-height - kClefReach[clef].above, kClefReach[clef].below);
    }
    return reach;
}

// A measure number stands over the first shown staff (display/system_marks.cpp):
// its baseline at the settings' offset above the top line, a quarter space over the
// clef at a system's start and over the notes within a head and a space of its
// digits. Its digits rise at most this high, each at most this wide.
constexpr int64_t kNumberInk = 192;
constexpr int64_t kNumberClearance = 32;
constexpr int64_t kDigitWidth = 128;
constexpr int64_t kNumberInset = 8;
constexpr int64_t kNearNumber = 208;
constexpr uint8_t kNumberCentred = 0;
constexpr int kMostDigits = 5;

// The highest note ink (from the bottom line) of a measure of the staff whose x,
// from the measure's opening barline with its signs and lead left out (which only
// take the notes further from it), lies in [left, right]; 0 when none does.
int64_t NotesTopBetween(ScoreDocument* document, int staff, int measure, int64_t left, int64_t right, double scale) {
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    VerticalReach reach;
    for (int voice = 0; record != nullptr && cell != nullptr && voice < kVoiceCount; ++voice) {
        EventRecord* e = GetVoiceFirstEvent(cell, voice);
        for (int n = 0; e != nullptr && n < kMaxChainLength; e = NextEvent(e), ++n) {
            const int64_t x = SpacingTickX(*record, e->time);
            if (!IsHeadSentinel(*e) && !IsCrossStaff(*e) && x >= left && x <= right)
                TakeNoteReach(*document, *e, scale, &reach);
        }
    }
    return -reach.above;
}

// The measure numbers a page shows over the staff in the system, as high as they
// may stand.
void TakeNumbersReach(ScoreView* view, const ScoreSystem* system, int staff, double scale, VerticalReach* reach) {
    ScoreDocument* document = view->document;
    const PageRecord& settings = document->header.pageGeometry;
    const int64_t topLine = -static_cast<int64_t>(kStaffHeight * scale) - LinesPastTopLine(document, staff);
    const MeasureCell* first = ExistingMeasureCell(document, staff, system->firstMeasure);
    const int clef = first != nullptr ? first->clefKey & kClefNibble : -1;
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        const int slot = measure - system->firstMeasure + 1;
        const MeasureRecord* record = MeasureRecordOf(document, measure);
        if (record == nullptr || !IsMeasureNumberDueIn(document, system, slot, true)) continue;
        int64_t baseline = topLine - static_cast<int64_t>(settings.measureNumberOffsetY * scale);
        if (slot == 1 && IsValidClef(clef))
            baseline = std::min(baseline, topLine - kClefReach[clef].above - kNumberClearance);
        const int64_t width = kDigitWidth * std::min<int>(kMostDigits, std::to_string(record->number).size());
        const int64_t left = settings.measureNumberOffsetX + kNumberInset -
                             (settings.measureNumberAlign == kNumberCentred ? width / 2 : 0) - kNearNumber;
        const int64_t right = left + width + 2 * kNearNumber;
        int64_t notes = NotesTopBetween(document, staff, measure, left, right, scale);
        if (const MeasureRecord* before = MeasureRecordOf(document, measure - 1); slot > 1 && before != nullptr)
            notes = std::min(notes, NotesTopBetween(document, staff, measure - 1, left + before->width,
                                                    right + before->width, scale));
        baseline = std::min(baseline, notes - kNumberClearance);
        // x from this measure's opening barline, as left and right are.
        const TimeX xOf = [&](int at, int tick, int offset) {
            int64_t x = 0;
            for (int k = measure; k < at; ++k)
                if (const MeasureRecord* passed = MeasureRecordOf(document, k)) x += passed->width;
            for (int k = at; k < measure; ++k)
                if (const MeasureRecord* passed = MeasureRecordOf(document, k)) x -= passed->width;
            const MeasureRecord* own = MeasureRecordOf(document, at);
            return x + (own != nullptr ? SpacingTickX(*own, tick) : 0) + offset;
        };
        baseline = std::min(baseline, LinesTopOver(view, system, staff, left, right, scale, xOf) - kNumberClearance);
        reach->Take(baseline - kNumberInk, baseline);
    }
}

// A reach from the bottom line made one past the staff's outer lines.
VerticalReach PastLines(const VerticalReach& raw, int64_t height) {
    return {std::max<int64_t>(raw.above - height, 0), std::max<int64_t>(raw.below, 0)};
}

// The rooms a living ScopedSystemRooms keeps; null when none lives.
std::unordered_map<const ScoreSystem*, InkReach>* g_systemRooms = nullptr;

// The room of the system's shown staves, measured (see SystemRoomOf).
InkReach MeasureSystemRoom(ScoreView* view, const ScoreSystem* system, const uint16_t* offsets, const int8_t* flags);

bool IsShown(const int8_t* flags, int staff) { return (static_cast<uint8_t>(flags[staff]) & kHiddenStaff) == 0; }

}  // namespace

int64_t LinesPastTopLine(ScoreDocument* document, int staff) {
    constexpr int kFiveLines = 5;
    const StaffRecord* record = document != nullptr ? StaffRecordOf(document, staff) : nullptr;
    const int lines = record != nullptr ? StaffLineCount(*record) : 0;
    return lines > kFiveLines
               ? static_cast<int64_t>((lines - kFiveLines) * kUnitsPerStaffSpace * StaffScale(document, staff))
               : 0;
}

int64_t FirstStaffLinesPastTopLine(ScoreDocument* document, const ScoreSystem* system) {
    const int8_t* flags = StaffFlagsOf(system);
    for (int staff = 1; document != nullptr && flags != nullptr && staff <= document->header.staffCount; ++staff)
        if (IsShown(flags, staff)) return LinesPastTopLine(document, staff);
    return 0;
}

VerticalReach AttachedMarksReach(ScoreView* view, EventRecord* note, double scale, NoteLyrics lyrics) {
    VerticalReach reach;
    if (view != nullptr && view->document != nullptr && note != nullptr)
        TakeAttachedReach(view, note, scale, &reach, lyrics);
    return reach;
}

bool ArticulationsReach(ScoreView* view, EventRecord* note, VerticalReach* reach) {
    constexpr int64_t kNone = INT64_MIN / 4;
    VerticalReach taken{kNone, kNone};
    if (view != nullptr && view->document != nullptr && note != nullptr)
        TakeAttachedReach(view, note, 1.0, &taken, NoteLyrics::Counted, true);
    if (taken.above == kNone && taken.below == kNone) return false;
    *reach = taken;
    return true;
}

VerticalReach InkReach::All() const {
    VerticalReach all = notes;
    all.Take(marks);
    return all;
}

std::vector<InkReach> StaffRoomsOf(ScoreView* view, const ScoreSystem* system) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr) return {};
    std::vector<InkReach> rooms(static_cast<size_t>(document->header.staffCount) + 1);
    const int8_t* flags = StaffFlagsOf(system);
    bool numbered = false;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        InkReach raw = ReachFromBottomLine(view, system, staff);
        const double scale = StaffScale(document, staff);
        if (!numbered && flags != nullptr && IsShown(flags, staff)) {
            TakeNumbersReach(view, system, staff, scale, &raw.marks);
            numbered = true;
        }
        const auto height = static_cast<int64_t>(kStaffHeight * scale);
        rooms[static_cast<size_t>(staff)] = {PastLines(raw.notes, height), PastLines(raw.marks, height)};
    }
    return rooms;
}

int64_t StaffDistanceFor(const VerticalReach& upper, const VerticalReach& lower) {
    return upper.below + kStaffPaper + lower.above + kStaffHeight;
}

InkReach SystemRoomOf(ScoreView* view, const ScoreSystem* system) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    if (view == nullptr || view->document == nullptr || offsets == nullptr || flags == nullptr) return {};
    if (g_systemRooms == nullptr) return MeasureSystemRoom(view, system, offsets, flags);
    const auto known = g_systemRooms->find(system);
    if (known != g_systemRooms->end()) return known->second;
    return g_systemRooms->emplace(system, MeasureSystemRoom(view, system, offsets, flags)).first->second;
}

ScopedSystemRooms::ScopedSystemRooms() : previous_(g_systemRooms) { g_systemRooms = &rooms_; }

ScopedSystemRooms::~ScopedSystemRooms() { g_systemRooms = previous_; }

namespace {

InkReach MeasureSystemRoom(ScoreView* view, const ScoreSystem* system, const uint16_t* offsets, const int8_t* flags) {
    InkReach room;
    const std::vector<InkReach> staves = StaffRoomsOf(view, system);
    const int64_t last = LastShownStaffOffset(view->document, system);
    int64_t first = -1;
    for (int staff = 1; staff <= view->document->header.staffCount; ++staff) {
        if (!IsShown(flags, staff)) continue;
        if (first < 0) first = offsets[staff];
        const InkReach& own = staves[static_cast<size_t>(staff)];
        room.notes.Take(offsets[staff] - first - own.notes.above, offsets[staff] + own.notes.below - last);
        room.marks.Take(offsets[staff] - first - own.marks.above, offsets[staff] + own.marks.below - last);
    }
    return room;
}

}  // namespace

void SpaceStavesByRoom(ScoreView* view, ScoreSystem* system) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    if (document == nullptr || offsets == nullptr || flags == nullptr) return;
    const std::vector<InkReach> rooms = StaffRoomsOf(view, system);
    const int64_t separation = StaffSeparation(document);
    int64_t running = 0;
    int above = 0;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        if (IsShown(flags, staff)) {
            if (above != 0)
                running += std::max(separation, StaffDistanceFor(rooms[static_cast<size_t>(above)].All(),
                                                                 rooms[static_cast<size_t>(staff)].All()));
            above = staff;
        }
        offsets[staff] = static_cast<uint16_t>(std::min<int64_t>(running, UINT16_MAX));
    }
}

}  // namespace ql
