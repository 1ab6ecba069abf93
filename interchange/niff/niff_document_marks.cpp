// Staff labels and page texts of a NIFF import as score objects.
#include "interchange/niff/niff_document_marks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/shell_services.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "interchange/imported_marks.h"
#include "interchange/niff/niff_builder.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_mark_objects.h"
#include "interchange/niff/niff_placement.h"
#include "interchange/niff/niff_spanner_objects.h"
#include "layout/page_format.h"
#include "objects/text_marks/text_line.h"

namespace ql::niff {
namespace {

constexpr char kUnplacedMarksKind[] = "marks that could not be placed";
// A text, tempo mark or chord symbol the file places more than this beyond its
// staff's lines and the heads and stems of its notes in the measure (score units
// from the staff's bottom line, a staff space 128) is placed anew.
constexpr int32_t kFarFromStaff = 6 * 128;
constexpr int32_t kStaffTop = -4 * 128;
constexpr int32_t kUnitsPerStep = 64;

// Whether the file places a mark of a measure far from its staff (off the page, or
// where it would take the system down the page): such a place is not kept.
bool FarFromStaff(ScoreDocument* document, const NiffMark& mark) {
    if (mark.anchor != NiffAnchor::kMeasure ||
        (mark.kind != NiffMarkKind::kTextLine && mark.kind != NiffMarkKind::kChordSymbol &&
         mark.kind != NiffMarkKind::kTempo))
        return false;
    int32_t top = kStaffTop;
    int32_t bottom = 0;
    if (MeasureCell* cell = ExistingMeasureCell(document, mark.staff, mark.measure))
        for (int voice = 0; voice < kVoiceCount; ++voice)
            for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr; e = NextEvent(e)) {
                const int32_t head = static_cast<int8_t>(e->step) * kUnitsPerStep;
                top = std::min({top, head, head + e->stemLength});
                bottom = std::max({bottom, head, head + e->stemLength});
            }
    return mark.y < top - kFarFromStaff || mark.y > bottom + kFarFromStaff;
}

// The point of a mark moved by its alignment: horizontal 1 right by half its
// width, 2 left by half; vertical 1 down by its height, 3 by half.
LogicalPoint Aligned(const NiffMark& mark, const ScoreObject* object, LogicalPoint point) {
    const TextObjectBody& body = AsTextObject(object)->body;
    if (mark.alignX == 1) point.x += body.width / 2;
    if (mark.alignX == 2) point.x -= body.width / 2;
    if (mark.alignY == 1) point.y += body.height;
    if (mark.alignY == 3) point.y += body.height / 2;
    return point;
}

// From the file's page to the document's, each way: the staff size the score took
// makes its page larger or smaller in score units than the file's, and a page's
// text keeps its place on the paper (a copyright line at the foot of the file's
// page stays at the foot of the document's).
struct PageScale {
    double x = 1.0;
    double y = 1.0;
};

PageScale PageScaleOf(const NiffImportState& import) {
    const NiffPageSize file = NiffFilePageSize(import);
    const ScoreView* view = import.view;
    const int64_t width = int64_t{view->PageRight} - kLogicalOrigin;
    const int64_t height = int64_t{view->PageBottom} - kLogicalOrigin;
    if (file.width <= 0 || file.height <= 0 || width <= 0 || height <= 0) return {};
    return {static_cast<double>(width) / file.width, static_cast<double>(height) / file.height};
}

// An object on the page's list at its page position.
bool LinkPageObject(ScoreView* view, const NiffMark& mark, ScoreObject* object, PageScale scale) {
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    // From the page's top left corner on the file's page.
    const double x = static_cast<double>(mark.x) - kNiffPageOrigin - kLogicalOrigin;
    const double y = static_cast<double>(mark.y) - kNiffPageOrigin - kLogicalOrigin;
    const LogicalPoint point = Aligned(mark, object,
                                       {kLogicalOrigin + static_cast<int32_t>(std::lround(x * scale.x)),
                                        kLogicalOrigin + static_cast<int32_t>(std::lround(y * scale.y))});
    EncodePageAnchors(view, &AsTextObject(object)->body.location, &point, 1);
    if (!AddToPageItems(view->currentPage, object)) return false;
    SetDocumentModified(view->document);
    return true;
}

// A time anchor: the tick in the current measure, and the offsets from there.
void StoreTimeAnchor(ObjectLocation* location, int32_t tick, LogicalPoint offset) {
    const uint16_t words[4] = {0, static_cast<uint16_t>(std::clamp<int32_t>(tick, 0, UINT16_MAX)),
                               static_cast<uint16_t>(std::clamp<int32_t>(offset.x, INT16_MIN, INT16_MAX)),
                               static_cast<uint16_t>(std::clamp<int32_t>(offset.y, INT16_MIN, INT16_MAX))};
    static_assert(sizeof words == sizeof(ObjectLocation));
    std::memcpy(location, words, sizeof words);
}

// An object in its measure's object list: at its time with its offsets, or (with
// a placement of its own) at the point of its offsets from the measure.
bool LinkMeasureObject(ScoreView* view, const NiffMark& mark, ScoreObject* object) {
    ShowPageInView(view, PageIndexOfMeasure(view->document, mark.measure));
    SetCurrentMeasureQuick(view, mark.staff, mark.measure);
    if (view->currentCell == nullptr) return false;
    ObjectLocation* location = &AsTextObject(object)->body.location;
    if (mark.anchor == NiffAnchor::kTime) {
        StoreTimeAnchor(location, mark.tick, Aligned(mark, object, {mark.x, mark.y}));
    } else {
        LogicalPoint point{mark.x, mark.y};
        if (!MeasureOffsetsToPoints(view, mark.staff, mark.measure, &point, 1)) return false;
        point = Aligned(mark, object, point);
        EncodeTimeAnchors(view, &point, location, 1);
        SetCurrentMeasureQuick(view, mark.staff, mark.measure);
    }
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    InsertObjectBySubtype(view, object);
    return true;
}

}  // namespace

