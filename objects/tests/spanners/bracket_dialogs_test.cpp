// The "Measure End" and "Octave" dialogs: an OK without a change ends as Cancel with
// the score unmodified; the dashed toggle; "8vb" turning the label and the end hook
// (230 kept); the next commit leaving the label as the dialog set it; and the label
// edited through "Set image..." on the dialog's copy.
#include "core/draw/fonts.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/tests/spanners/spanner_dialog_fixture.h"
#include "platform/ui/controls.h"
#include "platform/ui/headless.h"
#include "platform/win/window.h"
#include "platform/ui/message_box.h"

namespace ql::testing_spanners {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace sd = spanner_dialog;

class BracketDialogsTest : public SpannerDialogTest {
  protected:
    void SetUp() override {
        SpannerDialogTest::SetUp();
        BuildClickScore();
    }
};

TEST_F(BracketDialogsTest, OkWithoutAChangeLeavesTheScoreUnmodified) {
    ScoreObject* widget = CreateWidgetBracketAtClick(view_);
    ScoreObject* octave = CreateOctaveLineAtClick(view_);
    ASSERT_NE(widget, nullptr);
    ASSERT_NE(octave, nullptr);
    EXPECT_EQ(Edit(widget, sd::kMeasureEndDialog, [](DialogDriver& d) { d.Click(ui::kIdOk); }), 0);
    EXPECT_EQ(doc_->changeCounter, 0);
    EXPECT_EQ(ui::headless::Dialogs().back().result, ui::kIdCancel);
    EXPECT_EQ(Edit(octave, sd::kOctaveDialog, [](DialogDriver& d) { d.Click(ui::kIdOk); }), 0);
    EXPECT_EQ(doc_->changeCounter, 0);
    EXPECT_EQ(ui::headless::Dialogs().back().result, ui::kIdCancel);
}

// The preview shows the label in the label's own face and attributes at the control's
// height, and follows the octave chosen before OK.
TEST_F(BracketDialogsTest, PreviewShowsTheLabelInItsFont) {
    ScoreObject* octave = CreateOctaveLineAtClick(view_);
    ASSERT_NE(octave, nullptr);
    TextObject* label = AsTextObject(octave);
    const int face = FindFaceNameIndex(doc_, "Preview Serif");
    ASSERT_GE(face, 0);
    label->body.style = static_cast<uint8_t>(face);
    label->body.flags |= kTextOwnFont | kTextBold | kTextUnderline;
    label->body.flags &= ~kTextItalic;
    std::optional<ui::ControlFont> font;
    int32_t height = 0;
    std::string above, below;
    Edit(octave, sd::kOctaveDialog, [&](DialogDriver& d) {
        font = ui::GetEditFont(d.Item(sd::kLabelPreview));
        height = win::GetClientRect(d.Item(sd::kLabelPreview)).Height();
        above = d.Text(sd::kLabelPreview);
        d.Click(sd::kOctaveBelow);
        below = d.Text(sd::kLabelPreview);
        d.Click(ui::kIdCancel);
    });
    ASSERT_TRUE(font.has_value()) << "the preview is not in the label's font";
    EXPECT_EQ(font->face, "Preview Serif");
    EXPECT_TRUE(font->bold);
    EXPECT_FALSE(font->italic);
    EXPECT_TRUE(font->underline);
    EXPECT_EQ(font->height, std::max(1, height - 1));
    EXPECT_EQ(above, std::string(1, static_cast<char>(kOctaveAboveCode)));
    EXPECT_EQ(below, std::string(1, static_cast<char>(kOctaveBelowCode)));
}

TEST_F(BracketDialogsTest, DashedToggleCommits) {
    ScoreObject* widget = CreateWidgetBracketAtClick(view_);
    ASSERT_NE(widget, nullptr);
    bool shown = true;
    EXPECT_EQ(Edit(widget, sd::kMeasureEndDialog, [&](DialogDriver& d) {
                  shown = d.IsChecked(sd::kBracketDashed);
                  d.SetChecked(sd::kBracketDashed, true);
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_FALSE(shown);
    EXPECT_EQ(SpannerOf(widget)->endpoint.style & kSpannerDashedMask, 1);
    EXPECT_NE(doc_->changeCounter, 0);
    // Cancel after a toggle changes nothing.
    Edit(widget, sd::kMeasureEndDialog, [](DialogDriver& d) {
        d.SetChecked(sd::kBracketDashed, false);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(SpannerOf(widget)->endpoint.style & kSpannerDashedMask, 1);
    EXPECT_EQ(doc_->changeCounter, 0);
}

TEST_F(BracketDialogsTest, OctaveBelowTurnsLabelAndHook) {
    ScoreObject* octave = CreateOctaveLineAtClick(view_);
    ASSERT_NE(octave, nullptr);
    TextObject* label = AsTextObject(octave);
    ASSERT_GT(SpannerOf(octave)->endpoint.endHook, 0);
    EXPECT_EQ(Edit(octave, sd::kOctaveDialog, [](DialogDriver& d) {
                  d.Click(sd::kOctaveBelow);
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(label->body.string, kOctaveBelowCode);
    EXPECT_EQ(label->body.flags & 0x0300, 0x0300);
    EXPECT_LT(SpannerOf(octave)->endpoint.endHook, 0);
    // The next commit keeps what the dialog set, once: the label is not recomputed.
    label->body.string = kOctaveKeptBelowCode;
    SpannerOf(octave)->endpoint.endHook = 100;
    FollowOctaveHook(octave);
    EXPECT_EQ(label->body.string, kOctaveKeptBelowCode);
    // "8vb" on a label that shows 230 keeps 230.
    SpannerOf(octave)->endpoint.endHook = -100;
    label->body.flags = static_cast<uint16_t>(label->body.flags & ~0x0300);
    Edit(octave, sd::kOctaveDialog, [](DialogDriver& d) {
        d.Click(sd::kOctaveBelow);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(label->body.string, kOctaveKeptBelowCode);
    EXPECT_EQ(label->body.flags & 0x0300, 0x0300);
    // That OK too keeps the next commit's hands off; the one after follows the hook.
    SpannerOf(octave)->endpoint.endHook = 100;
    FollowOctaveHook(octave);
    EXPECT_EQ(label->body.string, kOctaveKeptBelowCode);
    FollowOctaveHook(octave);
    EXPECT_EQ(label->body.string, kOctaveAboveCode);
}

void ScriptLabelText(const char* text) {
    SetDialogScript(set_image_dialog::kSetImageDialog, [text](DialogDriver& d) {
        d.Click(set_image_dialog::kTextLine);
        d.Type(set_image_dialog::kText, text);
        d.Click(ui::kIdOk);
    });
}

// "Set image..." shows the new label in the preview at once; Cancel leaves the
// bracket's label, OK puts it there as one change.
TEST_F(BracketDialogsTest, SetImageChangesTheLabelOnlyOnOk) {
    ScoreObject* widget = CreateWidgetBracketAtClick(view_);
    ASSERT_NE(widget, nullptr);
    TextObject* label = AsTextObject(widget);
    ScriptLabelText("L.H.");
    std::string preview;
    EXPECT_EQ(Edit(widget, sd::kMeasureEndDialog, [&](DialogDriver& d) {
                  d.Click(sd::kBracketSetImage);
                  preview = d.Text(sd::kLabelPreview);
                  EXPECT_TRUE(d.IsEnabled(sd::kBracketDashed));
                  d.Click(ui::kIdCancel);
              }),
              0);
    EXPECT_EQ(preview, "L.H.");
    EXPECT_STREQ(TextObjectString(label), "R.H.");
    EXPECT_EQ(doc_->changeCounter, 0);

    ScriptLabelText("L.H.");
    EXPECT_EQ(Edit(widget, sd::kMeasureEndDialog, [](DialogDriver& d) {
                  d.Click(sd::kBracketSetImage);
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_STREQ(TextObjectString(label), "L.H.");
    EXPECT_NE(doc_->changeCounter, 0);
}

// An octave line given a typed label, then turned below: the sign replaces the
// typed text, whose string is given up (the leak check holds it).
TEST_F(BracketDialogsTest, TypedOctaveLabelGivesWayToTheSign) {
    ScoreObject* octave = CreateOctaveLineAtClick(view_);
    ASSERT_NE(octave, nullptr);
    TextObject* label = AsTextObject(octave);
    ScriptLabelText("8va bassa");
    EXPECT_EQ(Edit(octave, sd::kOctaveDialog, [](DialogDriver& d) {
                  d.Click(sd::kBracketSetImage);
                  d.Click(ui::kIdOk);
              }),
              1);
    ASSERT_NE(label->body.flags & kTextOwnsString, 0);
    EXPECT_STREQ(TextObjectString(label), "8va bassa");
    EXPECT_EQ(Edit(octave, sd::kOctaveDialog, [](DialogDriver& d) {
                  d.Click(sd::kOctaveBelow);
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(label->body.flags & kTextOwnsString, 0);
    EXPECT_EQ(label->body.string, kOctaveBelowCode);
}

}  // namespace
}  // namespace ql::testing_spanners
