// BlockPaste: the held block of measures pasted at the view's staff and measure.
//
// The source is read as a row of measure slots: each measure, then for a
// multi-measure rest of n further measures n empty slots with its time signature,
// so the source document is never changed. The destination's slots are walked in
// step; a pair whose time signatures differ needs the destination measure empty on
// every staff. Refusals come before any change: the time-signature notice, the
// measure limit, and "Out of Memory!" when the working arrays cannot be reserved.
// Then, in one undo step, the destination's multi-measure rests are opened, the
// score is extended, and each destination cell is replaced by its source cell. In
// one document the measures are copied away from the overlap: the last first when
// the destination follows the source, else the first first; and so are the staves.
#include <algorithm>
#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/ui/wait_cursor.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "editing/block_clipboard.h"
#include "editing/cell_copy.h"
#include "editing/block_edit.h"
#include "editing/block_signatures.h"
#include "editing/block_working_pairs.h"
#include "layout/page_format.h"
#include "staves/multi_measure_rest.h"

namespace ql {
namespace {

struct MeasureSlot {
    int measure = 0;
    bool padding = false;  // one of the empty measures a multi-measure rest stands for
};

std::vector<MeasureSlot> SourceSlots(ScoreDocument* document, int first, int last) {
    std::vector<MeasureSlot> slots;
    for (int measure = first; measure <= last; ++measure) {
        slots.push_back({measure, false});
        const int extra = MeasureRecordOf(document, measure)->extra;
        for (int k = 0; k < extra; ++k) slots.push_back({measure, true});
    }
    return slots;
}

// The destination's slots from `first` on, as many as `count`; slots past the
// score's end are measures the paste will add.
std::vector<MeasureSlot> DestinationSlots(ScoreDocument* document, int first, size_t count) {
    std::vector<MeasureSlot> slots;
    const int measures = document->header.measureCount;
    for (int measure = first; slots.size() < count; ++measure) {
        slots.push_back({measure, false});
        const int extra = measure <= measures ? MeasureRecordOf(document, measure)->extra : 0;
        for (int k = 0; k < extra && slots.size() < count; ++k) slots.push_back({measure, true});
    }
    return slots;
}

bool SlotsCompatible(ScoreDocument* from, const std::vector<MeasureSlot>& source, ScoreDocument* to,
                     const std::vector<MeasureSlot>& dest) {
    const int measures = to->header.measureCount;
    for (size_t i = 0; i < source.size(); ++i) {
        if (SameTimeSignature(from, source[i].measure, to, dest[i].measure)) continue;
        if (dest[i].padding || dest[i].measure > measures) continue;
        if (!MeasureVoicesEmpty(to, dest[i].measure)) return false;
    }
    return true;
}

// The held range, clamped to what the source document has now; false when the
// source is gone or nothing of the range is left.
bool ClampedSource(BlockSource* source) {
    ScoreDocument* document = source->document;
    if (document == nullptr || !IsDocumentListed(document)) return false;
    source->lastStaff = static_cast<uint8_t>(std::min<int>(source->lastStaff, document->header.staffCount));
    source->lastMeasure =
        static_cast<int16_t>(std::min<int>(source->lastMeasure, document->header.measureCount));
    return source->firstStaff >= 1 && source->firstStaff <= source->lastStaff && source->firstMeasure >= 1 &&
           source->firstMeasure <= source->lastMeasure;
}

struct PastePlan {
    BlockSource source;
    ScoreDocument* to = nullptr;
    int destStaff = 0;
    int destMeasure = 0;
    int staves = 0;
    std::vector<MeasureSlot> sourceSlots;
    std::vector<MeasureSlot> destSlots;
    int restsToOpen = 0;       // destination multi-measure rests inside the range
    int measuresOpened = 0;    // the measures opening them inserts
};

void CountDestinationRests(PastePlan* plan) {
    int last = -1;
    for (const MeasureSlot& slot : plan->destSlots) {
        if (slot.measure > plan->to->header.measureCount || slot.measure == last) continue;
        last = slot.measure;
        const int extra = MeasureRecordOf(plan->to, slot.measure)->extra;
        if (extra == 0) continue;
        ++plan->restsToOpen;
        plan->measuresOpened += extra;
    }
}

// The score's measure count once the paste is done.
int CountAfterPaste(const PastePlan& plan) {
    const int opened = plan.to->header.measureCount + plan.measuresOpened;
    return std::max(opened, plan.destMeasure + static_cast<int>(plan.sourceSlots.size()) - 1);
}

// Opens the destination's rests, last first so the measures before stay put; in one
// document the source's measures after an opened rest move along.
void OpenDestinationRests(PastePlan* plan, ScoreView* view, BlockWorkingPairs* pairs) {
    std::vector<int> rests;
    for (const MeasureSlot& slot : plan->destSlots)
        if (!slot.padding && slot.measure <= plan->to->header.measureCount &&
            MeasureRecordOf(plan->to, slot.measure)->extra != 0)
            rests.push_back(slot.measure);
    for (auto it = rests.rbegin(); it != rests.rend(); ++it) {
        const int extra = MeasureRecordOf(plan->to, *it)->extra;
        if (!ExpandMultiMeasureRest(view, *it)) continue;
        pairs->Add(*it - plan->destMeasure, extra);
        if (plan->source.document != plan->to) continue;
        for (MeasureSlot& slot : plan->sourceSlots)
            if (slot.measure > *it) slot.measure += extra;
    }
}

// A stand-in cell for an empty slot of a source rest: its base cell's signature
// bytes, no voices and no objects.
MeasureCell PaddingCell(const MeasureCell* base) {
    MeasureCell cell{};
    if (base != nullptr) {
        cell.clefKey = base->clefKey;
        cell.beats = base->beats;
        cell.beatUnit = base->beatUnit;
        cell.cellFlags = base->cellFlags;
    }
    return cell;
}

int CopySlot(const PastePlan& plan, ScoreView* view, const MeasureSlot& from, int toMeasure) {
    ScoreDocument* source = plan.source.document;
    const BlockCellCopy copy{source, plan.to, view, plan.source.voiceMask};
    int ok = 1;
    // In one document a block moved down copies its lowest staff first, so that
    // no staff is read after it was overwritten.
    const bool bottomFirst = source == plan.to && plan.destStaff > plan.source.firstStaff;
    for (int n = 0; n < plan.staves; ++n) {
        const int k = bottomFirst ? plan.staves - 1 - n : n;
        MeasureCell* sourceCell = FindBlockCell(source, plan.source.firstStaff + k, from.measure);
        MeasureCell* destCell;
        {
            ScopedPoolSet pools(plan.to->pools);
            destCell = GetOrCreateMeasureCell(StaffRecordOf(plan.to, plan.destStaff + k), plan.to, toMeasure);
        }
        if (destCell == nullptr) return 0;
        MeasureCell padding = PaddingCell(sourceCell);
        MeasureCell* read = from.padding || sourceCell == nullptr ? &padding : sourceCell;
        ok &= ReplaceCellContents(copy, read, destCell);
        if (copy.voiceMask != 0) RebeamCopiedVoices(view, copy.voiceMask, plan.destStaff + k, toMeasure);
    }
    CopyMeasureRecordKeepingNumber(MeasureRecordOf(plan.to, toMeasure), *MeasureRecordOf(source, from.measure));
    // The measure takes the block's length, so every staff takes its signature, the
    // staves the block does not reach as well.
    if (const MeasureCell* signature = FindBlockCell(source, plan.source.firstStaff, from.measure))
        GiveMeasureSignature(plan.to, toMeasure, signature->beats, signature->beatUnit);
    return ok;
}

int CopySlots(const PastePlan& plan, ScoreView* view) {
    const int count = static_cast<int>(plan.sourceSlots.size());
    const bool backwards = plan.source.document == plan.to && plan.destMeasure > plan.sourceSlots.front().measure;
    for (int n = 0; n < count; ++n) {
        const int i = backwards ? count - 1 - n : n;
        if (!CopySlot(plan, view, plan.sourceSlots[i], plan.destMeasure + i)) return 0;
    }
    return 1;
}

bool MakePlan(ScoreView* view, PastePlan* plan) {
    plan->source = State().blockClipboard.source;
    if (!ClampedSource(&plan->source)) return false;
    plan->to = view->document;
    plan->destStaff = std::max(view->currentStaff, 1);
    plan->destMeasure = std::max(view->currentMeasure, 1);
    plan->staves = std::min(plan->source.lastStaff - plan->source.firstStaff + 1,
                            plan->to->header.staffCount - plan->destStaff + 1);
    if (plan->staves < 1) return false;
    plan->sourceSlots = SourceSlots(plan->source.document, plan->source.firstMeasure, plan->source.lastMeasure);
    plan->destSlots = DestinationSlots(plan->to, plan->destMeasure, plan->sourceSlots.size());
    CountDestinationRests(plan);
    return true;
}

int CountSourceRests(const PastePlan& plan) {
    int rests = 0;
    for (int measure = plan.source.firstMeasure; measure <= plan.source.lastMeasure; ++measure)
        rests += MeasureRecordOf(plan.source.document, measure)->extra != 0 ? 1 : 0;
    return rests;
}

void NoteSourceRests(const PastePlan& plan, BlockWorkingPairs* pairs) {
    for (int measure = plan.source.firstMeasure; measure <= plan.source.lastMeasure; ++measure)
        if (const int extra = MeasureRecordOf(plan.source.document, measure)->extra; extra != 0)
            pairs->Add(measure - plan.source.firstMeasure, extra);
}

void ShowOutOfMemory() {
    SetStatusText(0, kBlockOutOfMemory);
    State().blockClipboard.source = BlockSource{};
}

}  // namespace

int BlockPaste(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 0;
    PastePlan plan;
    if (!MakePlan(view, &plan)) {
        if (State().blockClipboard.source.document != nullptr && !IsDocumentListed(State().blockClipboard.source.document))
            State().blockClipboard.source = BlockSource{};
        ShowNotice(kBlockNoSelection);
        return 0;
    }
    view->CaretShown = 0;
    if (!SlotsCompatible(plan.source.document, plan.sourceSlots, plan.to, plan.destSlots)) {
        ShowNotice(kBlockTimeSignatureNotice);
        return 0;
    }
    if (CountAfterPaste(plan) > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return 0;
    }
    EmptyBlockPools();
    State().blockClipboard.captured = nullptr;
    BlockWorkingPairs sourcePairs;
    BlockWorkingPairs destPairs;
    if (!sourcePairs.Reserve(CountSourceRests(plan)) || !destPairs.Reserve(plan.restsToOpen)) {
        ShowOutOfMemory();
        return 0;
    }
    NoteSourceRests(plan, &sourcePairs);

    WaitCursor wait;
    UndoStep step(plan.to, view, UndoKind::Note, 0, UndoVerb::Paste);
    SetDocumentModified(plan.to);
    SetStatusText(1, kBlockPasteStatus);
    SetStatusText(0, "");
    OpenDestinationRests(&plan, view, &destPairs);
    const int last = plan.destMeasure + static_cast<int>(plan.sourceSlots.size()) - 1;
    if (last > plan.to->header.measureCount && !AddMeasures(view, last)) {
        ShowOutOfMemory();
        return 0;
    }
    const int done = CopySlots(plan, view);
    if (!done) ShowOutOfMemory();
    SetCurrentMeasure(view, plan.destStaff, plan.destMeasure);
    InvalidateLinkedViews(view);
    return done;
}

}  // namespace ql
