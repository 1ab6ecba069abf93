// The selection engine's pointer and hit-record entry points, as far as the rest and
// accidental tools need them.
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/model/score_document.h"
#include "editing/selection.h"
#include "platform/gfx/mapping.h"
#include "platform/win/messages.h"

namespace ql {

// provisional: the selection engine is not built; the pointer of the message is
// converted through the view's open surface (kept as it is without one) and stored
// in the view. The location is not derived from it.
void PointerToLogicalPoint(ScoreView* view, uint32_t packedPoint) {
    if (view == nullptr) return;
    gfx::Point point = win::UnpackPoint(static_cast<intptr_t>(packedPoint));
    if (view->ViewDC) point = gfx::DeviceToLogical(view->ViewDC, point);
    view->pointerPoint = LogicalPoint{point.x, point.y};
}

// provisional: the selection engine's lists are not built beyond the records of the
// SelectionState; the chain is linked at the end of list A, where the engine keeps
// the records that can be selected.
void AddHitRecords(ScoreView* /*view*/, HitRecord* chain) {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr || chain == nullptr) return;
    AppendHitRecord(&selection->listATail, chain);
}

}  // namespace ql
