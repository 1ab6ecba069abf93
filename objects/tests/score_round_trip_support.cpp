// The object tests' round trip through the writer and the reader.
#include "objects/tests/score_round_trip.h"

#include <gtest/gtest.h>

#include <vector>

#include "files/score_file.h"
#include "files/stream/score_stream_writer.h"

namespace ql::testing {

ScoreLoad WriteAndReadBack(ScoreDocument* document, ScoreView* view) {
    CreateScoreImageForWrite();
    const int written = WriteScoreStream(document, view);
    std::vector<uint8_t> bytes = TakeScoreImage();
    CloseScoreFile();
    EXPECT_EQ(written, 0) << "the writer failed";
    OpenScoreImageForRead(std::move(bytes));
    ScoreLoad load = ReadScoreIntoNewDocument();
    CloseScoreFile();
    EXPECT_EQ(load.code, 0) << "the reader failed";
    EXPECT_FALSE(load.damaged);
    return load;
}

}  // namespace ql::testing
