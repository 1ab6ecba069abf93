// System drawing (module DRAW): everything of one staff of a laid-out system that
// belongs to the staff grid rather than to the music. Staff lines, the barline of
// every measure slot across the staves it joins, the signs at the system's start and
// the changes inside it (drawn by the staves code, placed here), measure numbers, and
// at the system's start the bracket and the brace of the staff's group, as music-font
// characters. Staves marked hide-when-empty are left out of systems in which they
// hold nothing and are drawn only over the measures in which they hold events.
//
// Coordinates are logical units; a staff's y is its lowest line of a five-line frame
// and its height 512 x size percent / 100. Slot k of the view's current system stands
// between the beat map's slotX of k and of k + 1; the barline of slot k (k >= 2) is
// at its slotX, slot count + 1 closes the system. Drawing runs under the painting
// guard; the repairs it writes (barline codes, stray group bits, a far-left system
// moved out of the way) are idempotent and never mark the score modified.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

struct ScoreView;
struct ScoreSystem;
struct ScoreDocument;

// A system whose left x falls below this is moved away and not drawn this pass.
constexpr int32_t kFarLeftLimit = -30720;
constexpr int32_t kFarLeftParking = -29696;

// Draws the grid of one staff of the view's current system over slots first..last.
void DrawSystem(ScoreView* view, int staff, int firstSlot, int lastSlot);
// Every staff the current system shows, over all its slots (as the painter does).
void DrawSystemAllStaves(ScoreView* view);

// The staff's lines from x over width at staff y.
void DrawStaffLines(ScoreView* view, int staff, int32_t x, int32_t y, int32_t width);
// One barline of the measure at x from top to bottom (the kinds of the barline byte).
void DrawBarline(ScoreView* view, int staff, int measure, int32_t x, int32_t top, int32_t bottom);
// One vertical stroke: a 1-pixel line when thin on screen below zoom 20, else filled.
void DrawBarStroke(ScoreView* view, int32_t width, int32_t x, int32_t top, int32_t bottom);

// Where a measure stands in the current system: -1 its first measure, 1 just past its
// last, 0 otherwise.
enum BarlinePosition : int { kSystemStart = -1, kInsideSystem = 0, kSystemEnd = 1 };
// The barline byte (low nibble: the kind inside a system, high nibble: the kind at a
// system start) rewritten for a measure's place; applying it twice changes nothing.
uint8_t NormalizedBarlineByte(uint8_t byte, int measure, int position);
// Rewrites the measure record's barline byte for its place in the current system.
void NormalizeBarlineCodes(ScoreView* view, int measure);

// Measure numbers: whether the number of the slot's measure is due on `staff`, and
// drawing it.
bool IsMeasureNumberDue(ScoreView* view, int slot);
// The same for a slot of any system, as a page view or the scroll view shows it.
bool IsMeasureNumberDueIn(ScoreDocument* document, const ScoreSystem* system, int slot, bool pageView);
void DrawMeasureNumber(ScoreView* view, int staff, int slot, int number);
void MeasureNumberDue(ScoreView* view, int staff, int slot);

// The bracket and the brace of the staves first..last at the system's start.
void DrawBracketBody(ScoreView* view, int firstStaff, int lastStaff);
void DrawBracketEnd(ScoreView* view, int firstStaff, int lastStaff, bool top);
void DrawBrace(ScoreView* view, int firstStaff, int lastStaff);

// Runs of slots in which a hide-when-empty staff holds events; none for another
// staff, or for every staff while "OssiaStaves" is set.
struct StaffEventRun {
    int firstSlot = 0;
    int lastSlot = 0;
};
std::vector<StaffEventRun> FindNonEmptyMeasureRuns(ScoreView* view, int staff);

// Hide-when-empty staves: taken out of the systems in which they hold no event
// (the current page's systems, or the scroll view's system), and put back exactly
// as they were. Neither marks the score modified. The hidden state never reaches a
// file or an undo record: undo and the file writer restore first.
void HideEmptyStaves(ScoreView* view);
void RestoreHiddenEmptyStaves(ScoreView* view);
void RestoreHiddenEmptyStavesOf(ScoreDocument* document);

}  // namespace ql
