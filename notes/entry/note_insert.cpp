// InsertNoteAtCursor: a click (or a key of MIDI step entry) becomes a note of the
// active voice of the view's current measure.
//
// The value comes from the note palette unless the pointer is over a chord of the
// voice, which the note then joins with the chord's value. A new chord goes at the
// time after the voice's items before the pointer's time; the room left in the voice
// must hold it (or "Auto extend measure" lengthens the measure), and the voice's later
// items move on by its length. The room is checked before any record is taken, so a
// refused note leaves the pools exactly as they were. Then beams, head offsets against
// the other voices, the marks of the articulation buttons pressed as toggles
// (notes/articulations/articulation_entry.h), respacing, redraw and the pointer's next
// place.
#include <cstring>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/model_reports.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "display/view_location.h"
#include "layout/measure_spacing.h"
#include "notes/articulations/articulation_entry.h"
#include "notes/drawing/note_redraw.h"
#include "notes/entry/entry_internal.h"
#include "notes/entry/measure_extend.h"
#include "notes/entry/note_cursor.h"
#include "notes/entry/note_entry.h"
#include "notes/entry/note_preview.h"
#include "notes/pitch/accidental_state.h"
#include "notes/stems/stems.h"

namespace ql {

namespace entry {

SpaceAccidentalsOff::SpaceAccidentalsOff() : saved_(State().program.SpaceAccidentals) {
    State().program.SpaceAccidentals = 0;
}

SpaceAccidentalsOff::~SpaceAccidentalsOff() {
    State().program.SpaceAccidentals = saved_;
}

int RespaceForEntry(ScoreView* view) {
    SpaceAccidentalsOff off;
    return RefreshMeasureWidths(view, false, true);
}

}  // namespace entry

namespace {

constexpr char kReportModule[] = "NOTES";
constexpr int kEntryReportLine = 2101;
constexpr int kLongestBeamedCode = 9;  // eighths and shorter are beamed
// A voice slot that is not yet assigned plays on port 0, channel 0, with the patch a
// new staff's main timbre gets.
constexpr uint8_t kFirstPort = 0;
constexpr uint8_t kFirstChannel = 0;
constexpr uint8_t kNewStaffPatch = 0;
// What a chord note copies from the chord it joins.
constexpr uint16_t kChordCopiedFlags = 0xF840;  // head shape, default timbre
constexpr uint16_t kChordCopiedWord2 = 0x07C3;  // dots, staccato, legato, bits 8-10

struct EntryPlace {
    int voice = 0;
    int time = 0;   // pointer time (a chord's time when joining one)
    int step = 0;
    NoteUnderPointer chord;
};

void EnsureVoicePort(StaffRecord* staff, int voice) {
    if (staff == nullptr) return;
    StaffTimbre& slot = staff->timbres[voice];
    if (static_cast<int8_t>(slot.port) >= 0) return;
    slot.port = kFirstPort;
    slot.channel = kFirstChannel;
    slot.patch = kNewStaffPatch;
}

// The voice's chain head, made when the voice has none. Null when no record could be
// had: a new head that came back as the document's shared sentinel (what the chain
// code hands out on exhaustion) must not take notes, and the cell is put back as it was.
EventRecord* VoiceChainForEntry(ScoreView* view, int voice) {
    MeasureCell* cell = view->currentCell;
    const bool hadHead = GetVoiceHead(cell, voice) != nullptr;
    const RecordHandle old = cell->voices[voice];
    EventRecord* head = GetOrCreateVoiceChain(cell, view->document, voice);
    const RecordHandle handle = HandleOfEvent(head);
    if (handle && (hadHead || handle != view->document->headSentinel)) return head;
    cell->voices[voice] = old;
    return nullptr;
}

// The note a new chord would be, not yet in any pool.
EventRecord PlanNewNote(ScoreView* view, const EntryPlace& place) {
    EventRecord note{};
    const int code = PaletteDurationCode();
    InitEvent(&note, 0, EntryStemUp(view->currentStaffRecord, place.step),
              static_cast<uint8_t>(code), static_cast<uint8_t>(place.step));
    ApplyPaletteModifiers(&note);
    note.time = static_cast<uint16_t>(FindEventTimeInVoice(
        view->document, view->currentStaff, view->currentMeasure, place.voice, place.time));
    return note;
}

// The note a chord member would be: the chord's time, stem and value, and what a
// member copies from it.
EventRecord PlanChordNote(const EventRecord& chord, int step) {
    EventRecord note{};
    InitEvent(&note, chord.time, (chord.flags & kEventStemFlag) != 0 ? 1 : 0,
              static_cast<uint8_t>(ApplyWholeNoteEntry(chord.duration)), static_cast<uint8_t>(step));
    note.tupletKind = chord.tupletKind;
    note.tupletRatio = chord.tupletRatio;
    note.outerRatio = chord.outerRatio;
    note.flags = static_cast<uint16_t>((note.flags & ~kChordCopiedFlags) | (chord.flags & kChordCopiedFlags));
    note.word2 = static_cast<uint16_t>((note.word2 & ~kChordCopiedWord2) | (chord.word2 & kChordCopiedWord2));
    note.velocity = chord.velocity;
    note.attack = chord.attack;
    note.release = chord.release;
    return note;
}

// Room for a new chord in the voice: it fits, or the measure was lengthened. A note
// from MIDI is dropped silently; otherwise the room notice.
bool MakeRoom(ScoreView* view, int voice, int ticks, bool* extended) {
    if (ticks <= TicksLeftInVoice(view->currentCell, view, voice)) return true;
    if (State().notes.NoteEntry.fromMidi != 0) return false;
    if (State().notes.AutoExtendMeasure != 0 && ExtendMeasureToFit(view, ticks) != 0) {
        *extended = true;
        return true;
    }
    ShowNotice(kNoRoomInMeasureNotice);
    return false;
}

// Sounds a typed note; spells a note from MIDI against the accidentals in force.
void SoundOrSpell(ScoreView* view, EventRecord* note, int voice) {
    const NoteEntryContext& context = State().notes.NoteEntry;
    if (context.fromMidi == 0) {
        PreviewNote(view, note, true);
        return;
    }
    SpellEnteredNote(view, *note, context.midiKey, view->currentCell, voice);
}

// Steps 8.2-8.8: a new chord of its own.
EventRecord* LinkNewChord(ScoreView* view, const EntryPlace& place, bool* extended) {
    const EventRecord plan = PlanNewNote(view, place);
    const int ticks = EventDurationTicks(plan);
    if (!MakeRoom(view, place.voice, ticks, extended)) return nullptr;
    EventRecord* head = VoiceChainForEntry(view, place.voice);
    EventRecord* note = head != nullptr ? AllocEvent(sizeof(EventRecord)) : nullptr;
    if (note == nullptr) {
        ReportLowMemory(kReportModule, kEntryReportLine);
        return nullptr;
    }
    std::memcpy(note, &plan, sizeof plan);
    EnsureVoicePort(view->currentStaffRecord, place.voice);
    SoundOrSpell(view, note, place.voice);
    ShiftVoiceElementsFromTick(view->document, view->currentStaff, view->currentMeasure,
                               place.voice, note->time, ticks);
    LayoutWalkEventChain(head, view, note);
    return note;
}

// Step 9: a member of the chord under the pointer.
EventRecord* LinkChordMember(ScoreView* view, const EntryPlace& place) {
    EventRecord* chord = GetFirstEventOfChord(place.chord.note);
    EventRecord* head = VoiceChainForEntry(view, place.voice);
    EventRecord* note = head != nullptr && chord != nullptr ? AllocEvent(sizeof(EventRecord)) : nullptr;
    if (note == nullptr) {
        ReportLowMemory(kReportModule, kEntryReportLine);
        return nullptr;
    }
    const EventRecord plan = PlanChordNote(*chord, place.step);
    std::memcpy(note, &plan, sizeof plan);
    EnsureVoicePort(view->currentStaffRecord, place.voice);
    SoundOrSpell(view, note, place.voice);
    LayoutWalkEventChain(head, view, note);
    EventRecord* first = GetFirstEventOfChord(note);
    if (first != nullptr) note->nudge = first->nudge;
    return note;
}

// Step 10 and 11: the beam group of the note, joined with its neighbours while
// "Auto beam" allows, and the size class of the group's other end.
void BeamEnteredNote(ScoreView* view, EventRecord* note, bool chordMember) {
    UpdateBeamForNote(view, note);
    if (!chordMember && note->duration <= kLongestBeamedCode && State().notes.AutoBeam != 0)
        AutoBeamNoteQuiet(view, note);
    EventRecord* end = GetLastChordOfBeamGroup(note);
    if (end != nullptr && end != note && IsChordBeamed(note))
        note->flags = static_cast<uint16_t>((note->flags & ~kEventSizeClassMask) |
                                            (end->flags & kEventSizeClassMask));
}

EntryPlace PlaceAtPointer(ScoreView* view) {
    EntryPlace place;
    place.voice = EntryVoice(view);
    place.chord = FindNoteUnderPointer(view);
    if (place.chord.note != nullptr) {
        place.time = place.chord.time;
    } else {
        place.time = XToTime(view, view->pointerPoint.x);
    }
    if (place.time >= view->currentMeasureLength) place.time = 0;
    place.step = StepAtY(view, view->pointerPoint.y);
    return place;
}

bool IsInMultiMeasureRest(ScoreView* view) {
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    return record != nullptr && record->extra != 0;
}

// Steps 13-14: respacing unless the note's time slot is shared, and the redraw.
void RespaceAndRedraw(ScoreView* view, EventRecord* note, int voice, bool chordMember, bool extended) {
    int widthsChanged = 0;
    if (!chordMember &&
        IsTimeSlotShared(view, note, note->time, note->nudge, note->duration) == 0)
        widthsChanged = entry::RespaceForEntry(view);
    ScanCurrentCellVoice(view, voice);
    if (extended) {
        SetViewScrollRanges(view);
    } else if (widthsChanged == 0) {
        DrawNoteChain(view, voice);
    }
}

// Steps 15-16: the preview ends and the pointer moves on (or, with Ctrl held while a
// chord is built, goes back to where the note was entered).
void FinishEntry(ScoreView* view, EventRecord* note, const LogicalPoint& entered) {
    NoteEntryContext& context = State().notes.NoteEntry;
    if (context.fromMidi == 0) {
        SendSustainPedal(view, false);
        PreviewNote(view, note, false);
    }
    if (CtrlHeld()) {
        MovePointerToLogical(view, entered.x, entered.y);
    } else if (context.fromMidi == 0) {
        ScrollToNoteCursor(view, note->time, EventDurationTicks(*note));
    } else {
        MovePointerToObject(view, note);
    }
    UpdateNoteCursorPos(view);
}

}  // namespace

EventRecord* InsertNoteAtCursor(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr) return nullptr;
    if (IsInMultiMeasureRest(view)) {
        ShowNotice(kMultiMeasureRestNotice);
        return nullptr;
    }
    ScanCurrentCellVoice(view, EntryVoice(view));  // a damaged chain is mended first
    const EntryPlace place = PlaceAtPointer(view);
    const LogicalPoint entered = view->pointerPoint;
    BeginViewDraw(view);
    HideNoteCursor(view);
    const bool chordMember = place.chord.note != nullptr;
    // The voice's image goes first, as beams, flags and places may change, and so does
    // the rest an empty measure shows before its first note; the staff lines they
    // crossed come back.
    DrawNoteChainSaved(view, place.voice);
    if (!chordMember) EraseEmptyMeasureRestLinked(view);
    RedrawMeasureLinked(view);
    bool extended = false;
    EventRecord* note = chordMember ? LinkChordMember(view, place) : LinkNewChord(view, place, &extended);
    if (note == nullptr) {  // refused: the voice comes back as it was
        DrawNoteChain(view, place.voice);
        EndViewDraw(view);
        return nullptr;
    }
    SetDocumentModified(view->document);
    view->voiceChain = GetVoiceFirstEvent(view->currentCell, place.voice);
    BeamEnteredNote(view, note, chordMember);
    if (!chordMember) {
        OffsetHeadsAgainstOtherVoices(view, note, place.voice);
        AttachMarkedArticulations(view, note);  // placed against the stem just decided
    }
    RespaceAndRedraw(view, note, place.voice, chordMember, extended);
    EndViewDraw(view);
    FinishEntry(view, note, entered);
    return note;
}

}  // namespace ql
