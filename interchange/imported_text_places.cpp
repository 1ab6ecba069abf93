// Imported measure texts (text lines, tempo marks, chord symbols) placed clear of
// the music and of each other.
//
// Method, page by page, system by system from the top, staff by staff from the top,
// texts of a staff in time order. Everything on the page that a text must not touch
// is a box (imported_text_room.h): the page's own texts, each system's staves,
// signs and notes, and every text placed so far. A text is tried at a few places:
//  1. the places: at its time, moved right only as far as its measure's first note
//     when it would reach over the signs before it, and just after each text of
//     its staff placed before it that ends inside its measure;
//  2. at a place, the lowest height above the staff's top line (a staff space and
//     a clearance beyond it) at which its box touches no box, found by trying just
//     above each box in its way from the lowest up, never so high that it would
//     leave the room between its staff and the staff (or system) above;
//  3. the places that keep it inside its measure first; when none has room, those
//     from which it reaches on into the next measures of the system; the place
//     that lets it stand nearest the staff wins, the one moved least among equals.
// When no place above the staff has room, the same is tried below it, down to the
// staff (or system) below; when none has room there either, the text goes at its
// time above what is in its way as far as the page's top edge, else below it as
// far as the page's foot, else above everything in its way. The text keeps its
// measure and time; its anchor's x and y offsets say how far it was moved. A text
// the file placed itself stays where it stands when its box there touches no box
// (those stand first, before any text is placed), and is placed as above when it
// does. Known limitation: a text is placed against the notes as they stand; a
// later change of layout can bring them together again.
#include "interchange/imported_text_places.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/anchors.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "interchange/imported_text_room.h"
#include "notes/beatmap/beat_map.h"

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

bool IsMeasureText(const ScoreObject* object) {
    return (object->type == TypeCode(ObjectType::Text) ||
            object->type == TypeCode(ObjectType::Tempo) ||
            object->type == TypeCode(ObjectType::Chord)) &&
           object->subtype == SubtypeCode(ObjectSubtype::MeasureTimeList);
}

int TickOf(const ScoreObject* object) {
    return static_cast<int>(AsTextObject(object)->body.location.position >> kPositionShift);
}

struct MeasureText {
    ScoreObject* object;
    int measure;
};

// The texts of a staff's measures in a system, in time order.
std::vector<MeasureText> TextsOf(ScoreDocument* document, const ScoreSystem* system, int staff) {
    std::vector<MeasureText> texts;
    for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
        ScoreObject* list = cell != nullptr ? cell->objects.get() : nullptr;
        const size_t first = texts.size();
        for (ScoreObject* o = list != nullptr ? list->next.get() : nullptr; o != nullptr;
             o = o->next.get())
            if (IsMeasureText(o)) texts.push_back({o, measure});
        std::stable_sort(texts.begin() + static_cast<std::ptrdiff_t>(first), texts.end(),
                         [](const MeasureText& a, const MeasureText& b) {
                             return TickOf(a.object) < TickOf(b.object);
                         });
    }
    return texts;
}

bool Listed(const std::vector<const ScoreObject*>* list, const ScoreObject* object) {
    return list != nullptr && std::find(list->begin(), list->end(), object) != list->end();
}

// The page's boxes, and how much room a box wants around it.
struct PageRoom {
    std::vector<RecordRect> taken;
    int32_t clearance = 0;
    const std::vector<const ScoreObject*>* only = nullptr;  // the texts that move; all when null
    const std::vector<const ScoreObject*>* kept = nullptr;  // those that move only when in the way
    std::vector<const ScoreObject*> standing;               // kept where they stand

    bool Touches(const RecordRect& box) const {
        return std::any_of(taken.begin(), taken.end(),
                           [&](const RecordRect& other) { return BoxesOverlap(box, other); });
    }
    bool Moves(const ScoreObject* object) const {
        return !Listed(&standing, object) &&
               (only == nullptr || Listed(only, object) || Listed(kept, object));
    }

    // The top of a box of `height` over left..right that touches nothing, as near
    // `start` as can be: going up, its bottom at `start` or higher and its top not
    // above `limit`; going down, its top at `start` or lower and its bottom not
    // below `limit`. None when there is no such place.
    std::optional<int32_t> NearestFit(int32_t left, int32_t right, int32_t height, int32_t start,
                                      int32_t limit, bool up) const {
        std::vector<RecordRect> near;
        std::vector<int32_t> tops{up ? start - height : start};
        for (const RecordRect& box : taken) {
            if (box.right + clearance <= left || right <= box.left - clearance) continue;
            near.push_back({box.left - clearance, box.top - clearance, box.right + clearance,
                            box.bottom + clearance});
            if (up && near.back().top < start) tops.push_back(near.back().top - height);
            if (!up && near.back().bottom > start) tops.push_back(near.back().bottom);
        }
        if (up)
            std::sort(tops.begin(), tops.end(), std::greater<>());
        else
            std::sort(tops.begin(), tops.end());
        for (const int32_t top : tops) {
            if (up ? top < limit : top + height > limit) return std::nullopt;
            const RecordRect candidate{left, top, right, top + height};
            if (std::none_of(near.begin(), near.end(),
                             [&](const RecordRect& box) { return BoxesOverlap(box, candidate); }))
                return top;
        }
        return std::nullopt;
    }
};

