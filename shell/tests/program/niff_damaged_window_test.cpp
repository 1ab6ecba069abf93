// Damaged NIFF files imported into score windows beside an open score: a fixed seed
// and count of mutants (bit flips, cuts, rewritten lengths) of a score of texts and
// of one with slurs, ties, hairpins, octave signs and endings. Each import either
// leaves one live window or none, never a window queued to close nor an empty one
// behind a message of damage, and the score open beside it keeps every pool byte.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_writer.h"
#include "platform/ui/headless.h"
#include "platform/win/window.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/niff_marked_score.h"
#include "shell/tests/program/niff_spanner_score.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr uint32_t kSeed = 0x0C0FFEE5;
constexpr int kCases = 400;
constexpr uint32_t kMarkedSeed = 0x0DA7A5EE;
constexpr uint32_t kSpannerSeed = 0x51A25EED;

std::vector<uint8_t> TwoPageScore() {
    niff::NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("stbl");
    out.Text(std::string("\0Violin\0Cello\0", 14));
    out.EndChunk();
    out.BeginChunk("part", {0, 1, 0, 1, 0, -1, 0});
    out.EndChunk();
    out.BeginChunk("part", {1, 8, 0, 1, 1, -1, 0});
    out.EndChunk();
    for (int page = 0; page < 2; ++page) {
        out.BeginList("page");
        out.BeginChunk("pghd");
        out.Tag(48, {2720});
        out.Tag(17, {3520});
        out.EndChunk();
        out.BeginChunk("syhd");
        out.Tag(1, {160, 400});
        out.EndChunk();
        for (int staff = 0; staff < 2; ++staff) {
            out.BeginChunk("sthd");
            out.Tag(32, {staff});
            out.Tag(17, {256});
            out.EndChunk();
            out.BeginChunk("text", {1});
            out.EndChunk();
        }
        out.EndList();
    }
    out.EndList();
    return out.Take();
}

void Damage(std::vector<uint8_t>& bytes, std::mt19937& random) {
    switch (random() % 3) {
        case 0:
            for (int i = 0; i < 1 + static_cast<int>(random() % 4); ++i)
                bytes[random() % bytes.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
            break;
        case 1:
            bytes.resize(random() % bytes.size());
            break;
        default: {
            const size_t at = random() % bytes.size();
            for (size_t i = at; i < std::min(bytes.size(), at + 4); ++i) bytes[i] = static_cast<uint8_t>(random());
        }
    }
}

// Whether a measure of the score holds a note, a rest or a mark.
bool HoldsMusic(ScoreDocument* document) {
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        for (int measure = 1; measure <= document->header.measureCount; ++measure)
            if (IsCellEmpty(ExistingMeasureCell(document, staff, measure)) == 0) return true;
    return false;
}

// Whether the reader said the file is damaged.
bool DamageReported() {
    for (const auto& box : ui::headless::MessageBoxes())
        if (box.text == niff::kNiffIncompleteTag || box.text == niff::kNiffIncompleteChunk ||
            box.text == niff::kNiffChunkLengthUnread)
            return true;
    return false;
}

class NiffDamagedWindowTest : public testing::ProgramFixture {
  protected:
    // Mutants of `fixture` imported beside a score: one live window or none each
    // time, and the score beside them unchanged.
    void ImportMutants(const std::vector<uint8_t>& fixture, uint32_t seed, int cases);
};

void NiffDamagedWindowTest::ImportMutants(const std::vector<uint8_t>& fixture, uint32_t seed, int cases) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    ScoreView* other = testing::isolation::NewScoreFromMenu(2);
    ASSERT_NE(other, nullptr);
    const std::vector<uint8_t> before = testing::isolation::PoolBytes(other->document);
    std::mt19937 random(seed);
    for (int i = 0; i < cases; ++i) {
        std::vector<uint8_t> bytes = fixture;
        Damage(bytes, random);
        ui::headless::ResetUi();
        ScoreView* view = niff::OpenNiffScoreWindowFromMemory(bytes, "damaged_NIFF");
        Pump();
        for (const auto& box : ui::headless::MessageBoxes())
            ASSERT_EQ(box.caption, niff::kNiffImportCaption) << "case " << i << ": " << box.text;
        if (view != nullptr) {
            ASSERT_TRUE(win::IsWindow(view->ViewWindow)) << "case " << i;
            // A damaged file read up to none of its music leaves no empty score.
            ASSERT_TRUE(!DamageReported() || HoldsMusic(view->document)) << "case " << i;
            ASSERT_EQ(CountOpenDocuments(), 2) << "case " << i;
            ForceCloseScoreWindow(view->ViewWindow);
            Pump();
        }
        ASSERT_EQ(CountOpenDocuments(), 1) << "case " << i;
        ASSERT_TRUE(testing::isolation::PoolBytes(other->document) == before) << "case " << i;
    }
}

TEST_F(NiffDamagedWindowTest, MutantsLeaveALiveWindowOrNone) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ImportMutants(TwoPageScore(), kSeed, kCases);
}

// Marks on notes and in measures, damaged, made into objects of the new score.
TEST_F(NiffDamagedWindowTest, MarkedMutantsLeaveALiveWindowOrNone) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ImportMutants(testing::MarkedNiffScore(), kMarkedSeed, kCases);
}

// Damaged spanner IDs and node counts (missing ends, reversed, across staves, a
// note to itself) are skipped by the objects' factories as by the handlers.
TEST_F(NiffDamagedWindowTest, MutantsWithSpannersLeaveALiveWindowOrNone) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ImportMutants(testing::NiffSpannerScore(), kSpannerSeed, kCases);
}

}  // namespace
}  // namespace ql
