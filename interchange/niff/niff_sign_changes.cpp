// Clef and key changes inside a measure of a NIFF import. The object's anchor is a
// time anchor of its own measure: the tick, no x offset (both classes centre their
// signs on the anchor, so a key signature that changes with the clef at its tick
// stands right of the clef, their centres half their widths apart), and the y from
// the staff's bottom line where the class draws it (a clef on the middle line, a
// key signature from the top line).
#include "interchange/niff/niff_sign_changes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/shell_services.h"
#include "display/view_location.h"
#include "interchange/niff/niff_import_state.h"
#include "layout/page_format.h"
#include "objects/object_anchor.h"
#include "objects/text_marks/text_marks.h"

namespace ql::niff {
namespace {

constexpr int16_t kClefMiddleLine = -256;
constexpr int16_t kKeyAnchorY = -512;  // the class draws the accidentals from here

// The widths of an import's clef changes by staff, measure and tick.
using ClefChangeWidths = std::map<std::tuple<int, int, int32_t>, int32_t>;

std::tuple<int, int, int32_t> PlaceOf(const NiffSignChange& change) {
    return {change.staff, change.measure, change.tick};
}

// The width of a clef change or key signature as its class measures it.
int32_t MeasuredWidth(ScoreView* view, ScoreObject* sign) {
    ClassOf(sign).Measure(sign, view);
    return std::max<int32_t>(LoadField<int32_t>(&AsTextObject(sign)->body.width), 0);
}

}  // namespace

ScoreObject* MakeNiffSignChange(NiffImportState& import, const NiffSignChange& change, int32_t clefWidth) {
    ScoreView* view = import.view;
    ScoreDocument* document = import.document;
    if (change.staff < 1 || change.staff > document->header.staffCount ||
        MeasureRecordOf(document, change.measure) == nullptr) {
        import.report.Count(kNiffUnmadeSignChanges);
        return nullptr;
    }
    ShowPageInView(view, PageIndexOfMeasure(document, change.measure));
    SetCurrentMeasureQuick(view, change.staff, change.measure);
    ScoreObject* object = view->currentCell != nullptr
                              ? ConstructObject(TypeCode(change.key ? ObjectType::KeySignature : ObjectType::Clef))
                              : nullptr;
    if (object == nullptr) {
        import.report.Count(kNiffUnmadeSignChanges);
        return nullptr;
    }
    TextObject* text = AsTextObject(object);
    if (change.key) {
        SetKeyCodeOfObject(object, change.code);
    } else {
        text->body.style = kClefStyle;
        SetClefKindOfObject(object, change.code);
    }
    const int32_t offset = change.key && clefWidth > 0 ? (clefWidth + MeasuredWidth(view, object)) / 2 : 0;
    const AnchorPoint anchor{{0, static_cast<uint16_t>(change.tick)},
                             static_cast<int16_t>(std::min<int32_t>(offset, INT16_MAX)),
                             change.key ? kKeyAnchorY : kClefMiddleLine};
    static_assert(sizeof anchor == sizeof text->body.location);
    std::memcpy(&text->body.location, &anchor, sizeof anchor);
    SetSignatureTickOfObject(object, static_cast<uint16_t>(change.tick));
    object->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    InsertObjectBySubtype(view, object);
    if (!change.key) RecountCellClefChanges(view->currentCell);
    return object;
}

void MakeNiffSignChanges(NiffImportState& import) {
    if (import.view == nullptr || import.document == nullptr) return;
    // The clefs first, measured, so that a key signature changing at a clef's tick
    // can stand after it.
    ClefChangeWidths clefs;
    for (const NiffSignChange& change : import.frame.signChanges)
        if (!change.key)
            if (ScoreObject* clef = MakeNiffSignChange(import, change)) clefs[PlaceOf(change)] = MeasuredWidth(import.view, clef);
    for (const NiffSignChange& change : import.frame.signChanges) {
        if (!change.key) continue;
        const auto clef = clefs.find(PlaceOf(change));
        MakeNiffSignChange(import, change, clef != clefs.end() ? clef->second : 0);
    }
    ShowPageInView(import.view, 0);
}

}  // namespace ql::niff
