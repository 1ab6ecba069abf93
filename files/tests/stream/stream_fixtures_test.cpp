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
#include "core/state.h"
#include "files/score_file.h"
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

}  // namespace
}  // namespace ql
