// Vertical placement of a page's systems (LayoutPageSystems): the first system
// below the top margin, the last standing on the bottom margin, the middle ones
// spread evenly with gaps capped at the document's system separation; and whether
// a page's systems fit between its margins (PageSystemsFit).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/view_location.h"
#include "layout/marks_above_staff.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_texts.h"

namespace ql {

using namespace pages;

namespace {

constexpr int kDefaultSeparation = 1536;
constexpr int kSeparationStep = 128;
constexpr int64_t kRoundStep = 64;
// The least gap between systems: a space. With measure numbers shown, a system's
// start number stands above its first staff's clef, under the system before it:
// the gap then holds the reach of a treble clef below the staff above and above
// the staff below, and the number between them (four and a half spaces).
constexpr int32_t kLeastGap = kSeparationStep;
constexpr int32_t kLeastNumberedGap = 576;
constexpr uint8_t kNumbersOff = 0;

// Above the highest note of a page's first staff the page keeps room for what is
// drawn over it (its stem, ledger lines, articulations, a measure number): three
// spaces over its head's line, beyond the stem's end of a stem that rises. Above
// its highest mark (an octave line, an ending, a text) it keeps half a space of paper.
constexpr int64_t kRoomOverNotes = 384;
constexpr int64_t kRoomOverMarks = 64;
constexpr int64_t kStepUnits = 64;

// From the bottom of a page's heading to its first system's bottom line (the
// system's y): the staff, and over its top line the room kept over a note there
// (a measure number's, as a rule).
constexpr int64_t kHeadingClearance = kStaffHeight + kRoomOverNotes;

// Which way RoundAtZoom goes: to the nearest step, or to the one at or above y on
// the page (smaller y), or at or below it (larger y).
enum class Rounding { Nearest, UpThePage, DownThePage };

// y rounded to a multiple of 64 device steps at the view's staff scale.
int64_t RoundAtZoom(const ScoreView* view, int64_t y, Rounding rounding = Rounding::Nearest) {
    const int64_t add = rounding == Rounding::Nearest ? kRoundStep / 2 : rounding == Rounding::DownThePage ? kRoundStep - 1 : 0;
    const double scale = view->zoomFactor;
    if (scale <= 0.0) return (y + add) & ~(kRoundStep - 1);
    const auto scaled = static_cast<int64_t>(rounding == Rounding::DownThePage ? std::ceil(static_cast<double>(y) / scale)
                                                                                : static_cast<double>(y) / scale);
    const double back = static_cast<double>((scaled + add) & ~(kRoundStep - 1)) * scale;
    return static_cast<int64_t>(rounding == Rounding::DownThePage ? std::ceil(back) : back);
}

// The largest shift rounding at the zoom step gives two neighbouring systems.
int64_t ZoomStep(const ScoreView* view) {
    const double scale = view->zoomFactor;
    return scale <= 0.0 ? kRoundStep : static_cast<int64_t>(static_cast<double>(kRoundStep) * scale) + 1;
}

int32_t SystemHeight(const ScoreDocument* document, const ScoreSystem* system) {
    return LastShownStaffOffset(document, system);
}

int32_t LeastGap(const ScoreDocument* document) {
    return document->header.pageGeometry.measureNumberStyle != kNumbersOff ? kLeastNumberedGap : kLeastGap;
}

// How far the notes and marks of the system's shown staves reach above the
// system's top, with the room kept over them (0 when none reaches above it): a
// lower staff's notes or marks may rise past the staves above it.
int64_t MusicReachAboveSystem(ScoreView* view, const ScoreSystem* system) {
    ScoreDocument* document = view->document;
    const int8_t* flags = StaffFlagsOf(system);
    const uint16_t* offsets = StaffOffsetsOf(system);
    if (flags == nullptr || offsets == nullptr) return 0;
    int64_t reach = 0;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        if ((static_cast<uint8_t>(flags[staff]) & kHiddenStaff) != 0) continue;
        for (int measure = system->firstMeasure; measure <= system->lastMeasure; ++measure) {
            MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
            for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
                const EventRecord* e = GetVoiceFirstEvent(cell, voice);
                for (int n = 0; e != nullptr && n < kMaxChainLength; e = NextEvent(e), ++n) {
                    if (IsHeadSentinel(*e)) continue;
                    const int64_t y = SignedStep(*e) * kStepUnits;
                    const int64_t top = std::min<int64_t>(y, e->stemLength < 0 ? y + e->stemLength : y);
                    reach = std::max(reach, kRoomOverNotes - top - offsets[staff]);
                }
            }
        }
        const int64_t marks = MarksReachAboveStaff(view, system, staff);
        if (marks > 0) reach = std::max(reach, marks + kRoomOverMarks - offsets[staff]);
    }
    return reach;
}

