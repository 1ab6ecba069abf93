// A staff the painter hid because it is empty in a system (hide-when-empty) is
// not hidden in the score: a save writes the systems as they were before the paint.
#include <gtest/gtest.h>

#include <vector>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "files/score_file.h"
#include "files/tests/save/save_fixture.h"
#include "layout/page_chain.h"

namespace ql {
namespace {

using testing_files::SaveTest;

TEST_F(SaveTest, PainterHiddenStavesAreNotSaved) {
    BuildSmallScore(2, 1);  // staff 2 holds nothing
    StaffRecord* second = StaffRecordOf(doc_, 2);
    ASSERT_NE(second, nullptr);
    second->flags = static_cast<uint16_t>(second->flags | sysdraw::kHideWhenEmpty);
    doc_->path = PathOf("hidden.ql");
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    const std::vector<uint8_t> before = Bytes(doc_->path);

    HideEmptyStaves(view_);
    const ScoreSystem* system = doc_->firstPage->firstSystem.get();
    ASSERT_NE(system, nullptr);
    ASSERT_NE(static_cast<uint8_t>(StaffFlagsOf(system)[2]) & pages::kHiddenStaff, 0)
        << "the painter hid the empty staff";
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    EXPECT_EQ(Bytes(doc_->path), before);
}

}  // namespace
}  // namespace ql
