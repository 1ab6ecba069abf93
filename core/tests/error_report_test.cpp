// Error reports and the emergency copy: the report text, where the copy lands,
// what the save runs with, and the silence during file reading and writing.
#include "core/error_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "shell/resources/program_strings.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "files/score_file.h"
#include "platform/sys/resources.h"
#include "platform/ui/headless.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

constexpr char kSupportLine[] =
    "Please send these numbers and what you were doing to the program's maintainers.";

// What the stand-in writer saw when it was called.
struct SaveCall {
    std::string path;
    uint8_t autoSaving = 0;
    int calls = 0;
};

class ErrorReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        sys::SetLanguageBundle(nullptr);
        sys::SetProgramBundle(nullptr);
        RegisterProgramStrings();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::path(QL_TEST_OUTPUT_DIR) / "error_report" / info->name();
        fs::remove_all(root_);
        fs::create_directories(root_ / "scores");
        fs::create_directories(root_ / "data");
        const char* xdg = std::getenv("XDG_DATA_HOME");
        keptXdg_ = xdg != nullptr ? std::make_unique<std::string>(xdg) : nullptr;
        setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
        document_ = std::make_unique<ScoreDocument>();
        document_->path = (root_ / "scores" / "Song.ql").string();
        State().documents.CurrentDocument = document_.get();
        UseWriterThatSucceeds(true);
    }

    void TearDown() override {
        SetSaveScoreFileHookForTests({});
        State().documents.CurrentDocument = nullptr;
        if (keptXdg_) {
            setenv("XDG_DATA_HOME", keptXdg_->c_str(), 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
        sys::SetProgramBundle(nullptr);
        sys::SetLanguageBundle(nullptr);
    }

    // The stand-in writer writes a small file at the document's path and clears the
    // change counter, as a real save would, then reports `succeeds`.
    void UseWriterThatSucceeds(bool succeeds) {
        SetSaveScoreFileHookForTests([this, succeeds](ScoreDocument* document, ScoreView*) {
            ++save_.calls;
            save_.path = document->path;
            save_.autoSaving = State().files.AutoSaving;
            if (!succeeds) return 0;
            std::ofstream(document->path, std::ios::binary) << "score";
            document->changeCounter = 0;
            return 1;
        });
    }

    std::string InScores(const char* name) const {
        return (root_ / "scores" / name).lexically_normal().string();
    }
    std::string InData(const char* name) const {
        return (root_ / "data" / "quaverline" / name).lexically_normal().string();
    }

    fs::path root_;
    std::unique_ptr<std::string> keptXdg_;
    std::unique_ptr<ScoreDocument> document_;
    SaveCall save_;
};

// The report of InternalError("CSO", 2708, 0), byte for byte, in a stop box.
TEST_F(ErrorReportTest, InternalErrorShowsTheReportByteForByte) {
    EXPECT_EQ(InternalError("CSO", 2708, 0), 1);

    std::string expected =
        "An error has occured in Your file has been saved as\n"
        "Quaverlinescribe: You should exit Windows\n" +
        InScores("AUTOERR.QL") +
        ".\n"
        "\n"
        "   Memory error(0)  [CSO].2708\n"
        "\n"
        "Report error numbers to Tech Support\n" +
        std::string(kSupportLine);
    const auto& boxes = ui::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, expected);
    EXPECT_EQ(boxes[0].caption, "Quaverlinescribe");
    EXPECT_EQ(boxes[0].style & ui::kBoxIconMask, ui::kBoxIconStop);
}

// The offending value is printed in lower-case hexadecimal.
TEST_F(ErrorReportTest, ReportPrintsThePointerInHex) {
    InternalError("BEAM", 12, 0xDEADBEEF);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("   Memory error(deadbeef)  [BEAM].12\n"),
              std::string::npos);
}

// The copy lands in the score's own folder, written in autosave mode.
TEST_F(ErrorReportTest, EmergencyCopyLandsBesideTheScore) {
    InternalError("CSO", 2708, 0);
    EXPECT_EQ(save_.calls, 1);
    EXPECT_EQ(save_.path, InScores("AUTOERR.QL"));
    EXPECT_EQ(save_.autoSaving, 1);
    EXPECT_TRUE(fs::exists(root_ / "scores" / "AUTOERR.QL"));
    EXPECT_EQ(State().files.AutoSaving, 0);
}

// Afterwards the score keeps its own path and stays modified.
TEST_F(ErrorReportTest, EmergencyCopyKeepsPathAndModifiedMark) {
    document_->changeCounter = 5;
    std::string path = document_->path;
    InternalError("CSO", 2708, 0);
    EXPECT_EQ(document_->path, path);
    EXPECT_EQ(document_->changeCounter, 5);
}

// A score whose folder is gone gets its copy in the program's data folder.
TEST_F(ErrorReportTest, UnwritableScoreFolderFallsBackToDataFolder) {
    document_->path = (root_ / "missing" / "Song.ql").string();
    InternalError("STAFF", 40, 0);
    EXPECT_EQ(save_.path, InData("AUTOERR.QL"));
    EXPECT_TRUE(fs::exists(root_ / "data" / "quaverline" / "AUTOERR.QL"));
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find(InData("AUTOERR.QL") + ".\n"),
              std::string::npos);
}