// The document's system separation made sound (0 -> 1536, at least 128, a
// multiple of 128) and stored back.
int32_t NormalSeparation(ScoreDocument* document) {
    int separation = document->header.newScoreBlock.systemSeparation;
    if (separation == 0) separation = kDefaultSeparation;
    separation = std::max(separation, kSeparationStep);
    separation = (separation + kSeparationStep / 2) & ~(kSeparationStep - 1);
    document->header.newScoreBlock.systemSeparation = static_cast<uint16_t>(separation);
    return separation;
}

// Tops for the systems after the first: the middle ones spread evenly, the last on
// the bottom margin unless the gap was capped.
void SpreadSystems(ScoreView* view, const std::vector<ScoreSystem*>& systems, int64_t firstTop,
                   int64_t lastTop, int32_t separation) {
    ScoreDocument* document = view->document;
    const bool uncapped = State().layout.SystemGapsUncapped != 0;
    const size_t middle = systems.size() - 2;
    int64_t heights = 0;
    for (size_t i = 1; i + 1 < systems.size(); ++i) heights += SystemHeight(document, systems[i]) + kStaffHeight;
    int64_t gap = (lastTop - heights - SystemHeight(document, systems[0]) - firstTop - kStaffHeight) /
                  static_cast<int64_t>(middle + 1);
    if (gap < 1) gap = kSeparationStep;
    const int32_t least = LeastGap(document);
    const bool capped = !uncapped && gap > std::max(separation, least);
    if (capped) gap = std::max(separation, least);
    int64_t running = firstTop;
    for (size_t i = 1; i < systems.size(); ++i) {
        running += SystemHeight(document, systems[i - 1]) + gap + kStaffHeight;
        const bool last = i + 1 == systems.size();
        systems[i]->y = static_cast<int32_t>(last && !capped ? lastTop : RoundAtZoom(view, running));
    }
}

// The first system's top at or below `top` and below the page's heading: the texts
// above the system or across the place it takes go over it, clear of its first
// staff's top line by kHeadingClearance and of its notes and marks by the room
// `music` (MusicReachAboveSystem) keeps over them. A text the system comes down
// onto as it moves joins the heading (a credit set under the title, beside the
// place the system took under the title alone).
int64_t BelowHeading(ScoreView* view, const ScorePage* page, const ScoreSystem* system, int64_t top, int64_t music) {
    const int64_t height = SystemHeight(view->document, system) + kStaffHeight;
    const int64_t clearance = std::max(kHeadingClearance, music);
    for (int i = 0; i < kMaxChain; ++i) {
        const int64_t heading = PageHeadingBottom(view, page, top + height, INT64_MIN);
        if (heading == INT64_MIN) break;
        const int64_t below = RoundAtZoom(view, heading + clearance, Rounding::DownThePage);
        if (below <= top) break;
        top = below;
    }
    return top;
}

// A page's systems with the tops of the first and the last: the first below the
// top margin, the last with its lowest staff on the bottom margin (its top rounded
// up the page, so that it stays inside).
struct PageFrame {
    std::vector<ScoreSystem*> systems;
    int64_t topLine = 0;
    int64_t firstTop = 0;
    int64_t lastTop = 0;
};

