// Vertical placement of a page's systems (LayoutPageSystems): the first system
// below the top margin, the last standing on the bottom margin, the middle ones
// spread evenly with gaps capped at the document's system separation, a gap never
// less than the room of the staves on either side of it (layout/staff_room.h); and
// whether a page's systems fit between its margins (PageSystemsFit).
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
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_texts.h"
#include "layout/staff_room.h"

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

// Above the highest note of a page's first system the page keeps room for what is
// drawn over it (its flag, articulations, a measure number): three spaces over its
// head's top, or over the end of a stem that rises. Above its highest mark
// (an octave line, an ending, a text) it keeps half a space of paper.
constexpr int64_t kRoomOverNotes = 384;
constexpr int64_t kRoomOverMarks = 64;

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

// A page's systems with the tops of the first and the last: the first below the
// top margin, the last with its lowest staff on the bottom margin (its top rounded
// up the page, so that it stays inside) and its ink inside the margin; and the least
// gap between each system and the next (from the bottom line of the one to the top
// line of the other): the lower reach of the one, a space of paper and the upper
// reach of the other. A page whose systems do not stand so, and every page of a
// score not laid out by room (one entered by hand), takes the plain frame the
// formatter deals its systems by: the last system's lowest staff on the bottom
// margin and the gaps shared evenly.
struct PageFrame {
    std::vector<ScoreSystem*> systems;
    std::vector<InkReach> reaches;
    std::vector<int64_t> leastGaps;
    int64_t topLine = 0;
    int64_t firstTop = 0;
    int64_t lastTop = 0;
    int64_t plainLastTop = 0;
};

// The room the page leaves for the gaps between its systems, the last standing on
// the bottom margin.
int64_t GapRoom(const ScoreDocument* document, const PageFrame& frame) {
    int64_t room = frame.lastTop - frame.firstTop;
    for (size_t i = 0; i + 1 < frame.systems.size(); ++i)
        room -= SystemHeight(document, frame.systems[i]) + kStaffHeight;
    return room;
}

// The gaps that share `room`: a gap whose least is more than an even share takes
// its least, the others share what is left evenly (at most `cap` each when
// capped). Sets `capped` when the cap held them.
std::vector<int64_t> ShareGaps(const std::vector<int64_t>& least, int64_t room, int64_t cap, bool* capped) {
    std::vector<bool> own(least.size(), false);
    int64_t share = 0;
    for (bool changed = true; changed;) {
        changed = false;
        int64_t left = room;
        int64_t sharing = 0;
        for (size_t i = 0; i < least.size(); ++i) own[i] ? left -= least[i] : ++sharing;
        share = sharing > 0 ? left / sharing : 0;
        for (size_t i = 0; i < least.size(); ++i)
            if (!own[i] && least[i] > share) changed = own[i] = true;
    }
    if (share < 1) share = kSeparationStep;
    *capped = share > cap;
    if (*capped) share = cap;
    std::vector<int64_t> gaps(least.size());
    for (size_t i = 0; i < least.size(); ++i) gaps[i] = own[i] ? least[i] : std::max(share, least[i]);
    return gaps;
}

// Tops for the systems after the first: the gaps shared evenly as far as their
// least allow, the last on the bottom margin unless the gaps were capped.
void SpreadSystems(ScoreView* view, const PageFrame& frame, int32_t separation) {
    ScoreDocument* document = view->document;
    const std::vector<ScoreSystem*>& systems = frame.systems;
    const int64_t cap = State().layout.SystemGapsUncapped != 0 ? INT64_MAX : std::max(separation, LeastGap(document));
    bool capped = false;
    const std::vector<int64_t> gaps = ShareGaps(frame.leastGaps, GapRoom(document, frame), cap, &capped);
    int64_t running = frame.firstTop;
    for (size_t i = 1; i < systems.size(); ++i) {
        running += SystemHeight(document, systems[i - 1]) + gaps[i - 1] + kStaffHeight;
        const bool last = i + 1 == systems.size();
        systems[i]->y = static_cast<int32_t>(last && !capped ? frame.lastTop : RoundAtZoom(view, running));
    }
}

// The first system's top at or below `top` and below the page's heading: the texts
// above the system or across the place it takes go over it, clear of its first
// staff's top line by kHeadingClearance and of its notes and marks by the room
// `music` keeps over them (from the system's y). A text the system comes down
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

