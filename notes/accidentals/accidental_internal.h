// Internals shared by the accidental files: the class, the note that owns a sign,
// where a sign stands and the font it is drawn in.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"
#include "core/text/text_object.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct EventRecord;

namespace accidentals {

// Undo type of accidental edits.
constexpr uint8_t kAccidentalUndoType = 38;

class AccidentalClass final : public TextObjectClass {
  public:
    void Draw(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void Invalidate(ScoreObject* object, ScoreView* view) const override;
    void ConstrainDrag(ScoreObject* object, ScoreView* view) const override;
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                   HitRecord* hit) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
    void ResetState(ScoreObject* object, ScoreView* view) const override;
    const char* GetDisplayText(ScoreObject* object, ScoreView* view) const override;
    // Draws the display text at the sign's place (the note's place plus the offset).
    void DrawString(ScoreObject* object, ScoreView* view, platform::DcHandle dc) const override;
};
const AccidentalClass& TheAccidentalClass();

// Root and text construction, then the Accidental's class, type 38, subtype 3, style
// 3, the music-glyph flag, glyph 0 and offsets 0.
void ConstructAccidental(ScoreObject* record);

// The note whose attachment chain this sign heads: its previous link must name a live
// event whose attachment resolves to the sign; null otherwise.
EventRecord* OwnerNoteOfSign(const ScoreObject* accidental);

// The note's size class 0..2 (3 for a damaged record).
int SizeClassOfNote(const EventRecord& note);
// The horizontal offset a new or reset sign gets: minus the document's accidental
// column width, and a black head further left for a far-side head with the stem down.
int16_t DefaultAccidentalOffset(const ScoreView* view, const EventRecord* note);

// The point the sign is drawn at (centre, baseline) in the view's current measure.
LogicalPoint SignPoint(ScoreView* view, const ScoreObject* accidental, const EventRecord& note);
// The music font of a note size class (0 normal, 1 petite, 2 grace); null for others.
platform::FontHandle SignFontOfSize(int sizeClass);
// The music font of a text style 1..3 (3 full size, 2 petite, 1 grace).
platform::FontHandle SignFontOfStyle(int style);

}  // namespace accidentals
}  // namespace ql
