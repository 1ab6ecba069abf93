// Drawing a voice chord by chord, an unbeamed chord, and one note: cross-staff
// positions first, then every note's head (a hidden head only while hidden items are
// shown, dimmed) and marks, the stem and flag of the chord's stem carrier, and the
// chord's ledger lines (again on the other staff for its cross-staff notes).
//
// A voice is walked from its first event chord by chord (a chord is the run of
// events of one time); a walk ends where a link does not resolve or goes back in
// time. A chord whose forward beam link names the next chord starts a beam group,
// drawn whole (stem_draw.h); the walk goes on after its last chord.
#include <cstdlib>

#include "core/constants.h"
#include "core/draw/ink_tag.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/stem_draw.h"
#include "notes/rests/rest.h"

namespace ql::notedraw {

namespace {

constexpr uint16_t kVoice2Hidden = 0x0400;  // cell word bit 10: the second voice
constexpr uint16_t kVoice4Hidden = 0x0800;  // bit 11: the fourth voice
constexpr int kSecondVoice = 1;
constexpr int kFourthVoice = 3;

void DrawNoteBody(ScoreView* view, const NoteMetrics& m, const Chord& chord, EventRecord& note,
                  int32_t x) {
    const int32_t y = NoteY(view, NotePosition(note));
    if (!IsHeadHidden(note)) {
        DrawHeadAt(view, m, note, x, y);
    } else if (IsShowingHidden()) {
        const DimmedScope dimmed(view, true);
        DrawHeadAt(view, m, note, x, y);
    }
    DrawMarksAt(view, m, chord, note, x, y);
}

bool HasStemCarrier(const Chord& chord) {
    for (int i = 0; i < chord.count; ++i)
        if (IsStemCarrier(*chord.notes[i])) return true;
    return false;
}

bool HasCrossStaffNote(const Chord& chord) {
    for (int i = 0; i < chord.count; ++i)
        if (IsCrossStaff(*chord.notes[i])) return true;
    return false;
}

// The hidden marks of the first note of a voice that its cell hides.
void MarkVoiceHiddenByCell(const MeasureCell& cell, int voice, EventRecord* first) {
    const uint16_t bit = voice == kSecondVoice   ? kVoice2Hidden
                         : voice == kFourthVoice ? kVoice4Hidden
                                                 : 0;
    if (bit == 0 || (cell.cellWord & bit) == 0 || first == nullptr) return;
    first->word2 |= kVoiceHiddenMarks;
    first->stemWord |= kVoiceHiddenStemBits;
    first->flags |= kNoteVoiceHidden;
}

// The voice's mask for the length of its drawing: the voice alone (voice 0 keeps
// only its own bit of the mask in force).
class VoiceMaskScope {
  public:
    VoiceMaskScope(ScoreView* view, int voice) : view_(view), saved_(view->voiceMask) {
        view->voiceMask =
            voice == 0 ? static_cast<uint8_t>(saved_ & 1u) : static_cast<uint8_t>(1u << voice);
    }
    ~VoiceMaskScope() { view_->voiceMask = saved_; }
    VoiceMaskScope(const VoiceMaskScope&) = delete;
    VoiceMaskScope& operator=(const VoiceMaskScope&) = delete;

