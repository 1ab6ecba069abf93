// Autosave: the name of the copy, the trigger on the configured count of edits, the
// state kept around the save, and the cases where no copy is written.
#include <string>
#include <vector>

#include "core/undo/autosave.h"
#include "core/state.h"
#include "core/tests/undo/undo_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_undo {
namespace {

struct SaveCall {
    std::string path;
    uint8_t autoSaving;
};
std::vector<SaveCall> g_saves;
int g_saveResult = 1;

int RecordingWriter(ScoreDocument* document, ScoreView*) {
    g_saves.push_back({document->path, State().files.AutoSaving});
    return g_saveResult;
}

class AutoSaveTest : public UndoTest {
  protected:
    void SetUp() override {
        UndoTest::SetUp();
        ui::headless::ResetUi();
        g_saves.clear();
        g_saveResult = 1;
        SetAutoSaveWriter(RecordingWriter);
        AutoSaveSettings() = AutoSaveConfig{3, 1};
        doc_->path = "/home/user/scores/sonata.ql";
    }
    void TearDown() override {
        SetAutoSaveWriter(nullptr);
        AutoSaveSettings() = AutoSaveConfig{};
        UndoTest::TearDown();
    }
};

using AutoSaveTrigger = AutoSaveTest;

// The extension of the file name is replaced; a dot in a folder name is not one.
TEST(AutoSaveName, ReplacesOnlyTheFileNameExtension) {
    EXPECT_EQ(AutoSaveName("/home/user/scores/sonata.ql"), "/home/user/scores/sonata.AUT");
    EXPECT_EQ(AutoSaveName("/home/user/v1.2/sonata"), "/home/user/v1.2/sonata.AUT");
    EXPECT_EQ(AutoSaveName("/home/user/v1.2/sonata.tpl"), "/home/user/v1.2/sonata.AUT");
    EXPECT_EQ(AutoSaveName("suite.part.ql"), "suite.part.AUT");
    EXPECT_EQ(AutoSaveName("Untitled"), "Untitled.AUT");
    EXPECT_EQ(AutoSaveName("/home/user/.draft"), "/home/user/.draft.AUT");
}

// The third edit saves a copy under the autosave name, in autosave mode; the path,
// the count and the modified mark are looked after.
TEST_F(AutoSaveTrigger, FiresOnTheConfiguredCount) {
    Edit([&] { SetTempo(1); });
    Edit([&] { SetTempo(2); });
    EXPECT_TRUE(g_saves.empty());
    Edit([&] { SetTempo(3); });
    ASSERT_EQ(g_saves.size(), 1u);
    EXPECT_EQ(g_saves[0].path, "/home/user/scores/sonata.AUT");
    EXPECT_EQ(g_saves[0].autoSaving, 1);
    EXPECT_EQ(State().files.AutoSaving, 0);
    EXPECT_EQ(doc_->path, "/home/user/scores/sonata.ql");
    EXPECT_EQ(doc_->editsSinceAutoSave, 0u);
    for (int i = 0; i < 3; ++i) Edit([&] { SetTempo(static_cast<uint16_t>(10 + i)); });
    EXPECT_EQ(g_saves.size(), 2u);
}

// After the copy the score is marked modified again, so it still asks to be saved.
TEST_F(AutoSaveTrigger, ScoreStaysModified) {
    doc_->changeCounter = 0;  // as after a save
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Saved);
    EXPECT_NE(doc_->changeCounter, 0);
}

// Edits that change nothing, and nested brackets, do not count as separate edits.
TEST_F(AutoSaveTrigger, CountsOnlyOutermostEditsThatChangedTheScore) {
    for (int i = 0; i < 3; ++i) {
        UndoStep outer(doc_.get(), nullptr, UndoKind::Note, 0, UndoVerb::Modify);
        UndoStep inner(doc_.get(), nullptr, UndoKind::Note, 0, UndoVerb::Modify);
    }
    {
        UndoStep outer(doc_.get(), nullptr, UndoKind::Note, 0, UndoVerb::Modify);
        for (int i = 0; i < 3; ++i) Edit([&] { SetTempo(static_cast<uint16_t>(i + 1)); });
        MarkChanged();
    }
    EXPECT_EQ(doc_->editsSinceAutoSave, 1u);
    EXPECT_TRUE(g_saves.empty());
}

// With "AutoSaveChanges" off nothing is counted or saved.
TEST_F(AutoSaveTrigger, OffMeansNoCopy) {
    AutoSaveSettings().enabled = 0;
    for (int i = 0; i < 5; ++i) Edit([&] { SetTempo(static_cast<uint16_t>(i + 1)); });
    EXPECT_TRUE(g_saves.empty());
    EXPECT_EQ(doc_->editsSinceAutoSave, 0u);
}

// No copy is written while the sequencer plays or a score file is being written.
TEST_F(AutoSaveTrigger, SkippedWhilePlayingOrSaving) {
    PlaybackFlags().PlaybackActive = 1;
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Skipped);
    PlaybackFlags().PlaybackActive = 0;
    State().files.ScoreFileWriting = 1;
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Skipped);
    State().files.ScoreFileWriting = 0;
    EXPECT_TRUE(g_saves.empty());
}

// A failed copy is reported with the stop box; the path and the counting recover.
TEST_F(AutoSaveTrigger, FailureIsReportedAndEditingGoesOn) {
    g_saveResult = 0;
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Failed);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "Unable to create Auto Save file.");
    EXPECT_EQ(ui::headless::MessageBoxes()[0].style & ui::kBoxIconMask, ui::kBoxIconStop);
    EXPECT_EQ(doc_->path, "/home/user/scores/sonata.ql");
    EXPECT_EQ(doc_->editsSinceAutoSave, 0u);
}

}  // namespace
}  // namespace ql::testing_undo
