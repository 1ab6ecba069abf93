// The Music Metrics dialog driven as a user would: a changed space before the first
// beat moves every measure's lead by the change in logical units and leaves none
// below the new value; the program's defaults and the score's own come back into
// the fields; Cancel changes nothing.
#include <string>

#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_layout_dialogs.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "notes/ties/ties.h"
#include "platform/ui/headless.h"

namespace ql::testing_layout {
namespace {

using namespace music_metrics_dialog;
using ui::headless::DialogDriver;

constexpr int32_t kBeat0Field = 1730;
constexpr int32_t kTieWidthField = 1774;
constexpr int kQuarterCode = 10;
constexpr int kQuarterTicks = 1024;

class MusicMetricsDialog : public PageFormatTest {
  protected:
    void SetUp() override {
        PageFormatTest::SetUp();
        MakeStatusBar();
        RegisterPageLayoutResources();
        NewScore(1, 1, 4);
        doc_->header.pageDistances[0] = 0x0200;  // Beat0 2.00
        doc_->internalDistances[0] = 256;
        Record(1).lead = 256;
        Record(2).lead = 300;
        Record(3).lead = 600;
        TakeUndoBaseline(doc_);
    }
    intptr_t Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(kMusicMetricsDialog, std::move(script));
        return RunMusicMetricsDialog(view_);
    }
};

// Beat0 from 2.000 to 1.500 spaces (256 to 192 units): leads move by -64, none
// below 192; the other metrics stay.
TEST_F(MusicMetricsDialog, Beat0MovesEveryLead) {
    const uint16_t tie = doc_->internalDistances[static_cast<int>(EngravingMetric::TieWid)];
    EXPECT_EQ(Run([](DialogDriver& d) {
                  EXPECT_EQ(d.Text(kBeat0Field), "2.000");
                  d.Type(kBeat0Field, "1.5");
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(doc_->internalDistances[0], 192);
    EXPECT_EQ(doc_->header.pageDistances[0], 0x0150);
    EXPECT_EQ(Record(1).lead, 192);
    EXPECT_EQ(Record(2).lead, 236);
    EXPECT_EQ(Record(3).lead, 536);
    EXPECT_EQ(Record(4).lead, 192);  // was below: kept at the new value
    EXPECT_EQ(doc_->internalDistances[static_cast<int>(EngravingMetric::TieWid)], tie);
    EXPECT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(Record(2).lead, 300);
    EXPECT_EQ(doc_->internalDistances[0], 256);
}

// The defaults button fills the program's defaults; Reset the score's own; Cancel
// leaves the score alone.
TEST_F(MusicMetricsDialog, DefaultsResetAndCancel) {
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Click(kDefaults);
                  EXPECT_EQ(d.Text(kTieWidthField), "0.109");
                  d.Type(kBeat0Field, "9");
                  d.Click(kReset);
                  EXPECT_EQ(d.Text(kBeat0Field), "2.000");
                  d.Click(ui::kIdCancel);
              }),
              2);
    EXPECT_EQ(doc_->internalDistances[0], 256);
    EXPECT_EQ(Record(2).lead, 300);
    EXPECT_EQ(UndoDepth(doc_), 0);
}

// A new tie thickness reaches the ties already in the score, inside the same edit.
TEST_F(MusicMetricsDialog, ANewTieThicknessReachesTheScoresTies) {
    SetCurrentMeasure(view_, 1, 1);
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, 1);
    ASSERT_NE(cell, nullptr);
    EventRecord* a = AddEventToVoice(view_, cell, 0, 0, kQuarterCode, 0);
    ASSERT_NE(AddEventToVoice(view_, cell, 0, kQuarterTicks, kQuarterCode, 0), nullptr);
    ASSERT_EQ(ToggleTie(view_, a, 0), 1);
    TakeUndoBaseline(doc_);
    const int before = AsTie(FindNoteTie(a))->body.shape & 0xFF;
    const int metric = doc_->internalDistances[static_cast<int>(EngravingMetric::TieWid)];
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Type(kTieWidthField, "0.2");
                  d.Click(ui::kIdOk);
              }),
              1);
    const int now = doc_->internalDistances[static_cast<int>(EngravingMetric::TieWid)];
    ASSERT_NE(now, metric);
    EXPECT_EQ(AsTie(FindNoteTie(a))->body.shape & 0xFF, before + now - metric);
    UndoCommand(doc_, view_);
    EXPECT_EQ(AsTie(FindNoteTie(a))->body.shape & 0xFF, before);
}

}  // namespace
}  // namespace ql::testing_layout
