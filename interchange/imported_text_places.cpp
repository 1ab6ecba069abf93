// Imported measure texts (text lines, tempo marks, chord symbols), dynamics,
// hairpins and the marks of MIDI channel messages placed clear of the music and of
// each other.
//
// Method, page by page, system by system from the top, staff by staff from the top,
// marks of a staff in time order. Everything on the page that a mark must not touch
// is a box (imported_text_room.h): the page's own texts, each staff's lines, signs,
// notes, slurs and lyric lines, and every mark placed so far. A mark has a side of
// its staff: a dynamic below it unless its file put it above, a text above it
// unless its file put it below, tempo marks and chord symbols above. It is tried at
// a few places:
//  1. the places: at its time, moved right only as far as its measure's first note
//     when it would reach over the signs before it, and just after each mark of
//     its staff placed before it that ends inside its measure;
//  2. at a place, the height nearest the staff (a staff space and a clearance
//     beyond its outer line) on its side at which its box touches no box, found by
//     trying just beyond each box in its way, never so far that it would leave the
//     room between its staff and the staff (or system) beyond;
//  3. the places that keep it inside its measure first; when none has room, those
//     from which it reaches on into the next measures of the system; the place
//     that lets it stand nearest the staff wins, the one moved least among equals.
// When its band has no room, it stands on its side at its time clear of its own
// staff's music and of the marks, as far as the page's edge: the staff beyond is
// passed over, and the layout moves it away to make room. Only a page edge in the
// way sends it to the other side. A hairpin then stands on the line of the dynamics
// of its side beside it, its ends kept clear of them, and they join its line. The mark keeps its measure
// and time; its anchor's x and y offsets say how far it was moved. A text the file
// placed itself stays where it stands when its box there touches no box (those
// stand first, before any mark is placed), and is placed as above when it does.
// Cost: each place tried asks the page's room (imported_page_room.h), which looks
// only at the boxes in the grid cells near the place and keeps its answers; the
// texts of a staff that end together give one place after them.
// Known limitation: a mark is placed against the notes as they stand; a later
// change of layout can bring them together again.
#include "interchange/imported_text_places.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "interchange/imported_page_room.h"
#include "interchange/imported_text_room.h"
#include "layout/system_span.h"
#include "notes/beatmap/beat_map.h"
#include "objects/curves/curve_interface.h"
#include "objects/curves/curve_objects.h"
#include "objects/hairpin/hairpin_class.h"

namespace ql {
namespace {

constexpr int kClearanceDivisor = 4;  // a quarter space between boxes
constexpr int kPositionShift = 16;    // the tick in a time anchor's position word
constexpr int kXWord = 2;             // the anchor's x offset word
constexpr int kYWord = 3;             // the anchor's y offset word, unscaled
constexpr int kAnchorWords = 4;

struct Words {
    uint16_t w[kAnchorWords];
};

Words Load(const ObjectLocation& location) {
    Words words{};
    std::memcpy(&words, &location, sizeof words);
    return words;
}

void Store(ObjectLocation& location, const Words& words) {
    std::memcpy(&location, &words, sizeof words);
}

// The marks of a MIDI file's channel messages (pedal marks and the signs of other
// events) are placed like the texts; a hidden one is not on the paper.
bool IsMeasureText(const ScoreObject* object) {
    const bool channelMark = (object->type == TypeCode(ObjectType::Pedal) ||
                              object->type == TypeCode(ObjectType::MidiEvent)) &&
                             (AsTextObject(object)->body.flags & kTextHidden) == 0;
    return (object->type == TypeCode(ObjectType::Text) ||
            object->type == TypeCode(ObjectType::Tempo) ||
            object->type == TypeCode(ObjectType::Chord) ||
            object->type == TypeCode(ObjectType::Dynamic) || channelMark) &&
           object->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList);
}

// Whether a mark is placed below its staff first: a pedal mark, and a dynamic or a
// text whose anchor puts it below the staff's bottom line (a dynamic unless its
// file put it above, a text its file put below). Tempo marks, chord symbols and
// the other marks are placed above it first.
bool PlacedBelowFirst(const ScoreObject* object) {
    if (object->type == TypeCode(ObjectType::Pedal)) return true;
    return (object->type == TypeCode(ObjectType::Dynamic) ||
            object->type == TypeCode(ObjectType::Text)) &&
           static_cast<int16_t>(Load(AsTextObject(object)->body.location).w[kYWord]) > 0;
}

int TickOf(const ScoreObject* object) {
    if (object->type == TypeCode(ObjectType::Hairpin))
        return reinterpret_cast<const HairpinObject*>(object)->points[0].coarse[1];
    return static_cast<int>(AsTextObject(object)->body.location.position >> kPositionShift);
}

struct MeasureText {
    ScoreObject* object;
    int measure;
};

bool IsMeasureHairpin(const ScoreObject* object) {
    return object->type == TypeCode(ObjectType::Hairpin) &&
           object->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList);
}

