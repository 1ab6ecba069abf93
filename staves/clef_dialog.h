// The "Clef Selection" dialog (810) at the view's location: the clef kind picked from
// four groups (G, F, C, Other; each group remembers its current member between
// runs), where the change goes, its range, and whether the notes move by chromatic
// steps up or down and are transposed. OK applies a change from the start of the
// measure over the range; a change inside the measure is left to the caller, which
// inserts the clef object (the range then starts at its tick).
#pragma once

namespace ql {

struct ScoreView;

struct ClefDialogStart {
    int kind = 0;                // the clef in force, shown chosen
    bool withinMeasure = false;  // "Insert clef change within measure" preselected
    int tick = 0;                // the clef object's tick within the measure
};

struct ClefDialogResult {
    int result = 2;             // 1 OK, 2 cancelled or no location
    int kind = 0;               // the kind chosen
    bool insertWithin = false;  // the caller inserts the clef object at its tick
};

// The name shown for a clef kind ("Treble", "Bass", ...); "" outside 0..14.
const char* ClefKindName(int kind);

ClefDialogResult ClefSelectionDialog(ScoreView* view, const ClefDialogStart& start);

// Program start: the groups' current members are G 0, F 3, C 1, Other 5.
void ResetClefGroupMembers();

}  // namespace ql
