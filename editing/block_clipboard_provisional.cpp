// The block clipboard's state.
#include "core/model/score_document.h"
#include "editing/block_clipboard.h"

namespace ql {
namespace {

struct BlockClipboard {
    bool held = false;
    bool captured = false;
    int32_t sourceStaff = 0;
    int32_t sourceMeasure = 0;
};

BlockClipboard& Clipboard() {
    static BlockClipboard clipboard;
    return clipboard;
}

}  // namespace

// provisional: copying and pasting blocks of measures is not built yet; the
// clipboard only keeps what the keys and commands select, and pasting changes
// nothing in the score.
bool BlockHeld() {
    return Clipboard().held;
}

void ClearBlockClipboard() {
    Clipboard() = BlockClipboard{};
}

bool SetBlockSource(ScoreView* view) {
    if (view == nullptr) return false;
    Clipboard().held = true;
    Clipboard().sourceStaff = view->currentStaff;
    Clipboard().sourceMeasure = view->currentMeasure;
    return true;
}

int BlockPaste(ScoreView* view) {
    return view != nullptr && Clipboard().held ? 1 : 0;
}

void CopyNotes(ScoreView* view, bool /*keepFocus*/) {
    Clipboard().captured = view != nullptr;
}

bool NoteCaptureValid() {
    return Clipboard().captured;
}

void PasteCapturedNotes(ScoreView* /*view*/) {}

}  // namespace ql