// The texts and dynamics (or with `hairpins`, the hairpins) of a staff's measures
// in a system, in time order.
std::vector<MeasureText> TextsOf(ScoreDocument* document, const ScoreSystem* system, int staff,
                                 bool hairpins = false) {
    std::vector<MeasureText> texts;
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* list = cell != nullptr ? cell->objects.get() : nullptr;
        const size_t first = texts.size();
        for (ScoreObject* o = list != nullptr ? list->next.get() : nullptr; o != nullptr;
             o = o->next.get())
            if (hairpins ? IsMeasureHairpin(o) : IsMeasureText(o)) texts.push_back({o, measure});
        // In time order; at one time the dynamics first, to stand nearest the staff.
        const auto rank = [](const MeasureText& t) {
            return std::pair{TickOf(t.object), t.object->type != TypeCode(ObjectType::Dynamic)};
        };
        std::stable_sort(
            texts.begin() + static_cast<std::ptrdiff_t>(first), texts.end(),
            [&](const MeasureText& a, const MeasureText& b) { return rank(a) < rank(b); });
    }
    return texts;
}

// A staff of a system, as the owner of the boxes of its music.
int StaffKey(const ScoreSystem* system, int staff) {
    constexpr int kStaffKeys = 256;
    return (system->number + 1) * kStaffKeys + staff;
}

// Where the texts of a staff placed so far end on the right, each once, in the
// order they were placed: a text placed later may stand just after each.
struct StaffTextEnds {
    std::vector<int32_t> rights;
    std::set<int32_t> seen;
    void Add(const RecordRect& box) {
        if (seen.insert(box.right).second) rights.push_back(box.right);
    }
};

// Where one text goes: its move right and the top of its box.
struct Spot {
    int32_t dx = 0;
    int32_t top = 0;
    int32_t distance = 0;  // from the staff
    bool crowds = false;   // it reaches over the music of another staff
};

// Moves the text's anchor by `dx` and to the y that puts its box's top at `top`;
// its box as placed.
RecordRect Settle(ScoreView* view, ScoreObject* object, const RecordRect& extent, int32_t dx,
                  int32_t top) {
    ObjectLocation& location = AsTextObject(object)->body.location;
    const double scale = ViewScale(view);
    const int32_t target = top - extent.top - view->staffY;
    const auto word = static_cast<int32_t>(std::lround(scale > 0.0 ? target / scale : target));
    Words words = Load(location);
    words.w[kXWord] =
        static_cast<uint16_t>(static_cast<int16_t>(std::clamp<int32_t>(dx, INT16_MIN, INT16_MAX)));
    words.w[kYWord] = static_cast<uint16_t>(
        static_cast<int16_t>(std::clamp<int32_t>(word, INT16_MIN, INT16_MAX)));
    Store(location, words);
    LogicalPoint at{};
    DecodeAnchors(view, object->subtype, &location, &at, 1);
    return {at.x + extent.left, at.y + extent.top, at.x + extent.right, at.y + extent.bottom};
}

// The box of a text where it stands.
RecordRect StandingBox(ScoreView* view, ScoreSystem* system, int staff, const MeasureText& text) {
    SetCurrentSystemAndMeasureQuick(view, system, staff, text.measure);
    LogicalPoint at{};
    DecodeAnchors(view, text.object->subtype, &AsTextObject(text.object)->body.location, &at, 1);
    const RecordRect extent = TextExtentAround(view, text.object);
    return {at.x + extent.left, at.y + extent.top, at.x + extent.right, at.y + extent.bottom};
}

