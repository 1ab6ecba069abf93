// Edits of an entered note run by its keys (see note_edits.h). Chord-wide edits walk
// the chord from its first note while the time stays the same; group-wide edits walk
// the beam group's chords from its first chord.
#include "notes/entry/note_edits.h"

#include <cstdlib>
#include <cstring>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "notes/articulations/articulation_class.h"
#include "notes/articulations/articulation_tool.h"
#include "notes/drawing/note_redraw.h"
#include "notes/entry/measure_extend.h"
#include "notes/entry/note_entry.h"
#include "notes/stems/stems.h"
#include "notes/ties/ties.h"

namespace ql {

namespace {

constexpr char kReportModule[] = "NOTES";
constexpr int kChordNoteReportLine = 3513;
constexpr int kOctaveSteps = 7;
constexpr uint16_t kAccidentalCodeMask = 0x000E;   // flags bits 1-3
constexpr uint16_t kMarkBits = kStaccatoBit | kLegatoBit;
constexpr uint16_t kHiddenWord2 = 0x3000;           // word2 bits 12-13
constexpr uint16_t kHiddenStemWord = 0x0018;        // stemWord bits 3-4
constexpr uint16_t kGraceSlash = 0x0020;            // stemWord bit 5
constexpr uint16_t kGraceSizeClass = 0x0020;        // flags bits 4-5 = 2
constexpr int kLongestSlashedCode = 9;
constexpr int kLongestBeamedCode = 9;
constexpr int kMaxDots = 3;
constexpr int kMinStep = -128;
constexpr int kMaxStep = 127;
constexpr int kMaxGroupChords = 1024;
constexpr int kFretHeadBase = 19;  // head kind of fret n: 19 + n
constexpr uint16_t kHeadKindMask = 0xF800;
constexpr int kHeadKindShift = 11;

// Calls `apply` on every note of the note's chord.
template <typename Apply>
void ForChord(EventRecord* note, Apply apply) {
    EventRecord* first = GetFirstEventOfChord(note);
    EventRecord* m = first;
    for (int i = 0; m != nullptr && m->time == first->time && i < kMaxChainLength; ++i, m = NextEvent(m))
        apply(m);
}

// Calls `apply` on the head of every chord of the note's beam group (the chord alone
// when it is not beamed).
template <typename Apply>
void ForGroup(EventRecord* note, Apply apply) {
    EventRecord* chord = GetLastChordOfBeamGroup(GetFirstEventOfChord(note));
    for (int i = 0; chord != nullptr && i < kMaxGroupChords; ++i) {
        apply(chord);
        EventRecord* next = ResolveEvent(chord->beamNext);
        chord = next != nullptr && !IsHeadSentinel(*next) ? next : nullptr;
    }
}

bool ChordHasStep(EventRecord* note, int step) {
    bool found = false;
    ForChord(note, [&](EventRecord* m) { found = found || SignedStep(*m) == step; });
    return found;
}

int TicksWithDots(EventRecord note, int dots) {
    note.word2 = static_cast<uint16_t>((note.word2 & ~kEventDotsMask) | dots);
    return EventDurationTicks(note);
}

// Runs `edit` between the voice's old image drawn away and the voice drawn again, in
// ink whatever colours the key came in, so that what the edit takes away (a dot, a
// mark, a stem, a tie) goes from the screen at once; the edit's result.
template <typename Edit>
int EditShown(ScoreView* view, int voice, Edit edit) {
    BeginViewDraw(view);
    BeginHighlightDraw(view);
    DrawNoteChainSaved(view, voice);
    const int changed = edit();
    DrawNoteChain(view, voice);
    EndHighlightDraw(view);
    EndViewDraw(view);
    return changed;
}

}  // namespace

EventRecord* AddNoteToChord(ScoreView* view, EventRecord* note, int steps) {
    if (view == nullptr || view->currentCell == nullptr || note == nullptr) return nullptr;
    const int step = SignedStep(*note) + steps;
    if (step < kMinStep || step > kMaxStep || ChordHasStep(note, step)) return nullptr;
    const int voice = EntryVoice(view);
    EventRecord* head = GetVoiceHead(view->currentCell, voice);
    EventRecord* copy = head != nullptr ? AllocEvent(sizeof(EventRecord)) : nullptr;
    if (copy == nullptr) {
        ReportLowMemory(kReportModule, kChordNoteReportLine);
        return nullptr;
    }
    std::memcpy(copy, note, sizeof *copy);
    copy->prev = copy->next = copy->beamPrev = copy->beamNext = copy->attachment = RecordHandle{};
    copy->flags &= static_cast<uint16_t>(~kEventChordHead);
    if (std::abs(steps) != kOctaveSteps) copy->flags &= static_cast<uint16_t>(~kAccidentalCodeMask);
    copy->step = static_cast<uint8_t>(step);
    EditShown(view, voice, [&] {
        LayoutWalkEventChain(head, view, copy);
        UpdateBeamForNote(view, copy);
        return 1;
    });
    SetDocumentModified(view->document);
    return copy;
}

namespace {

int NextDotCount(const EventRecord& note) {
    return ((note.word2 & kEventDotsMask) + 1) % (kMaxDots + 1);
}

// 1 when the voice has room for the note with `dots` dots (2 after extending the
// measure), else 0 with the notice.
int CheckDotRoomFor(ScoreView* view, EventRecord* note, int voice, int dots) {
    const int growth = TicksWithDots(*note, dots) - EventDurationTicks(*note);
    if (growth <= TicksLeftInVoice(view->currentCell, view, voice)) {
        ClearStatusBar();
        return 1;
    }
    if (State().notes.AutoExtendMeasure != 0 && ExtendMeasureToFit(view, growth) != 0) return 2;
    ShowLabelledNotice(kNoRoomInMeasureNotice);
    return 0;
}

}  // namespace

int CheckDotRoom(ScoreView* view, EventRecord* note) {
    return CheckDotRoomFor(view, note, EntryVoice(view), NextDotCount(*note));
}

int CycleDotsOfNote(ScoreView* view, EventRecord* note) {
    if (view == nullptr || note == nullptr) return 0;
    return SetDotsOfNote(view, note, EntryVoice(view), NextDotCount(*note));
}

int SetDotsOfNote(ScoreView* view, EventRecord* note, int voice, int dots) {
    if (view == nullptr || note == nullptr || dots < 0 || dots > kMaxDots) return 0;
    if (CheckDotRoomFor(view, note, voice, dots) == 0) return 0;
    return EditShown(view, voice, [&] {
        const int oldTicks = EventDurationTicks(*note);
        const int growth = TicksWithDots(*note, dots) - oldTicks;
        ShiftVoiceElementsFromTick(view->document, view->currentStaff, view->currentMeasure, voice,
                                   note->time + oldTicks, growth);
        ForChord(note, [&](EventRecord* m) {
            m->word2 = static_cast<uint16_t>((m->word2 & ~kEventDotsMask) | dots);
        });
        return 1;
    });
}

int ResetChordOffsets(ScoreView* view, EventRecord* note) {
    if (note == nullptr) return 0;
    return EditShown(view, EntryVoice(view), [&] {
        ForChord(note, [](EventRecord* m) { m->nudge = 0; });
        return 1;
    });
}

int ToggleChordMark(ScoreView* view, EventRecord* note, uint16_t bit) {
    EventRecord* end = GetChordEndByDirection(note);
    if (end == nullptr) return 0;
    return EditShown(view, EntryVoice(view), [&] {
        end->word2 ^= bit;
        const uint16_t marks = end->word2 & kMarkBits;
        ForChord(note, [&](EventRecord* m) {
            m->word2 = static_cast<uint16_t>((m->word2 & ~kMarkBits) | marks);
        });
        return 1;
    });
}

int ToggleGroupHidden(ScoreView* view, EventRecord* note) {
    bool anyHidden = false;
    ForGroup(note, [&](EventRecord* chord) {
        ForChord(chord, [&](EventRecord* m) {
            anyHidden = anyHidden || (m->word2 & kHiddenWord2) != 0 || (m->stemWord & kHiddenStemWord) != 0;
        });
    });
    return EditShown(view, EntryVoice(view), [&] {
        ForGroup(note, [&](EventRecord* chord) {
            ForChord(chord, [&](EventRecord* m) {
                m->word2 = static_cast<uint16_t>(anyHidden ? m->word2 & ~kHiddenWord2 : m->word2 | kHiddenWord2);
                m->stemWord = static_cast<uint16_t>(anyHidden ? m->stemWord & ~kHiddenStemWord
                                                              : m->stemWord | kHiddenStemWord);
            });
        });
        return 1;
    });
}

int FlipGroupStems(ScoreView* view, EventRecord* note) {
    EventRecord* first = GetLastChordOfBeamGroup(GetFirstEventOfChord(note));
    if (view == nullptr || first == nullptr) return 0;
    return EditShown(view, EntryVoice(view), [&] {
        NotesGlobals& notes = State().notes;
        const uint8_t savedKeep = notes.KeepStemDirection;
        const uint8_t savedDirection = notes.KeptStemDirection;
        notes.KeepStemDirection = 1;
        notes.KeptStemDirection = (first->flags & kEventStemFlag) != 0 ? 0 : 1;
        UpdateBeamForNote(view, note);
        notes.KeepStemDirection = savedKeep;
        notes.KeptStemDirection = savedDirection;
        return 1;
    });
}

int ToggleBeamAfter(ScoreView* view, EventRecord* note) {
    EventRecord* chord = GetFirstEventOfChord(note);
    if (view == nullptr || chord == nullptr || chord->duration > kLongestBeamedCode) return 0;
    EventRecord* next = GetNextChordEvent(chord);
    if (next == nullptr || IsHeadSentinel(*next)) return 0;
    const bool joined = next->beamPrev == HandleOfEvent(chord);
    return EditShown(view, EntryVoice(view), [&] {
        return joined ? BreakBeamGroup(view, chord, next) : JoinBeamGroups(view, chord, next);
    });
}

int ToggleTieOfNote(ScoreView* view, EventRecord* note, int voice) {
    if (view == nullptr || note == nullptr) return 0;
    return EditShown(view, voice, [&] { return ToggleTie(view, note, voice); });
}

int AttachEntryArticulation(ScoreView* view, EventRecord* note, int entry) {
    if (view == nullptr || note == nullptr) return 0;
    const ArticulationPalette palette = ArticulationTools().palette;
    return EditShown(view, EntryVoice(view), [&] {
        return AttachPaletteEntryToNote(view, note, palette, entry) ? 1 : 0;
    });
}

int ToggleCrossStaffShown(ScoreView* view, EventRecord* note) {
    if (view == nullptr || note == nullptr) return 0;
    return EditShown(view, EntryVoice(view), [&] { return ToggleCrossStaffNote(view, note); });
}

int SetFretOfNote(ScoreView* view, EventRecord* note, int fret) {
    if (view == nullptr || note == nullptr || fret < 0 || fret > kHighestFret) return 0;
    return EditShown(view, EntryVoice(view), [&] {
        note->flags = static_cast<uint16_t>((note->flags & ~kHeadKindMask) |
                                            (((kFretHeadBase + fret) << kHeadKindShift) & kHeadKindMask));
        return 1;
    });
}

int ToggleGraceSlash(ScoreView* view, EventRecord* note) {
    EventRecord* first = GetFirstEventOfChord(note);
    if (first == nullptr) return 0;
    const bool grace = (first->flags & kEventSizeClassMask) == kGraceSizeClass &&
                       first->duration <= kLongestSlashedCode;
    return EditShown(view, EntryVoice(view), [&] {
        ForChord(note, [&](EventRecord* m) {
            if (m == first && grace) {
                m->stemWord ^= kGraceSlash;
            } else {
                m->stemWord &= static_cast<uint16_t>(~kGraceSlash);
            }
        });
        return 1;
    });
}

}  // namespace ql
