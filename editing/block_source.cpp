// The block source: which range of which document Copy took, and the emptying of
// the block pools that every block operation starts with.
#include <algorithm>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "editing/block_clipboard.h"
#include "editing/block_range.h"
#include "editing/block_signatures.h"
#include "editing/block_working_pairs.h"

namespace ql {
namespace {

uint8_t SourceMaskOf(const ScoreView* view) {
    return view->allVoicesShown != 0 ? 0 : view->voiceMask;
}

// The last measure whose cell holds anything on any staff; 0 when none does.
int LastMeasureWithMusic(ScoreDocument* document) {
    for (int measure = document->header.measureCount; measure >= 1; --measure)
        for (int staff = 1; staff <= document->header.staffCount; ++staff) {
            MeasureCell* cell = FindBlockCell(document, staff, measure);
            ScopedPoolSet pools(document->pools);
            if (cell != nullptr && IsCellEmpty(cell) == 0) return measure;
        }
    return 0;
}

}  // namespace

bool BlockHeld() {
    return State().blockClipboard.source.document != nullptr;
}

void ClearBlockClipboard() {
    EmptyBlockPools();
    BlockClipboardState& state = State().blockClipboard;
    state.source = BlockSource{};
    state.captured = nullptr;
}

int SetBlockSource(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 0;
    BlockRange range;
    if (MarqueeToBlockRange(view, &range, nullptr) == 0) return 0;
    ClearBlockClipboard();
    BlockSource& source = State().blockClipboard.source;
    source.document = view->document;
    source.firstStaff = range.firstStaff;
    source.lastStaff = range.lastStaff;
    source.firstMeasure = static_cast<int16_t>(range.firstMeasure);
    source.lastMeasure = static_cast<int16_t>(range.lastMeasure);
    source.voiceMask = SourceMaskOf(view);
    return 1;
}

int SetBlockSourceRange(ScoreView* view) {
    if (SetBlockSource(view) == 0) return 0;
    BlockSource& source = State().blockClipboard.source;
    ScoreDocument* document = source.document;
    const int count = document->header.measureCount;
    const int music = std::max(LastMeasureWithMusic(document), 1);
    int point = music;
    for (int measure = count - 1; measure >= music; --measure)
        if (!SameTimeSignature(document, measure, document, measure + 1)) {
            point = measure;
            break;
        }
    source.lastMeasure = static_cast<int16_t>(std::max<int>(source.lastMeasure, point));
    return 1;
}

}  // namespace ql
