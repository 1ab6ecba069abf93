// The texts of a page's own list (titles, credits, notices) as boxes on the page,
// and the heading they make above the page's first system: the page layout puts
// that system below every text that stands above or across it.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"

namespace ql {

struct ScoreView;
struct ScorePage;
struct ScoreObject;

// The box a text line takes around its anchor point (measured first): the string
// centred on the point and standing on it.
RecordRect TextLineExtent(ScoreView* view, ScoreObject* object);

// The box, in logical units of the page, of a text line or text box of a page's
// list; false for any other item.
bool PageTextBox(ScoreView* view, ScoreObject* object, RecordRect* box);

// The lowest bottom of the page's texts whose top stands above `limit` (the page's
// heading, for a first system that would stand above `limit` at the bottom of its
// lowest staff); `none` when no text does.
int64_t PageHeadingBottom(ScoreView* view, const ScorePage* page, int64_t limit, int64_t none);

// The highest top of the page's texts whose top stands at or below `limit` (the
// texts at the page's foot, under its first system); `none` when no text does.
int64_t PageFooterTop(ScoreView* view, const ScorePage* page, int64_t limit, int64_t none);

}  // namespace ql
