// The clef and key tools' clicks (see clef_key_create.h). The sign's tick is
// settled before its dialog runs, so that the range the dialog changes starts where
// the object will stand: a change at the very tick of an event would not be in
// force for that event (a sign counts only after its tick) while the range would
// hold it.
#include "staves/clef_key_create.h"

#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "display/linked_views.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/message_box.h"
#include "staves/clef_changes.h"
#include "staves/clef_dialog.h"
#include "staves/clef_key_tables.h"
#include "staves/key_dialog.h"
#include "staves/signature_step.h"

namespace ql {

namespace {

constexpr uint8_t kNewSignStyle = 2;
// Text flags a new sign clears (0, 1, 8, 9) and the music-glyph flag it sets.
constexpr uint16_t kClearedSignFlags = 0x0303;
// Bounds the walk of a damaged voice chain.
constexpr int kMaxVoiceEvents = 4096;

// The view's location, kept across a dialog and put back after it.
class KeptLocation {
  public:
    explicit KeptLocation(ScoreView* view) : view_(view), staff_(view->currentStaff), measure_(view->currentMeasure) {}
    ~KeptLocation() {
        view_->currentStaff = staff_;
        view_->currentMeasure = measure_;
    }
    KeptLocation(const KeptLocation&) = delete;
    KeptLocation& operator=(const KeptLocation&) = delete;

  private:
    ScoreView* view_;
    int staff_;
    int measure_;
};

// A new sign of `type` for the click: time anchors at `at`, the new sign's style
// and flags. Null when no record can be had.
ScoreObject* NewSignAt(ScoreView* view, ObjectType type, LogicalPoint at) {
    ScoreObject* sign = ConstructObject(TypeCode(type));
    if (sign == nullptr) return nullptr;
    TextObject* text = AsTextObject(sign);
    sign->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    text->body.style = kNewSignStyle;
    text->body.flags = static_cast<uint16_t>((text->body.flags & ~kClearedSignFlags) | kTextMusicGlyph);
    EncodeTimeAnchors(view, &at, &text->body.location, 0);
    return sign;
}

// Anchors the sign at a tick of the location's measure: at the tick's x (the
// pointer's without a system), at height y.
void AnchorSignAt(ScoreView* view, ScoreObject* sign, int tick, int32_t y) {
    int32_t x = view->pointerPoint.x;
    if (view->currentSystem != nullptr)
        x = MeasureSlotX(view, view->currentSystem, view->currentSlot) + BeatMapTickToX(view, tick);
    const LogicalPoint at{x, y};
    EncodeTimeAnchors(view, &at, &AsTextObject(sign)->body.location, 0);
    SetSignatureTickOfObject(sign, static_cast<uint16_t>(tick));
}

// The tick the sign is settled at, where it is anchored at height y; 0 (the
// measure's start) for a click at the start or without room.
int SettleSignTick(ScoreView* view, ScoreObject* sign, int32_t y) {
    MeasureCell* cell = ExistingMeasureCell(view->document, view->currentStaff, view->currentMeasure);
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    const int length = record != nullptr ? record->lengthTicks : 0;
    const int clicked = SignatureTickOfObject(sign);
    const int tick = clicked == 0 || cell == nullptr ? 0 : MidwayChangeTick(cell, clicked, length);
    AnchorSignAt(view, sign, tick, y);
    return tick;
}

// Links the sign into the location's cell; false (the sign released) when it could
// not be linked.
bool LinkSign(ScoreView* view, ScoreObject* sign) {
    InsertObjectBySubtype(view, sign);
    if (!sign->prev) {
        ReleaseObjectByType(view->document, sign);
        return false;
    }
    ClassOf(sign).Measure(sign, view);
    return true;
}

// A sign changes the cells of a staff: it needs a staff and a measure at the click,
// and is not made on a master page (negative page number), which has no measures.
bool CanPlaceSign(ScoreView* view) {
    const bool masterPage = view->currentPage != nullptr && view->currentPage->pageNumber < 0;
    return !masterPage && HasStaffMeasureLocation(view) && view->currentCell != nullptr;
}

}  // namespace

EventGap EventsAround(MeasureCell* cell, int tick, int measureLength) {
    EventGap gap{0, std::max(measureLength, tick)};
    for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
        const EventRecord* e = GetVoiceFirstEvent(cell, voice);
        for (int n = 0; e != nullptr && n < kMaxVoiceEvents; ++n, e = NextEvent(e)) {
            const int at = e->time;
            if (at < tick) gap.before = std::max(gap.before, at);
            else gap.after = std::min(gap.after, at);
        }
    }
    return gap;
}

