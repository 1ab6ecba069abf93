// Services of the score-object classes that the score model and the editors call
// directly: destructors by class, repeat-ending ranges, text-box strings, lyric
// entry, curve filling, tuplet points and chord-symbol glyphs.
#pragma once

#include <cstdint>
#include <string>

#include "core/model/geometry.h"
#include "platform/handles.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScoreObject;
struct StaffRecord;

// Frees the document's repeat-ending list; it is rebuilt on demand.
void FreeRepeatEndingList(ScoreDocument* document);

// A measure range of a repeat ending and its pass numbers (0 none).
struct RepeatEndingRange {
    int16_t firstMeasure = 0;
    int16_t lastMeasure = 0;
    uint8_t passes[4] = {};
};

// The repeat-ending range that contains a measure (the one starting last when
// several do), building the document's list when absent; null when the measure
// lies in no ending. The view is not used. Valid until the list is freed.
const RepeatEndingRange* FindRepeatEndingAtMeasure(ScoreDocument* document, ScoreView* view,
                                                   int measure);

// Every ending's range, highest first measure first (objects/spanners/
// repeat_ending_list.h), building the list when absent; null when the score has none.
struct RepeatEndingList;
const RepeatEndingList* GetRepeatEndingList(ScoreDocument* document);

// Text-box destructor (types 6 and 28): restores its class, frees its string.
void DestroyTextBox(ScoreObject* object);

// Tuplet destructor: restores its classes, then the text clean-up.
void DestroyTupletBody(ScoreObject* object);

// Picture destructor: deletes the cached bitmap. The picture bytes belong to the
// document and live until the document is destroyed.
void DestroyPicture(ScoreObject* object);

// Returns a staff, area or measure element object to pool 1.
void FreeArea(ScoreObject* object);

// In-place text entry with a caret; 2 when nothing was started.
int EditLyricInPlace(ScoreObject* object, ScoreView* view);

// The text box's pooled string (may be empty).
const char* GetTextBoxString(ScoreObject* textBox);

// The text of the first staff label on the staff's object list; empty when the
// staff has none. The document's pools must be the current ones.
std::string StaffLabelText(const StaffRecord* staff);

// Fills the area between two cubic Bezier curves with the current curve pen and
// brush, dashed when lineStyle is 1; shared with slurs.
void FillCurveCrescent(ScoreView* view, platform::DcHandle dc, const LogicalPoint* outer,
                       const LogicalPoint* inner, int lineStyle);

// Rebuilds a chord symbol's glyph from its root, accidental and quality.
void SetGuitarChordGlyph(ScoreObject* chordSymbol);

// Places a tuplet mark attached to a note (the view located at the note's measure):
// ComputeTupletPoints from the tuplet group of its note (the bracket over the group's
// stem ends, or the curve and label from it); ComputeTupletPointsRelative re-fits it
// from its own stored points relative to the note. Neither moves a mark placed by
// hand or one whose note is gone.
void ComputeTupletPoints(ScoreView* view, ScoreObject* tuplet);
void ComputeTupletPointsRelative(ScoreView* view, ScoreObject* tuplet);

}  // namespace ql
