// The marquee walks (see marquee_walk.h). A walk stands the view on each staff and
// measure of the page in turn, so that an event's place is read the way the painter
// reads it, and names the walked voice in the view's voice mask so that the note
// edits run on it act on that voice.
#include "editing/marquee_walk.h"

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"

namespace ql {
namespace {

constexpr int kVoices = 4;
MarqueeWalkState g_walk;

// Every voice when the mask names none or is out of range.
uint8_t WalkedVoices(uint8_t mask) {
    return mask == 0 || mask > kVoiceMaskBits ? kVoiceMaskBits : mask;
}

bool Inside(const RecordRect& r, const LogicalPoint& p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

void StandOnPlace(MarqueeWalkState& w) {
    SetCurrentMeasureQuick(w.view, w.staff, w.measure);
    w.view->voiceMask = static_cast<uint8_t>(1u << w.voice);
}

// The next voice, staff or measure; false past the page's last measure.
bool NextPlace(MarqueeWalkState& w) {
    for (int v = w.voice + 1; v < kVoices; ++v)
        if ((w.voices >> v) & 1) {
            w.voice = v;
            w.view->voiceMask = static_cast<uint8_t>(1u << v);
            return true;
        }
    w.voice = ActiveVoiceOfMask(w.voices);
    if (++w.staff > w.view->document->header.staffCount) {
        w.staff = 1;
        if (++w.measure > w.lastMeasure) return false;
    }
    StandOnPlace(w);
    return true;
}

void Finish(MarqueeWalkState& w) {
    if (!w.active) return;
    w.active = false;
    w.event = nullptr;
    w.element = nullptr;
    ScoreView* view = w.view;
    if (!IsViewListed(view)) return;  // closed while walked: nothing to give back
    view->voiceMask = w.savedMask;
    if (w.savedSystem != nullptr)
        SetCurrentSystemAndMeasureQuick(view, w.savedSystem, w.savedStaff, w.savedMeasure);
}

// Starts a walk on the view's page; false when there is nothing to walk.
bool Begin(ScoreView* view) {
    MarqueeWalkState& w = g_walk;
    Finish(w);
    if (!w.marquee || view == nullptr || view->document == nullptr || view->currentPage == nullptr)
        return false;
    const ScoreSystem* first = view->currentPage->firstSystem.get();
    if (first == nullptr || view->document->header.staffCount == 0) return false;
    const ScoreSystem* last = first;
    for (int n = 0; last->next.get() != nullptr && n < kMaxChainLength; ++n) last = last->next.get();
    w.view = view;
    w.savedMask = view->voiceMask;
    w.savedSystem = view->currentSystem;
    w.savedStaff = view->currentStaff;
    w.savedMeasure = view->currentMeasure;
    w.active = true;
    w.voices = WalkedVoices(view->voiceMask);
    w.voice = ActiveVoiceOfMask(w.voices);
    w.staff = 1;
    w.measure = first->firstMeasure;
    w.lastMeasure = last->lastMeasure;
    if (w.measure < 1 || w.measure > w.lastMeasure) {
        w.active = false;
        return false;
    }
    StandOnPlace(w);
    return true;
}

bool Walking(const ScoreView* view) {
    return g_walk.active && g_walk.view == view && view != nullptr;
}

}  // namespace

MarqueeWalkState& MarqueeWalk() {
    return g_walk;
}

void SetMarqueeWalkRectangle(const RecordRect* rectangle) {
    g_walk.marquee = rectangle != nullptr;
    g_walk.rectangle = rectangle != nullptr ? *rectangle : RecordRect{};
}

void EndMarqueeWalk() {
    Finish(g_walk);
}

EventRecord* MarqueeNoteWalk(ScoreView* view, int mode) {
    MarqueeWalkState& w = g_walk;
    int steps = 0;
    if (mode == kWalkStart) {
        if (!Begin(view)) return nullptr;
        w.event = GetVoiceFirstEvent(view->currentCell, w.voice);
    } else {
        if (!Walking(view)) return nullptr;
        w.event = w.event != nullptr ? NextEvent(w.event) : nullptr;
    }
    for (;;) {
        while (w.event == nullptr || steps >= kMaxChainLength) {
            if (!NextPlace(w)) {
                Finish(w);
                return nullptr;
            }
            w.event = GetVoiceFirstEvent(view->currentCell, w.voice);
            steps = 0;
        }
        if (!IsHeadSentinel(*w.event) && Inside(w.rectangle, GetEventPosition(w.event, view)))
            return w.event;
        w.event = NextEvent(w.event);
        ++steps;
    }
}

ScoreObject* MarqueeElementWalk(ScoreView* view, int mode) {
    MarqueeWalkState& w = g_walk;
    int steps = 0;
    if (mode == kWalkStart) {
        if (!Begin(view)) return nullptr;
        w.element = GetVoiceFirstElement(view->currentCell, w.voice);
    } else {
        if (!Walking(view)) return nullptr;
        w.element = w.element != nullptr ? rests::NextElement(w.element) : nullptr;
    }
    for (;;) {
        while (w.element == nullptr || steps >= rests::kMaxVoiceElements) {
            if (!NextPlace(w)) {
                Finish(w);
                return nullptr;
            }
            w.element = GetVoiceFirstElement(view->currentCell, w.voice);
            steps = 0;
        }
        if (RestBodyOf(w.element) != nullptr && RestIntersectsRect(view, w.element, w.rectangle))
            return w.element;
        w.element = rests::NextElement(w.element);
        ++steps;
    }
}

std::vector<WalkedItem> CollectMarqueeNotes(ScoreView* view) {
    std::vector<WalkedItem> items;
    const MarqueeWalkState& w = g_walk;
    for (EventRecord* e = MarqueeNoteWalk(view, kWalkStart); e != nullptr;
         e = MarqueeNoteWalk(view, kWalkNext))
        items.push_back(WalkedItem{e, nullptr, w.staff, w.measure, w.voice});
    return items;
}

std::vector<WalkedItem> CollectMarqueeRests(ScoreView* view) {
    std::vector<WalkedItem> items;
    const MarqueeWalkState& w = g_walk;
    for (ScoreObject* r = MarqueeElementWalk(view, kWalkStart); r != nullptr;
         r = MarqueeElementWalk(view, kWalkNext))
        items.push_back(WalkedItem{nullptr, r, w.staff, w.measure, w.voice});
    return items;
}

void StandOnItem(ScoreView* view, const WalkedItem& item) {
    if (view->currentStaff != item.staff || view->currentMeasure != item.measure ||
        view->currentCell == nullptr)
        SetCurrentMeasureQuick(view, item.staff, item.measure);
    view->voiceMask = static_cast<uint8_t>(1u << item.voice);
}

ViewPlaceKeeper::ViewPlaceKeeper(ScoreView* view)
    : view_(view),
      system_(view->currentSystem),
      staff_(view->currentStaff),
      measure_(view->currentMeasure),
      mask_(view->voiceMask) {}

ViewPlaceKeeper::~ViewPlaceKeeper() {
    view_->voiceMask = mask_;
    if (system_ != nullptr) SetCurrentSystemAndMeasureQuick(view_, system_, staff_, measure_);
}

}  // namespace ql
