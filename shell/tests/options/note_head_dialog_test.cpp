// The Set Note-head dialog driven as a user would, and its faces: a stored choice
// past the last head opens on the last, a click names the head and OK keeps it,
// Reset and Cancel keep the old one; every face is its own picture, the chosen
// one the inverse of the others.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "core/state.h"
#include "core/ui/shell_services.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/headless.h"
#include "shell/options/note_head_faces.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/resources/program_strings.h"

namespace ql {
namespace {

namespace n = note_head_dialog;

class NoteHeadDialog : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        ResetProgramState();
        RegisterProgramStrings();
        RegisterOptionDialogResources();
    }
};

// A stored choice of 20 opens on "Measure repeat"; choosing the fourth head names
// it, and OK stores it.
TEST_F(NoteHeadDialog, OpensOnTheStoredHeadAndOkKeepsTheChoice) {
    std::string opened;
    std::string named;
    ui::headless::SetDialogScript(n::kDialog, [&](ui::headless::DialogDriver& d) {
        opened = d.Text(n::kChoiceLabel);
        d.Click(n::kFirstHead + 3);
        named = d.Text(n::kChoiceLabel);
        d.Click(ui::kIdOk);
    });
    int head = 20;
    EXPECT_EQ(RunNoteHeadDialog(nullptr, &head), 1);
    EXPECT_EQ(opened, "Measure repeat");
    EXPECT_EQ(named, "Triangle-dn");
    EXPECT_EQ(head, 3);
}

// Reset ends with its own id and Cancel with 2; neither changes the head.
TEST_F(NoteHeadDialog, ResetAndCancelKeepTheHead) {
    for (int32_t button : {n::kReset, static_cast<int32_t>(ui::kIdCancel)}) {
        ui::headless::SetDialogScript(n::kDialog, [button](ui::headless::DialogDriver& d) {
            d.Click(n::kFirstHead + 7);
            d.Click(button);
        });
        int head = 5;
        EXPECT_EQ(RunNoteHeadDialog(nullptr, &head), button == n::kReset ? n::kReset : 2);
        EXPECT_EQ(head, 5);
    }
    EXPECT_EQ(RunNoteHeadDialog(nullptr, nullptr), 2);
}

std::vector<gfx::Colour> Face(int shape, bool chosen) {
    constexpr int kSide = 36;
    const platform::DcHandle dc = gfx::CreateMemoryContext({});
    const platform::BitmapHandle bitmap = gfx::CreateImageBitmap(kSide, kSide);
    const platform::BitmapHandle old = gfx::SelectObject(dc, bitmap);
    std::vector<gfx::Colour> pixels;
    if (DrawNoteHeadFace(dc, {0, 0, kSide, kSide}, shape, chosen))
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) pixels.push_back(gfx::GetPixel(dc, {x, y}) & 0xFFFFFF);
    gfx::SelectObject(dc, old);
    gfx::DeleteObject(bitmap);
    gfx::DeleteContext(dc);
    return pixels;
}

// Eighteen different faces with ink on them; a face not chosen is the inverse of
// the chosen one; no face past the last.
TEST_F(NoteHeadDialog, EveryFaceIsItsOwnPicture) {
    std::set<std::vector<gfx::Colour>> faces;
    for (int shape = 0; shape < kNoteHeadShapeCount; ++shape) {
        const std::vector<gfx::Colour> chosen = Face(shape, true);
        const std::vector<gfx::Colour> other = Face(shape, false);
        ASSERT_FALSE(chosen.empty()) << shape;
        size_t ink = 0;
        for (size_t i = 0; i < chosen.size(); ++i) {
            ink += chosen[i] == gfx::kBlack;
            EXPECT_EQ(other[i], ~chosen[i] & 0xFFFFFF) << shape << " at " << i;
        }
        EXPECT_GT(ink, 20u) << shape;
        faces.insert(chosen);
    }
    EXPECT_EQ(faces.size(), static_cast<size_t>(kNoteHeadShapeCount));
    EXPECT_TRUE(Face(kNoteHeadShapeCount, true).empty());
}

}  // namespace
}  // namespace ql
