// The note commands of the Notes menu, the note popup menus and the marquee's keys:
// each acts on every note (and rest) inside the marquee, or, when the marquee holds
// no note, on the grabbed note (a note handle of kind 3 or more), in one undoable
// edit. ApplyNoteCommand (editing/selection.h) is the menu's entry.
#pragma once

#include <cstdint>
#include <vector>

#include "editing/marquee_walk.h"

namespace ql {

struct ScoreView;

// Menu commands of the note commands.
namespace note_cmd {
constexpr int kNormalSize = 40158;
constexpr int kPetiteSize = 40159;
constexpr int kGraceSize = 40160;
constexpr int kNoteHead = 40161;
constexpr int kStaccato = 40162;
constexpr int kLegato = 40163;
constexpr int kFanLeft = 40348;
constexpr int kFanRight = 40349;
constexpr int kFlipStem = 40352;
constexpr int kEnharmonic = 40353;
constexpr int kTranspose = 40354;
constexpr int kHideSound = 40355;
constexpr int kHideStem = 40356;
constexpr int kHideHead = 40357;
constexpr int kAttackDelay = 40370;
constexpr int kReleaseDelay = 40371;
constexpr int kKeyVelocity = 40415;
constexpr int kTimbre = 40426;
constexpr int kCrossStaff = 40452;
constexpr int kHideBeams = 42054;
constexpr int kHideLowestBeam = 42055;
constexpr int kHideAll = 42056;
constexpr int kResetPosition = 42103;
constexpr int kMoveLeft = 42145;
constexpr int kMoveRight = 42146;
constexpr int kMoveUp = 42147;
constexpr int kMoveDown = 42148;
constexpr int kSecondAbove = 42163;  // .. 42169 the octave above
constexpr int kSecondBelow = 42170;  // .. 42176 the octave below
constexpr int kSlashStem = 42214;
}  // namespace note_cmd

// Hide masks.
constexpr int kHideSoundMask = 1;
constexpr int kHideHeadMask = 2;
constexpr int kHideStemMask = 4;
constexpr int kHideBeamsMask = 8;
constexpr int kHideLowestBeamMask = 16;

// Size codes.
constexpr int kSizeNormal = 0;
constexpr int kSizePetite = 1;
constexpr int kSizeGrace = 2;

// The notes a command acts on: the marquee's, else the grabbed note.
std::vector<WalkedItem> NoteCommandTargets(ScoreView* view);

// The marquee's keys (Shift, G, P, N, H, /, S, L, E, F, X, the arrows and the digits
// 2 to 8, above with Alt held); 1 when the key is one of them.
int MarqueeKeyCommand(ScoreView* view, uint32_t key);

// The edits, each on the command's notes; 1 when something changed. They run inside
// the caller's undoable edit.
int ToggleNoteHideBits(ScoreView* view, int mask);
// Shows head, stem, beams and lowest beam of every note when any of them is hidden
// on any note, else hides all four; then flips the hidden bit of every rest inside
// the marquee. The sound bit is left alone.
int ToggleHideAll(ScoreView* view);
// The size of every note and rest inside the marquee (or of the grabbed note).
int SetElementSize(ScoreView* view, int size);
// Every chord's stem the other way, decided for all chords before any is turned.
int FlipMarqueeStems(ScoreView* view);

// The note-head dialog's result applied: -1 (the dialog did not show), 0 and 2
// change nothing; 1 writes the chosen head + 1 into every note; 3 and above write
// the normal head (0).
int ApplyNoteHeadResult(ScoreView* view, intptr_t result, int chosenHead);

// The value a dialog stored on OK, applied to the command's notes: key velocity
// (-127..127), attack and release delays (ticks), timbre (-1 the staff's, 0..3),
// cross staff (0 own staff, else the neighbouring staff), transposition (semitones).
int ApplyNoteDialogValue(ScoreView* view, int command, int value);

}  // namespace ql
