// Internals shared by the rest files: the default-place rows, checked walks of a
// voice's element list, the voice a view edits, the rest class object and the
// geometry of a rest's glyph.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "notes/rests/rest.h"

namespace ql {

struct MeasureCell;
struct ScoreView;

namespace rests {

// Module tag of the rest code's reports.
inline constexpr char kModuleTag[] = "REST";
// The notice of a rest that does not fit the room left in its voice.
inline constexpr char kNoRoomNotice[] = "No more room in measure.";
// Most elements a walk of one voice list visits (a longer list loops).
constexpr int kMaxVoiceElements = 64 * 1024;
// Undo type of rest edits.
constexpr uint8_t kRestUndoType = 45;
// Codes a rest may take, and the rests drawn with a ledger line (half and longer).
constexpr int kShortestRestCode = 4;
constexpr int kShortestSteppedCode = 5;
constexpr int kLongestRestCode = 13;
constexpr int kHalfRestCode = 11;
constexpr int kWholeRestCode = 12;
constexpr int kDoubleWholeRestCode = 13;
constexpr int kVoiceMaskLimit = 15;
// A shortfall of the room left below this many ticks is accepted.
constexpr int kRoomTolerance = 16;

bool IsRestCode(int code);
// Rests drawn with position on a line, fine offset 0 (half, whole, double whole).
bool IsLongRestCode(int code);

// The live pool-8 object after `element` in its list, or null (end, or a link that
// does not name a live record).
ScoreObject* NextElement(const ScoreObject* element);
// The element list head of a voice of a cell; null when it has none.
ScoreObject* VoiceListHead(MeasureCell* cell, int voice);
// True when the voice's element list has an element or its chain has an event.
bool IsVoiceInUse(MeasureCell* cell, int voice);
// The first voice of the view's voice mask (0 when the mask is empty or above 15).
int ActiveVoice(const ScoreView* view);
// The voice (0..3) of the current cell whose element list holds the rest; -1 none.
int VoiceOfRest(MeasureCell* cell, const ScoreObject* rest);

// The default place of a code from one of the three rows.
enum class RestRow : uint8_t { Single, Upper, Lower };
int RestRowPlace(RestRow row, int code);

// Glyph extents of a code above and below the rest's y (logical units); 0 outside
// 4..13. The half width comes from the document's music-font metrics.
int32_t RestExtentAbove(int code);
int32_t RestExtentBelow(int code);
int32_t RestHalfWidth(const ScoreView* view, int code);
// The device tuning of half and whole rests by the view's zoom level, added to y.
int32_t RestZoomNudge(const ScoreView* view, int code);

// The rest's class: the root family's defaults except these.
class RestClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override;
    uint32_t GetBodySize(const ScoreObject* object) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    void DrawTracking(ScoreObject* object, ScoreView* view) const override;
    void ReleaseCache(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    int FollowLocation(ScoreObject* object, ScoreView* view) const override;
    void Invalidate(ScoreObject* object, ScoreView* view) const override;
    void ConstrainDrag(ScoreObject* object, ScoreView* view) const override;
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                   HitRecord* hit) const override;
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override;
    int OnEditCommand(ScoreObject* object, ScoreView* view, int command, int value) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
};
const RestClass& TheRestClass();

// The ledger line a half (11), whole (12) or double whole (13) rest at an even
// position needs on the current staff: its position, or false for none.
bool RestLedgerLine(const ScoreView* view, int code, int position, int* line);

// The glyph box of a rest at its anchor.
RecordRect RestGlyphBox(ScoreView* view, const ScoreObject* rest, LogicalPoint at);

// Shifts the voice's elements and notes from `tick` on by `delta` ticks in the view's
// current staff and measure.
void ShiftVoiceFrom(ScoreView* view, int voice, int tick, int delta);
// Whether `extra` more ticks fit the room left in the voice (an overrun below
// `tolerance` ticks is accepted); when not, with "Auto extend measure" on the measure
// is extended and true is the result.
bool RoomForTicks(ScoreView* view, int voice, int extra, int tolerance);

}  // namespace rests
}  // namespace ql