bool AddToPageItems(ScorePage* page, ScoreObject* object) {
    if (page == nullptr || object == nullptr) return false;
    if (!page->margins) {
        ScoreObject* margins = ConstructObject(TypeCode(ObjectType::Margin));
        if (margins == nullptr) return false;
        page->margins = Ref32<ScoreObject>::To(margins);
    }
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    InsertObjectAfter(page->margins.get(), object);
    return true;
}

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
    const PageScale scale = PageScaleOf(import);
    for (NiffMark mark : import.frame.marks) {
        // A place far from the staff gives way to one clear of the music at its time.
        if (FarFromStaff(import.document, mark)) {
            mark.anchor = NiffAnchor::kTime;
            mark.x = mark.y = 0;
        }
        const bool onPage = mark.anchor == NiffAnchor::kPage;
        if (onPage ? GetPageAt(import.document, mark.page) == nullptr
                   : mark.staff < 1 || mark.staff > staffCount ||
                         MeasureRecordOf(import.document, mark.measure) == nullptr)
            continue;
        if (mark.kind == NiffMarkKind::kPedalBracket) {
            MakeNiffPedalBracket(import, mark);
            continue;
        }
        if (onPage) ShowPageInView(view, mark.page);
        ScoreObject* object = MakeNiffMarkObject(import, mark);
        if (object == nullptr) continue;
        if (!(onPage ? LinkPageObject(view, mark, object, scale) : LinkMeasureObject(view, mark, object))) {
            ReleaseObjectByType(import.document, object);
            import.report.Count(kUnplacedMarksKind);
        } else if (!onPage) {
            (mark.anchor == NiffAnchor::kTime ? import.unplacedTexts : import.placedTexts)
                .push_back(object);
        }
    }
    ShowPageInView(view, 0);
}

}  // namespace ql::niff