bool FramePage(ScoreView* view, const ScorePage* page, PageFrame* frame) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    PageMargins margins;
    if (!IsPageInList(document, page) || !page->firstSystem || !GetPageMargins(page, &margins)) return false;
    // The plain frame reads only the first system's room.
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && frame->systems.size() < kMaxChain;
         s = s->next.get()) {
        frame->reaches.push_back(document->pagesByRoom || frame->systems.empty() ? SystemRoomOf(view, s) : InkReach{});
        frame->systems.push_back(s);
    }
    for (size_t i = 0; i + 1 < frame->reaches.size(); ++i)
        frame->leastGaps.push_back(std::max<int64_t>(
            LeastGap(document), frame->reaches[i].All().below + kStaffPaper + frame->reaches[i + 1].All().above));
    frame->topLine = int64_t{kLogicalOrigin} + margins.logical[1];
    // The first system never stands above the top margin: its top is rounded down
    // the page.
    // A first staff of more than five lines stands lower by its lines past a
    // five-line staff's top.
    const int64_t firstLine =
        frame->topLine + kStaffHeight + FirstStaffLinesPastTopLine(document, frame->systems.front());
    frame->firstTop =
        frame->systems.size() == 1 ? firstLine : RoundAtZoom(view, firstLine, Rounding::DownThePage);
    // Nor do its notes or marks reach past the page's top edge: notes, octave lines,
    // endings or texts far above its staves take the system down the page.
    const InkReach& over = frame->reaches.front();
    const int64_t music = std::max(over.notes.above + kRoomOverNotes, over.marks.above + kRoomOverMarks);
    frame->firstTop = std::max(
        frame->firstTop, RoundAtZoom(view, int64_t{kLogicalOrigin} + kStaffHeight + music, Rounding::DownThePage));
    // Nor does it stand on the page's heading.
    frame->firstTop = BelowHeading(view, page, frame->systems.front(), frame->firstTop, kStaffHeight + music);
    // The texts at the page's foot are those under the first system where it stands
    // (a credit beside the heading that it came down past is not one).
    const int64_t reach = frame->firstTop + SystemHeight(document, frame->systems.front()) + kStaffHeight;
    // The last system's lowest staff stands on the bottom margin, and its ink below
    // it stays inside the margin and clear of the texts at the page's foot.
    const int64_t margin = int64_t{view->PageBottom} - margins.logical[3];
    int64_t bottom = margin - frame->reaches.back().All().below;
    const int64_t foot = PageFooterTop(view, page, reach, INT64_MAX);
    if (foot != INT64_MAX) bottom = std::min(bottom, foot - kStaffPaper - frame->reaches.back().All().below);
    const int64_t height = SystemHeight(document, frame->systems.back()) + kStaffHeight;
    frame->lastTop = RoundAtZoom(view, bottom - height, Rounding::UpThePage);
    frame->plainLastTop = RoundAtZoom(view, margin - height, Rounding::UpThePage);
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

namespace {

// Whether the frame's systems stand with their least gaps between them.
bool HoldsByRoom(ScoreView* view, const PageFrame& frame) {
    int64_t least = 0;
    for (const int64_t gap : frame.leastGaps) least += gap + ZoomStep(view);
    return GapRoom(view->document, frame) >= least;
}

// The plain frame (see PageFrame).
void MakePlain(PageFrame* frame) {
    frame->lastTop = frame->plainLastTop;
    std::fill(frame->leastGaps.begin(), frame->leastGaps.end(), 0);
}

}  // namespace

bool PageSystemsFit(ScoreView* view, const ScorePage* page) {
    PageFrame frame;
    if (!FramePage(view, page, &frame)) return true;
    MakePlain(&frame);
    // Room left between the systems, each standing on the one before it.
    const auto gaps = static_cast<int64_t>(frame.systems.size() - 1);
    return GapRoom(view->document, frame) >= gaps * (LeastGap(view->document) + ZoomStep(view));
}

bool PageHoldsSystemsByRoom(ScoreView* view, const ScorePage* page) {
    PageFrame frame;
    return !FramePage(view, page, &frame) || HoldsByRoom(view, frame);
}

namespace {

// The systems' y on the page (see the file's head).
void PlaceSystemsOnPage(ScoreView* view, ScorePage* page) {
    PageFrame frame;
    if (!FramePage(view, page, &frame)) return;
    if (!view->document->pagesByRoom || !HoldsByRoom(view, frame)) MakePlain(&frame);
    frame.systems[0]->y = static_cast<int32_t>(frame.firstTop);
    if (frame.systems.size() > 1) SpreadSystems(view, frame, NormalSeparation(view->document));
}

}  // namespace

void LayoutPageSystems(ScoreView* view, ScorePage* page) {
    PlaceSystemsOnPage(view, page);
    if (view != nullptr) RefreshStaffTops(view->document);
}

}  // namespace ql
