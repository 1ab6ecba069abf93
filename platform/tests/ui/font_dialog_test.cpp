// Font dialogs without a desktop: answers come from the queue in order, an empty queue
// cancels, a "chosen" font without a face or size is no choice, and an installed
// backend answers instead of the queue.
#include <gtest/gtest.h>

#include "platform/ui/font_dialog.h"

namespace ql::testing {
namespace {

class FontDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ui::headless::ResetFontDialogs(); }
    void TearDown() override { ui::headless::ResetFontDialogs(); }
    static ui::FontDialogAnswer Chosen(const char* face, int points) {
        return {ui::FontDialogStatus::Chosen, {face, points, ui::kFontDialogNormalWeight, false, false, 0}};
    }
};

TEST_F(FontDialogTest, QueuedAnswersInOrderAndAnEmptyQueueCancels) {
    ui::FontDialogRequest request;
    request.initial.face = "Serif";
    ui::headless::QueueFontDialogAnswer(Chosen("Sans", 12));
    ui::headless::QueueFontDialogAnswer(Chosen("Mono", 9));
    EXPECT_EQ(ui::RunFontDialog(request).font.face, "Sans");
    EXPECT_EQ(ui::RunFontDialog(request).font.face, "Mono");
    EXPECT_EQ(ui::RunFontDialog(request).status, ui::FontDialogStatus::Cancelled);
    ASSERT_EQ(ui::headless::FontDialogs().size(), 3u);
    EXPECT_EQ(ui::headless::FontDialogs()[2].initial.face, "Serif");
}

TEST_F(FontDialogTest, AChoiceWithoutFaceOrSizeIsNoChoice) {
    const ui::FontDialogRequest request;
    ui::headless::QueueFontDialogAnswer(Chosen("", 12));
    ui::headless::QueueFontDialogAnswer(Chosen("Sans", 0));
    ui::headless::QueueFontDialogAnswer(Chosen("Sans", 1));
    EXPECT_EQ(ui::RunFontDialog(request).status, ui::FontDialogStatus::Cancelled);
    EXPECT_EQ(ui::RunFontDialog(request).status, ui::FontDialogStatus::Cancelled);
    EXPECT_EQ(ui::RunFontDialog(request).status, ui::FontDialogStatus::Chosen);
}

TEST_F(FontDialogTest, AnInstalledBackendAnswersInsteadOfTheQueue) {
    ui::headless::QueueFontDialogAnswer(Chosen("Queued", 12));
    ui::InstallFontDialogBackend([](const ui::FontDialogRequest& request) {
        ui::FontDialogAnswer answer{ui::FontDialogStatus::Chosen, request.initial};
        answer.font.points += 2;
        return answer;
    });
    ui::FontDialogRequest request;
    request.initial = {"Serif", 10, ui::kFontDialogBoldWeight, true, false, 0};
    const ui::FontDialogAnswer answer = ui::RunFontDialog(request);
    EXPECT_EQ(answer.font.face, "Serif");
    EXPECT_EQ(answer.font.points, 12);
    EXPECT_TRUE(ui::headless::FontDialogs().empty());
    ui::InstallFontDialogBackend({});
    EXPECT_EQ(ui::RunFontDialog(request).font.face, "Queued");
}

}  // namespace
}  // namespace ql::testing
