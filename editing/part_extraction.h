// Part extraction: the staves inside the marquee copied into a new score window
// "untitled_PART", laid out from a template, from the master score or from the
// new-file defaults, with their groups, transposition and measures; the layout
// dialog (495) that chooses how; and the rules the copy applies to group bits
// and keys, which the tests check on their own.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct StaffRecord;

inline constexpr char kPartWindowName[] = "untitled_PART";

// The command (File menu, Ctrl+K): the staves inside the marquee. Without a
// marquee around a staff a box says what to select; other messages go to the
// status line.
void ExtractPart(ScoreView* view);
// The command's work once the staves are known: a part of staves first..last of
// the view's document (a range outside the score does nothing).
void ExtractStaves(ScoreView* view, int firstStaff, int lastStaff);

// Dialog 495's procedure for the view's document: the working choice starts as
// "last selection" (the stored one), or as "copy from master" with both page-item
// options set when the document has none; OK with the template choice asks for
// the template (a cancel keeps the dialog open) and stores a choice that differs
// from the stored one. Ends with 1 (OK) or 2 (Cancel).
intptr_t ExtractPartLayoutProc(ScoreView* view, platform::WindowHandle dialog, win::Message message,
                               uint32_t word, intptr_t data);
// Runs dialog 495 for the view; its result.
intptr_t RunExtractPartLayoutDialog(ScoreView* view);
// The choice the last run of the dialog ended with (3117 when it kept the stored one).
int32_t LastExtractPartChoice();

// The group bits of the part's staves (first..last of `part`, `count` staves) from
// the first and last selected source staves: brackets when both carry bracket bits,
// else braces when both carry brace bits, else none; a single staff gets none.
void SetPartGroups(StaffRecord* const* part, int count, const StaffRecord& firstSource,
                   const StaffRecord& lastSource);

// A key code moved by `semitones` (each one up: k + 7 below 8, else k - 5; down:
// k + 5 below 8, else k - 7).
uint8_t KeyMovedBySemitones(uint8_t key, int semitones);
// Semitones reduced into -12..12 by whole octaves; `octaves` gets what was taken
// off, in semitones.
int ReducedTransposition(int semitones, int* octaves);

}  // namespace ql