  private:
    ScoreView* view_;
    uint8_t saved_;
};

// The chord head after the beam group (or lone chord) starting at `start`.
EventRecord* HeadAfterGroup(EventRecord* start) {
    EventRecord* head = start;
    for (int guard = 0; head != nullptr && guard < kMaxChainLength; ++guard) {
        Chord chord;
        if (!GatherChord(head, chord)) return nullptr;
        EventRecord* next = NextChordHead(chord);
        if (!LinkNames(head->beamNext, next)) return next;
        head = next;
    }
    return nullptr;
}

// The voice's chords and beam groups from `first`, leaving out what `part` says.
void DrawVoiceChords(ScoreView* view, EventRecord* first, const VoicePart& part) {
    EventRecord* head = first;
    for (int guard = 0; head != nullptr && guard < kMaxChainLength; ++guard) {
        if (head == part.leftOut) {
            if (part.leftOutOnward) break;
            head = HeadAfterGroup(head);
            continue;
        }
        Chord chord;
        if (!GatherChord(head, chord)) break;
        EventRecord* next = NextChordHead(chord);
        if (!IsDrawableNote(*head)) {
            ReportDamagedNote(__LINE__);
            head = next;
            continue;
        }
        RestoreForwardLink(head, next);
        const ScopedNotationFont font(view, NoteSizeClass(*head));
        if (LinkNames(head->beamNext, next)) {
            Chord last;
            if (GatherChord(DrawGroupAt(view, head), last)) next = NextChordHead(last);
        } else {
            DrawChordAt(view, chord, ChordX(view, *head), true);
        }
        head = next;
    }
}

}  // namespace

// An empty measure: its rest when no voice has notes and the measure stands for a
// whole-measure rest, or, with "Auto rest", when no voice has elements either.
bool CellHasNoEvents(MeasureCell* cell) {
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (GetVoiceFirstEvent(cell, voice) != nullptr) return false;
    return true;
}

void DrawEmptyMeasureRest(ScoreView* view, MeasureCell* cell, RestInk ink) {
    if (!CellHasNoEvents(cell)) return;
    const auto draw = [&] { ink == RestInk::Erase ? EraseMeasureRest(view) : DrawMeasureRest(view); };
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    if (record != nullptr && record->extra != 0) {
        draw();
        return;
    }
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (GetVoiceFirstElement(cell, voice) != nullptr) return;
    if (State().notes.AutoRest) draw();
}

void DrawChordAt(ScoreView* view, const Chord& chord, int32_t x, bool withStem) {
    // A chord's ink is its own, whatever object's operation has it drawn.
    const InkObjectScope notAnObject(nullptr);
    const auto owner = InkNoteScope::Chord(chord.First());
    EventRecord& first = *chord.First();
    const bool stemDue = first.duration < CodeOf(DurationCode::Whole) && !HeadKindHasNoStem(NoteHeadKind(first)) &&
                         (!IsStemHidden(first) || IsShowingHidden());
    const auto due = InkNoteScope::StemDue(stemDue);
    for (int i = 0; i < chord.count; ++i) CrossStaffPositionForDraw(view, chord.notes[i]);
    const NoteMetrics m = CurrentNoteMetrics(view);
    for (int i = 0; i < chord.count; ++i) {
        if (!IsDrawableNote(*chord.notes[i])) {
            ReportDamagedNote(__LINE__);
            continue;
        }
        DrawNoteBody(view, m, chord, *chord.notes[i], x);
    }
    if (withStem && HasStemCarrier(chord) && first.duration < CodeOf(DurationCode::Whole))
        DrawStemAndFlagAt(view, m, chord, x, NoteY(view, NotePosition(first)));
    if (IsHeadHidden(first) && IsStemHidden(first) && !IsShowingHidden()) return;
    DrawChordLedgerLines(view, chord, x, BottomLineY(view), LedgerMode::OwnNotes);
    if (HasCrossStaffNote(chord))
        DrawChordLedgerLines(view, chord, x, 0, LedgerMode::CrossStaffNotes);
}

void DrawVoiceAt(MeasureCell* cell, ScoreView* view, int voice, const VoicePart& part) {
    SetViewTextAlign(view, gfx::kTextAlignLeft | gfx::kTextAlignBaseline);
    EventRecord* first = GetVoiceFirstEvent(cell, voice);
    MarkVoiceHiddenByCell(*cell, voice, first);
    const DimmedScope dimmed(view, view->voiceDisplayMask != 0 && !IsVoiceShown(view, voice));
    const VoiceMaskScope mask(view, voice);
    const auto voiceInk = InkNoteScope::Voice(voice);
    if (first != nullptr)
        DrawVoiceChords(view, part.from != nullptr ? part.from : first, part);
    else if (voice == 0)
        DrawEmptyMeasureRest(view, cell);
}

}  // namespace ql::notedraw

