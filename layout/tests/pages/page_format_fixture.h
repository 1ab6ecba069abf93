// Fixture of the page formatter tests: a new score laid out on a grid of systems
// per page and measures per system, on a Letter page with half-inch margins at
// staff size 4, and helpers that read the page list back.
#pragma once

#include <ostream>
#include <string>
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
void PrintTo(const PageShape& shape, std::ostream* out);

class PageFormatTest : public LayoutTest {
  protected:
    void SetUp() override;
    // A new score of `staves` staves on a grid, laid out by BuildInitialScoreLayout.
    void NewScore(int staves, int systemsPerPage, int measuresPerSystem);
    std::vector<PageShape> Shapes() const;
    ScoreSystem* SystemAt(int page, int index) const;
    int PageCount() const;
    // The first fault of the laid-out pages, or "": the page list unsound, a
    // measure of the score on no system or on more than one, or a system outside
    // its page's margins or overlapping the one before it (a page's only system
    // taller than the page between its margins is let be).
    std::string LayoutFault() const;
};

}  // namespace ql::testing_layout
