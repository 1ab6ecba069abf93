// Fuzz entry point for the score file reader: the input is a whole ".ql" stream,
// read through the memory source into a new view and document. Every read must end
// in success or a refusal; a success must write back a stream that verifies and
// reads back into a score that writes the same bytes; and once the loaded score is
// freed (or the read failed) the arena, the document list, the current document
// and the reading flag must be as before. The seed corpus is the reader tests'
// fixtures: run files_tests with QL_READER_CORPUS naming a folder and they are
// written there.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/memory/arena.h"
#include "core/model/document.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "files/bench/sixteenths_score.h"
#include "files/read/score_reader.h"
#include "files/score_file.h"
#include "files/stream/score_stream_walker.h"
#include "files/stream/score_stream_writer.h"

namespace {

using namespace ql;

void SetUpOnce() {
    static const bool done = [] {
        bench_files::ResetForScoreFiles();
        State().files.QuietRead = 1;
        return true;
    }();
    (void)done;
}

std::vector<uint8_t> Written(const ScoreLoad& load) {
    CreateScoreImageForWrite();
    const int written = WriteScoreStream(load.document, load.view);
    std::vector<uint8_t> stream = TakeScoreImage();
    CloseScoreFile();
    if (written != 0) std::abort();
    return stream;
}

// The stream a loaded score writes must walk clean and be its own next generation.
void CheckRewrite(ScoreLoad& load) {
    const std::vector<uint8_t> stream = Written(load);
    OpenScoreImageForRead(stream);
    int verified = VerifyScoreFile(load.document, load.view);
    CloseScoreFile();
    if (verified != 0) std::abort();
    OpenScoreImageForRead(stream);
    ScoreLoad again = ReadScoreIntoNewDocument();
    CloseScoreFile();
    if (again.code != 0 || Written(again) != stream) std::abort();
    FreeLoadedScore(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpOnce();
    const size_t arena = ArenaBytesInUse();
    ScoreDocument* const current = State().documents.CurrentDocument;
    ScoreDocument* const firstListed = State().documents.FirstDocument;
    OpenScoreImageForRead(std::vector<uint8_t>(data, data + size));
    ScoreLoad load = ReadScoreIntoNewDocument();
    CloseScoreFile();
    if (load.code == 0) CheckRewrite(load);
    if (load.code != 0 && (load.document != nullptr || load.view != nullptr)) std::abort();
    if (load.code != 0 && State().documents.CurrentDocument != current) std::abort();
    FreeLoadedScore(load);
    if (ArenaBytesInUse() != arena) std::abort();  // the read left records behind
    if (State().documents.FirstDocument != firstListed || State().files.ScoreFileReading != 0) std::abort();
    ui::headless::ResetUi();
    return 0;
}