// Whether a box ends by the system's end (so inside the page's right margin).
bool EndsWithinSystem(ScoreView* view, ScoreSystem* system, const RecordRect& box) {
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    return box.right <= SlotBarlineX(view, system, slots + 1);
}

// The band a staff's texts may use: between the staff above (or the system or page
// above) and the staff below (or the next system or the page's foot).
struct Band {
    int32_t ceiling = 0;
    int32_t floor = 0;
};

// Places one text of `staff` in `system` within `band`; its box.
RecordRect PlaceText(ScoreView* view, PageRoom& room, ScoreSystem* system, int staff,
                     const MeasureText& text, const StaffTextEnds& staffTexts,
                     const Band& band) {
    const int32_t space = StaffSpaceUnits(view);
    const StaffLinesY lines = StaffLinesIn(view, system, staff);
    const int32_t above = lines.top - space - room.clearance;
    const int32_t below = lines.bottom + space + room.clearance;
    SetCurrentSystemAndMeasureQuick(view, system, staff, text.measure);
    ObjectLocation& location = AsTextObject(text.object)->body.location;
    const bool belowFirst = PlacedBelowFirst(text.object);
    Words words = Load(location);
    words.w[kXWord] = words.w[kYWord] = 0;
    Store(location, words);
    LogicalPoint natural{};
    DecodeAnchors(view, text.object->subtype, &location, &natural, 1);
    const RecordRect extent = TextExtentAround(view, text.object);
    const int32_t width = extent.right - extent.left;
    const int32_t height = extent.bottom - extent.top;
    const int slot = view->currentSlot;
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    const int32_t measureEnd = SlotBarlineX(view, system, slot + 1);
    const int32_t systemEnd = std::max(SlotBarlineX(view, system, slots + 1), measureEnd);
    const int32_t left = natural.x + extent.left;
    const int32_t least = std::max(0, MeasureSlotX(view, system, slot) - left);
    // Just after each text placed before it that ends within its reach.
    std::vector<int32_t> moves{least};
    for (const int32_t right : staffTexts.rights) {
        const int32_t dx = right + room.clearance - left;
        if (dx > least && left + dx < measureEnd) moves.push_back(dx);
    }
    // A text that would run past the system's end from its time ends at it instead.
    // (The texts' ends are each listed once, so this is the only move that can be
    // there already.)
    const int32_t toSystemEnd = std::max(systemEnd - width, MeasureSlotX(view, system, 1)) - left;
    if (left + least + width > systemEnd && std::find(moves.begin(), moves.end(), toSystemEnd) == moves.end())
        moves.push_back(toSystemEnd);
    std::optional<Spot> spot;
    // A place wins by touching no other staff's music, then by standing nearer the
    // staff, then by moving less.
    const auto consider = [&](int32_t dx, bool up, int32_t limit, int own = 0) {
        const std::optional<int32_t> top = room.NearestFit(left + dx, left + dx + width, height,
                                                           up ? above : below, limit, up, own);
        if (!top) return;
        const int32_t distance = up ? above - (*top + height) : *top - below;
        const bool crowds =
            own != 0 && room.Touches({left + dx, *top, left + dx + width, *top + height});
        if (!spot ||
            std::tie(crowds, distance, dx) < std::tie(spot->crowds, spot->distance, spot->dx))
            spot = Spot{dx, *top, distance, crowds};
    };
    // On its side of the staff within its band: inside the measure, then reaching
    // on. Without room there it stands on its side clear of its own staff's music
    // and of the texts, as far as the page's edge, reaching into the room of the
    // staff beyond (which the layout moves away): never piled over the system or
    // round the page's titles. Only when the page's edge stops it, the same on the
    // other side.
    for (const bool up : {!belowFirst, belowFirst}) {
        const int32_t limit = up ? band.ceiling : band.floor;
        // (Reaching on, only the places not tried inside the measure.)
        for (const int32_t end : {measureEnd, systemEnd}) {
            const int32_t tried = end == measureEnd ? INT32_MIN : measureEnd;
            for (const int32_t dx : moves)
                if (left + dx + width <= end && left + dx + width > tried) consider(dx, up, limit);
            if (spot) break;
        }
        for (const int32_t dx : moves)
            if (!spot || spot->crowds)
                consider(dx, up, up ? kLogicalOrigin : view->PageBottom, StaffKey(system, staff));
        if (spot) break;
    }
    if (!spot) spot = Spot{least, above - height, 0};
    SetCurrentSystemAndMeasureQuick(view, system, staff, text.measure);
    return Settle(view, text.object, extent, spot->dx, spot->top);
}

