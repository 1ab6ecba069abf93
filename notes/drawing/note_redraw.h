// The redraw entry points of note drawing that note entry and editing call after a
// change. Each draws at the view's current staff and measure with baseline-left text
// alignment; the "linked" forms then repeat the drawing in every other view of the
// same score (NextLinkedView), each moved to the calling view's staff and measure
// and drawn inside its own drawing bracket, after which the calling view is active
// again. "Saved" forms draw each part inside a selection-draw bracket (the erase
// colours), so that an old image is drawn away, and then put back in ink what the
// paper took with it (whatever is drawn away takes the paper of its box): the staff
// lines of the measure and of every measure the boxes reach, and inside each box the
// ink of the other voices, of the same voice's other chords when one chord or group
// went alone, and of the cells beside it (the next measure under a tie, the other
// staff under a cross-staff note).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScoreSystem;
struct StaffRecord;
struct MeasureCell;
struct EventRecord;

// False when the system leaves the staff out.
bool IsStaffShownIn(const ScoreSystem* system, int staff);
// Voices 0..3 of a cell.
void DrawStaffNotesAllVoices(ScoreView* view, MeasureCell* cell);
// The elements (rests) of every voice; a voice whose hidden-stem bit (cell word bits
// 12-15) is set marks its first element hidden and is dimmed, as is a voice the
// view's voice filter leaves out.
void DrawVoiceItems(ScoreView* view, MeasureCell* cell);
// The elements of one voice, only when its first element is a rest.
void DrawVoiceElements(ScoreView* view, MeasureCell* cell, int voice);
// One voice: notes, then elements; in every linked view.
void DrawNoteChain(ScoreView* view, int voice);
void DrawNoteChainSaved(ScoreView* view, int voice);
// One voice's elements; in every linked view.
void DrawNoteChainOnLinkedViews(ScoreView* view, int voice);
void DrawNoteChainOnLinkedViewsMasked(ScoreView* view, int voice);
// All four voices and their elements, a filtered-out voice dimmed; in every linked view.
void DrawCellNotesLinked(ScoreView* view);
void DrawCellNotesAllVoicesSaved(ScoreView* view);
// One chord or its beam group: here, in every linked view, and the saved forms (then
// the current measure is redrawn in the highlight colours).
void RedrawNotesLinked(ScoreView* view, EventRecord* chord);
void DrawNoteGroupSaved(ScoreView* view, EventRecord* chord);
void DrawNoteGroupSavedLinked(ScoreView* view, EventRecord* chord);
// The chord's group and every later chord of its voice drawn away together (saved
// form), here and in every linked view.
void DrawNoteGroupsOnwardSavedLinked(ScoreView* view, EventRecord* chord);
// The current measure's slot redrawn in this view, then in every linked view moved to
// this view's staff and measure; this view is active again at the end.
void RedrawMeasureLinked(ScoreView* view);
// The rest an empty current measure shows, taken off the paper here and in every
// linked view before a first note goes in; true when there was one.
bool EraseEmptyMeasureRestLinked(ScoreView* view);

// The view moved to a staff and measure for drawing (system of the current page
// holding the measure, slot, staff record, cell, the staff's scaled fonts), put back
// on every path.
class NoteDrawLocation {
  public:
    NoteDrawLocation(ScoreView* view, int staff, int measure);
    ~NoteDrawLocation();
    NoteDrawLocation(const NoteDrawLocation&) = delete;
    NoteDrawLocation& operator=(const NoteDrawLocation&) = delete;
    // False when the measure has no cell or no system on the view's page.
    bool IsDrawable() const { return drawable_; }

  private:
    ScoreView* view_;
    bool drawable_ = false;
    ScoreSystem* savedSystem_;
    int savedSlot_;
    int savedStaff_;
    int savedMeasure_;
    StaffRecord* savedStaffRecord_;
    MeasureCell* savedCell_;
    EventRecord* savedChain_;
    int32_t savedStaffY_;
    double savedScale_;
};

}  // namespace ql
