// The commit of a key signature's drag (see key_drag.h).
#include "staves/key_drag.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "display/view_location.h"
#include "staves/clef_drag.h"
#include "staves/signature_step.h"

namespace ql {

namespace {

struct KeyDrag {
    const ScoreObject* key = nullptr;  // null when no drag is pending
    int staff = 0;
    int measure = 0;
    LogicalPoint handle{};  // where the handle stood as the drag began
};

KeyDrag g_keyDrag;

}  // namespace

void BeginKeyDrag(ScoreView* view, const ScoreObject* key, LogicalPoint handle) {
    g_keyDrag = {};
    if (key == nullptr || !HasStaffMeasureLocation(view)) return;
    g_keyDrag = KeyDrag{key, view->currentStaff, view->currentMeasure, handle};
}

bool IsKeyDragPending(const ScoreObject* key) {
    return key != nullptr && g_keyDrag.key == key;
}

int CommitKeyDrag(ScoreView* view, ScoreObject* key, LogicalPoint handle) {
    const KeyDrag drag = g_keyDrag;
    g_keyDrag = {};
    if (key == nullptr || drag.key != key || view == nullptr || view->document == nullptr) return 0;
    const LogicalPoint delta{handle.x - drag.handle.x, handle.y - drag.handle.y};
    if (delta.x == 0 && delta.y == 0) return 0;
    if (view->currentStaff != drag.staff || view->currentMeasure != drag.measure)
        SetCurrentMeasure(view, drag.staff, drag.measure);
    const int before = SignatureTickOfObject(key);
    ShiftSignAnchor(view, key, delta);
    const MeasureRecord* record = MeasureRecordOf(view->document, drag.measure);
    const int length = record != nullptr ? record->lengthTicks : 0;
    // A measure too short for a tick inside it keeps the one the sign had.
    const int tick = length < 2 ? before : std::clamp<int>(SignatureTickOfObject(key), 1, length - 1);
    SetSignatureTickOfObject(key, static_cast<uint16_t>(tick));
    return 1;
}

}  // namespace ql
