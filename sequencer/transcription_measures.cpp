// Writing analysed measures into the score. Each note is spelled under the cell's
// clef and key and linked into the voice chain; a note tied on carries the tie-start
// bit as the mark from which the clean-up makes its tie; tuplet members take the
// fixed 3:2 or 5:4 ratio. Attacks that quantised onto a barline move on to the next
// measure's raw notes before it is analysed.
#include "sequencer/transcription_measures.h"

#include <cstdio>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/saved_location.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/progress.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "notes/pitch/accidental_state.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/pitch/spelling.h"
#include "notes/rests/rest.h"
#include "notes/stems/stems.h"
#include "notes/ties/ties.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/transcription_stream.h"

namespace ql {
namespace {

constexpr char kMeasureStatus[] = "Measure %d";
constexpr char kReportModule[] = "TRANSCRIBE";
constexpr int kNoteReportLine = 1;
constexpr int kRestReportLine = 2;

WrittenCounts& Written() {
    static WrittenCounts counts;
    return counts;
}

// Moves the view onto a cell (the rests and ties read the current cell); the
// caller's SavedLocation puts it back.
void StandOnCell(ScoreView* view, int staff, int measure, MeasureCell* cell) {
    view->currentStaff = staff;
    view->currentMeasure = measure;
    view->currentCell = cell;
    view->currentStaffRecord = StaffRecordOf(view->document, staff);
    const MeasureRecord* m = MeasureRecordOf(view->document, measure);
    view->currentMeasureLength = m != nullptr ? m->lengthTicks : 0;
}


// One note of a group into the voice, spelled against the accidentals in force
// before the group (`spelled` gets the note as written); false when no record could
// be had.
bool WriteNote(ScoreView* view, MeasureCell* cell, int voice, const TranscribedGroup& group, const RawNote& note,
               const AccidentalState& inForce, EventRecord& spelled) {
    EventRecord& probe = spelled;
    probe = EventRecord{};
    if (const int keyCode = SpellPitch(view, CellClef(*cell), note.key, CellClef(*cell), CellKey(*cell), probe))
        SetNoteAccidentalCode(probe, keyCode);
    SetNoteAccidentalCode(probe, CodeAgainstInForce(NoteAccidentalCode(probe),
                                                    AccidentalStateAt(inForce, NotePosition(probe))));
    EventRecord* event = AddEventToVoice(view, cell, voice, static_cast<uint16_t>(group.time),
                                         static_cast<uint8_t>(group.value.code), probe.step);
    if (event == nullptr) return false;
    SetNoteAccidentalCode(*event, NoteAccidentalCode(probe));
    event->word2 = static_cast<uint16_t>((event->word2 & ~kEventDotsMask) | (group.value.dots & kEventDotsMask));
    if (note.tieToNext) event->word2 |= kTieStartsHere;
    event->velocity = note.velocity;
    event->attack = note.attackOffset;
    event->release = note.releaseOffset;
    if (group.tuplet) {
        event->tupletKind = 1;
        event->tupletRatio = static_cast<uint8_t>(
            group.tupletKind == kQuintupletKind ? FixedTupletRatioIndex(5, 4) : FixedTupletRatioIndex(3, 2));
    }
    ++Written().events;
    if (!note.tieFromPrevious) ++Written().soundStarts;
    return true;
}

uint32_t SoundStartsOf(const MeasureTranscription& result, size_t fromGroup) {
    uint32_t count = 0;
    for (size_t g = fromGroup; g < result.groups.size(); ++g)
        for (const RawNote& note : result.groups[g].notes) count += note.tieFromPrevious ? 0 : 1;
    return count;
}

// The eighths and shorter of a voice's chain beamed as note entry beams them, under
// the stricter grouping of transcribed music (within a beat, or a beat group of the
// time signature: two beats of 4/4, the measure of 3/4, a dotted quarter of 6/8).
// The view stands on the chain's cell. No beam starts out of a note marked to tie on
// or into the note it ties to; the ties are made afterwards, on the stems the beams
// gave. A chord left alone keeps the stem it was written with.
void BeamTranscribedChain(ScoreView* view, EventRecord* firstEvent) {
    uint8_t& transcribing = State().sequencer.TranscriptionActive;
    const uint8_t was = transcribing;
    transcribing = 1;
    int walked = 0;
    for (EventRecord* e = firstEvent; e != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked)
        if (!IsHeadSentinel(*e) && IsFirstOfChord(e)) AutoBeamNote(view, e);
    transcribing = was;
}

void DeleteVoiceRests(MeasureCell* cell, int voice) {
    if (ScoreObject* head = GetVoiceElementList(cell, voice)) DeleteRestChain(head);
}

// Writes one measure; false when the pool ran out (the report is shown).
bool WriteMeasure(ScoreView* view, int staff, int measure, MeasureCell* cell, const MeasureTranscription& result,
                  int voice) {
    SavedLocation saved(view);
    StandOnCell(view, staff, measure, cell);
    // A note takes the accidentals of the earlier groups: E after E-flat is written
    // with its natural, as note entry writes it.
    AccidentalState inForce;
    FillAccidentalStateFromKey(inForce, CellClef(*cell), CellKey(*cell));
    for (size_t g = 0; g < result.groups.size(); ++g) {
        std::vector<EventRecord> spelled(result.groups[g].notes.size());
        for (size_t n = 0; n < result.groups[g].notes.size(); ++n) {
            if (WriteNote(view, cell, voice, result.groups[g], result.groups[g].notes[n], inForce, spelled[n]))
                continue;
            uint32_t lost = SoundStartsOf(result, g + 1);
            for (size_t k = n; k < result.groups[g].notes.size(); ++k)
                lost += result.groups[g].notes[k].tieFromPrevious ? 0 : 1;
            CountDroppedNotes(lost);
            return false;
        }
        for (const EventRecord& note : spelled) StoreAccidentalInForce(inForce, note);
    }
    DeleteVoiceRests(cell, voice);
    for (const TranscribedRest& rest : result.rests) {
        if (NewRestFromImport(view, voice, rest.time, rest.value.code, rest.value.dots) == nullptr) {
            ReportLowMemory(kReportModule, kRestReportLine);
            return false;
        }
    }
    return true;
}

void ShowMeasure(int measure) {
    char text[32];
    std::snprintf(text, sizeof text, kMeasureStatus, measure);
    SetStatusText(0, text);
}

// The clef of a measure: the previous cell's with auto-clef or after a tie into it,
// else the one its keys ask for.
void SettleClef(ScoreDocument* document, int staff, int measure, MeasureCell* cell, const ClefStatistics& stats,
                bool autoClef) {
    if (!autoClef) return;
    MeasureCell* previous = measure > 1 ? ExistingMeasureCell(document, staff, measure - 1) : nullptr;
    uint8_t clef = previous != nullptr ? CellClef(*previous) : CellClef(*cell);
    if (!stats.tiedInAtStart) clef = ChooseClef(clef, stats);
    cell->clefKey = static_cast<uint8_t>((cell->clefKey & ~kClefNibbleMask) | clef);
}

// From the second measure on: with auto-clef the cell takes the previous cell's
// clef, and a change of time signature or key from the previous measure is shown
// (its hidden marks cleared).
void CarryFromPreviousMeasure(ScoreDocument* document, int staff, int measure, bool autoClef) {
    if (measure < 2) return;
    MeasureCell* previous = ExistingMeasureCell(document, staff, measure - 1);
    MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (previous == nullptr || cell == nullptr || record == nullptr) return;
    if (autoClef) cell->clefKey = static_cast<uint8_t>((cell->clefKey & ~kClefNibbleMask) | CellClef(*previous));
    if (cell->beats != previous->beats || cell->beatUnit != previous->beatUnit)
        record->flags &= static_cast<uint8_t>(~kMeasureTimeHidden);
    if (CellKey(*cell) != CellKey(*previous)) record->flags &= static_cast<uint8_t>(~kMeasureKeyHidden);
}

// The measure's raw notes analysed and written; false when the pool ran out.
bool TranscribeMeasure(ScoreView* view, int staff, int measure, bool lastOfRange, const QuantizeSettings& settings) {
    ScoreDocument* document = view->document;
    std::vector<RawNote> notes = TakeRawNotes(staff, measure);
    if (notes.empty()) return true;
    StaffRecord* record = StaffRecordOf(document, staff);
    const MeasureRecord* measureRecord = MeasureRecordOf(document, measure);
    MeasureCell* cell = record != nullptr && measureRecord != nullptr ? GetOrCreateMeasureCell(record, document, measure)
                                                                      : nullptr;
    if (cell == nullptr) {
        uint32_t lost = 0;
        for (const RawNote& note : notes) lost += note.tieFromPrevious ? 0 : 1;
        CountDroppedNotes(lost);
        return record == nullptr || measureRecord == nullptr;
    }
    const Metre metre = MetreOf(cell->beats, cell->beatUnit, measureRecord->lengthTicks);
    MeasureTranscription result = AnalyseMeasure(std::move(notes), metre, settings);
    CountDroppedNotes(result.mergedAway);
    if (!lastOfRange && measure < MeasureLimit) {
        AddRawNotes(staff, measure + 1, result.toNextMeasure);
    } else {
        uint32_t lost = 0;
        for (const RawNote& note : result.toNextMeasure) lost += note.tieFromPrevious ? 0 : 1;
        CountDroppedNotes(lost);
    }
    SettleClef(document, staff, measure, cell, result.clef, TranscriptionInputs().autoClef);
    return WriteMeasure(view, staff, measure, cell, result, TranscriptionInputs().voice);
}

// After a pool ran out: the raw notes left in the range are dropped and counted.
void DropRemainingNotes(int firstStaff, int lastStaff, int fromStaff, int fromMeasure, int lastMeasure) {
    for (int staff = fromStaff; staff <= lastStaff; ++staff) {
        for (int measure = staff == fromStaff ? fromMeasure : 1; measure <= lastMeasure && measure <= MeasureLimit; ++measure) {
            uint32_t lost = 0;
            for (const RawNote& note : TakeRawNotes(staff, measure)) lost += note.tieFromPrevious ? 0 : 1;
            CountDroppedNotes(lost);
        }
    }
    (void)firstStaff;
}

}  // namespace

const WrittenCounts& TranscriptionWritten() { return Written(); }
void ResetTranscriptionWritten() { Written() = WrittenCounts{}; }

int TranscribeMeasureGroups(ScoreView* view, int firstStaff, int lastStaff, int firstMeasure, int lastMeasure,
                            bool cancellable) {
    if (firstStaff > lastStaff) return 1;
    if (view == nullptr || view->document == nullptr) return 1;
    const QuantizeSettings settings = CurrentQuantizeSettings();
    UndoStep step(view->document, view, UndoKind::Note, 0, UndoVerb::Modify);
    for (int staff = firstStaff; staff <= lastStaff; ++staff) FlushPendingNotes(view, staff);
    for (int staff = firstStaff; staff <= lastStaff; ++staff) {
        if (cancellable && firstStaff != lastStaff && StepProgressDialog(staff) != 0) return 0;
        for (int measure = std::max(firstMeasure, 1); measure <= lastMeasure && measure <= MeasureLimit; ++measure) {
            ShowMeasure(measure);
            if (cancellable && firstStaff == lastStaff && StepProgressDialog(measure) != 0) return 0;
            CarryFromPreviousMeasure(view->document, staff, measure, TranscriptionInputs().autoClef);
            if (!TranscribeMeasure(view, staff, measure, measure == lastMeasure, settings)) {
                ReportLowMemory(kReportModule, kNoteReportLine);
                DropRemainingNotes(firstStaff, lastStaff, staff, measure + 1, lastMeasure);
                return 1;
            }
        }
    }
    return 1;
}

void ClearRecordTargets(ScoreView* view, int firstStaff, int lastStaff, int firstMeasure, int lastMeasure, int voice) {
    if (view == nullptr || view->document == nullptr) return;
    for (int staff = firstStaff; staff <= lastStaff; ++staff) {
        for (int measure = std::max(firstMeasure, 1); measure <= lastMeasure && measure <= MeasureLimit; ++measure) {
            MeasureCell* cell = ExistingMeasureCell(view->document, staff, measure);
            if (cell == nullptr) continue;
            if (EventRecord* head = GetVoiceHead(cell, voice)) FreeEventChain(head);
            DeleteVoiceRests(cell, voice);
        }
    }
}

void FinishTranscribedMeasures(ScoreView* view, int voice, int firstStaff, int lastStaff, int firstMeasure,
                               int lastMeasure) {
    if (view == nullptr || view->document == nullptr) return;
    SavedLocation savedMask(view);
    // Ties change no ending and no note but the ones they join: what the tie pass
    // looks up is found once.
    const TieSearchHold ties(view->document);
    view->voiceMask = static_cast<uint8_t>(1u << voice);
    for (int staff = firstStaff; staff <= lastStaff; ++staff) {
        for (int measure = std::max(firstMeasure, 1); measure <= lastMeasure && measure <= MeasureLimit; ++measure) {
            MeasureCell* cell = ExistingMeasureCell(view->document, staff, measure);
            if (cell == nullptr || GetVoiceFirstEvent(cell, voice) == nullptr) continue;
            SavedLocation saved(view);
            StandOnCell(view, staff, measure, cell);
            BeamTranscribedChain(view, GetVoiceFirstEvent(cell, voice));
            ApplyTranscribedAttachments(view, GetVoiceFirstEvent(cell, voice));
            FixTranscribedEventChain(view, GetVoiceFirstEvent(cell, voice));
        }
    }
}

}  // namespace ql
