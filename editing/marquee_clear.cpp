// Clearing a rectangle (see marquee_clear.h). What lies inside is found first with
// the marquee walks on the rectangle, before anything moves, so that a voice closing
// up behind a deleted note brings nothing new into the rectangle.
#include "editing/marquee_clear.h"

#include <set>
#include <utility>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "display/view_location.h"
#include "editing/marquee_walk.h"
#include "layout/measure_spacing.h"
#include "notes/beatmap/beat_map.h"
#include "notes/entry/note_delete.h"
#include "notes/rests/rest.h"

namespace ql {
namespace {

// The walks run on the given rectangle; the marquee's is given back after.
class WalkRectangle {
  public:
    explicit WalkRectangle(const RecordRect& rectangle) : saved_(MarqueeWalk()) {
        SetMarqueeWalkRectangle(&rectangle);
    }
    ~WalkRectangle() { SetMarqueeWalkRectangle(saved_.marquee ? &saved_.rectangle : nullptr); }
    WalkRectangle(const WalkRectangle&) = delete;
    WalkRectangle& operator=(const WalkRectangle&) = delete;

  private:
    MarqueeWalkState saved_;
};

void RemoveRest(ScoreView* view, const WalkedItem& item) {
    const RestBody* body = RestBodyOf(item.rest);
    if (body == nullptr) return;
    const int tick = body->tick;
    const int ticks = RestDurationTicks(item.rest);
    UnlinkObject(item.rest);
    DestroyRest(item.rest);
    ShiftVoiceElementsFromTick(view->document, item.staff, item.measure, item.voice, tick + ticks,
                               -ticks);
    SetDocumentModified(view->document);
}

}  // namespace

void ClearRectangle(ScoreView* view, const RecordRect& rectangle) {
    if (view == nullptr || view->document == nullptr) return;
    std::vector<WalkedItem> notes;
    std::vector<WalkedItem> rests;
    {
        WalkRectangle walk(rectangle);
        notes = CollectMarqueeNotes(view);
        rests = CollectMarqueeRests(view);
    }
    if (notes.empty() && rests.empty()) return;
    ViewPlaceKeeper keep(view);
    // A deleted note never leaves a rest behind here: the rectangle is emptied.
    uint8_t& keepTime = State().input.KeepTimeOnDelete;
    const uint8_t savedKeepTime = std::exchange(keepTime, uint8_t{0});
    std::set<std::pair<int, int>> changed;  // measure, staff
    for (const WalkedItem& item : notes) {
        StandOnItem(view, item);
        if (DeleteNote(view, item.note, false, item.voice) != 0)
            changed.insert({item.measure, item.staff});
    }
    for (const WalkedItem& item : rests) {
        StandOnItem(view, item);
        RemoveRest(view, item);
        changed.insert({item.measure, item.staff});
    }
    keepTime = savedKeepTime;
    for (const auto& [measure, staff] : changed) {
        SetCurrentMeasureQuick(view, staff, measure);
        for (int voice = 0; voice < 4; ++voice) ScanCurrentCellVoice(view, voice);
        BuildBeatMapSlot(view, view->currentSlot);
        RefreshMeasureWidths(view, false, false);
    }
}

}  // namespace ql
