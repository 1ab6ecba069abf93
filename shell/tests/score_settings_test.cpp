// The "Tempo" and on/off settings and the active document's header: a change of a
// setting writes the active document's header (and only that one) without marking it
// modified; loading from a document takes its header's values.
#include "core/settings/score_settings.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "shell/tests/settings_fixture.h"

namespace ql {
namespace {

class ScoreSettings : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        for (Score& score : scores) {
            score.document = std::make_unique<ScoreDocument>();
            score.view = std::make_unique<ScoreView>();
            score.view->document = score.document.get();
        }
    }
    void TearDown() override {
        State().documents.ActiveView = nullptr;
        SettingsFixture::TearDown();
    }
    void MakeActive(int index) { State().documents.ActiveView = scores[index].view.get(); }
    ScoreHeader& HeaderOf(int index) { return scores[index].document->header; }

    struct Score {
        std::unique_ptr<ScoreDocument> document;
        std::unique_ptr<ScoreView> view;
    };
    Score scores[2];
};

// Until the settings store loads them, the settings hold the table defaults.
TEST_F(ScoreSettings, TableDefaults) {
    EXPECT_EQ(TempoSetting(), 120);
    EXPECT_FALSE(ScoreOnOffSetting());
}

// Setting "Tempo" writes the active document's tempo too, leaves the other score's
// and keeps the active one's modified state; with no active view only the setting
// changes.
TEST_F(ScoreSettings, TempoChangeWritesTheActiveScoreOnly) {
    HeaderOf(0).tempo = 80;
    HeaderOf(1).tempo = 90;
    scores[1].document->changeCounter = 0;
    MakeActive(1);
    SetTempoSetting(132);
    EXPECT_EQ(TempoSetting(), 132);
    EXPECT_EQ(HeaderOf(1).tempo, 132);
    EXPECT_EQ(HeaderOf(0).tempo, 80);                  // the inactive score keeps its own
    EXPECT_EQ(scores[1].document->changeCounter, 0);   // not marked modified
    State().documents.ActiveView = nullptr;
    SetTempoSetting(60);                               // no active score
    EXPECT_EQ(TempoSetting(), 60);
    EXPECT_EQ(HeaderOf(1).tempo, 132);
}

// The on/off setting is the header byte at 214 of the active score: 1 on, 0 off.
TEST_F(ScoreSettings, OnOffChangeWritesTheActiveScoreOnly) {
    HeaderOf(0).settings220[kOnOffSettingByte] = 0;
    MakeActive(1);
    SetScoreOnOffSetting(true);
    EXPECT_TRUE(ScoreOnOffSetting());
    EXPECT_EQ(HeaderOf(1).settings220[kOnOffSettingByte], 1);
    EXPECT_EQ(HeaderOf(0).settings220[kOnOffSettingByte], 0);
    SetScoreOnOffSetting(false);
    EXPECT_EQ(HeaderOf(1).settings220[kOnOffSettingByte], 0);
    EXPECT_EQ(HeaderOf(1).settings220[kOnOffSettingByte + 1], 0) << "the next byte is not touched";
}

// Loading takes both values from the header; any non-zero byte reads as on; a null
// document changes nothing.
TEST_F(ScoreSettings, LoadTakesTheHeaderValues) {
    HeaderOf(0).tempo = 72;
    HeaderOf(0).settings220[kOnOffSettingByte] = 0x80;
    LoadScoreSettingsFrom(scores[0].document.get());
    EXPECT_EQ(TempoSetting(), 72);
    EXPECT_TRUE(ScoreOnOffSetting());
    LoadScoreSettingsFrom(nullptr);
    EXPECT_EQ(TempoSetting(), 72);
    HeaderOf(1).tempo = 200;
    HeaderOf(1).settings220[kOnOffSettingByte] = 0;
    LoadScoreSettingsFrom(scores[1].document.get());
    EXPECT_EQ(TempoSetting(), 200);
    EXPECT_FALSE(ScoreOnOffSetting());
}

}  // namespace
}  // namespace ql
