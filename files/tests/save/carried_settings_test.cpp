// The settings a score carries in its header ("Tempo" at 200, the on/off byte at
// 214) with two scores open: activating a view loads them from its score, and a save
// writes the saved score's own values, whichever score was activated last.
#include <gtest/gtest.h>

#include <vector>

#include "core/model/document.h"
#include "core/model/view.h"
#include "core/settings/score_settings.h"
#include "core/state.h"
#include "files/score_file.h"
#include "files/tests/save/save_fixture.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

using testing_files::SaveTest;

constexpr size_t kPrologueBytes = 28;
constexpr size_t kTempoAt = kPrologueBytes + 200;
constexpr size_t kOnOffAt = kPrologueBytes + 214;

class CarriedSettings : public SaveTest {
  protected:
    void SetUp() override {
        SaveTest::SetUp();
        BuildSmallScore();
        otherView_ = InitView(AllocView());
        LinkView(otherView_);
        other_ = AllocDocument();
        ASSERT_EQ(CreateDocument(other_, otherView_, nullptr), other_);
        otherView_->currentPage = other_->firstPage;
        otherView_->currentSystem = other_->firstPage->firstSystem.get();
        ASSERT_EQ(HandleViewActivation(view_), view_);
    }
    void TearDown() override {
        FreeView(otherView_);
        FreeDocument(other_);
        SaveTest::TearDown();
    }
    ScoreView* otherView_ = nullptr;
    ScoreDocument* other_ = nullptr;
};

// Score A (tempo 100, off) is saved after score B (tempo 90, on) was activated: A's
// file holds A's values; activating A again brings its values back.
TEST_F(CarriedSettings, SaveWritesTheSavedScoresOwnValues) {
    doc_->header.tempo = 100;
    doc_->header.settings220[kOnOffSettingByte] = 0;
    other_->header.tempo = 90;
    other_->header.settings220[kOnOffSettingByte] = 1;
    ASSERT_EQ(HandleViewActivation(view_), view_);
    EXPECT_EQ(TempoSetting(), 100);
    EXPECT_FALSE(ScoreOnOffSetting());
    ASSERT_EQ(HandleViewActivation(otherView_), otherView_);
    EXPECT_EQ(TempoSetting(), 90);
    EXPECT_TRUE(ScoreOnOffSetting());

    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    std::vector<uint8_t> file = Bytes(doc_->path);
    ASSERT_GT(file.size(), kOnOffAt);
    EXPECT_EQ(file[kTempoAt], 100);
    EXPECT_EQ(file[kTempoAt + 1], 0);
    EXPECT_EQ(file[kOnOffAt], 0);
    EXPECT_EQ(other_->header.tempo, 90) << "the other score is untouched";

    ASSERT_EQ(HandleViewActivation(view_), view_);
    EXPECT_EQ(TempoSetting(), 100);
    EXPECT_FALSE(ScoreOnOffSetting());
}

// A change of "Tempo" while B is active reaches B's next save and not A's, and does
// not mark B modified.
TEST_F(CarriedSettings, TempoChangeReachesTheActiveScoresFile) {
    doc_->header.tempo = 100;
    other_->header.tempo = 90;
    other_->changeCounter = 0;
    ASSERT_EQ(HandleViewActivation(otherView_), otherView_);
    SetTempoSetting(144);
    EXPECT_EQ(other_->changeCounter, 0);
    EXPECT_EQ(other_->header.tempo, 144);
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    EXPECT_EQ(Bytes(doc_->path).at(kTempoAt), 100);
}

// A new score takes both settings as they stand, so activating it keeps them.
TEST_F(CarriedSettings, NewScoreTakesTheSettings) {
    SetTempoSetting(132);
    SetScoreOnOffSetting(true);
    ScoreView* view = InitView(AllocView());
    LinkView(view);
    ScoreDocument* fresh = AllocDocument();
    ASSERT_EQ(CreateDocument(fresh, view, nullptr), fresh);
    EXPECT_EQ(fresh->header.tempo, 132);
    EXPECT_EQ(fresh->header.settings220[kOnOffSettingByte], 1);
    FreeView(view);
    FreeDocument(fresh);
    ASSERT_EQ(HandleViewActivation(view_), view_);
}

}  // namespace
}  // namespace ql
