// Staff labels and page texts of an import as score objects.
#include "interchange/imported_marks.h"

#include <algorithm>

#include "core/constants.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "objects/text_box/text_box.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_line.h"

namespace ql {
namespace {

constexpr int32_t kLabelGap = 128;  // between a label and its system
constexpr int32_t kLabelLift = 512;
constexpr char kHeightProbeText[] = "Xg";  // a capital's height and a descender

}  // namespace

ScoreObject* PlaceImportedStaffLabel(ScoreView* view, int staff, const std::string& text) {
    SetCurrentMeasureQuick(view, staff, 1);
    if (view->currentSystem == nullptr || view->currentStaffRecord == nullptr) return nullptr;
    ScoreObject* object = ConstructStaffLabelWithText(view, text.c_str());
    if (object == nullptr) return nullptr;
    object->subtype = SubtypeCode(ObjectSubtype::StaffLabelList);
    TextBoxObject* box = AsTextBox(object);
    MeasureTextBlock(view, object);
    const LogicalPoint point{view->currentSystem->x - kLabelGap - box->body.width,
                             view->staffY - (box->body.height + kLabelLift) / 2};
    AnchorStaffLabel(view, object, staff, 1, point);
    InsertObjectBySubtype(view, object);
    return object;
}

ScoreObject* PlaceImportedPageText(ScoreView* view, const std::string& text, const LogicalPoint& point,
                                   uint8_t style) {
    ScoreObject* object = ConstructTextLineWithText(view, text.c_str());
    if (object == nullptr) return nullptr;
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    TextObject* line = AsTextObject(object);
    if (style != 0) line->body.style = style;
    EncodePageAnchors(view, &line->body.location, &point, 1);
    InsertObjectBySubtype(view, object);
    return object;
}

ImportedTextSize MeasureImportedText(ScoreView* view, const std::string& text, uint8_t style) {
    ImportedTextSize size{kMinimumTextExtent, kMinimumTextExtent, kMinimumTextExtent};
    ScoreObject* probe = ConstructTextLineWithText(view, text.c_str());
    if (probe == nullptr) return size;
    TextObject* line = AsTextObject(probe);
    line->body.style = style;
    ClassOf(probe).Measure(probe, view);
    size.width = std::max<int32_t>(LoadField<int32_t>(&line->body.width), kMinimumTextExtent);
    size.height = std::max<int32_t>(LoadField<int32_t>(&line->body.height), kMinimumTextExtent);
    size.baseline = std::clamp<int32_t>(LoadField<uint16_t>(&line->body.baseline), 0, size.height);
    ReleaseObjectByType(view->document, probe);
    return size;
}

int32_t ImportedTextHeight(ScoreView* view, uint8_t style) {
    return MeasureImportedText(view, kHeightProbeText, style).height;
}

}  // namespace ql
