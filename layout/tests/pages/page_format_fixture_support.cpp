// Set-up and read-back helpers of the page formatter tests.
#include "layout/tests/pages/page_format_fixture.h"

#include <string>

#include "core/constants.h"
#include "core/model/pages.h"
#include "core/units/paper_size.h"
#include "core/units/units.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"

namespace ql::testing_layout {

namespace {
constexpr BcdInches kHalfInch = 0x0050;
}

void PrintTo(const PageShape& shape, std::ostream* out) {
    *out << "{" << shape.first << "-" << shape.last << ":";
    for (const auto& [first, last] : shape.systems) *out << " " << first << "-" << last;
    *out << "}";
}

void PageFormatTest::SetUp() {
    LayoutTest::SetUp();
    doc_->header.pageGeometry.staffSize = kStaffSize4;
    doc_->header.pageGeometry.paperKind = 0;  // Letter
    uint16_t margins[4] = {kHalfInch, kHalfInch, kHalfInch, kHalfInch};
    SetPageMarginWords(doc_, doc_->leftMaster, margins);
    SetPageMarginWords(doc_, doc_->rightMaster, margins);
    SetPageMarginWords(doc_, doc_->firstPage, margins);
    view_->UnitsPerInch = 0.0;
    PaperSizeOf(view_);
}

void PageFormatTest::NewScore(int staves, int systemsPerPage, int measuresPerSystem) {
    doc_->header.staffCount = static_cast<uint8_t>(staves);
    doc_->header.measureCount = 0;
    doc_->header.newScoreBlock.initSystemsPerPage = static_cast<uint8_t>(systemsPerPage);
    doc_->header.newScoreBlock.initMeasuresPerSystem = static_cast<uint8_t>(measuresPerSystem);
    ASSERT_EQ(BuildInitialScoreLayout(view_), 1);
}

std::vector<PageShape> PageFormatTest::Shapes() const {
    std::vector<PageShape> shapes;
    for (ScorePage* page = doc_->firstPage; page != nullptr && shapes.size() < 2000; page = page->next.get()) {
        PageShape shape{page->firstMeasure, page->lastMeasure, {}};
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && shape.systems.size() < 100; s = s->next.get())
            shape.systems.emplace_back(s->firstMeasure, s->lastMeasure);
        shapes.push_back(shape);
    }
    return shapes;
}

ScoreSystem* PageFormatTest::SystemAt(int page, int index) const {
    ScorePage* p = GetPageAt(doc_, page);
    ScoreSystem* s = p != nullptr ? p->firstSystem.get() : nullptr;
    for (int i = 0; s != nullptr && i < index; ++i) s = s->next.get();
    return s;
}

int PageFormatTest::PageCount() const { return static_cast<int>(Shapes().size()); }

namespace {

// Height of a system from its first staff's top to its last visible staff's bottom.
int64_t SystemExtent(const ScoreDocument* doc, const ScoreSystem* s) {
    const uint16_t* offsets = StaffOffsetsOf(s);
    const int8_t* flags = StaffFlagsOf(s);
    for (int staff = doc->header.staffCount; staff >= 1; --staff)
        if ((static_cast<uint8_t>(flags[staff]) & pages::kHiddenStaff) == 0) return offsets[staff] + pages::kStaffHeight;
    return pages::kStaffHeight;
}

std::string Where(const ScorePage* page, const ScoreSystem* s) {
    return "page " + std::to_string(page->pageNumber) + " system " + std::to_string(s->firstMeasure) + "-" +
           std::to_string(s->lastMeasure);
}

}  // namespace

std::string PageFormatTest::LayoutFault() const {
    if (!pages::IsPageListSound(doc_)) return "page list not sound";
    std::vector<int> systemsOf(doc_->header.measureCount + 1, 0);
    PageMargins margins;
    for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
        if (!GetPageMargins(page, &margins)) return "page without margins";
        const int64_t top = int64_t{kLogicalOrigin} + margins.logical[1];
        const int64_t bottom = int64_t{view_->PageBottom} - margins.logical[3];
        const bool alone = pages::CountSystems(page) == 1;
        int64_t previousBottom = top;
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) {
            for (int m = s->firstMeasure; m <= s->lastMeasure; ++m) {
                if (m < 1 || m > doc_->header.measureCount) return Where(page, s) + " past the score";
                ++systemsOf[m];
            }
            const int64_t extent = SystemExtent(doc_, s);
            if (alone && extent + pages::kStaffHeight > bottom - top) continue;
            if (s->y < previousBottom) return Where(page, s) + " above the margin or the system before";
            if (s->y + extent > bottom)
                return Where(page, s) + " ends " + std::to_string(s->y + extent - bottom) + " below the margin";
            previousBottom = s->y + extent;
        }
    }
    for (int m = 1; m <= doc_->header.measureCount; ++m)
        if (systemsOf[m] != 1) return "measure " + std::to_string(m) + " on " + std::to_string(systemsOf[m]) + " systems";
    return "";
}

}  // namespace ql::testing_layout
