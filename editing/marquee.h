// The marquee (object type 0): the rubber-band rectangle the Pointer tool draws over
// empty paper. It shows itself by inverting the pixels of its view's backing store,
// offers three handles (handle 0 carries the rectangle and is never hit, handle 1 is
// the corner being dragged, handle 2 covers the whole rectangle and moves it) and
// hands edit commands, keys and its delete to the objects inside it. One marquee
// exists at a time; its state is MarqueeState in the program state.
//
// Records: a marquee comes from pool 8 of the current pool set while a document's
// prototypes are built, else from static pool 1, and goes back to the pool it came
// from. Inversion: `inverted` always names exactly the pixels inverted now, so that
// an erase, and the erase and redraw around a paint, give the screen back.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/objects/score_object.h"
#include "core/ui/selection_services.h"
#include "platform/gfx/types.h"

namespace ql {

struct ScoreView;
struct HitRecord;

#pragma pack(push, 1)
struct MarqueeBody {
    ObjectLocation location;  // top-left corner: page anchors in page view, else time
    int32_t width;            // logical units
    int32_t height;
    uint8_t spare[4];
};
struct MarqueeObject {
    ScoreObject header;
    MarqueeBody body;
};
#pragma pack(pop)
constexpr uint32_t kMarqueeBodyBytes = 20;
static_assert(sizeof(MarqueeBody) == kMarqueeBodyBytes);
static_assert(std::is_trivially_copyable_v<MarqueeObject>);

// The three handles, by kind.
constexpr uint8_t kMarqueeFrameHandle = 0;   // carries the rectangle; never drawn or hit
constexpr uint8_t kMarqueeCornerHandle = 1;  // the corner a drag moves
constexpr uint8_t kMarqueeMoveHandle = 2;    // the whole rectangle; a drag moves it
constexpr int32_t kMarqueeMoveHandleRise = 64;  // handle 2's point above the bottom edge
constexpr int32_t kNewMarqueeExtent = 8;        // width and height of a new marquee
constexpr int32_t kNarrowMarqueeUnits = 128;    // narrower marquees lose the focus
// Ctrl+arrow moves: horizontally, vertically (logical units).
constexpr int32_t kMarqueeKeyStepX = 16;
constexpr int32_t kMarqueeKeyStepY = 64;

// Cursors: over the move handle, and by the pointer's quadrant of the rectangle.
constexpr int kMarqueeMoveCursor = 384;
constexpr int kMarqueeLowerCursor = 382;
constexpr int kMarqueeUpperRightCursor = 383;
constexpr int kMarqueeUpperLeftCursor = 385;

// Registers the marquee's class and its constructor by type code (start-up; tests
// after resetting the class table).
void RegisterMarqueeClass();
// Runs the marquee's constructor on a zero-filled record.
void ConstructMarquee(ScoreObject* object);

inline MarqueeObject* AsMarquee(ScoreObject* object) {
    return reinterpret_cast<MarqueeObject*>(object);
}

// The marquee whose handles are built, or null; its rectangle (logical units).
ScoreObject* CurrentMarquee();
gfx::Rect CurrentMarqueeRect();

// Inverts, on the view's window surface, what changes from the part inverted now
// (`inverted`, device pixels) to `rect` (logical units, device-rounded and clipped
// to the window): where both overlap only their symmetric difference, as strips,
// else the old part and then the new one whole. `inverted` becomes what is inverted.
void UpdateInvertedMarquee(ScoreView* view, const gfx::Rect& rect, gfx::Rect* inverted);
// The strips that turn the inversion of `from` into that of `to` (device pixels):
// the parts of `from` left and right of `to`, above and below it, then the same of
// `to` against `from`; both whole when they do not overlap. Returns the count (at
// most 8) written to `out`.
int MarqueeInversionStrips(const gfx::Rect& from, const gfx::Rect& to, gfx::Rect out[8]);

// For the hit test of the tools' mouse processing: when the view's pointer lies in
// one of the current marquee's corner squares, that corner (top-left, bottom-left,
// top-right, bottom-right, tested in that order) becomes the hit record's point; 1
// then, else 0.
int GrabMarqueeHandle(ScoreView* view, HitRecord* hit);

// The area a redraw of the marquee's region covers: `rect` grown on every side by
// the larger of half its width (height) and 64 units, round after round, until it
// is at least 2048 units wide and high; each side stops at -32767 or 32767.
gfx::Rect MarqueeRedrawArea(const gfx::Rect& rect);
// Invalidates that area, its left edge first moved to the start of the measure
// the marquee begins in, on the view's window.
void RedrawMarqueeRegion(ScoreView* view);

// For one drag step of the focused object: when it is the current marquee, its
// erase leaves the screen and the inverted part alone, so that the draw after the
// step inverts only what changed. Restores the switch on every path.
class MarqueeEraseSuppressed {
  public:
    explicit MarqueeEraseSuppressed(const ScoreObject* object);
    ~MarqueeEraseSuppressed();
    MarqueeEraseSuppressed(const MarqueeEraseSuppressed&) = delete;
    MarqueeEraseSuppressed& operator=(const MarqueeEraseSuppressed&) = delete;

  private:
    uint8_t saved_;
};

// Takes the marquee off the screen and forgets it (the selection's reset, before it
// empties the static pools): nothing names the record afterwards.
void ForgetMarquee(ScoreView* view);
// The marquee's own delete, DestroyMarquee, is in core/ui/selection_services.h.

}  // namespace ql