RecordRect ShapeBox(const HairpinShape& shape) {
    return {std::min({shape.upper.x, shape.apex.x, shape.lower.x}),
            std::min({shape.upper.y, shape.apex.y, shape.lower.y}),
            std::max({shape.upper.x, shape.apex.x, shape.lower.x}),
            std::max({shape.upper.y, shape.apex.y, shape.lower.y})};
}

// Moves the ends of a hairpin (its apex, or both open ends) at `fromX` to `toX`.
void MoveHairpinEnd(HairpinShape& shape, int32_t fromX, int32_t toX) {
    for (LogicalPoint* point : {&shape.upper, &shape.apex, &shape.lower})
        if (point->x == fromX) point->x = toX;
}

// Places one hairpin of `staff` on the line of the dynamics of its side beside it
// (the one furthest from the staff), its ends kept clear of them; without such
// dynamics a staff space and a clearance off the staff. When that touches what
// stands, it goes to the nearest height on its side clear of its own staff's music
// and of the texts. The dynamics beside it then move onto its line where that is
// clear. Its pieces, on its system and those it is carried on to, are taken.
// A dynamic placed on a staff: the mark, and its box among the page's boxes.
struct PlacedDynamic {
    ScoreObject* object = nullptr;
    size_t box = 0;
    int measure = 0;
};

// A time of a staff: its measure and tick.
using StaffTime = std::pair<int, int>;

// Where a hairpin of `measure` starts and ends: its first stored point is its left
// end, its second its right end.
std::pair<StaffTime, StaffTime> HairpinTimes(const ScoreObject* object, int measure) {
    const AnchorPoint* points = reinterpret_cast<const HairpinObject*>(object)->points;
    return {{measure + static_cast<int16_t>(points[0].coarse[0]), points[0].coarse[1]},
            {measure + static_cast<int16_t>(points[1].coarse[0]), points[1].coarse[1]}};
}

// Moves a placed mark's anchor by `dy` (page units).
void ShiftMark(ScoreView* view, ScoreObject* object, int32_t dy) {
    ObjectLocation& location = AsTextObject(object)->body.location;
    const double scale = ViewScale(view);
    Words words = Load(location);
    const int32_t word = static_cast<int16_t>(words.w[kYWord]) +
                         static_cast<int32_t>(std::lround(scale > 0.0 ? dy / scale : dy));
    words.w[kYWord] =
        static_cast<uint16_t>(static_cast<int16_t>(std::clamp<int32_t>(word, INT16_MIN, INT16_MAX)));
    Store(location, words);
}

// A line's pieces as they are drawn, split at its system's end: each one's box and
// the staff (StaffKey) of the system it stands on (the one of its system and those
// after it on the page whose staff lies nearest), the pieces carried on to the
// systems after it included.
std::vector<std::pair<RecordRect, int>> DrawnPieces(ScoreView* view, ScoreSystem* system, int staff,
                                                    const gfx::Point* line, int count) {
    SetCurrentSystemAndMeasureQuick(view, system, staff, system->firstMeasure);
    std::vector<std::pair<RecordRect, int>> pieces;
    for (const std::vector<gfx::Point>& piece : SplitPolylinePieces(view, line, count)) {
        RecordRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const gfx::Point& p : piece)
            box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
        pieces.push_back({box, 0});
    }
    for (auto& [box, owner] : pieces) {
        int64_t nearest = INT64_MAX;
        for (ScoreSystem* on = system; on != nullptr; on = on->next.get()) {
            const StaffLinesY lines = StaffLinesIn(view, on, staff);
            const int64_t distance = std::abs(int64_t{box.top} + box.bottom - lines.top - lines.bottom);
            if (distance < nearest) nearest = distance, owner = StaffKey(on, staff);
        }
    }
    return pieces;
}

