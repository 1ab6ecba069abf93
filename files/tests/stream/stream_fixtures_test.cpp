// The stream fixtures: the writer's stream of each score built through the program's
// constructors equals its hand-assembled stream byte for byte (the scroll view's
// galley system excepted), and the saved file verifies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/state.h"
#include "files/bytes/file_faults.h"
#include "files/bytes/score_file_handle.h"
#include "files/score_file.h"
#include "files/stream/score_stream_writer.h"
#include "files/tests/save/save_fixture.h"
#include "files/tests/stream/stream_fixtures.h"

namespace ql {
namespace {

using testing_files::SaveTest;
using testing_files::V;
namespace tf = testing_files;

class StreamFixtures : public SaveTest {
  protected:
    void SetUp() override {
        SaveTest::SetUp();
        State().files.TrimPagesOption = 0;
    }
    // The bytes before and after the galley system.
    static std::vector<uint8_t> WithoutGalley(const std::vector<uint8_t>& bytes, size_t galley) {
        std::vector<uint8_t> rest(bytes);
        if (rest.size() < tf::kFullScoreGalleyAt + galley) return rest;
        auto at = rest.begin() + static_cast<std::ptrdiff_t>(tf::kFullScoreGalleyAt);
        rest.erase(at, at + static_cast<std::ptrdiff_t>(galley));
        return rest;
    }
    // Saves the document and compares its file with the fixture, apart from the galley.
    void ExpectSavedStream(const std::vector<uint8_t>& fixture, size_t galley) {
        ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
        const std::vector<uint8_t> file = WithoutGalley(Bytes(doc_->path), galley);
        const std::vector<uint8_t> expected = WithoutGalley(fixture, galley);
        EXPECT_EQ(file.size(), expected.size());
        size_t at = FirstDifference(file, expected);
        EXPECT_EQ(at, std::min(file.size(), expected.size()))
            << "first difference at stream offset "
            << (at >= tf::kFullScoreGalleyAt ? at + galley : at) << ": written " << Around(file, at)
            << " expected " << Around(expected, at);
        EXPECT_EQ(VerifyFile(doc_->path), 0);
    }
    // The bytes from `at` on, in hex, for a failure message.
    static std::string Around(const std::vector<uint8_t>& bytes, size_t at) {
        std::string text;
        char hex[4];
        for (size_t i = at; i < bytes.size() && i < at + kShownBytes; ++i) {
            std::snprintf(hex, sizeof hex, "%02X ", bytes[i]);
            text += hex;
        }
        return text;
    }
    static constexpr size_t kShownBytes = 12;
    // The first offset where two streams differ (their common length when one ends first).
    static size_t FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
        size_t n = 0;
        while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
        return n;
    }
};

// One staff, one measure, no objects: two "STIK" records, one cell with four empty
// voices, one page with its system; the stale page count and system counts are
// corrected in the file and in memory.
TEST_F(StreamFixtures, OneStaffScore) {
    {
        ScopedPoolSet pools(doc_->pools);
        ASSERT_TRUE(tf::BuildOneStaffScore(doc_, view_));
    }
    ExpectSavedStream(tf::OneStaffStream(), tf::kOneStaffGalleyBytes);
    EXPECT_EQ(V(doc_->header.pageCount), 1);
    EXPECT_EQ(V(doc_->firstPage->systemCount), 1);
}

// Three staves, six measures, two pages and every stored object type: labels, spacing
// entries, beam positions, the accidental word, attachment counts, rests, the
// subtypes of each list's mode, the masters without systems.
TEST_F(StreamFixtures, FullScore) {
    {
        ScopedPoolSet pools(doc_->pools);
        ASSERT_TRUE(tf::BuildFullScore(doc_, view_));
    }
    ExpectSavedStream(tf::FullScoreStream(), tf::kFullScoreGalleyBytes);
    EXPECT_EQ(V(doc_->header.pageCount), tf::kFullScorePages);
    EXPECT_EQ(V(doc_->firstPage->systemCount), 1);
}

// A second save of the same score writes the same bytes.
TEST_F(StreamFixtures, SecondSaveIsIdentical) {
    {
        ScopedPoolSet pools(doc_->pools);
        ASSERT_TRUE(tf::BuildFullScore(doc_, view_));
    }
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    const std::vector<uint8_t> first = Bytes(doc_->path);
    doc_->path = PathOf("again.ql");
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    EXPECT_EQ(Bytes(doc_->path), first);
}

// The writer puts its items straight into the file's buffer unless a test fault is
// set; then each goes through the byte layer's write, counted. A score larger than
// the buffer (the full score with a long beamed voice in every cell) gives the same
// bytes both ways, and the same as its stream written into memory.
TEST_F(StreamFixtures, ItemsPutInPlaceWriteWhatTheByteLayerWrites) {
    constexpr int kNotesPerCell = 160;
    constexpr uint8_t kShortDuration = 4;
    {
        ScopedPoolSet pools(doc_->pools);
        ASSERT_TRUE(tf::BuildFullScore(doc_, view_));
        for (int staff = 1; staff <= tf::kFullScoreStaves; ++staff)
            for (int measure = 1; measure <= tf::kFullScoreMeasures; ++measure) {
                EventRecord* previous = nullptr;
                for (int n = 0; n < kNotesPerCell; ++n) {
                    EventRecord* note = AddEventToVoice(view_, Cell(staff, measure), 3, static_cast<uint16_t>(n * 16),
                                                        kShortDuration, static_cast<uint8_t>(n % 9));
                    ASSERT_NE(note, nullptr);
                    if (n % 4 != 0 && previous != nullptr) {
                        note->beamPrev = HandleOfEvent(previous);
                        previous->beamNext = HandleOfEvent(note);
                    }
                    previous = note;
                }
            }
    }
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    const std::vector<uint8_t> inPlace = Bytes(doc_->path);
    ASSERT_GT(inPlace.size(), kScoreFileBufferBytes);

    SetFileFaultForTests(FileFault{});
    doc_->path = PathOf("counted.ql");
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    EXPECT_GT(FileStepCalls(FileStep::Write), tf::kFullScoreStaves * tf::kFullScoreMeasures * kNotesPerCell)
        << "every event was its own write";
    ResetFileFaultForTests();
    EXPECT_EQ(Bytes(doc_->path), inPlace);

    CreateScoreImageForWrite();
    ASSERT_EQ(WriteScoreStream(doc_, view_), 0);
    CloseScoreFile();
    EXPECT_EQ(TakeScoreImage(), inPlace);
}

}  // namespace
}  // namespace ql
