// Font dialogs without a desktop: answers come from the queue in order, an empty queue
// cancels, a "chosen" font without a face or size is no choice, and an installed
// backend answers instead of the queue.
#include <gtest/gtest.h>

#include "platform/ui/font_dialog.h"

namespace ql::testing {
namespace {

TEST(FontDialogTest, TheQueueOrTheInstalledBackendAnswers) {
    ui::headless::ResetFontDialogs();
    const auto chosen = [](const char* face, int points) {
        return ui::FontDialogAnswer{ui::FontDialogStatus::Chosen, {face, points, 400, false, false, 0}};
    };
    ui::FontDialogRequest request;
    request.initial.face = "Serif";
    for (const ui::FontDialogAnswer& answer : {chosen("Sans", 12), chosen("", 12), chosen("Sans", 0)})
        ui::headless::QueueFontDialogAnswer(answer);
    EXPECT_EQ(ui::RunFontDialog(request).font.face, "Sans");
    EXPECT_EQ(ui::RunFontDialog(request).status, ui::FontDialogStatus::Cancelled);  // no face
    EXPECT_EQ(ui::RunFontDialog(request).status, ui::FontDialogStatus::Cancelled);  // no size
    EXPECT_EQ(ui::RunFontDialog(request).status, ui::FontDialogStatus::Cancelled);  // empty queue
    ASSERT_EQ(ui::headless::FontDialogs().size(), 4u);
    EXPECT_EQ(ui::headless::FontDialogs()[3].initial.face, "Serif");

    ui::InstallFontDialogBackend([](const ui::FontDialogRequest& shown) {
        return ui::FontDialogAnswer{ui::FontDialogStatus::Chosen, shown.initial};
    });
    request.initial.points = 10;
    EXPECT_EQ(ui::RunFontDialog(request).font, request.initial);
    EXPECT_EQ(ui::headless::FontDialogs().size(), 4u);
    ui::headless::ResetFontDialogs();
    EXPECT_EQ(ui::RunFontDialog(request).status, ui::FontDialogStatus::Cancelled);
}

}  // namespace
}  // namespace ql::testing