namespace ql {

void DrawVoiceNotes(MeasureCell* cell, ScoreView* view, int voice) {
    if (cell == nullptr || view == nullptr || !view->ViewDC || voice < 0 || voice >= kVoiceCount)
        return;
    notedraw::NoteDrawScope scope(view);
    notedraw::DrawVoiceAt(cell, view, voice, {});
}

void DrawVoiceNotesBeside(MeasureCell* cell, ScoreView* view, int voice, EventRecord* chord, bool onward) {
    if (cell == nullptr || view == nullptr || !view->ViewDC || voice < 0 || voice >= kVoiceCount ||
        chord == nullptr)
        return;
    notedraw::NoteDrawScope scope(view);
    notedraw::DrawVoiceAt(cell, view, voice, {nullptr, notedraw::BeamGroupStart(chord), onward});
}

void DrawVoiceNotesFrom(MeasureCell* cell, ScoreView* view, int voice, EventRecord* chord) {
    if (cell == nullptr || view == nullptr || !view->ViewDC || voice < 0 || voice >= kVoiceCount ||
        chord == nullptr)
        return;
    notedraw::NoteDrawScope scope(view);
    notedraw::DrawVoiceAt(cell, view, voice, {notedraw::BeamGroupStart(chord), nullptr, false});
}

void DrawChord(EventRecord* first, ScoreView* view) {
    notedraw::Chord chord;
    if (view == nullptr || !view->ViewDC || !notedraw::GatherChord(first, chord)) return;
    notedraw::NoteDrawScope scope(view);
    if (!notedraw::IsDrawableNote(*first)) {
        notedraw::ReportDamagedNote(__LINE__);
        return;
    }
    const ScopedNotationFont font(view, NoteSizeClass(*first));
    notedraw::DrawChordAt(view, chord, notedraw::ChordX(view, *first), true);
}

void DrawNote(EventRecord* note, ScoreView* view, int32_t x) {
    notedraw::Chord chord;
    if (view == nullptr || !view->ViewDC || note == nullptr) return;
    if (!notedraw::GatherChord(notedraw::ChordHeadOf(note), chord)) return;
    notedraw::NoteDrawScope scope(view);
    if (!notedraw::IsDrawableNote(*note)) {
        notedraw::ReportDamagedNote(__LINE__);
        return;
    }
    CrossStaffPositionForDraw(view, note);
    const notedraw::NoteMetrics m = notedraw::CurrentNoteMetrics(view);
    notedraw::DrawNoteBody(view, m, chord, *note, x);
    if (IsStemCarrier(*note) && note->duration < CodeOf(DurationCode::Whole))
        notedraw::DrawStemAndFlagAt(view, m, chord, x,
                                    notedraw::NoteY(view, NotePosition(*chord.First())));
}

bool IsVoiceShown(const ScoreView* view, int voice) {
    if (view == nullptr || voice < 0 || voice >= kVoiceCount) return false;
    return view->allVoicesShown != 0 || view->voiceDisplayMask == 0 ||
           (view->voiceDisplayMask & (1u << voice)) != 0;
}

void MarkSecondInChord(EventRecord* note) {
    notedraw::Chord chord;
    if (!notedraw::GatherChord(notedraw::ChordHeadOf(note), chord)) return;
    const bool up = IsStemUp(*chord.First());
    bool anyFar = false;
    bool previousFar = false;
    for (int k = 0; k < chord.count; ++k) {
        EventRecord* n = chord.notes[up ? chord.count - 1 - k : k];
        bool far = false;
        if (k > 0) {
            const EventRecord* before = chord.notes[up ? chord.count - k : k - 1];
            far = !previousFar && std::abs(SignedStep(*n) - SignedStep(*before)) <= 1;
        }
        n->word2 = static_cast<uint16_t>(far ? n->word2 | kNoteFarSide : n->word2 & ~kNoteFarSide);
        anyFar = anyFar || far;
        previousFar = far;
    }
    for (int i = 0; i < chord.count; ++i) {
        EventRecord* n = chord.notes[i];
        n->word2 = static_cast<uint16_t>(anyFar ? n->word2 | kNoteChordHasSecond
                                                : n->word2 & ~kNoteChordHasSecond);
    }
}

}  // namespace ql
