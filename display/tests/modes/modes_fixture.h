// Fixture of the view-mode tests: a fresh program state and a first-activated
// view on a new score of two staves laid out on a 4 x 4 grid, with its galley
// pages for the scroll view.
#pragma once

#include <gtest/gtest.h>

#include "core/model/score_document.h"

namespace ql::testing_modes {

class ModesTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Extends the score to `measures` measures with pages to hold them.
    void Grow(int measures);
    // A frame window with its status bar, so that status texts are recorded.
    static void MakeStatusBar();

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    size_t arenaBytesAtStart_ = 0;
};

}  // namespace ql::testing_modes
