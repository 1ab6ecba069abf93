// The staff size at which every system of a score stands on its page
// (StaffSizeToFitSystems), giving a new or imported score that size
// (FitStaffSizeToSystems), and telling the user when a change of theirs left a
// system taller than its page.
//
// Staff offsets are logical units (128 to the staff space) and do not change with
// the staff size; the page and its margins do, as the units per inch of the size.
// So the room a page has for a system is its height less its margins, in inches,
// times the units per inch of a size.
#include <algorithm>
#include <cmath>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/draw/view_metrics.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/ui/modal_boxes.h"
#include "core/units/paper_size.h"
#include "core/units/page_units.h"
#include "core/units/paper_table.h"
#include "core/units/units.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/page_geometry.h"
#include "layout/page_layout_dialogs.h"
#include "layout/staff_room.h"
#include "platform/ui/message_box.h"

namespace ql {

using namespace pages;

namespace {

// The room a system needs on a page besides its own height: a staff height above
// its first staff and its last staff's lines.
constexpr int64_t kSystemRoom = 2 * int64_t{kStaffHeight};
constexpr int64_t kHalfSpace = 64;
// The smallest staff a score is given by itself: 2.5 mm high (512 units).
constexpr double kMostUnitsPerInch = 5200.0;
constexpr double kHundredths = 100.0;

double UnitsPerInchOf(const ScoreDocument* document, int size) {
    return StaffUnitsPerInch(size, document->header.fontSizeSetting);
}

// For each page with systems: the height its tallest system needs (logical units)
// and the room the page has for it (inches, its margins taken off at the present
// size). The smallest ratio of room to need over the pages decides.
struct PageNeed {
    int64_t need = 0;
    double roomInches = 0.0;
    int gaps = 0;  // between the shown staves of the page's tallest system
};

std::vector<PageNeed> PageNeeds(const ScoreDocument* document) {
    std::vector<PageNeed> needs;
    double width = 0.0;
    double height = 0.0;
    PaperInches(*document, &width, &height);
    const double perInch = UnitsPerInchOf(document, document->header.pageGeometry.staffSize);
    if (perInch <= 0.0) return needs;
    const ScorePage* page = document->firstPage;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) {
        PageMargins margins;
        if (!page->firstSystem || !GetPageMargins(page, &margins)) continue;
        int64_t tallest = 0;
        int gaps = 0;
        const ScoreSystem* system = page->firstSystem.get();
        for (int s = 0; system != nullptr && s < kMaxChain; ++s, system = system->next.get()) {
            const int64_t height = LastShownStaffOffset(document, system);
            if (height < tallest) continue;
            tallest = height;
            gaps = std::max(gaps, ShownStaffCount(system, document->header.staffCount) - 1);
        }
        needs.push_back({tallest + kSystemRoom,
                         height - static_cast<double>(margins.logical[1] + margins.logical[3]) / perInch, gaps});
    }
    return needs;
}

bool FitsAt(const std::vector<PageNeed>& needs, double perInch) {
    for (const PageNeed& page : needs)
        if (page.roomInches * perInch < static_cast<double>(page.need)) return false;
    return true;
}

// The staff separation at which each page's tallest system stands between its
// margins at the document's staff size, a multiple of half a space; 0 when every
// system does already or no separation would be closer than the present one.
int SeparationToFitSystems(const ScoreDocument* document) {
    const std::vector<PageNeed> needs = PageNeeds(document);
    const double perInch = UnitsPerInchOf(document, document->header.pageGeometry.staffSize);
    if (needs.empty() || FitsAt(needs, perInch)) return 0;
    int64_t separation = StaffSeparation(document);
    for (const PageNeed& page : needs) {
        if (page.gaps < 1) continue;
        const auto room = static_cast<int64_t>(page.roomInches * perInch) - kSystemRoom;
        separation = std::min<int64_t>(separation, room / page.gaps / kHalfSpace * kHalfSpace);
    }
    separation = std::max<int64_t>(separation, separation::kLeastStaff);
    return separation < StaffSeparation(document) ? static_cast<int>(separation) : 0;
}

// A score whose systems are too tall for the page even at the smallest staff size
// brings its staves closer, down to the least separation Page Layout allows.
bool CloseStavesToFitSystems(ScoreView* view) {
    ScoreDocument* document = view->document;
    const int separation = SeparationToFitSystems(document);
    if (separation == 0) return false;
    document->header.newScoreBlock.staffSeparation = static_cast<uint16_t>(separation);
    ReformatOptions spacing;
    FormatPagesAfter(view, &spacing, document->firstPage);
    LayOutPagesAgain(view);
    return true;
}

}  // namespace

namespace {

// Gives the score the staff size `size` (a fixed size, or the user size its header
// holds): the margins keep their measure on paper, the view's metrics follow and
// every page is laid out again.
void TakeStaffSize(ScoreView* view, int size) {
    ScoreDocument* document = view->document;
    document->header.pageGeometry.staffSize = static_cast<uint8_t>(size);
    view->UnitsPerInch = UnitsPerInchOf(document, size);
    // Each page's margins are read again from their measures at the new size.
    ReconvertMargins(document, document->leftMaster);
    ReconvertMargins(document, document->rightMaster);
    ScorePage* page = document->firstPage;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) ReconvertMargins(document, page);
    InitViewMetrics(view);
    PageExtentOf(view);
    LayOutPagesAgain(view);
}

