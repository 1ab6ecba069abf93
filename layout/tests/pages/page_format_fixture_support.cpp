// Set-up and read-back helpers of the page formatter tests.
#include "layout/tests/pages/page_format_fixture.h"

#include "core/model/pages.h"
#include "core/units/paper_size.h"
#include "core/units/units.h"
#include "layout/page_format.h"

namespace ql::testing_layout {

namespace {
constexpr BcdInches kHalfInch = 0x0050;
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

}  // namespace ql::testing_layout
