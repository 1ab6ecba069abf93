// The page extent of a view from the document's paper.
#include "core/units/paper_size.h"

#include "core/ui/dialog_fields.h"
#include "core/units/paper_table.h"
#include "core/units/units.h"
#include "core/draw/view_metrics.h"

namespace ql {

void PaperInches(const ScoreDocument& document, double* width, double* height) {
    const PageRecord& page = document.header.pageGeometry;
    uint8_t unit = page.unit;
    BcdInches w = document.header.userPageWidth;
    BcdInches h = document.header.userPageHeight;
    const PaperRow& row = PaperRowOf(page.paperKind);
    if (row.index != kUserPaperIndex) {
        unit = row.unit;
        w = row.width;
        h = row.height;
    }
    *width = BcdInchesToFloat(w);
    *height = BcdInchesToFloat(h);
    if (unit == kPaperUnitCentimetres) {
        *width *= kInchesPerCm;
        *height *= kInchesPerCm;
    }
    if (page.orientation != 0) {
        double swap = *width;
        *width = *height;
        *height = swap;
    }
}

void PageExtentOf(ScoreView* view) {
    if (!view->document) return;
    double width = 0.0;
    double height = 0.0;
    PaperInches(*view->document, &width, &height);
    double unitsPerInch =
        view->UnitsPerInch > 0.0 ? view->UnitsPerInch : UnitsPerInch(*view->document);
    // An oversized page is cut at the drawing limit; the sum is taken in 64 bits so
    // that no size wraps before the cut.
    auto extent = [&](double inches) {
        int64_t value = static_cast<int64_t>(inches * unitsPerInch) + kLogicalOrigin;
        if (value < kLogicalOrigin) return kMinimumPageExtent;
        return value > kLogicalMax ? kLogicalMax : static_cast<int32_t>(value);
    };
    view->PageRight = extent(width);
    view->PageBottom = extent(height);
}

void PaperSizeOf(ScoreView* view) {
    if (!view->document) return;
    // A table paper sets the page unit from its row, so that every distance the
    // document converts afterwards is read in the paper's unit.
    PaperUnitOf(&view->document->header.pageGeometry);
    PageExtentOf(view);
    SetViewScrollRanges(view);
}

}  // namespace ql
