// The reach of a staff's marks above and below it (layout/marks_above_staff.h), read
// from the y offsets of their anchors: each counts from the view's staff y (the
// staff's bottom line), negative upwards, and is drawn at the staff's size.
#include "layout/marks_above_staff.h"

#include <algorithm>
#include <initializer_list>

#include "core/constants.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/painter.h"
#include "layout/page_chain.h"
#include "notes/drawing/note_fields.h"
#include "notes/ties/tie_handles.h"
#include "notes/ties/ties.h"
#include "objects/curves/curve_objects.h"
#include "objects/hairpin/hairpin.h"
#include "objects/object_anchor.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {

namespace {

// Half the thickness of a slur's band at its middle.
constexpr int32_t kSlurHalfBand = 32;

struct Span {
    int32_t top = 0;
    int32_t bottom = 0;
};

Span SpanOf(std::initializer_list<int32_t> ys) { return {std::min(ys), std::max(ys)}; }

// The furthest measure, counted from the owner's, that anchors of a mark anchored
// in time reach.
int FurthestMeasure(std::initializer_list<AnchorPoint> points) {
    int furthest = 0;
    for (const AnchorPoint& point : points) furthest = std::max<int>(furthest, static_cast<int16_t>(point.coarse[0]));
    return furthest;
}

// A line's ends and hooks, and the measure its end stands in.
Span LineSpan(const SpannerEndpoint& ends, int* measures) {
    *measures = FurthestMeasure({ends.start, ends.end});
    return SpanOf({int32_t{ends.start.y}, int32_t{ends.end.y}, ends.start.y + ends.startHook,
                   ends.end.y + ends.endHook});
}

// A slur's ends and the middle of its curve (a cubic through its control points is
// at (p0 + 3 p1 + 3 p2 + p3) / 8 halfway), widened by its band.
Span SlurSpan(const SlurObject& slur, int* measures) {
    const AnchorPoint* p = slur.body.points;
    *measures = FurthestMeasure({p[0], p[3]});
    const int32_t middle = (p[0].y + 3 * p[1].y + 3 * p[2].y + p[3].y) / 8;
    const Span span = SpanOf({int32_t{p[0].y}, int32_t{p[3].y}, middle});
    return {span.top - kSlurHalfBand, span.bottom + kSlurHalfBand};
}

// The line or curve of a mark that has one, and how many measures past its owner's
// its end stands (for a mark anchored in time); false for any other mark.
bool DrawnLineSpan(ScoreObject* object, Span* span, int* measures) {
    switch (static_cast<ObjectType>(object->type)) {
        case ObjectType::PedalBracket: *span = LineSpan(AsWickette(object)->spanner.endpoint, measures); return true;
        case ObjectType::Widget:
        case ObjectType::Octave: *span = LineSpan(AsTextSpanner(object)->spanner.endpoint, measures); return true;
        case ObjectType::RepeatEnding: *span = LineSpan(AsRepeatEnding(object)->spanner.endpoint, measures); return true;
        case ObjectType::Slur: *span = SlurSpan(*AsSlur(object), measures); return true;
        case ObjectType::Hairpin: {
            const AnchorPoint* points = AsHairpin(object)->points;
            *measures = FurthestMeasure({points[0], points[1], points[2]});
            *span = SpanOf({int32_t{points[0].y}, int32_t{points[1].y}, int32_t{points[2].y}});
            return true;
        }
        default: return false;
    }
}

// A line's or curve's ends (a hairpin's three points), for a mark that has one and
// whose record (`room` bytes) holds its body; how many.
int DrawnLineEnds(ScoreObject* object, size_t room, AnchorPoint* ends) {
    const auto line = [&](const SpannerEndpoint& endpoint) {
        if (room < sizeof(TextSpanner)) return 0;
        ends[0] = endpoint.start;
        ends[1] = endpoint.end;
        return 2;
    };
    switch (static_cast<ObjectType>(object->type)) {
        case ObjectType::PedalBracket:
            if (room < sizeof(Wickette)) return 0;
            ends[0] = AsWickette(object)->spanner.endpoint.start;
            ends[1] = AsWickette(object)->spanner.endpoint.end;
            return 2;
        case ObjectType::Widget:
        case ObjectType::Octave: return line(AsTextSpanner(object)->spanner.endpoint);
        case ObjectType::RepeatEnding:
            return room >= sizeof(RepeatEndingObject) ? line(AsRepeatEnding(object)->spanner.endpoint) : 0;
        case ObjectType::Slur:
            if (room < sizeof(SlurObject)) return 0;
            ends[0] = AsSlur(object)->body.points[0];
            ends[1] = AsSlur(object)->body.points[kSlurPoints - 1];
            return 2;
        case ObjectType::Hairpin:
            if (room < sizeof(HairpinObject)) return 0;
            std::copy_n(AsHairpin(object)->points, 3, ends); return 3;
        default: return 0;
    }
}

// The staff's signs are drawn by the staff, not from their anchors.
bool IsSign(const ScoreObject* object) {
    const auto type = static_cast<ObjectType>(object->type);
    return type == ObjectType::Clef || type == ObjectType::KeySignature || type == ObjectType::TimeSignature;
}

}  // namespace

