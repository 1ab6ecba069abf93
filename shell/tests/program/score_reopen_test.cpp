// A score saved by one run of the program and opened by a fresh one: every staff's
// record and every cell's clef, key and time signature are what the saved score
// held, whatever the first run made before.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "files/commands/file_commands.h"
#include "files/score_file.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/headless.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

namespace iso = testing::isolation;

// What the file keeps of each staff and its cells, as the document holds it.
struct StaffImage {
    std::vector<uint8_t> record;
    std::vector<std::vector<uint8_t>> cells;
    bool operator==(const StaffImage&) const = default;
};

std::vector<StaffImage> ImageOf(ScoreView* view) {
    const ScopedDocumentContext context(view);
    ScoreDocument* document = view->document;
    std::vector<StaffImage> staves;
    for (int s = 1; s <= document->header.staffCount; ++s) {
        StaffImage image;
        if (StaffRecord* staff = StaffRecordOf(document, s)) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(staff);
            image.record.assign(bytes, bytes + kStoredStaffBytes);
            for (int m = 0; m <= document->header.measureCount; ++m) {
                const auto* cell = reinterpret_cast<const uint8_t*>(GetOrCreateMeasureCell(staff, document, m));
                if (cell != nullptr) image.cells.emplace_back(cell, cell + kStoredCellBytes);
            }
        }
        staves.push_back(image);
    }
    return staves;
}

// Every system of every page: its measures and its place on the page.
std::vector<std::vector<int32_t>> SystemPlaces(ScoreView* view) {
    const ScopedDocumentContext context(view);
    std::vector<std::vector<int32_t>> places;
    for (ScorePage* page = view->document->firstPage; page != nullptr; page = page->next.get())
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr; system = system->next.get())
            places.push_back({page->pageNumber, system->firstMeasure, system->lastMeasure, system->x, system->y});
    return places;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// File > New with three staves, saved at `path`; the program then quits and a fresh
// one opens the file. The new score's staves and systems as they were saved, and the
// reopened view.
struct Reopened {
    std::vector<StaffImage> staves;
    std::vector<std::vector<int32_t>> systems;
    uint16_t measures = 0;
    ScoreView* view = nullptr;
};

class ScoreReopenTest : public testing::ProgramFixture {
  protected:
    void SaveNewScoreAndReopen(const std::string& path, Reopened* out) {
        ASSERT_EQ(Start(), StartupCode::Ok);
        ScoreView* view = iso::NewScoreFromMenu(3);
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(view->document->header.staffCount, 3);
        {
            const ScopedDocumentContext context(view);
            view->document->path = path;
            ASSERT_EQ(SaveScoreFile(view->document, view), 1);
        }
        out->staves = ImageOf(view);
        out->systems = SystemPlaces(view);
        out->measures = view->document->header.measureCount;
        CloseAndRun();
        TearDown();
        SetUp();
        ASSERT_EQ(Start(), StartupCode::Ok);
        ASSERT_TRUE(OpenScorePath(path));
        out->view = FindViewByPath(path);
        ASSERT_NE(out->view, nullptr);
    }
};

TEST_F(ScoreReopenTest, AFreshRunReadsBackEveryStaffAndSystemOfANewScore) {
    Reopened saved;
    ASSERT_NO_FATAL_FAILURE(SaveNewScoreAndReopen((scratch / "three.ql").string(), &saved));
    ScoreDocument* document = saved.view->document;
    EXPECT_EQ(document->header.staffCount, 3);
    EXPECT_EQ(document->header.measureCount, saved.measures);
    const std::vector<StaffImage> read = ImageOf(saved.view);
    ASSERT_EQ(read.size(), saved.staves.size());
    for (size_t s = 0; s < read.size(); ++s) {
        EXPECT_EQ(read[s].record, saved.staves[s].record) << "staff " << s + 1;
        EXPECT_EQ(read[s].cells, saved.staves[s].cells) << "staff " << s + 1;
    }
    // The systems stand where they stood.
    EXPECT_EQ(SystemPlaces(saved.view), saved.systems);
}

// Saving the reopened score again writes the bytes the first save wrote.
TEST_F(ScoreReopenTest, SavingAReopenedScoreWritesTheSameBytes) {
    const std::string path = (scratch / "three.ql").string();
    Reopened saved;
    ASSERT_NO_FATAL_FAILURE(SaveNewScoreAndReopen(path, &saved));
    const std::string again = (scratch / "again.ql").string();
    {
        const ScopedDocumentContext context(saved.view);
        saved.view->document->path = again;
        ASSERT_EQ(SaveScoreFile(saved.view->document, saved.view), 1);
    }
    const std::vector<uint8_t> first = FileBytes(path);
    const std::vector<uint8_t> second = FileBytes(again);
    ASSERT_EQ(second.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(int{second[i]}, int{first[i]}) << "byte " << i;
}

// A score window is captioned alike after Save As and after Open.
TEST_F(ScoreReopenTest, SaveAsAndOpenCaptionTheWindowAlike) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ScoreView* view = iso::NewScoreFromMenu(3);
    ASSERT_NE(view, nullptr);
    const std::string path = (scratch / "a folder with a long name" / "first.ql").string();
    std::filesystem::create_directories(scratch / "a folder with a long name");
    ui::headless::QueueFileDialogAnswer(ui::FileDialogAnswer{ui::FileDialogStatus::Chosen, path});
    ASSERT_EQ(SaveDocumentAs(view->document, view), 1);
    const std::vector<std::string> saved = Captions();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0], CaptionOfPath(path));
    ForceCloseScoreWindow(view->ViewWindow);
    ASSERT_TRUE(OpenScorePath(path));
    EXPECT_EQ(Captions(), saved);
}

}  // namespace
}  // namespace ql
