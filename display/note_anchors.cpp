// Anchors of objects attached to a note (kind 3): offsets from the note's x and y
// in the view's current slot, lyrics measured from their verse line instead.
#include <algorithm>
#include <cstring>

#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "display/anchors.h"
#include "display/locate_internal.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_draw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/staff_place.h"

namespace ql {

using namespace locate;

namespace {

constexpr uint8_t kLyricType = 50;
constexpr uint16_t kFromStaffBit = 0x0040;      // flags word: offset from the staff
constexpr int kVerseShift = 8;                  // flags word bits 8-9: lyric verse
constexpr uint16_t kVerseMask = 0x3;
constexpr uint16_t kArticulationStaffBit = 0x0400;  // note flags: y from the other staff
constexpr int32_t kNudgeUnits = 16;

struct NotePlace {
    EventRecord* note = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    int32_t staffY = 0;
};

// The note's x (without the head half-width) and y in the current slot.
NotePlace PlaceOfOwner(ScoreView* view, ScoreObject* object) {
    NotePlace place;
    if (object == nullptr || view->currentSystem == nullptr) return place;
    EventRecord* note = ClassOf(object).GetOwnerNote(object);
    if (note == nullptr) return place;
    place.note = note;
    place.x = BeatMapTickToX(view, note->time) + CurrentSlotX(view) + note->nudge * kNudgeUnits;
    place.staffY = view->staffY;
    const uint8_t step = note->step;
    if (note->flags & kArticulationStaffBit) place.staffY = ArticulationYForNote(view, note);
    place.y = place.staffY + ScaleY(view, NotePosition(*note) * kStaffStepUnits);
    note->step = step;
    return place;
}

uint16_t FlagsWordAfter(const ObjectLocation* anchor) {
    uint16_t flags = 0;
    std::memcpy(&flags, reinterpret_cast<const std::byte*>(anchor) + sizeof(ObjectLocation),
                sizeof flags);
    return flags;
}

int32_t LyricLineY(const ScoreView* view, const ObjectLocation* anchor) {
    const int verse = (FlagsWordAfter(anchor) >> kVerseShift) & kVerseMask;
    return static_cast<int16_t>(view->document->header.lyricLevels[verse]);
}

int16_t Word(const ObjectLocation* anchor, int i) {
    int16_t w = 0;
    std::memcpy(&w, reinterpret_cast<const std::byte*>(anchor) + 2 * i, sizeof w);
    return w;
}
void SetWord(ObjectLocation* anchor, int i, int32_t v) {
    const auto w = static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
    std::memcpy(reinterpret_cast<std::byte*>(anchor) + 2 * i, &w, sizeof w);
}

}  // namespace

void NoteAnchorToPoint(ScoreView* view, ScoreObject* object, const ObjectLocation* location,
                       LogicalPoint* out) {
    if (view == nullptr || view->document == nullptr || location == nullptr || out == nullptr)
        return;
    const NotePlace place = PlaceOfOwner(view, object);
    if (place.note == nullptr) return;
    out->x = Word(location, 2) + place.x;
    if (object->type == kLyricType) {
        out->y = view->staffY + ScaleY(view, LyricLineY(view, location) + Word(location, 3));
    } else {
        const int32_t from = (FlagsWordAfter(location) & kFromStaffBit) ? place.staffY : place.y;
        out->y = from + ScaleY(view, Word(location, 3));
    }
}

void PointToNoteAnchor(ScoreView* view, ScoreObject* object, ObjectLocation* anchor,
                       const LogicalPoint& point) {
    if (view == nullptr || view->document == nullptr || anchor == nullptr) return;
    const NotePlace place = PlaceOfOwner(view, object);
    if (place.note == nullptr) return;
    SetWord(anchor, 2, point.x - place.x);
    if (object->type == kLyricType) {
        SetWord(anchor, 3, UnscaleY(view, point.y - view->staffY) - LyricLineY(view, anchor));
    } else {
        const int32_t from = (FlagsWordAfter(anchor) & kFromStaffBit) ? place.staffY : place.y;
        SetWord(anchor, 3, UnscaleY(view, point.y - from));
    }
}

void NoteAnchorsToPoints(ScoreView* view, ScoreObject* object, const ObjectLocation* anchor,
                         LogicalPoint* points) {
    NoteAnchorToPoint(view, object, anchor, points);
}

}  // namespace ql
