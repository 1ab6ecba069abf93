// Autosave: the name of the copy, the trigger on the configured count of edits, the
// state kept around the save, the files on disk around a copy (the score's own file
// and an old copy are never lost), and the cases where no copy is written.
#include <stdlib.h>  // mkdtemp

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/model/pages.h"
#include "core/undo/autosave.h"
#include "core/state.h"
#include "core/tests/undo/undo_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_undo {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// What the writer saw: the path it was given, the autosave flag, and the old copy
// as it stood on disk while the writer ran.
struct SaveCall {
    std::string path;
    uint8_t autoSaving;
    std::string oldCopy;
};
std::vector<SaveCall> g_saves;
int g_saveResult = 1;
fs::path g_watchedCopy;  // the copy whose content the writer notes

// Writes "copy N" to the path it is given; a failing write leaves a partial file.
int RecordingWriter(ScoreDocument* document, ScoreView*) {
    std::string oldCopy = fs::exists(g_watchedCopy) ? ReadFile(g_watchedCopy) : "<none>";
    g_saves.push_back({document->path, State().files.AutoSaving, oldCopy});
    WriteFile(document->path, g_saveResult ? "copy " + std::to_string(g_saves.size()) : "cop");
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
        std::string pattern = (fs::temp_directory_path() / "ql-autosave-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        doc_->path = (folder_ / "sonata.ql").string();
        g_watchedCopy = folder_ / "sonata.AUT";
    }
    void TearDown() override {
        SetAutoSaveWriter(nullptr);
        AutoSaveSettings() = AutoSaveConfig{};
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        UndoTest::TearDown();
    }
    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path folder_;
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

// A score that is itself an autosave copy never gets its own path as its copy's.
TEST(AutoSaveName, IsNeverTheScoresOwnPath) {
    EXPECT_EQ(AutoSaveName("/home/user/sonata.AUT"), "/home/user/sonata.AUT.AUT");
    EXPECT_EQ(AutoSaveName("sonata.AUT"), "sonata.AUT.AUT");
    EXPECT_EQ(AutoSaveName("/home/user/sonata.AUT.AUT"), "/home/user/sonata.AUT.AUT.AUT");
    EXPECT_EQ(AutoSaveName("/home/user/.AUT"), "/home/user/.AUT.AUT");  // hidden, no extension
    EXPECT_EQ(AutoSaveName("/home/user/sonata.aut"), "/home/user/sonata.AUT");  // another file
}

// The third edit saves a copy under the autosave name, in autosave mode; the path,
// the count and the modified mark are looked after.
TEST_F(AutoSaveTrigger, FiresOnTheConfiguredCount) {
    Edit([&] { SetTempo(1); });
    Edit([&] { SetTempo(2); });
    EXPECT_TRUE(g_saves.empty());
    Edit([&] { SetTempo(3); });
    ASSERT_EQ(g_saves.size(), 1u);
    EXPECT_EQ(fs::path(g_saves[0].path).parent_path(), folder_);
    EXPECT_EQ(g_saves[0].autoSaving, 1);
    EXPECT_EQ(State().files.AutoSaving, 0);
    EXPECT_EQ(doc_->path, (folder_ / "sonata.ql").string());
    EXPECT_EQ(ReadFile(folder_ / "sonata.AUT"), "copy 1");
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
    EXPECT_EQ(doc_->path, (folder_ / "sonata.ql").string());
    EXPECT_EQ(doc_->editsSinceAutoSave, 0u);
}

// A folder where no file can be made fails before the writer runs, and says so.
TEST_F(AutoSaveTrigger, MissingFolderFailsWithoutWriting) {
    doc_->path = (folder_ / "gone" / "sonata.ql").string();
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Failed);
    EXPECT_TRUE(g_saves.empty());
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 1u);
}

// ---- Files on disk ----

using AutoSaveFiles = AutoSaveTest;

// An opened autosave copy is the user's score: a copy of it goes beside it under
// the longer name, and the score's own file is never touched, however the write ends.
TEST_F(AutoSaveFiles, OpenedCopyKeepsItsOwnFile) {
    fs::path score = folder_ / "sonata.AUT";
    WriteFile(score, "the user's score");
    doc_->path = score.string();
    g_saveResult = 0;
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Failed);
    EXPECT_EQ(ReadFile(score), "the user's score");
    g_saveResult = 1;
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Saved);
    EXPECT_EQ(ReadFile(score), "the user's score");
    EXPECT_EQ(ReadFile(folder_ / "sonata.AUT.AUT"), "copy 2");
    for (const SaveCall& call : g_saves) EXPECT_NE(call.path, score.string());
    EXPECT_EQ(doc_->path, score.string());
}

