// The "Repeat Ending" dialog: what it shows, the span counted from the typed measure
// numbers, the notices that keep it open ("From/To out of range", "Repeat # too
// large"), an OK without a change ending as Cancel with the score unmodified, the
// dashed toggle, the up-downs of the number fields and the label's "Set image...".
#include <string>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "objects/object_services.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/tests/spanners/spanner_dialog_fixture.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"

namespace ql::testing_spanners {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace sd = spanner_dialog;

class RepeatEndingDialogTest : public SpannerDialogTest {
  protected:
    void SetUp() override {
        SpannerDialogTest::SetUp();
        BuildScore(2, {2}, 4);
        NumberMeasures(8);
        Locate(1, 3);
        ending_ = AsRepeatEnding(AddToCell(ObjectType::RepeatEnding, 1, 3));
        ASSERT_NE(ending_, nullptr);
        ending_->span = 2;
        ending_->passes[0] = 1;
        doc_->changeCounter = 0;
    }
    int Run(ui::headless::DialogScript script) {
        SetDialogScript(sd::kRepeatEndingDialog, std::move(script));
        return ClassOf(&ending_->text.header).EditAttributes(&ending_->text.header, view_);
    }
    RepeatEndingObject* ending_ = nullptr;
};

TEST_F(RepeatEndingDialogTest, ShowsTheRangeAndPasses) {
    int from = 0, through = 0, passA = 0;
    bool dashed = true;
    Run([&](DialogDriver& d) {
        from = d.Int(sd::kFromMeasure).value_or(0);
        through = d.Int(sd::kThroughMeasure).value_or(0);
        passA = d.Int(sd::kFirstPass).value_or(0);
        dashed = d.IsChecked(sd::kDashedBracket);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(from, 3);
    EXPECT_EQ(through, 4);
    EXPECT_EQ(passA, 1);
    EXPECT_FALSE(dashed);
}

TEST_F(RepeatEndingDialogTest, OkWithoutChangeLeavesTheScoreUnmodified) {
    EXPECT_EQ(Run([](DialogDriver& d) { d.Click(ui::kIdOk); }), 0);
    EXPECT_EQ(doc_->changeCounter, 0);
    ASSERT_FALSE(ui::headless::Dialogs().empty());
    EXPECT_EQ(ui::headless::Dialogs().back().result, ui::kIdCancel);
}

TEST_F(RepeatEndingDialogTest, OkCommitsSpanPassesAndStyle) {
    ASSERT_NE(FindRepeatEndingAtMeasure(doc_, view_, 3), nullptr);
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Type(sd::kThroughMeasure, "6");
                  d.Type(sd::kFirstPass + 1, "2");
                  d.SetChecked(sd::kDashedBracket, true);
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(ending_->span, 4);
    EXPECT_EQ(ending_->passes[1], 2);
    EXPECT_EQ(ending_->spanner.endpoint.style & 0x0F, 1);
    EXPECT_NE(doc_->changeCounter, 0);
    // The list was freed and is rebuilt with the new span.
    EXPECT_EQ(doc_->repeatEndings, nullptr);
    ASSERT_NE(FindRepeatEndingAtMeasure(doc_, view_, 6), nullptr);
}

TEST_F(RepeatEndingDialogTest, BadNumbersKeepTheDialogOpen) {
    bool openAfterRange = false, openAfterThrough = false, openAfterPass = false;
    const size_t beeps = ui::headless::Beeps().size();
    const int result = Run([&](DialogDriver& d) {
        // "Through" before "From".
        d.Type(sd::kThroughMeasure, "2");
        d.Click(ui::kIdOk);
        openAfterRange = d.IsOpen();
        // A measure number the score does not have.
        d.Type(sd::kThroughMeasure, "40");
        d.Click(ui::kIdOk);
        openAfterThrough = d.IsOpen();
        // A pass number of 256.
        d.Type(sd::kThroughMeasure, "5");
        d.Type(sd::kFirstPass + 2, "256");
        d.Click(ui::kIdOk);
        openAfterPass = d.IsOpen();
        d.Click(ui::kIdCancel);
    });
    EXPECT_TRUE(openAfterRange);
    EXPECT_TRUE(openAfterThrough);
    EXPECT_TRUE(openAfterPass);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 3);
    // Nothing was changed.
    EXPECT_EQ(ending_->span, 2);
    EXPECT_EQ(ending_->passes[2], 0);
    EXPECT_EQ(doc_->changeCounter, 0);
}

// The arrows beside each number step that number; none goes below 0 (a beep there).
TEST_F(RepeatEndingDialogTest, UpDownsStepTheNumbersNeverBelowZero) {
    int from = 0, through = 0, passA = -1, passD = -1;
    const size_t beeps = ui::headless::Beeps().size();
    EXPECT_EQ(Run([&](DialogDriver& d) {
                  EXPECT_TRUE(d.StepUpDown(sd::kFirstNumberSpin + 1, 2));   // Through 4 -> 6
                  EXPECT_TRUE(d.StepUpDown(sd::kFirstNumberSpin, -1));      // From 3 -> 2
                  EXPECT_TRUE(d.StepUpDown(sd::kFirstNumberSpin, 1));       // and back to 3
                  EXPECT_TRUE(d.StepUpDown(sd::kFirstNumberSpin + 2, -3));  // pass A 1 -> 0, 0, 0
                  EXPECT_TRUE(d.StepUpDown(sd::kFirstNumberSpin + 5, 2));   // pass D 0 -> 2
                  from = d.Int(sd::kFromMeasure).value_or(0);
                  through = d.Int(sd::kThroughMeasure).value_or(0);
                  passA = d.Int(sd::kFirstPass).value_or(-1);
                  passD = d.Int(sd::kLastPass).value_or(-1);
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(from, 3);
    EXPECT_EQ(through, 6);
    EXPECT_EQ(passA, 0);
    EXPECT_EQ(passD, 2);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 2);
    EXPECT_EQ(ending_->span, 4);
    EXPECT_EQ(ending_->passes[0], 0);
    EXPECT_EQ(ending_->passes[3], 2);
}

// "Set image..." edits the copy's label: the passes are read again from the new
// label and the ending keeps its own label until OK; Cancel leaves it as it was.
TEST_F(RepeatEndingDialogTest, SetImageEditsTheLabelUntilOk) {
    ending_->text.body.string = '1';
    auto typeLabel = [](const char* text) {
        SetDialogScript(set_image_dialog::kSetImageDialog, [text](DialogDriver& d) {
            d.Click(set_image_dialog::kTextLine);
            d.Type(set_image_dialog::kText, text);
            d.Click(ui::kIdOk);
        });
    };
    typeLabel("2, 3");
    int passA = 0, passB = 0;
    std::string preview;
    EXPECT_EQ(Run([&](DialogDriver& d) {
                  d.Click(sd::kEndingSetImage);
                  passA = d.Int(sd::kFirstPass).value_or(0);
                  passB = d.Int(sd::kFirstPass + 1).value_or(0);
                  preview = d.Text(sd::kLabelPreview);
                  d.Click(ui::kIdCancel);
              }),
              0);
    EXPECT_EQ(passA, 2);
    EXPECT_EQ(passB, 3);
    EXPECT_EQ(preview, "2, 3");
    EXPECT_EQ(ending_->text.body.flags & kTextOwnsString, 0);
    EXPECT_EQ(ending_->text.body.string, '1');
    EXPECT_EQ(ending_->passes[1], 0);
    EXPECT_EQ(doc_->changeCounter, 0);

    typeLabel("2, 3");
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Click(sd::kEndingSetImage);
                  d.Click(ui::kIdOk);
              }),
              1);
    ASSERT_NE(TextObjectString(&ending_->text), nullptr);
    EXPECT_STREQ(TextObjectString(&ending_->text), "2, 3");
    EXPECT_EQ(ending_->passes[0], 2);
    EXPECT_EQ(ending_->passes[1], 3);
    EXPECT_NE(doc_->changeCounter, 0);

    // A label typed again the same is no change: OK ends as Cancel.
    doc_->changeCounter = 0;
    typeLabel("2, 3");
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Click(sd::kEndingSetImage);
                  d.Click(ui::kIdOk);
              }),
              0);
    EXPECT_EQ(doc_->changeCounter, 0);
}

}  // namespace
}  // namespace ql::testing_spanners
