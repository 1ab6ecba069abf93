// The small rules of note entry: the active voice, the value from the note palette,
// the staff step under the pointer, the first stem of a new note, the palette toggles
// written into it, the note under the pointer, whether a time slot is shared with
// another item of the measure, and the entry context.
#include <cstdlib>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/ui/status_bar_notes.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/note_entry.h"
#include "notes/rests/rest.h"
#include "notes/rests/staff_place.h"
#include "notes/stems/stems.h"

namespace ql {

namespace {

// Palette entries with a meaning of their own.
constexpr int kDoubleWholeEntry = 0;
constexpr int kWholeEntry = 1;
constexpr int kFirstShortEntry = 6;
constexpr int kDoubleWholeCode = 13;
constexpr int kWholeCode = 12;
constexpr int kLongEntryBase = 13;    // entries 2..5: code = 13 - entry
constexpr int kThirtySecondCode = 7;
constexpr int kShortStripBase = 43;   // entries 6 and up off strip 15: 43 - strip
constexpr int kShortestCode = 4;

// Half of a step (view units) rounds a distance to the nearest step.
constexpr int kHalfStep = 32;
constexpr int kStepShift = 6;

// Tuplet bytes of a note.
constexpr uint8_t kFixedTuplet = 1;
constexpr uint8_t kOwnTuplet = 2;
constexpr int kNibble = 4;
constexpr int kNibbleMask = 0x0F;

// flags bits 11-15: note-head shape; word2 bits 0-1: dots.
constexpr int kNoteHeadShift = 11;
constexpr uint16_t kNoteHeadMask = 0xF800;

// The pointer finds a note within this many units when no head width is known.
constexpr int32_t kDefaultHalfColumn = 75;

uint8_t PackRatio(int actual, int normal) {
    return static_cast<uint8_t>(((actual & kNibbleMask) << kNibble) | (normal & kNibbleMask));
}

}  // namespace

int EntryVoice(const ScoreView* view) {
    return view != nullptr ? ActiveVoiceOfMask(view->voiceMask) : 0;
}

int ApplyWholeNoteEntry(int code) {
    const NoteToolState& tools = State().notes.NoteTools;
    if (tools.selectedEntry != kWholeEntry) return code;
    return tools.strips[kWholeEntry] == kNormalNoteStrip ? kWholeCode : kDoubleWholeCode;
}

int PaletteDurationCode() {
    const NoteToolState& tools = State().notes.NoteTools;
    const int entry = tools.selectedEntry;
    if (entry == kDoubleWholeEntry) return kDoubleWholeCode;
    if (entry == kWholeEntry) return ApplyWholeNoteEntry(kWholeCode);
    if (entry < kFirstShortEntry) return kLongEntryBase - entry;
    const uint8_t strip = tools.strips[entry < kNotePaletteEntries ? entry : kNotePaletteEntries - 1];
    if (strip == kNormalNoteStrip) return kThirtySecondCode;
    const int code = kShortStripBase - strip;
    // A strip the palette never shows still gives a value entry can use.
    return code >= kShortestCode && code <= kThirtySecondCode ? code : kThirtySecondCode;
}

int StepAtY(const ScoreView* view, int32_t y) {
    const int32_t d = Unzoomed(view, y - StaffBaseY(view));
    const int step = (std::abs(d) + kHalfStep) >> kStepShift;
    return d < 0 ? -step : step;
}

int EntryStemUp(const StaffRecord* staff, int step) {
    switch (State().notes.StemMode) {
        case 1:
            return 1;
        case 2:
            return 0;
        default:
            return StemDistanceFromMiddle(staff, step) > 0 ? 1 : 0;
    }
}

void ApplyPaletteModifiers(EventRecord* note) {
    if (note == nullptr) return;
    const NoteToolState& tools = State().notes.NoteTools;
    if (tools.tupletOn != 0) {
        const int index = FixedTupletRatioIndex(tools.tupletActual, tools.tupletNormal);
        note->tupletKind = index >= 0 ? kFixedTuplet : kOwnTuplet;
        note->tupletRatio = index >= 0 ? static_cast<uint8_t>(index)
                                       : PackRatio(tools.tupletActual, tools.tupletNormal);
        note->outerRatio =
            tools.secondTupletOn != 0 ? PackRatio(tools.secondActual, tools.secondNormal) : 0;
    }
    if (tools.noteHeadOn != 0) {
        const int shape = (tools.noteHeadEntry + 1) & (kNoteHeadMask >> kNoteHeadShift);
        note->flags = static_cast<uint16_t>((note->flags & ~kNoteHeadMask) | (shape << kNoteHeadShift));
    }
    if (tools.dotsOn != 0) {
        note->word2 = static_cast<uint16_t>((note->word2 & ~kEventDotsMask) | DotsOfStrip(tools.dotsStrip));
    }
}

NoteUnderPointer FindNoteUnderPointer(ScoreView* view) {
    NoteUnderPointer found;
    if (view == nullptr || view->currentCell == nullptr) return found;
    const int32_t half =
        view->glyphWidths.halfBlack > 0 ? view->glyphWidths.halfBlack : kDefaultHalfColumn;
    const int32_t slotX = CurrentSlotX(view);
    EventRecord* event = GetVoiceFirstEvent(view->currentCell, EntryVoice(view));
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event)) {
        if (!IsFirstOfChord(event)) continue;
        const int32_t x = slotX + BeatMapTickToX(view, event->time);
        if (std::abs(x - view->pointerPoint.x) <= half) {
            found.note = event;
            found.time = event->time;
            found.x = x;
            return found;
        }
    }
    return found;
}

namespace {

bool EventSharesSlot(const EventRecord* other, const EventRecord* note, int time, int offset,
                     int code) {
    return other != note && other->time == time && other->nudge == offset && other->duration == code;
}

bool VoiceSharesSlot(MeasureCell* cell, int voice, const EventRecord* note, int time, int offset,
                     int code) {
    EventRecord* event = GetVoiceFirstEvent(cell, voice);
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event))
        if (EventSharesSlot(event, note, time, offset, code)) return true;
    if (offset != 0) return false;
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int i = 0; element != nullptr && i < kMaxChainLength; ++i, element = element->next.get())
        if (ElementTime(element) == time && ElementDurationCode(element) == code) return true;
    return false;
}

}  // namespace

int IsTimeSlotShared(ScoreView* view, const EventRecord* note, int time, int headOffset, int code) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, view->currentMeasure);
        if (cell == nullptr) continue;
        for (int voice = 0; voice < kVoiceCount; ++voice)
            if (VoiceSharesSlot(cell, voice, note, time, headOffset, code)) return 1;
    }
    return 0;
}

void SetNoteCursorContext(ScoreView* view) {
    if (view == nullptr) return;
    NoteEntryContext& context = State().notes.NoteEntry;
    context.system = view->currentSystem;
    context.staff = view->currentStaff;
    context.measure = view->currentMeasure;
    context.pointX = view->pointerPoint.x;
    context.pointY = view->pointerPoint.y;
    if (SelectionState* selection = TheSelectionState()) selection->locationSaved = 1;
}

}  // namespace ql