// A score opened through a link to a file named like its copy keeps that file too.
TEST_F(AutoSaveFiles, ScoreReachedThroughALinkKeepsItsFile) {
    WriteFile(folder_ / "sonata.AUT", "the user's score");
    fs::create_symlink("sonata.AUT", folder_ / "sonata.ql");
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Saved);
    EXPECT_EQ(ReadFile(folder_ / "sonata.AUT"), "the user's score");
    EXPECT_EQ(ReadFile(folder_ / "sonata.AUT.AUT"), "copy 1");
}

// An old copy stays whole while the writer runs and after a failed write; a
// complete copy replaces it. No temporary file is left behind either way.
TEST_F(AutoSaveFiles, OldCopyStaysUntilTheNewOneIsComplete) {
    WriteFile(folder_ / "sonata.AUT", "old copy");
    g_saveResult = 0;
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Failed);
    EXPECT_EQ(ReadFile(folder_ / "sonata.AUT"), "old copy");
    EXPECT_EQ(Files(), std::vector<std::string>{"sonata.AUT"});
    g_saveResult = 1;
    EXPECT_EQ(AutoSave(doc_.get(), nullptr), AutoSaveResult::Saved);
    ASSERT_EQ(g_saves.size(), 2u);
    EXPECT_EQ(g_saves[0].oldCopy, "old copy");  // while the failing write ran
    EXPECT_EQ(g_saves[1].oldCopy, "old copy");  // while the good write ran
    EXPECT_NE(g_saves[1].path, (folder_ / "sonata.AUT").string());
    EXPECT_EQ(ReadFile(folder_ / "sonata.AUT"), "copy 2");
    EXPECT_EQ(Files(), std::vector<std::string>{"sonata.AUT"});
}

// ---- The view's place ----

class AutoSavePlace : public AutoSaveTest {
  protected:
    // A page claiming `systemCount` systems, with two linked systems numbered 0 and
    // `secondNumber`; the view stands on the second.
    void PlaceViewOnSecondSystem(uint16_t systemCount, uint8_t secondNumber) {
        page_ = AllocPageRecord(sizeof(ScorePage));
        first_ = AllocSystemRecord(sizeof(ScoreSystem));
        second_ = AllocSystemRecord(sizeof(ScoreSystem));
        ASSERT_TRUE(page_ != nullptr && first_ != nullptr && second_ != nullptr);
        page_->systemCount = systemCount;
        page_->firstSystem = Ref32<ScoreSystem>::To(first_);
        first_->firstMeasure = 1;
        first_->next = Ref32<ScoreSystem>::To(second_);
        second_->previous = Ref32<ScoreSystem>::To(first_);
        second_->number = secondNumber;
        view_.document = doc_.get();
        view_.currentPage = page_;
        view_.currentSystem = second_;
        view_.currentStaff = 1;
        view_.currentMeasure = 1;
    }
    ScoreView view_;
    ScorePage* page_ = nullptr;
    ScoreSystem* first_ = nullptr;
    ScoreSystem* second_ = nullptr;
};

// The view comes back to its system when the system's number fits the page; a
// number past the page's count, or a negative one (a byte of 128 or more, even on
// a damaged page claiming 200 systems), gives way to the page's first system.
TEST_F(AutoSavePlace, SystemNumberOutsideThePageFallsBackToTheFirst) {
    PlaceViewOnSecondSystem(2, 1);
    AutoSave(doc_.get(), &view_);
    EXPECT_EQ(view_.currentSystem, second_);
    PlaceViewOnSecondSystem(2, 2);
    AutoSave(doc_.get(), &view_);
    EXPECT_EQ(view_.currentSystem, first_);
    PlaceViewOnSecondSystem(200, 0x80);
    AutoSave(doc_.get(), &view_);
    EXPECT_EQ(view_.currentSystem, first_);
    PlaceViewOnSecondSystem(200, 0xFF);
    AutoSave(doc_.get(), &view_);
    EXPECT_EQ(view_.currentSystem, first_);
}

}  // namespace
}  // namespace ql::testing_undo