// A hairpin's pieces as they are drawn (DrawnPieces).
std::vector<std::pair<RecordRect, int>> HairpinPieces(ScoreView* view, ScoreSystem* system, int staff,
                                                      const HairpinShape& shape) {
    const gfx::Point outline[] = {{shape.upper.x, shape.upper.y}, {shape.apex.x, shape.apex.y},
                                  {shape.lower.x, shape.lower.y}};
    return DrawnPieces(view, system, staff, outline, static_cast<int>(std::size(outline)));
}

// The pieces of the staff's slurs in the system that are carried on to the systems
// after it on the page, their outer and inner curves as drawn, a quarter space
// beyond, as the music of the staves they stand on: the marks placed there keep
// clear of them as of the slurs of their own measures.
void TakeCarriedSlurs(ScoreView* view, PageRoom& room, ScoreSystem* system, int staff) {
    constexpr int kSteps = 16;
    const int32_t clearance = StaffSpaceUnits(view) / kClearanceDivisor;
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(view->document, staff, measure);
        for (ScoreObject* o = cell != nullptr && cell->objects ? cell->objects->next.get() : nullptr; o != nullptr;
             o = o->next.get()) {
            if (o->type != TypeCode(ObjectType::Slur)) continue;
            SetCurrentSystemAndMeasureQuick(view, system, staff, measure);
            const CurvePoints at = SlurCurvePoints(AsSlur(o), view);
            const LogicalPoint outer[] = {at.p[0], at.p[1], at.p[2], at.p[3]};
            const LogicalPoint inner[] = {at.p[0], at.inner[0], at.inner[1], at.p[3]};
            for (const LogicalPoint* c : {outer, inner}) {
                gfx::Point line[kSteps + 1];
                for (int i = 0; i <= kSteps; ++i) {
                    const double t = static_cast<double>(i) / kSteps, u = 1 - t;
                    const auto along = [&](int32_t LogicalPoint::*axis) {
                        return static_cast<int32_t>(u * u * u * (c[0].*axis) + 3 * u * u * t * (c[1].*axis) +
                                                    3 * u * t * t * (c[2].*axis) + t * t * t * (c[3].*axis));
                    };
                    line[i] = gfx::Point{along(&LogicalPoint::x), along(&LogicalPoint::y)};
                }
                for (const auto& [box, owner] : DrawnPieces(view, system, staff, line, kSteps + 1))
                    if (owner != StaffKey(system, staff))
                        room.Take({box.left, box.top - clearance, box.right, box.bottom + clearance}, owner);
            }
        }
    }
}

// How far (`shift`, page units, or further from the staff) the hairpin moves off
// where its shape stands so that none of its pieces touches what stands on its
// system or the systems it is carried on to: each piece in the way goes to the
// nearest height clear of its own staff's music and of the texts, the furthest of
// those wins, and the pieces are tried again at it (a few rounds).
int32_t ClearingOfPieces(ScoreView* view, const PageRoom& room, ScoreSystem* system, int staff,
                         const HairpinShape& shape, int32_t shift, bool below) {
    constexpr int kRounds = 4;
    const std::vector<std::pair<RecordRect, int>> pieces = HairpinPieces(view, system, staff, shape);
    for (int round = 0; round < kRounds; ++round) {
        bool moved = false;
        for (const auto& [piece, owner] : pieces) {
            const RecordRect at{piece.left, piece.top + shift, piece.right, piece.bottom + shift};
            if (!room.Touches(at, -owner)) continue;
            const int32_t height = at.bottom - at.top;
            const std::optional<int32_t> fit =
                room.NearestFit(at.left, at.right, height, below ? at.top : at.bottom,
                                below ? view->PageBottom : kLogicalOrigin, !below, -owner);
            if (!fit || (below ? *fit - piece.top <= shift : *fit - piece.top >= shift)) continue;
            shift = *fit - piece.top;
            moved = true;
        }
        if (!moved) break;
    }
    return shift;
}

