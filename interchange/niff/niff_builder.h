// Turning what a NIFF import read into the new document: page margins from the
// systems, measure lengths and (when the file gave none) a time signature, and
// the first page shown.
#pragma once

#include <cstdint>

#include "interchange/niff/niff_frame.h"

namespace ql {
struct ScoreView;
}

namespace ql::niff {

struct NiffImportState;

inline constexpr char kNiffNoPages[] = "No pages found in NIFF file.";

// The size of the file's pages in score units at the file's staff size: their
// average, or Letter when the file gave none.
struct NiffPageSize {
    int32_t width = 0;
    int32_t height = 0;
};
NiffPageSize NiffFilePageSize(const NiffImportState& import);

// 0 on success; 1 when the file gave no page.
int BuildScoreFromNiff(NiffImportState& import);
// The page's margins from its systems, each falling back to the default margin
// when the systems give none in range. `pageHeight` and `pageWidth` in score units.
NiffPageMargins FinishNiffPage(const NiffImportState& import, const NiffPageFrame& page,
                               int32_t pageWidth, int32_t pageHeight);
// The default margins of an imported page: 0.5, 0.75, 0.75 and 0.75 inches
// (left, top, right, bottom) in score units.
NiffPageMargins DefaultNiffMargins(double unitsPerInch);
// Lays the pages out again from the first: with the systems dealt out to pages
// anew for a scanning program's file, keeping the page breaks of any other.
void FormatNiffScore(NiffImportState& import);
void ShowPageOfImport(ScoreView* view);

}  // namespace ql::niff
