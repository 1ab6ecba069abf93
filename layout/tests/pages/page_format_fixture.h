// Fixture of the page formatter tests: a new score laid out on a grid of systems
// per page and measures per system, on a Letter page with half-inch margins at
// staff size 4, and helpers that read the page list back.
#pragma once

#include <vector>

#include "layout/tests/layout_fixture.h"

namespace ql::testing_layout {

// One page as the tests compare it: its range and its systems' ranges.
struct PageShape {
    int first;
    int last;
    std::vector<std::pair<int, int>> systems;
    bool operator==(const PageShape&) const = default;
};

class PageFormatTest : public LayoutTest {
  protected:
    void SetUp() override;
    // A new score of `staves` staves on a grid, laid out by BuildInitialScoreLayout.
    void NewScore(int staves, int systemsPerPage, int measuresPerSystem);
    std::vector<PageShape> Shapes() const;
    ScoreSystem* SystemAt(int page, int index) const;
    int PageCount() const;
};

}  // namespace ql::testing_layout
