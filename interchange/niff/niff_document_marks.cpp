// Staff labels and page texts of a NIFF import as score objects.
#include "interchange/niff/niff_document_marks.h"

#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "interchange/imported_marks.h"
#include "interchange/niff/niff_import_state.h"
#include "layout/page_format.h"
#include "objects/text_marks/text_line.h"
#include "shell/shell_services.h"

namespace ql::niff {
namespace {

constexpr int32_t kPageOrigin = 30720;

// A text in its measure's object list, at its time (the measure's start until
// time slices are read) and its offsets from there.
void PlaceMeasureText(ScoreView* view, const NiffMark& mark) {
    ShowPageInView(view, PageIndexOfMeasure(view->document, mark.measure));
    SetCurrentMeasureQuick(view, mark.staff, mark.measure);
    if (view->currentCell == nullptr) return;
    LogicalPoint point{mark.x, mark.y};
    if (!MeasureOffsetsToPoints(view, mark.staff, mark.measure, &point, 1)) return;
    ScoreObject* object = ConstructTextLineWithText(view, mark.text.c_str());
    if (object == nullptr) return;
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    EncodeTimeAnchors(view, &point, &AsTextObject(object)->body.location, 1);
    SetCurrentMeasureQuick(view, mark.staff, mark.measure);
    InsertObjectBySubtype(view, object);
}

}  // namespace

void PlaceNiffMarks(NiffImportState& import) {
    ScoreView* view = import.view;
    if (view == nullptr || import.document == nullptr) return;
    ShowPageInView(view, 0);
    const int staves = std::min(import.staffCount, static_cast<int>(import.document->header.staffCount));
    for (int staff = 1; staff <= staves && staff < kNiffStaffSlots; ++staff) {
        const std::string& label = import.frame.staves[static_cast<size_t>(staff)].label;
        if (!label.empty()) PlaceImportedStaffLabel(view, staff, label);
    }
    const int staffCount = import.document->header.staffCount;
    for (const NiffMark& mark : import.frame.marks) {
        if (mark.anchor == NiffAnchor::kPage) {
            if (GetPageAt(import.document, mark.page) == nullptr) continue;
            ShowPageInView(view, mark.page);
            PlaceImportedPageText(view, mark.text, {mark.x - kPageOrigin, mark.y - kPageOrigin});
        } else if (mark.staff >= 1 && mark.staff <= staffCount &&
                   MeasureRecordOf(import.document, mark.measure) != nullptr) {
            PlaceMeasureText(view, mark);
        }
    }
    ShowPageInView(view, 0);
}

}  // namespace ql::niff