void PlaceHairpin(ScoreView* view, PageRoom& room, ScoreSystem* system, int staff,
                  const MeasureText& pin, const std::vector<PlacedDynamic>& dynamics) {
    // A wedge whose ends give way to the dynamics beside it is left no shorter than
    // a space: dynamics that stand close leave a short wedge between them.
    constexpr int kShortestWedgeSpaces = 1;
    const int32_t space = StaffSpaceUnits(view);
    const int32_t shortest = kShortestWedgeSpaces * space;
    const StaffLinesY lines = StaffLinesIn(view, system, staff);
    SetCurrentSystemAndMeasureQuick(view, system, staff, pin.measure);
    HairpinObject* hairpin = AsHairpin(pin.object);
    HairpinShape shape = DecodeHairpinShape(hairpin, view);
    RecordRect box = ShapeBox(shape);
    const bool below = box.top + box.bottom > lines.top + lines.bottom;
    std::optional<int32_t> middle;
    std::vector<const PlacedDynamic*> beside;
    const auto [starts, ends] = HairpinTimes(pin.object, pin.measure);
    for (const PlacedDynamic& placed : dynamics) {
        const RecordRect& d = room.taken[placed.box];
        if (d.right + space <= box.left || box.right <= d.left - space ||
            (d.top > lines.bottom) != below)
            continue;
        // A dynamic at a time inside the hairpin is not beside it but under it: the
        // hairpin keeps clear of it like of any other mark.
        const StaffTime at{placed.measure, TickOf(placed.object)};
        if (starts < at && at < ends) continue;
        beside.push_back(&placed);
        const int32_t m = (d.top + d.bottom) / 2;
        middle = !middle ? m : below ? std::max(*middle, m) : std::min(*middle, m);
        if (d.left <= box.left && box.left < d.right + room.clearance &&
            box.right - d.right > shortest)
            MoveHairpinEnd(shape, box.left, d.right + room.clearance);
        else if (d.left - room.clearance < box.right && box.right <= d.right &&
                 d.left - box.left > shortest)
            MoveHairpinEnd(shape, box.right, d.left - room.clearance);
        box = ShapeBox(shape);
    }
    const int32_t height = box.bottom - box.top;
    int32_t top = middle  ? *middle - height / 2
                  : below ? lines.bottom + space + room.clearance
                          : lines.top - space - room.clearance - height;
    // Never between its staff's lines, whatever stands beside it.
    top = below ? std::max(top, lines.bottom + room.clearance) : std::min(top, lines.top - room.clearance - height);
    if (room.Touches({box.left, top, box.right, top + height}, -StaffKey(system, staff))) {
        const std::optional<int32_t> fit = room.NearestFit(
            box.left, box.right, height, below ? top : top + height,
            below ? view->PageBottom : kLogicalOrigin, !below, -StaffKey(system, staff));
        if (fit) top = *fit;
    }
    top += ClearingOfPieces(view, room, system, staff, shape, top - box.top, below) - (top - box.top);
    for (LogicalPoint* point : {&shape.upper, &shape.apex, &shape.lower}) point->y += top - box.top;
    SetCurrentSystemAndMeasureQuick(view, system, staff, pin.measure);
    {
        // Stored against its own staff and measure: encoded from where its points
        // stand, a hairpin between two staves would take the nearer staff's height
        // and be drawn that far off its own.
        uint8_t& keep = State().locate.KeepMeasure;
        const uint8_t kept = keep;
        keep = 1;
        EncodeHairpinShape(hairpin, view, shape);
        keep = kept;
    }
    // The dynamics beside it join its line where that is clear.
    const int32_t line = top + height / 2;
    for (const PlacedDynamic* placed : beside) {
        const RecordRect& d = room.taken[placed->box];
        const int32_t dy = line - (d.top + d.bottom) / 2;
        const RecordRect moved{d.left, d.top + dy, d.right, d.bottom + dy};
        if (dy == 0 || room.TouchesOthers(placed->box, moved)) continue;
        ShiftMark(view, placed->object, dy);
        room.Replace(placed->box, moved);
    }
    // Its pieces as drawn, those carried on to the systems after it included, stand
    // in the way of the marks placed after it.
    for (const auto& [piece, owner] : HairpinPieces(view, system, staff, shape)) room.Take(piece);
}

