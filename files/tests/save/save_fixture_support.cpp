// Set-up and helpers of the save tests (see save_fixture.h).
#include <stdlib.h>  // mkdtemp

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/state.h"
#include "files/bytes/file_faults.h"
#include "files/score_file.h"
#include "files/stream/score_stream_walker.h"
#include "files/tests/save/save_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_files {

void SaveTest::SetUp() {
    FilesTest::SetUp();
    char pattern[] = "/tmp/ql-save-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    doc_->path = PathOf("score.ql");
    ResetFileFaultForTests();
}

void SaveTest::TearDown() {
    ResetFileFaultForTests();
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    FilesTest::TearDown();
}

void SaveTest::BuildSmallScore(int staves, int measures) {
    BuildStaves(staves, measures);
    ScopedPoolSet pools(doc_->pools);
    MeasureCell* cell = Cell(1, 1);
    ASSERT_NE(cell, nullptr);
    view_->currentCell = cell;
    EventRecord* first = AddEventToVoice(view_, cell, 0, 0, 9, 2);
    EventRecord* second = AddEventToVoice(view_, cell, 0, 512, 9, 4);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->beamNext = HandleOfEvent(second);
    second->beamPrev = HandleOfEvent(first);
}

std::vector<uint8_t> SaveTest::Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SaveTest::Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

int SaveTest::VerifyFile(const std::string& path) {
    if (!OpenScoreFileForRead(path)) return -1;
    int result = VerifyScoreFile(doc_, view_);
    CloseScoreFile();
    return result;
}

size_t SaveTest::Boxes() const {
    return ui::headless::MessageBoxes().size();
}

std::string SaveTest::LastBox() const {
    const auto& boxes = ui::headless::MessageBoxes();
    return boxes.empty() ? std::string() : boxes.back().text;
}

}  // namespace ql::testing_files