void VerticalReach::Take(int64_t top, int64_t bottom) {
    above = std::max(above, -top);
    below = std::max(below, bottom);
}

void VerticalReach::Take(const VerticalReach& other) {
    above = std::max(above, other.above);
    below = std::max(below, other.below);
}

void TakeMarkReach(ScoreView* view, ScoreObject* object, int64_t origin, double scale, VerticalReach* reach) {
    const auto scaled = [&](int32_t y) { return origin + static_cast<int64_t>(y * scale); };
    Span line;
    int measures = 0;
    if (DrawnLineSpan(object, &line, &measures)) reach->Take(scaled(line.top), scaled(line.bottom));
    if (dynamic_cast<const TextObjectClass*>(&ClassOf(object)) == nullptr) return;
    TextObject* label = AsTextObject(object);
    if ((label->body.flags & kTextHidden) != 0) return;
    // A text (a labelled line's too) stands on its anchor: its ascent above it, as it is measured, or the
    // ink of its first glyph where that rises higher (a tempo mark's note); its
    // descent below it.
    const auto& textClass = static_cast<const TextObjectClass&>(ClassOf(object));
    textClass.Measure(object, view);
    RecordRect ink{};
    textClass.SelectTextFont(object, view, LogicalPoint{0, 0}, &ink);
    const int32_t ascent = std::max<int32_t>(LoadField<uint16_t>(&label->body.baseline), -ink.top);
    const int32_t descent = std::max<int32_t>(LoadField<int32_t>(&label->body.height) -
                                                  LoadField<uint16_t>(&label->body.baseline),
                                              0);
    const int64_t y = scaled(static_cast<int16_t>(label->body.location.measure));
    reach->Take(y - ascent, y + descent);
}

namespace {

// The lines and curves of the staff's measures in the systems before (on its page)
// that are carried on into the system, over a whole system between or more: their
// pieces after its signs stand at the heights their anchors give.
void TakeCarriedLines(const ScoreSystem* system, ScoreDocument* document, int staff, double scale,
                      VerticalReach* reach) {
    for (const ScoreSystem* before = system->previous.get(); before != nullptr; before = before->previous.get())
        for (int measure = before->firstMeasure; measure <= before->lastMeasure; ++measure) {
            MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
            ScoreObject* object = cell != nullptr && cell->objects ? cell->objects->next.get() : nullptr;
            for (int n = 0; object != nullptr && n < pages::kMaxChain; object = object->next.get(), ++n) {
                Span line;
                int measures = 0;
                if (static_cast<ObjectSubtype>(object->subtype) == ObjectSubtype::MeasureTimeList &&
                    DrawnLineSpan(object, &line, &measures) && measure + measures >= system->firstMeasure)
                    reach->Take(static_cast<int64_t>(line.top * scale), static_cast<int64_t>(line.bottom * scale));
            }
        }
}

}  // namespace

VerticalReach MarksReachOfStaff(ScoreView* view, const ScoreSystem* system, int staff) {
    VerticalReach reach;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr || staff < 1 || staff > document->header.staffCount) return reach;
    const StaffRecord* record = StaffRecordOf(document, staff);
    const uint8_t percent = record != nullptr ? StaffSizePercent(*record) : 0;
    const double scale = percent != 0 ? percent * kPercent : 1.0;
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* object = cell != nullptr && cell->objects ? cell->objects->next.get() : nullptr;
        for (int n = 0; object != nullptr && n < pages::kMaxChain; object = object->next.get(), ++n) {
            const auto subtype = static_cast<ObjectSubtype>(object->subtype);
            if ((subtype != ObjectSubtype::MeasureTimeList && subtype != ObjectSubtype::MeasureAnchorList) ||
                IsSign(object))
                continue;
            TakeMarkReach(view, object, 0, scale, &reach);
        }
    }
    TakeCarriedLines(system, document, staff, scale, &reach);
    return reach;
}

namespace {

constexpr int64_t kUnitsPerStep = 64;
constexpr int32_t kNudgeUnits = 16;
constexpr int32_t kHeadHalfWidth = 76;  // a note's place: its time's x, nudged, half a head in

// The ink of the ties and of the lines anchored at notes that passes over [left, right]
// of a system: each tie from its start note's place to its end note's (to the end of
// the system when it leaves it), a line from the time of its start to that of its
// end in its note's measure.
class NoteLinesOver {
  public:
    NoteLinesOver(ScoreView* view, const ScoreSystem* system, int staff, int64_t left, int64_t right,
                  double scale, const TimeX& xOf)
        : view_(view), system_(system), staff_(staff), left_(left), right_(right), scale_(scale), xOf_(xOf) {}