// The texts of every staff of a system, between `ceiling` and `floor` (the room of
// the systems above and below); the bottom of its last staff's room.
int32_t PlaceSystemTexts(ScoreView* view, PageRoom& room, ScoreSystem* system, int32_t ceiling,
                         int32_t floor) {
    ScoreDocument* document = view->document;
    const int32_t space = StaffSpaceUnits(view);
    const int staves = document->header.staffCount;
    for (int staff = 1; staff <= staves; ++staff) {
        const Band band{ceiling,
                        staff < staves ? StaffLinesIn(view, system, staff + 1).top - space : floor};
        StaffTextEnds staffTexts;
        std::vector<PlacedDynamic> dynamics;
        for (const MeasureText& text : TextsOf(document, system, staff)) {
            const RecordRect box = room.Moves(text.object)
                                       ? PlaceText(view, room, system, staff, text, staffTexts, band)
                                       : StandingBox(view, system, staff, text);
            staffTexts.Add(box);
            room.Take(box);
            if (text.object->type == TypeCode(ObjectType::Dynamic))
                dynamics.push_back({text.object, room.taken.size() - 1, text.measure});
        }
        for (const MeasureText& pin : TextsOf(document, system, staff, true))
            if (room.Moves(pin.object)) PlaceHairpin(view, room, system, staff, pin, dynamics);
        ceiling = StaffLinesIn(view, system, staff).bottom + space;
    }
    return ceiling;
}

bool HoldsMeasureTexts(ScoreDocument* document, const ScorePage* page) {
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        for (int measure = page->firstMeasure; measure <= page->lastMeasure; ++measure) {
            MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
            ScoreObject* list = cell != nullptr ? cell->objects.get() : nullptr;
            for (ScoreObject* o = list != nullptr ? list->next.get() : nullptr; o != nullptr;
                 o = o->next.get())
                if (IsMeasureText(o) || IsMeasureHairpin(o)) return true;
        }
    }
    return false;
}

// The texts of the view's current page, its beat maps built.
void PlacePageTexts(ScoreView* view, ScorePage* page, const std::vector<const ScoreObject*>* only,
                    const std::vector<const ScoreObject*>* kept) {
    PageRoom room;
    room.only = only;
    room.kept = kept;
    room.clearance = StaffSpaceUnits(view) / kClearanceDivisor;  // before any box is taken
    for (const RecordRect& box : PageTextRoom(view)) room.Take(box);
    std::vector<ScoreSystem*> systems;
    for (ScoreSystem* system = page->firstSystem.get(); system != nullptr;
         system = system->next.get()) {
        systems.push_back(system);
        for (int staff = 1; staff <= view->document->header.staffCount; ++staff) {
            for (const RecordRect& box : StaffMusicRoom(view, system, staff))
                room.Take(box, StaffKey(system, staff));
            if (staff == 1)
                for (const RecordRect& box : MeasureNumberRoom(view, system)) room.Take(box, kMeasureNumberOwner);
            TakeCarriedSlurs(view, room, system, staff);
        }
    }
    // The kept texts whose places are clear stand first: the others keep clear of them.
    for (ScoreSystem* system : systems)
        for (int staff = 1; kept != nullptr && staff <= view->document->header.staffCount; ++staff)
            for (const MeasureText& text : TextsOf(view->document, system, staff)) {
                if (!room.Kept(text.object)) continue;
                const RecordRect box = StandingBox(view, system, staff, text);
                if (room.Touches(box) || !EndsWithinSystem(view, system, box)) continue;
                room.Take(box);
                room.standing.push_back(text.object);
            }
    const int32_t space = StaffSpaceUnits(view);
    int32_t ceiling = kLogicalOrigin;
    for (size_t k = 0; k < systems.size(); ++k) {
        const int32_t floor = k + 1 < systems.size()
                                  ? StaffLinesIn(view, systems[k + 1], 1).top - space
                                  : view->PageBottom;
        ceiling = PlaceSystemTexts(view, room, systems[k], ceiling, floor);
    }
}

}  // namespace

void PlaceImportedMeasureTexts(ScoreView* view, const std::vector<const ScoreObject*>* only,
                               const std::vector<const ScoreObject*>* kept) {
    if (view == nullptr || view->document == nullptr ||
        (only != nullptr && only->empty() && (kept == nullptr || kept->empty())))
        return;
    ScoreDocument* document = view->document;
    PageBeatMapScope pages(view);
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        if (!HoldsMeasureTexts(document, page)) continue;
        pages.Visit(page);
        PlacePageTexts(view, page, only, kept);
    }
}

}  // namespace ql
