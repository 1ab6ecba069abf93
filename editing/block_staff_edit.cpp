// One staff's measure copied to another place of the same score or into another
// score (Shift+Insert and the paste of the single-staff mark, which remembers its
// score), and the measure duplicated into the next one on every staff (the
// barline's duplicate). As with the block paste, a measure of another time
// signature is copied into only when it is empty on every staff, and then takes
// the copied measure's signature on every staff; otherwise the copy is refused
// with the notice. The measure objects the destination already holds copies of
// are not copied again (editing/cell_copy.h).
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "editing/block_clipboard.h"
#include "editing/block_edit.h"
#include "editing/block_signatures.h"
#include "editing/editing_services.h"
#include "layout/page_format.h"

namespace ql {
namespace {

constexpr uint8_t kAllVoices = 0x0F;

bool InScore(ScoreDocument* document, int staff, int measure) {
    return staff >= 1 && staff <= document->header.staffCount && measure >= 1 &&
           measure <= document->header.measureCount;
}

MeasureCell* CellAt(ScoreDocument* document, int staff, int measure) {
    ScopedPoolSet pools(document->pools);
    return GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, measure);
}

// The voices a staff copy takes: the edit mask, or all four when it is empty or
// the view shows every voice.
uint8_t StaffCopyMask(const ScoreView* view) {
    if (view->voiceMask == 0 || view->allVoicesShown != 0) return 0;
    return static_cast<uint8_t>(view->voiceMask & kAllVoices);
}

// Whether the source measure may be copied into the destination measure; shows
// the notice when not.
bool SignatureAllows(ScoreDocument* from, int fromMeasure, ScoreDocument* to, int toMeasure) {
    if (SameTimeSignature(from, fromMeasure, to, toMeasure) || MeasureVoicesEmpty(to, toMeasure)) return true;
    ShowNotice(kBlockTimeSignatureNotice);
    return false;
}

int CopyStaffMeasure(ScoreView* view, ScoreDocument* from, int fromStaff, int fromMeasure, int toStaff,
                     int toMeasure) {
    ScoreDocument* document = view->document;
    // Another score is only read: a cell it lacks is not made there.
    MeasureCell* source =
        from == document ? CellAt(from, fromStaff, fromMeasure) : FindBlockCell(from, fromStaff, fromMeasure);
    MeasureCell* dest = CellAt(document, toStaff, toMeasure);
    if (source == nullptr || dest == nullptr) return 0;
    const BlockCellCopy copy{from, document, view, StaffCopyMask(view)};
    const int voices = CopyCellVoices(copy, source, dest);
    CopyMeasureRecordKeepingNumber(MeasureRecordOf(document, toMeasure), *MeasureRecordOf(from, fromMeasure));
    const int objects = CopyCellObjects(copy, source, dest);
    GiveMeasureSignature(document, toMeasure, source->beats, source->beatUnit);
    return voices && objects;
}

}  // namespace

int EditStaffBlock(ScoreView* view, int fromStaff, int fromMeasure, int toStaff, int toMeasure) {
    if (view == nullptr) return 0;
    return EditStaffBlockFrom(view, view->document, fromStaff, fromMeasure, toStaff, toMeasure);
}

int EditStaffBlockFrom(ScoreView* view, ScoreDocument* from, int fromStaff, int fromMeasure, int toStaff,
                       int toMeasure) {
    if (view == nullptr || view->document == nullptr || from == nullptr) return 0;
    ScoreDocument* document = view->document;
    if (from != document && !IsDocumentListed(from)) return 0;
    if (!InScore(from, fromStaff, fromMeasure) || !InScore(document, toStaff, toMeasure)) return 0;
    if (from == document && fromStaff == toStaff && fromMeasure == toMeasure) return 0;
    if (!SignatureAllows(from, fromMeasure, document, toMeasure)) return 0;
    const int done = CopyStaffMeasure(view, from, fromStaff, fromMeasure, toStaff, toMeasure);
    SetCurrentMeasure(view, toStaff, toMeasure);
    SetDocumentModified(document);
    InvalidateLinkedViews(view);
    return done;
}

int engine::EditBlockAllStaves(ScoreDocument* document, ScoreView* view, int measure) {
    if (document == nullptr || view == nullptr || view->document != document) return 0;
    if (measure < 1 || measure > document->header.measureCount) return 0;
    if (measure + 1 > document->header.measureCount) {
        if (measure + 1 > MeasureLimit) {
            ShowNotice(kMeasureLimitNotice);
            return 0;
        }
        if (!AddMeasures(view, measure + 1)) return 0;
    }
    if (!SignatureAllows(document, measure, document, measure + 1)) return 0;
    int done = 1;
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        done &= EditStaffBlock(view, staff, measure, staff, measure + 1) != 0 ? 1 : 0;
    return done;
}

int engine::PasteMarkedStaffBlock(ScoreView* view) {
    BlockClipboardState& state = State().blockClipboard;
    if (view == nullptr || state.markedMeasure < 0) return 0;
    ScoreDocument* from = state.markedDocument;
    const int staff = state.markedStaff;
    const int measure = state.markedMeasure;
    state.markedDocument = nullptr;
    state.markedStaff = state.markedMeasure = -1;
    return EditStaffBlockFrom(view, from, staff, measure, view->currentStaff, view->currentMeasure);
}

}  // namespace ql
