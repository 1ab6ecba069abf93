// Boxes of a page's texts and the heading they make (layout/page_texts.h).
#include "layout/page_texts.h"

#include <algorithm>
#include <cstdlib>

#include "core/constants.h"

#include "core/model/pages.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "layout/page_chain.h"
#include "objects/text_box/text_box.h"

namespace ql {

RecordRect TextLineExtent(ScoreView* view, ScoreObject* object) {
    ClassOf(object).Measure(object, view);
    const TextObject* text = AsTextObject(object);
    const int32_t width = std::max<int32_t>(LoadField<int32_t>(&text->body.width), kMinimumTextExtent);
    const int32_t height = std::max<int32_t>(LoadField<int32_t>(&text->body.height), kMinimumTextExtent);
    const int32_t baseline = std::clamp<int32_t>(LoadField<uint16_t>(&text->body.baseline), 0, height);
    return {-width / 2, -baseline, width - width / 2, height - baseline};
}

bool PageTextBox(ScoreView* view, ScoreObject* object, RecordRect* box) {
    if (object == nullptr || object->subtype != SubtypeCode(ObjectSubtype::PageList)) return false;
    LogicalPoint at{};
    if (object->type == TypeCode(ObjectType::Text)) {
        DecodeAnchors(view, object->subtype, &AsTextObject(object)->body.location, &at, 1);
        const RecordRect extent = TextLineExtent(view, object);
        *box = {at.x + extent.left, at.y + extent.top, at.x + extent.right, at.y + extent.bottom};
        return true;
    }
    if (object->type == TypeCode(ObjectType::TextBox)) {
        TextBoxBody& body = AsTextBox(object)->body;
        DecodeAnchors(view, object->subtype, &body.location, &at, 1);
        *box = {at.x, at.y, at.x + std::abs(body.width), at.y + std::abs(body.height)};
        return true;
    }
    return false;
}

namespace {

// Calls take(box) for the box of every text of the page's own list.
template <typename Take>
void ForEachPageTextBox(ScoreView* view, const ScorePage* page, Take take) {
    if (page == nullptr || !page->margins) return;
    ScoreObject* item = page->margins->next.get();
    for (int i = 0; item != nullptr && i < pages::kMaxChain; ++i, item = item->next.get()) {
        RecordRect box;
        if (PageTextBox(view, item, &box)) take(box);
    }
}

}  // namespace

int64_t PageHeadingBottom(ScoreView* view, const ScorePage* page, int64_t limit, int64_t none) {
    int64_t bottom = none;
    ForEachPageTextBox(view, page, [&](const RecordRect& box) {
        if (box.top < limit) bottom = std::max<int64_t>(bottom, box.bottom);
    });
    return bottom;
}

int64_t PageFooterTop(ScoreView* view, const ScorePage* page, int64_t limit, int64_t none) {
    int64_t top = none;
    ForEachPageTextBox(view, page, [&](const RecordRect& box) {
        if (box.top >= limit) top = std::min<int64_t>(top, box.top);
    });
    return top;
}

}  // namespace ql
