// The "Key Selection" dialog (823) at the view's location (staff and measure): the
// key, major or minor, where the change goes, its range, and whether the notes are
// transposed (up or down) or keep their pitches. OK writes the key over the range of
// the location's staff, or of every staff, marks the double barlines of the measures
// where the key now changes (and clears those whose change is gone, when
// transposing), and refreshes the layout, as one undoable edit.
#pragma once

namespace ql {

struct ScoreView;

struct KeyDialogStart {
    int key = 7;                 // the key shown chosen
    bool withinMeasure = false;  // "Insert key change within measure" preselected
    int tick = 0;                // the change object's tick within the measure
};

// The key names, by key code ("C (A Minor)" for 7); "" outside 0..14.
const char* KeyName(int key);

// 1 on OK (the key written), 2 when cancelled, when nothing was to change (a change
// within the measure without a tick) or when the view has no location. On OK the key
// chosen is stored in `chosenKey` when given, and in `insertWithin` whether the
// change goes within the measure (the caller then inserts the key object).
int KeySelectionDialog(ScoreView* view, const KeyDialogStart& start, int* chosenKey = nullptr,
                       bool* insertWithin = nullptr);

}  // namespace ql
