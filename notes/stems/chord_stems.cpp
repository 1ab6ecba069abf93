// The stem of one chord: distances from the middle line, the stem rule, and writing
// a direction into the chord's notes.
//
// Signs: staff steps count down the staff (0 the bottom line, negative upwards), so
// a distance d = step - middle line is positive for a note below the middle line,
// and a note below the middle gets its stem up. On one-line (and no-line) staves d
// is taken the other way round: a note above the line points up, one below points
// down, the usual single-line percussion layout.
#include <cstdlib>

#include "core/constants.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/stems/stems.h"
#include "notes/stems/stems_internal.h"

namespace ql {

namespace {

constexpr int kStaffLinesShift = 8;  // StaffRecord::flags bits 8-11
constexpr int kStaffLinesMask = 0x0F;
constexpr int kFiveLineMiddle = 4;   // the middle line of a five-line staff is step -4
constexpr int kFewLinesLimit = 4;    // two to four lines
constexpr uint8_t kLowerVoicesMask = 0x0C;  // voices 3 and 4 of a voice mask

int StaffLineCount(const StaffRecord& staff) {
    return (staff.flags >> kStaffLinesShift) & kStaffLinesMask;
}


// True when the view shows voices by a mask or another voice of the current cell
// holds a note, a rest or an element: stems then follow the voice.
bool StemsFollowVoice(const ScoreView* view) {
    if (view->voiceDisplayMask != 0) return true;
    MeasureCell* cell = view->currentCell;
    if (cell == nullptr) return false;
    for (int voice = 1; voice < kVoiceCount; ++voice)
        if (HasVoiceLists(*cell, voice) && !IsVoiceEmpty(cell, voice)) return true;
    return false;
}

}  // namespace

int StemDistanceFromMiddle(const StaffRecord* staff, int step) {
    if (staff == nullptr) return step + kFiveLineMiddle;
    const int lines = StaffLineCount(*staff);
    if (lines <= 1) return -kFiveLineMiddle - step;
    if (lines <= kFewLinesLimit) return step + lines + 1;
    return step + lines - 1;
}

namespace stems {

void TallyChord(const ScoreView* view, const VoiceChords& voice, int chord, StemTally& tally) {
    if (voice.Head(chord)->word2 & kHeadHidden) return;
    const StaffRecord* staff = view != nullptr ? view->currentStaffRecord : nullptr;
    for (int i = 0; i < voice.NoteCount(chord); ++i)
        TallyDistance(StemDistanceFromMiddle(staff, SignedStep(*voice.Note(chord, i))), tally);
}

StemRule::StemRule(const ScoreView* view) {
    const NotesGlobals& notes = State().notes;
    stemMode_ = notes.StemMode;
    keepsDirection_ = notes.KeepStemDirection != 0;
    keptUp_ = notes.KeptStemDirection != 0;
    if (view == nullptr || !StemsFollowVoice(view)) return;
    followsVoice_ = true;
    voiceUp_ = (view->voiceMask & kLowerVoicesMask) ? 0 : 1;
}

int ChooseStemDirection(const ScoreView* view, const StemTally& tally, int fallback) {
    return StemRule(view).Choose(tally, fallback);
}

void RepairShortDurations(const VoiceChords& voice, int chord) {
    for (int i = 0; i < voice.NoteCount(chord); ++i) RepairShortDuration(*voice.Note(chord, i));
}

void ApplyChordStemDirection(const VoiceChords& voice, int chord, int up) {
    EventRecord* head = voice.Head(chord);
    head->flags |= kEventChordHead;
    SetStemBit(*head, up);
    SetStemField(*head, 0);
    for (int i = 1; i < voice.NoteCount(chord); ++i) {
        EventRecord* note = voice.Note(chord, i);
        SetStemBit(*note, up);
        note->duration = head->duration;
        note->flags &= static_cast<uint16_t>(~kEventChordHead);
        SetStemField(*head, SignedStep(*note) - SignedStep(*head));
    }
    MarkChordSeconds(voice, chord);
}

// Walking from the head (from the last note when the stem is up), a note a step or
// less from the one before goes to the far side unless that one already did.
void MarkChordSeconds(const VoiceChords& voice, int chord) {
    const int count = voice.NoteCount(chord);
    if (count == 1) {  // a single note has no second: both marks cleared
        voice.Head(chord)->word2 &= static_cast<uint16_t>(~(kHeadFarSide | kChordHasSecond));
        return;
    }
    const bool up = (voice.Head(chord)->flags & kStemUp) != 0;
    bool anyFar = false;
    bool previousFar = false;
    for (int k = 0; k < count; ++k) {
        EventRecord* note = voice.Note(chord, up ? count - 1 - k : k);
        bool far = false;
        if (k > 0) {
            const EventRecord* before = voice.Note(chord, up ? count - k : k - 1);
            far = !previousFar && std::abs(SignedStep(*note) - SignedStep(*before)) <= 1;
        }
        if (far) note->word2 |= kHeadFarSide;
        else note->word2 &= static_cast<uint16_t>(~kHeadFarSide);
        anyFar = anyFar || far;
        previousFar = far;
    }
    for (int i = 0; i < count; ++i) {
        EventRecord* note = voice.Note(chord, i);
        if (anyFar) note->word2 |= kChordHasSecond;
        else note->word2 &= static_cast<uint16_t>(~kChordHasSecond);
    }
}

}  // namespace stems
}  // namespace ql