// Testing the score's folder for writing leaves files of the probe's names alone.
TEST_F(ErrorReportTest, TheFolderTestLeavesFilesOfItsProbeNamesAlone) {
    std::vector<std::string> names = {".AUTOERR.probe"};
    for (int i = 0; i < 8; ++i) names.push_back(".AUTOERR.probe" + std::to_string(i));
    for (const std::string& name : names)
        std::ofstream(root_ / "scores" / name, std::ios::binary) << "mine";
    InternalError("CSO", 2708, 0);
    for (const std::string& name : names) {
        std::ifstream kept(root_ / "scores" / name);
        std::string text;
        kept >> text;
        EXPECT_EQ(text, "mine") << name;
    }
}

// An untitled score (no folder) also goes to the data folder.
TEST_F(ErrorReportTest, UntitledScoreGoesToDataFolder) {
    document_->path = "Untitled";
    InternalError("CSO", 1, 0);
    EXPECT_EQ(save_.path, InData("AUTOERR.QL"));
}

// A failed save is said to have failed, naming the path it was meant for.
TEST_F(ErrorReportTest, FailedSaveIsReportedAsFailed) {
    UseWriterThatSucceeds(false);
    InternalError("CSO", 2708, 0);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    const std::string& text = ui::headless::MessageBoxes()[0].text;
    EXPECT_EQ(text.rfind("An error has occured in Your file could NOT be saved as\n", 0), 0u)
        << text;
    EXPECT_NE(text.find(InScores("AUTOERR.QL") + ".\n"), std::string::npos);
    EXPECT_EQ(text.find("has been saved"), std::string::npos);
}

// Without a writer nothing is saved, and the report says so.
TEST_F(ErrorReportTest, WithoutAWriterTheReportSaysNothingWasSaved) {
    SetSaveScoreFileHookForTests({});
    InternalError("CSO", 2708, 0);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("could NOT be saved"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "scores" / "AUTOERR.QL"));
}

// During a file write: result 1, no box, no save, and the running writer can see
// the report by the counter's change.
TEST_F(ErrorReportTest, DuringFileWriteReturnsOneWithoutBox) {
    State().files.ScoreFileWriting = 1;
    uint32_t before = State().files.EmergencySaveActive;
    EXPECT_EQ(InternalError("CSO", 2708, 0), 1);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    EXPECT_EQ(save_.calls, 0);
    EXPECT_NE(State().files.EmergencySaveActive, before);
}

// During a file read: the same silence.
TEST_F(ErrorReportTest, DuringFileReadReturnsOneWithoutBox) {
    State().files.ScoreFileReading = 1;
    EXPECT_EQ(InternalError("FILEIO", 99, 0), 1);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    EXPECT_EQ(save_.calls, 0);
}

// With no current document there is nothing to save and nothing is shown.
TEST_F(ErrorReportTest, WithoutDocumentReturnsOneWithoutBox) {
    State().documents.CurrentDocument = nullptr;
    EXPECT_EQ(InternalError("CSO", 2708, 0), 1);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    EXPECT_EQ(save_.calls, 0);
}

// Every report counts, so a save running at any later report notices it.
TEST_F(ErrorReportTest, EveryReportAdvancesTheCounter) {
    uint32_t before = State().files.EmergencySaveActive;
    InternalError("CSO", 1, 0);
    InternalError("CSO", 2, 0);
    EXPECT_EQ(State().files.EmergencySaveActive, before + 2);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 2u);
}

// SaveEmergencyCopy saves the view's document silently and reports success.
TEST_F(ErrorReportTest, SaveEmergencyCopySavesTheViewsDocument) {
    ScoreView view;
    view.self = &view;
    view.document = document_.get();
    std::string path;
    EXPECT_NE(SaveEmergencyCopy(&view, &path), 0);
    EXPECT_EQ(path, InScores("AUTOERR.QL"));
    EXPECT_EQ(save_.path, path);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
}

// SaveEmergencyCopy does nothing while a file is read, or without a view.
TEST_F(ErrorReportTest, SaveEmergencyCopyRefusesDuringReadOrWithoutView) {
    EXPECT_EQ(SaveEmergencyCopy(nullptr), 0);
    ScoreView view;
    view.self = &view;
    view.document = document_.get();
    State().files.ScoreFileReading = 1;
    EXPECT_EQ(SaveEmergencyCopy(&view), 0);
    EXPECT_EQ(save_.calls, 0);
}

// An empty text shows an empty box with the product caption.
TEST_F(ErrorReportTest, ErrorBoxOfEmptyTextShowsCaptionOnly) {
    ErrorBox("");
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "");
    EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, "Quaverlinescribe");
}

// A language bundle's texts replace the program's own in the report.
TEST_F(ErrorReportTest, LanguageBundleTextsWinOverProgramTexts) {
    auto language = std::make_shared<sys::ResourceBundle>();
    language->name = "test language";
    language->strings[kStrMemoryError] = "Speicherfehler";
    sys::SetLanguageBundle(language);
    InternalError("CSO", 2708, 0);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("   Speicherfehler(0)  [CSO].2708"),
              std::string::npos);
}

}  // namespace
}  // namespace ql