// Where one text goes: its move right and the top of its box.
struct Spot {
    int32_t dx = 0;
    int32_t top = 0;
    int32_t distance = 0;  // from the staff
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
        static_cast<uint16_t>(static_cast<int16_t>(std::clamp<int32_t>(dx, 0, INT16_MAX)));
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

// The band a staff's texts may use: between the staff above (or the system or page
// above) and the staff below (or the next system or the page's foot).
struct Band {
    int32_t ceiling = 0;
    int32_t floor = 0;
};

// Places one text of `staff` in `system` within `band`; its box.
RecordRect PlaceText(ScoreView* view, PageRoom& room, ScoreSystem* system, int staff,
                     const MeasureText& text, const std::vector<RecordRect>& staffTexts,
                     const Band& band) {
    const int32_t space = StaffSpaceUnits(view);
    const StaffLinesY lines = StaffLinesIn(view, system, staff);
    const int32_t above = lines.top - space - room.clearance;
    const int32_t below = lines.bottom + space + room.clearance;
    SetCurrentSystemAndMeasureQuick(view, system, staff, text.measure);
    ObjectLocation& location = AsTextObject(text.object)->body.location;
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
    for (const RecordRect& box : staffTexts) {
        const int32_t dx = box.right + room.clearance - left;
        if (dx > least && left + dx < measureEnd) moves.push_back(dx);
    }
    std::optional<Spot> spot;
    const auto consider = [&](int32_t dx, bool up, int32_t limit) {
        const std::optional<int32_t> top =
            room.NearestFit(left + dx, left + dx + width, height, up ? above : below, limit, up);
        if (!top) return;
        const int32_t distance = up ? above - (*top + height) : *top - below;
        if (!spot || distance < spot->distance || (distance == spot->distance && dx < spot->dx))
            spot = Spot{dx, *top, distance};
    };
    // Above the staff, then below it: inside the measure, then reaching on.
    for (const bool up : {true, false}) {
        const int32_t limit = up ? band.ceiling : band.floor;
        for (const int32_t end : {measureEnd, systemEnd}) {
            for (const int32_t dx : moves)
                if (left + dx + width <= end) consider(dx, up, limit);
            if (spot) break;
        }
        if (spot) break;
    }
    // No room in its band: above the staff as far as the page's top edge, else
    // below it as far as the page's foot, else above everything in its way.
    if (!spot) consider(least, true, kLogicalOrigin);
    if (!spot) consider(least, false, view->PageBottom);
    if (!spot) consider(least, true, std::numeric_limits<int32_t>::min());
    if (!spot) spot = Spot{least, above - height, 0};
    SetCurrentSystemAndMeasureQuick(view, system, staff, text.measure);
    return Settle(view, text.object, extent, spot->dx, spot->top);
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
        std::vector<RecordRect> staffTexts;
        for (const MeasureText& text : TextsOf(document, system, staff)) {
            staffTexts.push_back(room.Moves(text.object)
                                     ? PlaceText(view, room, system, staff, text, staffTexts, band)
                                     : StandingBox(view, system, staff, text));
            room.taken.push_back(staffTexts.back());
        }
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
                if (IsMeasureText(o)) return true;
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
    room.taken = PageTextRoom(view);
    room.clearance = StaffSpaceUnits(view) / kClearanceDivisor;
    std::vector<ScoreSystem*> systems;
    for (ScoreSystem* system = page->firstSystem.get(); system != nullptr;
         system = system->next.get()) {
        systems.push_back(system);
        const std::vector<RecordRect> music = SystemMusicRoom(view, system);
        room.taken.insert(room.taken.end(), music.begin(), music.end());
    }
    // The kept texts whose places are clear stand first: the others keep clear of them.
    for (ScoreSystem* system : systems)
        for (int staff = 1; kept != nullptr && staff <= view->document->header.staffCount; ++staff)
            for (const MeasureText& text : TextsOf(view->document, system, staff)) {
                if (!Listed(kept, text.object)) continue;
                const RecordRect box = StandingBox(view, system, staff, text);
                if (room.Touches(box)) continue;
                room.taken.push_back(box);
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
    ScorePage* savedPage = view->currentPage;
    ScoreSystem* savedSystem = view->currentSystem;
    const int savedStaff = view->currentStaff;
    const int savedMeasure = view->currentMeasure;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        if (!HoldsMeasureTexts(document, page)) continue;
        view->currentPage = page;
        BuildBeatMapsOnLinkedViews(view, 0);
        PlacePageTexts(view, page, only, kept);
    }
    view->currentPage = savedPage;
    BuildBeatMapsOnLinkedViews(view, 0);
    SetCurrentSystemAndMeasure(view, savedSystem, savedStaff, savedMeasure, true);
}

}  // namespace ql
