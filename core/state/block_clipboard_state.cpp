// The block clipboard's marks kept in the program state (see
// block_clipboard_state.h).
#include "core/state/block_clipboard_state.h"

#include "core/model/score_document.h"
#include "core/state.h"

namespace ql {

void DropBlockSourceOf(const ScoreDocument* document) {
    BlockClipboardState& state = State().blockClipboard;
    if (document != nullptr && state.source.document == document) state.source = BlockSource{};
    if (document != nullptr && state.markedDocument == document) {
        state.markedDocument = nullptr;
        state.markedStaff = state.markedMeasure = -1;
    }
}

void MarkStaffBlock(ScoreView* view) {
    if (view == nullptr) return;
    BlockClipboardState& state = State().blockClipboard;
    state.markedDocument = view->document;
    state.markedStaff = static_cast<int16_t>(view->currentStaff);
    state.markedMeasure = static_cast<int16_t>(view->currentMeasure);
}

bool StaffBlockMarked() {
    return State().blockClipboard.markedMeasure >= 0;
}

}  // namespace ql
