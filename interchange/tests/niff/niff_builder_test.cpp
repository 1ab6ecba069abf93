// The builder's page margins from the systems a file placed on a page, with the
// defaults for whatever lies out of range or was not placed, and the refusal of a
// file without pages.
#include "interchange/niff/niff_builder.h"

#include <gtest/gtest.h>

#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_messages.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

constexpr int32_t kWidth = 10000;
constexpr int32_t kHeight = 14000;

NiffSystemFrame System(int32_t top, int32_t left, int32_t rightEdge, int32_t lastOffset) {
    NiffSystemFrame system;
    system.top = top - 30208;
    system.left = left - 30720;
    system.rightEdge = rightEdge;
    system.staffOffsets[1] = lastOffset;
    system.placed = true;
    return system;
}

TEST(NiffBuilder, MarginsComeFromTheSystemsOrTheDefaults) {
    NiffImportState import;
    import.unitScale = 1.0;
    import.staffCount = 1;
    import.margins = DefaultNiffMargins(2000.0);
    EXPECT_EQ(import.margins.left, 1000);
    EXPECT_EQ(import.margins.top, 1500);

    NiffPageFrame page;
    page.systems = {System(900, 700, 9200, 0), System(9000, 600, 9000, 1500)};
    NiffPageMargins margins = FinishNiffPage(import, page, kWidth, kHeight);
    EXPECT_EQ(margins.top, 900);
    EXPECT_EQ(margins.left, 600);
    EXPECT_EQ(margins.right, kWidth - 9200);
    EXPECT_EQ(margins.bottom, kHeight - (9000 - 30208 + 1500 + 30720));

    // A first system below half the page, a last staff below the page's end, and
    // systems ending in the left half of the page: every margin is a default.
    page.systems = {System(8000, 700, 4000, 7000)};
    margins = FinishNiffPage(import, page, kWidth, kHeight);
    EXPECT_EQ(margins.top, import.margins.top);
    EXPECT_EQ(margins.bottom, import.margins.bottom);
    EXPECT_EQ(margins.left, import.margins.left);
    EXPECT_EQ(margins.right, import.margins.right);
    // A first system above the page's top edge.
    page.systems = {System(-50, 700, 9200, 0)};
    EXPECT_EQ(FinishNiffPage(import, page, kWidth, kHeight).top, import.margins.top);
    // Systems the file did not place (a converted score's) say nothing of the margins.
    page.systems = {System(900, 700, 9200, 0), System(9000, 600, 9000, 1500)};
    for (NiffSystemFrame& system : page.systems) system.placed = false;
    margins = FinishNiffPage(import, page, kWidth, kHeight);
    EXPECT_EQ(margins.top, import.margins.top);
    EXPECT_EQ(margins.bottom, import.margins.bottom);
    EXPECT_EQ(margins.right, import.margins.right);
}

TEST(NiffBuilder, AFileWithoutPagesBuildsNothing) {
    ui::headless::ResetUi();
    NiffImportState import;
    EXPECT_NE(BuildScoreFromNiff(import), 0);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, kNiffNoPages);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, kNiffImportCaption);
}

}  // namespace
}  // namespace ql::niff