int MidwayChangeTick(MeasureCell* cell, int tick, int measureLength) {
    if (cell == nullptr || tick <= 0) return 0;
    const EventGap gap = EventsAround(cell, tick, measureLength);
    const int midway = gap.before + (gap.after - gap.before) / 2;
    return midway > gap.before ? midway : 0;
}

void SetClefChangeKind(ScoreView* view, ScoreObject* clef, int kind) {
    if (view == nullptr || clef == nullptr || !IsValidClef(kind)) return;
    const int old = ClefKindOfObject(clef);
    const LogicalPoint at = TextObjectAnchorPoint(clef, view);
    const LogicalPoint moved{at.x, at.y - ClefGlyphOffset(old) + ClefGlyphOffset(kind)};
    const uint16_t tick = SignatureTickOfObject(clef);
    EncodeTimeAnchors(view, &moved, &AsTextObject(clef)->body.location, 0);
    SetSignatureTickOfObject(clef, tick);
    SetClefKindOfObject(clef, static_cast<uint8_t>(kind));
}

ScoreObject* CreateClefAtClick(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || !CanPlaceSign(view)) return nullptr;
    const UndoStep edit(view->document, view, UndoKind::Item, TypeCode(ObjectType::Clef), UndoVerb::Add);
    const KeptLocation kept(view);
    ScoreObject* clef = NewSignAt(view, ObjectType::Clef, view->pointerPoint);
    if (clef == nullptr) return nullptr;
    const int tick = SettleSignTick(view, clef, view->staffY);
    const int inForce = ClefAtTick(view->currentCell, tick);
    ClefDialogStart start;
    start.kind = IsValidClef(inForce) ? inForce : CodeOf(ClefKind::Treble);
    start.tick = tick;
    const ClefDialogResult chosen = ClefSelectionDialog(view, start);
    if (chosen.result != ui::kIdOk || !chosen.insertWithin || tick == 0) {
        ReleaseObjectByType(view->document, clef);  // the dialog changed the cells, if anything
        return nullptr;
    }
    SetClefKindOfObject(clef, static_cast<uint8_t>(chosen.kind));
    AnchorSignAt(view, clef, tick, view->staffY + ClefGlyphOffset(chosen.kind));  // not yet linked
    if (!LinkSign(view, clef)) return nullptr;
    RecountCellClefChanges(view->currentCell);
    SetDocumentModified(view->document);
    if (RemoveRedundantClefs(view, clef) != 0) {
        InvalidateLinkedViews(view);
        return nullptr;  // it repeated the clef in force
    }
    InvalidateLinkedViews(view);
    return clef;
}

ScoreObject* CreateKeyAtClick(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || !CanPlaceSign(view)) return nullptr;
    const UndoStep edit(view->document, view, UndoKind::Item, TypeCode(ObjectType::KeySignature), UndoVerb::Add);
    const KeptLocation kept(view);
    const LogicalPoint at{view->pointerPoint.x, view->staffY - kKeyAnchorLift};
    ScoreObject* key = NewSignAt(view, ObjectType::KeySignature, at);
    if (key == nullptr) return nullptr;
    const int tick = SettleSignTick(view, key, at.y);
    const int inForce = KeySignatureAtTick(view->currentCell, tick);
    KeyDialogStart start;
    start.key = IsValidKey(inForce) ? inForce : kNoAccidentalsKey;
    start.tick = tick;
    int chosenKey = start.key;
    bool within = false;
    const int result = KeySelectionDialog(view, start, &chosenKey, &within);
    if (result != ui::kIdOk || !within || tick == 0) {
        ReleaseObjectByType(view->document, key);
        return nullptr;
    }
    SetKeyCodeOfObject(key, static_cast<uint8_t>(chosenKey));
    if (!LinkSign(view, key)) return nullptr;
    RecountCellKeyChanges(view->currentCell);
    SetDocumentModified(view->document);
    InvalidateLinkedViews(view);
    return key;
}

}  // namespace ql
