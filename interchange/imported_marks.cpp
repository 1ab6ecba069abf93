// Staff labels and page texts of an import as score objects.
#include "interchange/imported_marks.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/shell_services.h"
#include "core/units/paper_size.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/page_fit.h"
#include "layout/page_texts.h"
#include "objects/text_box/text_box.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_line.h"

namespace ql {
namespace {

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
    MeasureStaffLabel(view, object);
    AnchorStaffLabelBesideSystem(view, object, staff, view->staffY - (box->body.height + kLabelLift) / 2);
    InsertObjectBySubtype(view, object);
    return object;
}

bool ImportedLabelFitsOneLine(ScoreView* view, const std::string& text) {
    if (view == nullptr || view->document == nullptr) return false;
    ScoreObject* probe = ConstructStaffLabelWithText(view, text.c_str());
    if (probe == nullptr) return false;
    MeasureTextBlock(view, probe);
    const int32_t width = std::abs(AsTextBox(probe)->body.width);
    ReleaseObjectByType(view->document, probe);
    const int32_t room = StaffLabelWidthLimit(view, view->document->firstPage);
    return room > 0 && width <= room;
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

namespace {

// The words of a text, broken into lines no wider than `width` in `style` (a word
// wider than that stands on a line of its own).
std::vector<std::string> BreakIntoLines(ScoreView* view, const std::string& text, uint8_t style, int32_t width) {
    std::vector<std::string> lines;
    std::string line;
    size_t at = 0;
    while (at < text.size()) {
        const size_t blank = text.find(' ', at);
        const size_t end = blank == std::string::npos ? text.size() : blank;
        const std::string word = text.substr(at, end - at);
        at = end + 1;
        if (word.empty()) continue;
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && MeasureImportedText(view, longer, style).width > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Moves a page text line by (dx, dy).
void MovePageText(ScoreView* view, ScoreObject* object, int32_t dx, int32_t dy) {
    if (dx == 0 && dy == 0) return;
    ObjectLocation* location = &AsTextObject(object)->body.location;
    LogicalPoint at{};
    DecodeAnchors(view, object->subtype, location, &at, 1);
    at.x += dx;
    at.y += dy;
    EncodePageAnchors(view, location, &at, 1);
}

// The text lines of the current page's list inside its margins (see the header).
void KeepTextsInMargins(ScoreView* view, ScorePage* page) {
    PageMargins margins;
    if (page == nullptr || !page->margins || !GetPageMargins(page, &margins)) return;
    const int32_t left = kLogicalOrigin + margins.logical[0];
    const int32_t right = view->PageRight - margins.logical[2];
    if (right <= left) return;
    std::vector<ScoreObject*> texts;
    for (ScoreObject* item = page->margins->next.get(); item != nullptr; item = item->next.get())
        if (item->type == TypeCode(ObjectType::Text) && item->subtype == SubtypeCode(ObjectSubtype::PageList))
            texts.push_back(item);
    // The lines a break adds are kept in by the same walk.
    for (size_t i = 0; i < texts.size(); ++i) {
        ScoreObject* object = texts[i];
        RecordRect box;
        if (!PageTextBox(view, object, &box)) continue;
        TextObject* line = AsTextObject(object);
        if (box.right - box.left > right - left) {
            const char* string = TextObjectString(line);
            const std::vector<std::string> lines =
                BreakIntoLines(view, string != nullptr ? string : "", line->body.style, right - left);
            if (lines.size() > 1 && SetTextObjectString(line, lines.front().c_str()) != 0) {
                LogicalPoint at{};
                DecodeAnchors(view, object->subtype, &line->body.location, &at, 1);
                const int32_t advance = box.bottom - box.top;
                for (size_t n = 1; n < lines.size(); ++n) {
                    const LogicalPoint below{at.x, at.y + advance * static_cast<int32_t>(n)};
                    if (ScoreObject* more = PlaceImportedPageText(view, lines[n], below, line->body.style))
                        texts.push_back(more);
                }
                PageTextBox(view, object, &box);
            }
        }
        int32_t dx = 0;
        if (box.right > right) dx = right - box.right;
        if (box.left + dx < left) dx = left - box.left;
        MovePageText(view, object, dx, std::max(0, kLogicalOrigin - box.top));
    }
}

}  // namespace

void SettleImportedPageTexts(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    ScoreDocument* document = view->document;
    PageExtentOf(view);
    int index = 0;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get(), ++index) {
        ShowPageInView(view, index);
        KeepTextsInMargins(view, page);
    }
    FitSystemsToPages(view, document->firstPage);
    FormatMeasuresOfAllPages(view);
    // Each label beside the first system again, now that the system has made room
    // for it (a label placed before could only be kept on the page), and the system
    // spaced again for the room it has left.
    ShowPageInView(view, 0);
    bool labelled = false;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        ScoreObject* label = GetStaffLabelObject(StaffRecordOf(document, staff));
        if (label == nullptr) continue;
        SetCurrentMeasureQuick(view, staff, 1);
        LogicalPoint at{};
        DecodeAnchors(view, label->subtype, &AsTextBox(label)->body.location, &at, 1);
        AnchorStaffLabelBesideSystem(view, label, staff, at.y);
        labelled = true;
    }
    if (labelled) RespaceLabelledSystems(view);
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
