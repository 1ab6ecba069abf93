// The walks over the music inside the marquee: every note event, or every rest, of
// the voices the view edits on the view's page whose place lies inside the marquee
// rectangle, in page order (measure by measure, staff by staff, voice by voice, then
// time). One walk runs at a time; its state is one program-wide record.
#pragma once

#include <cstdint>
#include <vector>

#include "core/objects/class_table.h"

namespace ql {

struct ScoreView;
struct ScoreSystem;
struct ScoreObject;
struct EventRecord;

// Modes of a walk step.
constexpr int kWalkNext = 0;
constexpr int kWalkStart = 2;

// The walk's record: the marquee rectangle (logical units) the marquee keeps here,
// the place reached and what the walk changes on the view and gives back at its end.
struct MarqueeWalkState {
    RecordRect rectangle{};
    bool marquee = false;  // a marquee is there
    bool active = false;
    ScoreView* view = nullptr;
    int lastMeasure = 0;
    int measure = 0;
    int staff = 0;
    int voice = 0;
    uint8_t voices = 0;  // the voices walked, bit v for voice v
    EventRecord* event = nullptr;
    ScoreObject* element = nullptr;
    // The view's voice mask and place before the walk.
    uint8_t savedMask = 0;
    ScoreSystem* savedSystem = nullptr;
    int savedStaff = 0;
    int savedMeasure = 0;
};
MarqueeWalkState& MarqueeWalk();

// The marquee sets its rectangle here while it exists, and clears it (null) when it
// goes.
void SetMarqueeWalkRectangle(const RecordRect* rectangle);

// Mode 2 starts a walk and gives its first note, mode 0 the next; null at the end,
// which ends the walk. Nothing without a marquee or a page. While the walk stands on
// an event, the view's location is that event's staff and measure and its voice mask
// names only the event's voice; the end gives both back.
EventRecord* MarqueeNoteWalk(ScoreView* view, int mode);
// The same over the rests of the voices' element lists, each tested by its glyph box.
ScoreObject* MarqueeElementWalk(ScoreView* view, int mode);
// Ends a walk before its end, giving the view back its location and voice mask.
void EndMarqueeWalk();

// What a walk found, with its place, so that edits that change the chains can run
// after the walk has ended.
struct WalkedItem {
    EventRecord* note = nullptr;
    ScoreObject* rest = nullptr;
    int staff = 0;
    int measure = 0;
    int voice = 0;
};
std::vector<WalkedItem> CollectMarqueeNotes(ScoreView* view);
std::vector<WalkedItem> CollectMarqueeRests(ScoreView* view);
// Puts the view on an item's staff, measure and voice (its voice mask names only it).
void StandOnItem(ScoreView* view, const WalkedItem& item);

// Keeps the view's location and voice mask for the length of a scope.
class ViewPlaceKeeper {
  public:
    explicit ViewPlaceKeeper(ScoreView* view);
    ~ViewPlaceKeeper();
    ViewPlaceKeeper(const ViewPlaceKeeper&) = delete;
    ViewPlaceKeeper& operator=(const ViewPlaceKeeper&) = delete;

  private:
    ScoreView* view_;
    ScoreSystem* system_;
    int staff_;
    int measure_;
    uint8_t mask_;
};

}  // namespace ql
