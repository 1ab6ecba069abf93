// The staff-management dialogs of the current staff: "Staff Management" (what the
// staff hides in which systems, its size, line count and ossia bits), opened by the
// staff element's EditAttributes, and the three dialogs it opens: "Unhide Staves",
// "Staff MIDI Setup" and the staff's "Transpose". Each applies its changes as one
// undoable edit on OK; Cancel changes nothing.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct StaffRecord;

// Staff sizes the dialog takes: 0 (full size) or 50..100 percent; 100 is stored as 0.
constexpr int kSmallestStaffSize = 50;
constexpr int kFullStaffSize = 100;
constexpr int kMostStaffLines = 15;
constexpr int kDefaultStaffLines = 5;

// The staff's `flags` fields the dialog edits.
constexpr uint16_t kStaffLineCountMask = 0x0F00;
constexpr int kStaffLineCountShift = 8;
constexpr uint16_t kStaffOssia = 0x1000;
constexpr uint16_t kStaffOssiaToAbove = 0x2000;
constexpr uint16_t kStaffConnect = 0x4000;
constexpr uint16_t kStaffOssiaBits = 0xF000;

// Runs "Staff Management" (851) for the view's current staff in its current system;
// the dialog's result (1 OK, 2 Cancel, -1 no template); 2 without a current staff.
intptr_t RunStaffManagementDialog(ScoreView* view);

// Runs "Unhide Staves" (855): 0 for all staves, a staff number for one staff, -1
// when cancelled or when no staff of the current system is hidden.
int RunUnhideStavesDialog(ScoreView* view);

// Runs "Staff MIDI Setup" (831) on staff `staff`; 1 when OK was chosen (its changes
// one undoable edit, verb "Modify", kind "Timbre").
int RunStaffMidiDialog(ScoreView* view, int staff);

// Runs "Transpose" (857) on staff `staff`; 1 when OK changed the staff's
// transposition (one undoable edit, verb "Modify", kind "Staff").
int RunStaffTransposeDialog(ScoreView* view, int staff);

// The signed semitone offset of a transposition word and an octave count: 0 for
// direction None; otherwise the interval's semitones (less one for the lowered
// quality) plus 12 per octave, negative unless the direction is Up.
int TranspositionSemitones(uint16_t word, int octaves);

// The octave count the dialog shows for a semitone offset.
int TranspositionOctaves(int semitones);

}  // namespace ql
