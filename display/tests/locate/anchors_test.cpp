// Anchors: every kind encodes and decodes back to its point at several zooms and
// staff scales; the page-anchor edge at the page's left edge; lyric y without
// drift; a time anchor past a shortened measure moves to its last column; and the
// location and the save stacks are as they were afterwards. Anchors decoded together
// land where each decoded alone lands, and where a move of the location to their
// measure puts them.
#include <cstring>
#include <random>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/tests/locate/locate_fixture.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"

namespace ql::testing_locate {
namespace {

struct Words {
    uint16_t w[4];
};
Words WordsOf(const ObjectLocation& a) {
    Words w{};
    std::memcpy(&w, &a, sizeof w);
    return w;
}

class AnchorsTest : public LocateTest {
  protected:
    // Encodes one point, then decodes it with the location at the measure the
    // encoder reported (the object's own measure), as drawing does.
    LogicalPoint RoundTrip(int kind, const LogicalPoint& p) {
        Locate(1, 1);
        ObjectLocation anchor{};
        LocationRecord record{};
        EncodeAnchors(view_, &record, kind, &anchor, &p, 1);
        Locate(1, kind == 1 ? 1 : record.location.measure);
        LogicalPoint back{};
        DecodeAnchors(view_, kind, &anchor, &back, 1);
        return back;
    }
};

TEST_F(AnchorsTest, EveryKindRoundTripsAtEveryZoomAndStaffScale) {
    BuildScore(2, {2}, 4);
    for (int zoom : {8, 16, 40}) {
        view_->zoom = zoom;
        for (double scale : {1.0, 0.75}) {
            for (int kind : {0, 1, 2, 4}) {
                for (int slot = 1; slot <= 4; ++slot) {
                    Locate(1, 1);
                    ViewScale(view_) = scale;
                    const LogicalPoint p{SlotContent(System(0), slot) + 37,
                                         StaffTopY(System(0), 1) - 200};
                    const LogicalPoint back = RoundTrip(kind, p);
                    ViewScale(view_) = scale;
                    // Time anchors land within a column; y within the scale's rounding.
                    EXPECT_NEAR(back.x, p.x, kind == 0 ? 16 : 0) << kind << " slot " << slot;
                    EXPECT_NEAR(back.y, p.y, 2) << kind << " scale " << scale;
                }
            }
        }
    }
}

TEST_F(AnchorsTest, PageAnchorAtThePageLeftEdgeIsCoarseZeroFineZero) {
    BuildScore(1, {1}, 4);
    const LogicalPoint p{-30720, -30720};
    ObjectLocation anchor{};
    EncodePageAnchors(view_, &anchor, &p, 1);
    const Words w = WordsOf(anchor);
    EXPECT_EQ(w.w[0], 0);
    EXPECT_EQ(w.w[2], 0);
    LogicalPoint back{};
    DecodeAnchors(view_, 1, &anchor, &back, 1);
    EXPECT_EQ(back.x, -30720);
    EXPECT_EQ(back.y, -30720);
    // One past a coarse step: coarse 1, fine 1 less than a step further.
    const LogicalPoint q{-30720 + 129, 0};
    EncodePageAnchors(view_, &anchor, &q, 1);
    EXPECT_EQ(WordsOf(anchor).w[0], 1);
    EXPECT_EQ(WordsOf(anchor).w[2], 1);
}

TEST_F(AnchorsTest, TimeAnchorPastAShortenedMeasureMovesToItsLastColumn) {
    BuildScore(1, {1}, 4);
    const LogicalPoint p{SlotContent(System(0), 2) + TimeToX(view_, 3000), StaffTopY(System(0), 1)};
    ObjectLocation anchor{};
    Locate(1, 2);
    State().locate.KeepMeasure = 1;
    EncodeAnchors(view_, nullptr, 0, &anchor, &p, 1);
    State().locate.KeepMeasure = 0;
    const uint16_t tick = WordsOf(anchor).w[1];
    ASSERT_GT(tick, 2000);
    MeasureRecordOf(doc_, 2)->lengthTicks = 2000;
    Locate(1, 2);
    LogicalPoint back{};
    DecodeAnchors(view_, 0, &anchor, &back, 1);
    EXPECT_EQ(WordsOf(anchor).w[1], (2000 - 1) & ~15);
    // The repair is idempotent.
    const Words once = WordsOf(anchor);
    DecodeAnchors(view_, 0, &anchor, &back, 1);
    EXPECT_EQ(std::memcmp(&once, &anchor, sizeof once), 0);
}

TEST_F(AnchorsTest, DecodingLeavesTheLocationAndStacksAsTheyWere) {
    BuildScore(2, {2}, 4);
    Locate(2, 3);
    const int stackCount = State().stacks.viewLocations.count;
    ObjectLocation anchors[3]{};
    std::memset(anchors, 0, sizeof anchors);
    reinterpret_cast<Words*>(&anchors[1])->w[0] = 2;   // two measures on
    reinterpret_cast<Words*>(&anchors[2])->w[0] = 0xFFFE;  // two measures back
    LogicalPoint out[3]{};
    for (int kind : {0, 2, 4}) {
        DecodeAnchors(view_, kind, anchors, out, 3);
        EXPECT_EQ(view_->currentStaff, 2);
        EXPECT_EQ(view_->currentMeasure, 3);
        EXPECT_EQ(view_->currentSystem, System(0));
    }
    const LogicalPoint p{SlotContent(System(0), 2), StaffTopY(System(0), 2)};
    EncodeAnchors(view_, nullptr, 0, anchors, &p, 1);
    EXPECT_EQ(view_->currentMeasure, 3);
    EXPECT_EQ(State().stacks.viewLocations.count, stackCount);
}

// Time anchors over many measures, sharing slots read once per decoding: measures
// eight apart share a place in what is kept, ticks reach into the last column
// (whose right end is the slot's content width) and past a shortened measure.
std::vector<ObjectLocation> SeededTimeAnchors(unsigned seed, int count) {
    std::mt19937 rng(seed);
    std::vector<ObjectLocation> anchors(static_cast<size_t>(count));
    for (ObjectLocation& a : anchors) {
        const Words w{{static_cast<uint16_t>(static_cast<int>(rng() % 14) - 3),
                       static_cast<uint16_t>(rng() % 4096),
                       static_cast<uint16_t>(static_cast<int>(rng() % 512) - 256),
                       static_cast<uint16_t>(static_cast<int>(rng() % 2048) - 1024)}};
        std::memcpy(&a, &w, sizeof w);
    }
    return anchors;
}

TEST_F(AnchorsTest, TimeAnchorsDecodedTogetherLandWhereEachAloneLands) {
    // One system of twelve measures: measures 1 and 9, 2 and 10 are read together,
    // of different lengths and so of different widths.
    BuildScore(2, {1}, 12);
    MeasureRecordOf(doc_, 9)->lengthTicks = 2048;
    MeasureRecordOf(doc_, 10)->lengthTicks = 3000;
    UpdateBeatMaps(view_, 1);
    for (double scale : {0.0, 0.75}) {
        for (unsigned seed : {1u, 2u, 3u}) {
            Locate(2, 3);
            ViewScale(view_) = scale;
            std::vector<ObjectLocation> together = SeededTimeAnchors(seed, 400);
            std::vector<ObjectLocation> alone = together;
            std::vector<LogicalPoint> out(together.size());
            DecodeAnchors(view_, 0, together.data(), out.data(), static_cast<int>(together.size()));
            for (size_t i = 0; i < alone.size(); ++i) {
                LogicalPoint one{};
                DecodeAnchors(view_, 0, &alone[i], &one, 1);
                ASSERT_EQ(out[i], one) << "seed " << seed << " anchor " << i;
                ASSERT_EQ(std::memcmp(&alone[i], &together[i], sizeof alone[i]), 0) << i;
            }
        }
    }
}

TEST_F(AnchorsTest, TimeAnchorsInTheSystemLandWhereTheLocationMovedThereReadsThem) {
    BuildScore(1, {2}, 4);
    MeasureRecordOf(doc_, 3)->lengthTicks = 2500;
    Locate(1, 2);
    std::vector<ObjectLocation> anchors = SeededTimeAnchors(7, 300);
    std::vector<LogicalPoint> out(anchors.size());
    DecodeAnchors(view_, 0, anchors.data(), out.data(), static_cast<int>(anchors.size()));
    for (size_t i = 0; i < anchors.size(); ++i) {
        const Words w = WordsOf(anchors[i]);
        const int measure = 2 + static_cast<int16_t>(w.w[0]);
        if (measure < 1 || measure > 4) continue;  // in the system shown
        Locate(1, measure);
        const int32_t x = SlotContent(System(0), measure) + TimeToX(view_, w.w[1]) +
                          static_cast<int16_t>(w.w[2]);
        EXPECT_EQ(out[i].x, x) << "anchor " << i << " measure " << measure << " tick " << w.w[1];
        EXPECT_EQ(out[i].y, view_->staffY + static_cast<int16_t>(w.w[3])) << i;
    }
}

}  // namespace
}  // namespace ql::testing_locate
