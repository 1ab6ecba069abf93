// The score painter (module DRAW): one ScoreView painted on its drawing surface, the
// whole current page in page view or the strip of measures of the scroll view.
// Systems are drawn by DrawSystem, notes and rests by note drawing, every score object
// by its class (Update, Draw or Paint). A paint is limited to the area being
// repainted: the painter's paint rectangle when it is active, else the visible
// rectangle. Staves outside its band and measure slots outside its x range are not
// drawn. Painting runs under the painting guard and never counts as an edit; the
// view's location is given back at the end.
//
// Object lists are walked, never rewritten: a node that is not a live object of the
// document's pools ends the walk of that list, and one "DRAW" notice is shown per
// paint. Entry points PaintViewContents, RepaintScoreView and RedrawCurrentMeasure
// are declared in display/linked_views.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/state/painter_state.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct ScoreSystem;
struct ScoreDocument;

// The band around a repainted area inside which a staff is drawn at all.
constexpr int32_t kBandAbove = 2048;
constexpr int32_t kBandBelow = 1024;
// Line of the damaged-object-list notice.
constexpr int kBadObjectListLine = 1346;

// The score window's paint: one paint cycle on the view's window (a context clipped to
// the invalid area), the painter's paint rectangle set to that area, and
// PaintViewContents with the erase the window asked for. Nothing without an invalid
// area.
void PaintScoreWindow(ScoreView* view);
// "Smooth Display": drops the off-screen context of the paint, and its bitmap too
// when `bitmapToo`.
void ReleaseSmoothPaint(bool bitmapToo);
// Whether the off-screen bitmap of "Smooth Display" exists.
bool HasSmoothPaintBitmap();

// The marquee's inversion on the view's window is taken off before its pixels are
// painted over, and drawn again after: the marquee hidden, or null when the window
// shows none.
ScoreObject* HideMarqueeForPaint(ScoreView* view);
void ShowMarqueeAfterPaint(ScoreView* view, ScoreObject* marquee);

// Draws the current page or the scroll strip by the view's mode, on a surface the
// caller opened (printing, clipboard pictures): no erase, no context handling.
void DrawScoreContents(ScoreView* view);
void DrawPageView(ScoreView* view);
// The current page's items, its master page's and the running text drawn again, as
// the page paint draws them after the music, for a caller that has limited the
// clip to what it took off the paper. Nothing in scroll view or off a page.
void DrawPageItemsAgain(ScoreView* view);
void DrawScrollView(ScoreView* view);

// The background filled over the client rectangle (EraseViewClient) or the visible
// rectangle (EraseViewPage), or over the paint rectangle when it is active.
void EraseViewClient(ScoreView* view);
void EraseViewPage(ScoreView* view);

// The area a paint covers: the paint rectangle when active (in page view only when
// clipboard rendering is off or printing is on), else the visible rectangle.
PaintArea PaintedArea(const ScoreView* view);
// bandTop = top - 2048 (kLogicalOrigin when top is within 2048 of it), bandBottom =
// bottom + 1024, at most kLogicalMax.
void SetClipBandFromRect(const PaintArea& rect);
// firstSlot and lastSlot for the current system: two slots left of the first slot
// starting inside the area (at least 1), up to the first slot ending past its right
// edge; all slots when printing asks for no range.
void SetClipSlotRange(ScoreView* view, const PaintArea& rect);
// The band of a shown staff (from the staff above's y to this staff's y plus a
// margin) intersected with the rectangle; false when empty.
bool StaffBandIntersects(ScoreView* view, const ScoreSystem* system, int firstShown, int lastShown,
                         int staff, const PaintArea& rect);

// First pass over an object list: everything but margins (the page painter draws
// them under the music), filled boxes and circles and opaque
// pictures; true when it left objects for the second pass.
bool DrawObjectsFirstPass(ScoreView* view, ScoreObject* first);
// Second pass over the same list: only what the first pass left.
void DrawObjectChain(ScoreView* view, ScoreObject* first);
// The bytes from the object to the end of its record when it is a live record of the
// document's pools (at the record's start, or after the MIDI action of a MIDI-carrying
// record) with a known type; 0 otherwise. Bodies are read only when they fit.
size_t SoundObjectBytes(const ScoreDocument* document, const ScoreObject* object);
bool IsSoundObject(const ScoreDocument* document, const ScoreObject* object);
// The same test against one pool set.
size_t SoundObjectBytesInSet(PoolSet set, const ScoreObject* object);
// True when the object is sound in the current pool set or in the pools of the score
// of any open view: for walks that have a cell but not its score.
bool IsObjectOfAnOpenScore(const ScoreObject* object);

// The staff lines of a staff and its neighbours redrawn over slots first..last.
void RedrawMeasureRange(ScoreView* view, int staff, int firstSlot, int lastSlot);
// The first and last slots of the current system that x = left..right reaches, the
// current slot always among them; false off a drawable page.
bool SlotsReaching(ScoreView* view, int32_t left, int32_t right, int* first, int* last);
// DrawObjectsFirstPass on the current cell's list; 0 when the cell has none.
int DrawCurrentCellObjects(ScoreView* view);

}  // namespace ql
