// The reach of a staff's marks above it (layout/marks_above_staff.h), read from the
// y offsets of their anchors: each counts from the view's staff y, negative upwards,
// and is drawn at the staff's size.
#include "layout/marks_above_staff.h"

#include <algorithm>
#include <initializer_list>

#include "core/constants.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "layout/page_chain.h"
#include "objects/hairpin/hairpin.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {

namespace {

// The highest y (the smallest) a line's ends and hooks reach.
int32_t LineTop(const SpannerEndpoint& ends) {
    return std::min({int32_t{ends.start.y}, int32_t{ends.end.y}, ends.start.y + ends.startHook,
                     ends.end.y + ends.endHook});
}

// The line of a spanner that has one; false for any other mark.
bool SpannerLineTop(ScoreObject* object, int32_t* top) {
    switch (static_cast<ObjectType>(object->type)) {
        case ObjectType::PedalBracket: *top = LineTop(AsWickette(object)->spanner.endpoint); return true;
        case ObjectType::Widget:
        case ObjectType::Octave: *top = LineTop(AsTextSpanner(object)->spanner.endpoint); return true;
        case ObjectType::RepeatEnding: *top = LineTop(AsRepeatEnding(object)->spanner.endpoint); return true;
        case ObjectType::Hairpin: {
            const AnchorPoint* points = AsHairpin(object)->points;
            *top = std::min({int32_t{points[0].y}, int32_t{points[1].y}, int32_t{points[2].y}});
            return true;
        }
        default: return false;
    }
}

// The staff's signs are drawn by the staff, not from their anchors.
bool IsSign(const ScoreObject* object) {
    const auto type = static_cast<ObjectType>(object->type);
    return type == ObjectType::Clef || type == ObjectType::KeySignature || type == ObjectType::TimeSignature;
}

}  // namespace

int64_t MarksReachAboveStaff(ScoreView* view, const ScoreSystem* system, int staff) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr || staff < 1 || staff > document->header.staffCount) return 0;
    const StaffRecord* record = StaffRecordOf(document, staff);
    const uint8_t percent = record != nullptr ? StaffSizePercent(*record) : 0;
    const double scale = percent != 0 ? percent * kPercent : 1.0;
    int64_t highest = 0;
    const auto reach = [&](int32_t offset, int32_t above) {
        highest = std::max<int64_t>(highest, above - static_cast<int64_t>(offset * scale));
    };
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* object = cell != nullptr && cell->objects ? cell->objects->next.get() : nullptr;
        for (int n = 0; object != nullptr && n < pages::kMaxChain; object = object->next.get(), ++n) {
            const auto subtype = static_cast<ObjectSubtype>(object->subtype);
            if ((subtype != ObjectSubtype::MeasureTimeList && subtype != ObjectSubtype::MeasureAnchorList) ||
                IsSign(object))
                continue;
            const bool text = dynamic_cast<const TextObjectClass*>(&ClassOf(object)) != nullptr;
            TextObject* label = AsTextObject(object);
            if (text && (label->body.flags & kTextHidden) != 0) continue;
            int32_t line = 0;
            if (SpannerLineTop(object, &line)) reach(line, 0);
            if (!text) continue;
            // A text stands on its anchor: its ascent above it, as it is measured, or
            // the ink of its first glyph where that rises higher (a tempo mark's note).
            const auto& textClass = static_cast<const TextObjectClass&>(ClassOf(object));
            textClass.Measure(object, view);
            RecordRect ink{};
            textClass.SelectTextFont(object, view, LogicalPoint{0, 0}, &ink);
            reach(static_cast<int16_t>(label->body.location.measure),
                  std::max<int32_t>(LoadField<uint16_t>(&label->body.baseline), -ink.top));
        }
    }
    return highest;
}

}  // namespace ql