// A score whose systems are still too tall for the page at the smallest fixed size
// with its staves as close as their room allows takes a user staff size at which
// they stand, down to the smallest staff it takes by itself. False when it needs
// none.
bool TakeSmallerUserSize(ScoreView* view) {
    ScoreDocument* document = view->document;
    const std::vector<PageNeed> needs = PageNeeds(document);
    const double present = UnitsPerInchOf(document, document->header.pageGeometry.staffSize);
    if (needs.empty() || FitsAt(needs, present)) return false;
    double perInch = present;
    for (const PageNeed& page : needs)
        if (page.roomInches > 0.0) perInch = std::max(perInch, static_cast<double>(page.need) / page.roomInches);
    perInch = std::min(perInch, kMostUnitsPerInch);
    // In hundredths of the stored form, rounded up so that the systems stand.
    const double stored = std::ceil(perInch / kUnitsPerBcdUnit * kHundredths) / kHundredths;
    const BcdInches word = FormatFloatG(stored);
    if (StaffUnitsPerInch(kUserStaffSize, word) <= present) return false;
    document->header.fontSizeSetting = word;
    document->header.pageGeometry.userStaffSize = BcdTimes128(word);
    TakeStaffSize(view, kUserStaffSize);
    return true;
}

}  // namespace

namespace {

bool HasPages(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->document->firstPage != nullptr;
}

void SpaceEveryStaffByRoom(ScoreView* view) {
    ScorePage* page = view->document->firstPage;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) {
        ScoreSystem* system = page->firstSystem.get();
        for (int s = 0; system != nullptr && s < kMaxChain; ++s, system = system->next.get())
            SpaceStavesByRoom(view, system);
    }
}

void PlaceAndSpaceEveryPage(ScoreView* view) {
    ScorePage* page = view->document->firstPage;
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get()) LayoutPageSystems(view, page);
    FormatMeasuresOfAllPages(view);
}

}  // namespace

void LayOutPagesAgain(ScoreView* view) {
    if (!HasPages(view)) return;
    FitSystemsToPages(view, view->document->firstPage);
    PlaceAndSpaceEveryPage(view);
}

void LayOutImportedPages(ScoreView* view, PageBreaks breaks) {
    if (!HasPages(view)) return;
    ScoreDocument* document = view->document;
    document->pagesByRoom = true;
    SpaceEveryStaffByRoom(view);
    if (!FitsAt(PageNeeds(document), UnitsPerInchOf(document, document->header.pageGeometry.staffSize))) {
        // A smaller fixed size, or the staves closer where their room allows; else
        // a smaller size still.
        FitStaffSizeToSystems(view);
        SpaceEveryStaffByRoom(view);
        if (TakeSmallerUserSize(view)) SpaceEveryStaffByRoom(view);
    }
    if (breaks == PageBreaks::ByHeight) FillPagesByHeight(view);
    else FitSystemsToPages(view, document->firstPage);
    PlaceAndSpaceEveryPage(view);
}

bool TakeFileStaffSize(ScoreView* view, double spaceInches) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || !(spaceInches > 0.0)) return false;
    constexpr double kSameSize = 0.04;
    const double perInch = std::clamp(kUnitsPerStaffSpace / spaceInches, StaffSizeUnitsPerInch[0], kMostUnitsPerInch);
    int size = kUserStaffSize;
    double nearest = perInch * kSameSize;
    for (int fixed = 0; fixed < kFixedStaffSizeCount; ++fixed) {
        const double off = std::abs(StaffSizeUnitsPerInch[fixed] - perInch);
        if (off <= nearest) {
            nearest = off;
            size = fixed;
        }
    }
    const double present = UnitsPerInchOf(document, document->header.pageGeometry.staffSize);
    if ((size == kUserStaffSize ? perInch : StaffSizeUnitsPerInch[size]) <= present) return false;
    if (size == kUserStaffSize) {
        const BcdInches word = FormatFloatG(std::round(perInch / kUnitsPerBcdUnit * kHundredths) / kHundredths);
        document->header.fontSizeSetting = word;
        document->header.pageGeometry.userStaffSize = BcdTimes128(word);
    }
    TakeStaffSize(view, size);
    return true;
}

int StaffSizeToFitSystems(const ScoreDocument* document) {
    const int size = document->header.pageGeometry.staffSize;
    const std::vector<PageNeed> needs = PageNeeds(document);
    const double present = UnitsPerInchOf(document, size);
    if (needs.empty() || FitsAt(needs, present)) return size;
    // The fixed sizes grow smaller as their units per inch grow.
    for (int fixed = 0; fixed < kFixedStaffSizeCount; ++fixed) {
        const double perInch = StaffSizeUnitsPerInch[fixed];
        if (perInch > present && FitsAt(needs, perInch)) return fixed;
    }
    return kFixedStaffSizeCount - 1;
}

bool FitStaffSizeToSystems(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr) return false;
    const int size = StaffSizeToFitSystems(document);
    const bool changed = size != document->header.pageGeometry.staffSize;
    if (changed) TakeStaffSize(view, size);
    return CloseStavesToFitSystems(view) || changed;
}

bool WarnWhenSystemTallerThanPage(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr) return false;
    const std::vector<PageNeed> needs = PageNeeds(document);
    if (FitsAt(needs, UnitsPerInchOf(document, document->header.pageGeometry.staffSize))) return false;
    ModalMessageBox(kSystemTallerThanPage, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconExclamation);
    return true;
}

}  // namespace ql
