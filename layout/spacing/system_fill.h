// Systems filled by width for an import (FillSystemsByWidth, SystemsFilledByWidth):
// the breaks an importer lays its pages out with.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

struct ScoreView;

// A plan of systems (page by page, each system's measure count, from `firstMeasure`)
// dealt again by width: systems take measures while their widths at ease (each column
// at least its room and a width growing with its duration) fit between the margins
// (the score's first system less `firstIndent`, the room of the part names, at most a
// third of the line); a last system of the piece of one measure joins the one before
// when their columns fit the line. With `keepPages` each page keeps its measures (and
// the texts it holds); otherwise the pages hold as many systems as the plan gave
// them, later pages as many as its fullest. The plan ends with the score's last
// measure.
void FillSystemsByWidth(ScoreView* view, int firstMeasure, std::vector<std::vector<int>>& plan, int32_t firstIndent,
                        bool keepPages);
// The plan of the score's systems as they stand (page by page, each system's measure
// count), filled again by width (FillSystemsByWidth, the first system less the part
// names it shows) when one of its systems cannot hold its measures' columns: the
// breaks for an import whose own breaks are kept where they serve.
std::vector<std::vector<int>> SystemsFilledByWidth(ScoreView* view);

}  // namespace ql