    // The marks on the notes of the staff's measures that may reach [left, right]: a
    // tie ends within the measure after its start's.
    void TakeMeasures() {
        for (int measure = system_->firstMeasure; measure <= system_->lastMeasure; ++measure) {
            if (xOf_(measure, 0, 0) > right_) break;
            if (measure + 2 <= system_->lastMeasure && xOf_(measure + 2, 0, 0) < left_) continue;
            MeasureCell* cell = ExistingMeasureCell(view_->document, staff_, measure);
            for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
                EventRecord* e = GetVoiceFirstEvent(cell, voice);
                for (int n = 0; e != nullptr && n < kMaxChainLength; e = NextEvent(e), ++n)
                    if (!IsHeadSentinel(*e) && !IsCrossStaff(*e)) TakeNote(e, measure);
            }
        }
    }

    const VerticalReach& Reach() const { return reach_; }

  private:
    int64_t PlaceX(int measure, const EventRecord& note, int32_t offset) const {
        return xOf_(measure, note.time, note.nudge * kNudgeUnits + kHeadHalfWidth + offset);
    }
    bool Passes(int64_t from, int64_t to) const { return std::max(from, to) >= left_ && std::min(from, to) <= right_; }

    void TakeNote(EventRecord* note, int measure) {
        ScoreObject* head = GetEventAttachment(note);
        const int64_t y = static_cast<int64_t>(SignedStep(*note) * kUnitsPerStep * scale_);
        int guard = 0;
        for (ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
             object != nullptr && guard < kMaxChainLength; object = object->next.get(), ++guard) {
            const size_t room = SoundObjectBytes(view_->document, object);
            if (room == 0) break;
            const auto type = static_cast<ObjectType>(object->type);
            if (type == ObjectType::Tie) {
                TakeTie(*AsTie(object), note, measure, y);
                continue;
            }
            // A slur or hairpin is drawn from its own anchors, not its note's.
            AnchorPoint ends[3]{};
            if (type == ObjectType::Slur || type == ObjectType::Hairpin || DrawnLineEnds(object, room, ends) != 2)
                continue;
            const int start = note->time + ends[0].coarse[1];
            const int64_t from = xOf_(measure, start, ends[0].x);
            const int64_t to = xOf_(measure, start + ends[1].coarse[1], ends[1].x);
            if (Passes(from, to)) TakeMarkReach(view_, object, y, scale_, &reach_);
        }
    }

    void TakeTie(const TieObject& tie, EventRecord* note, int measure, int64_t y) {
        const TieExtent extent = TieExtentOf(tie.body);
        const int64_t from = PlaceX(measure, *note, extent.startDx);
        for (const TieTarget& target :
             FindTieTargets(view_->document, view_, note, staff_, measure, TieVoice(tie.body))) {
            if (target.measure < measure || target.measure > measure + 1) continue;
            const int64_t to = target.measure > system_->lastMeasure
                                   ? INT64_MAX / 2
                                   : PlaceX(target.measure, *target.note, extent.endDx);
            if (Passes(from, to)) reach_.Take(y + extent.top, y + extent.bottom);
        }
    }

    ScoreView* view_;
    const ScoreSystem* system_;
    int staff_;
    int64_t left_;
    int64_t right_;
    double scale_;
    const TimeX& xOf_;
    VerticalReach reach_;
};

}  // namespace

int64_t LinesTopOver(ScoreView* view, const ScoreSystem* system, int staff, int64_t left, int64_t right,
                     double scale, const TimeX& xOf) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || system == nullptr || staff < 1 || staff > document->header.staffCount) return 0;
    const ScoreSystem* before = system->previous.get();
    const int from = before != nullptr ? before->firstMeasure : system->firstMeasure;
    // Where an end stands against the span: before it (-1), over it (0) or past it (1).
    const auto side = [&](int measure, const AnchorPoint& at) {
        if (measure < system->firstMeasure) return -1;
        if (measure > system->lastMeasure) return 1;
        const int64_t x = xOf(measure, at.coarse[1], at.x);
        return x < left ? -1 : x > right ? 1 : 0;
    };
    VerticalReach reach;
    for (int measure = from; measure <= system->lastMeasure; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* object = cell != nullptr && cell->objects ? cell->objects->next.get() : nullptr;
        for (int n = 0; object != nullptr && n < pages::kMaxChain; object = object->next.get(), ++n) {
            // The pages are drawn from lists that may be damaged: a node that is no
            // live object ends the walk.
            const size_t room = SoundObjectBytes(document, object);
            if (room == 0) break;
            if (static_cast<ObjectSubtype>(object->subtype) != ObjectSubtype::MeasureTimeList) continue;
            AnchorPoint ends[3]{};
            const int count = DrawnLineEnds(object, room, ends);
            int first = 1;
            int last = -1;
            for (int i = 0; i < count; ++i) {
                const int at = side(measure + static_cast<int16_t>(ends[i].coarse[0]), ends[i]);
                first = std::min(first, at);
                last = std::max(last, at);
            }
            if (count > 0 && first <= 0 && last >= 0) TakeMarkReach(view, object, 0, scale, &reach);
        }
    }
    NoteLinesOver onNotes(view, system, staff, left, right, scale, xOf);
    onNotes.TakeMeasures();
    reach.Take(onNotes.Reach());
    return -reach.above;
}

}  // namespace ql