bool FramePage(ScoreView* view, const ScorePage* page, PageFrame* frame) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    PageMargins margins;
    if (!IsPageInList(document, page) || !page->firstSystem || !GetPageMargins(page, &margins)) return false;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && frame->systems.size() < kMaxChain;
         s = s->next.get())
        frame->systems.push_back(s);
    frame->topLine = int64_t{kLogicalOrigin} + margins.logical[1];
    // The first system never stands above the top margin: its top is rounded down
    // the page.
    frame->firstTop = frame->systems.size() == 1 ? frame->topLine + kStaffHeight
                                                 : RoundAtZoom(view, frame->topLine + kStaffHeight, Rounding::DownThePage);
    // Nor do its notes or marks reach past the page's top edge: notes, octave lines,
    // endings or texts far above its staves take the system down the page.
    const int64_t music = MusicReachAboveSystem(view, frame->systems.front());
    if (music > 0)
        frame->firstTop = std::max(frame->firstTop,
                                   RoundAtZoom(view, int64_t{kLogicalOrigin} + music, Rounding::DownThePage));
    frame->firstTop = BelowHeading(view, page, frame->systems.front(), frame->firstTop, music);
    frame->lastTop = RoundAtZoom(view,
                                 int64_t{view->PageBottom} - margins.logical[3] -
                                     SystemHeight(document, frame->systems.back()) - kStaffHeight,
                                 Rounding::UpThePage);
    return true;
}

}  // namespace

int32_t LastShownStaffOffset(const ScoreDocument* document, const ScoreSystem* system) {
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    if (offsets == nullptr || flags == nullptr) return 0;
    for (int staff = document->header.staffCount; staff >= 1; --staff)
        if ((static_cast<uint8_t>(flags[staff]) & kHiddenStaff) == 0) return offsets[staff];
    return 0;
}

bool PageSystemsFit(ScoreView* view, const ScorePage* page) {
    PageFrame frame;
    if (!FramePage(view, page, &frame)) return true;
    const std::vector<ScoreSystem*>& systems = frame.systems;
    // Room left between the systems, each standing on the one before it.
    int64_t room = frame.lastTop - frame.firstTop;
    for (size_t i = 0; i + 1 < systems.size(); ++i) room -= SystemHeight(view->document, systems[i]) + kStaffHeight;
    const auto gaps = static_cast<int64_t>(systems.size() - 1);
    return room >= gaps * (LeastGap(view->document) + ZoomStep(view));
}

namespace {

// The systems' y on the page (see the file's head).
void PlaceSystemsOnPage(ScoreView* view, ScorePage* page) {
    PageFrame frame;
    if (!FramePage(view, page, &frame)) return;
    ScoreDocument* document = view->document;
    std::vector<ScoreSystem*>& systems = frame.systems;
    const int64_t firstTop = frame.firstTop;
    const int64_t lastTop = frame.lastTop;
    systems[0]->y = static_cast<int32_t>(firstTop);
    if (systems.size() == 1) return;
    const int32_t separation = NormalSeparation(document);
    if (systems.size() > 2) {
        SpreadSystems(view, systems, firstTop, lastTop, separation);
        return;
    }
    const int64_t height = SystemHeight(document, systems[0]);
    const int32_t gap = std::max(separation, LeastGap(document));
    systems[1]->y = static_cast<int32_t>(lastTop);
    if (State().layout.SystemGapsUncapped == 0 && lastTop - height - firstTop - kStaffHeight > gap)
        systems[1]->y = static_cast<int32_t>(RoundAtZoom(view, firstTop + height + kStaffHeight + gap));
}

}  // namespace

void LayoutPageSystems(ScoreView* view, ScorePage* page) {
    PlaceSystemsOnPage(view, page);
    if (view != nullptr) RefreshStaffTops(view->document);
}

}  // namespace ql
