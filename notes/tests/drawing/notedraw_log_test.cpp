// The fixture score drawn headless on the recording surface: the draw-call log must
// hold the stems, flags, beams, ledger lines, dots and accidentals where the note
// record and the drawing rules put them, in view units. The zoom is 8, where every
// thin part is a single one-pixel line (no doubling, no filled bars).
#include <algorithm>

#include "core/model/score_document.h"
#include "notes/accidentals/accidental_layout.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/note_redraw.h"
#include "notes/tests/drawing/notedraw_fixture.h"
#include "platform/gfx/dc.h"

namespace ql::testing_notedraw {
namespace {

constexpr int32_t kPull = 16;  // a stem's note end stops short by this
constexpr int kFlagDownBase = 114;
constexpr int kFlagUpBase = 105;
constexpr uint8_t kDotGlyph = 139;
constexpr uint8_t kNaturalGlyph = 222;
constexpr uint8_t kSharpGlyph = 218;

class FixtureLog : public NoteDrawTest {
  protected:
    void SetUp() override {
        NoteDrawTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        f_ = BuildFixtureScore(kPlainZoom);
        const NoteDrawLocation location(view_, 1, 1);
        normal_ = ComputeNotationFontState(view_, static_cast<int>(NoteSizeClass::Normal));
        UseRecordingSurface();
    }
    // The log of one cell.
    void DrawOnly(int staff, int measure) {
        log_.clear();
        DrawCell(staff, measure);
    }
    // The one-pixel stem lines at an x, top to bottom as drawn.
    std::vector<InkCall> StemsAt(int32_t x) const {
        std::vector<InkCall> stems;
        for (const InkCall& call : Calls(InkPart::Stem))
            if (call.kind == InkKind::Line && call.points[0].x == x) stems.push_back(call);
        return stems;
    }
    int32_t Black() const { return normal_.blackWidth; }

    FixtureNotes f_;
    NotationFontState normal_{};
};

// Each unbeamed stem runs from its free end (first note y + stem offset) toward its
// note, stopping 16 short: down stems at the head's x reach the first note, the up
// stem stands a head width (less a stem) right and reaches the chord's lowest note.
TEST_F(FixtureLog, UnbeamedStemsRunFromTheirFreeEndsToTheirNotes) {
    DrawOnly(1, 1);
    const int32_t b = BottomY(1);
    struct Case {
        EventRecord* first;
        int16_t offset;  // stem offset of the chord
        int32_t x;       // stem column
        int32_t from;    // free end
        int32_t to;      // note end
    };
    const int32_t upX = TickX(1, 3072) + Black() - kStemWidth;
    const Case cases[] = {
        // chord -5/-4, stem down: (span 1 + 7) x 64
        {f_.second, 512, TickX(1, 0), b - 5 * kStep + 512, b - 5 * kStep + kPull},
        // -6: 7 steps down
        {f_.dottedLine, 448, TickX(1, 1024), b - 6 * kStep + 448, b - 6 * kStep + kPull},
        // -12: reaches the middle line, 8 steps
        {f_.highEighth, 512, TickX(1, 2560), b - 4 * kStep, b - 12 * kStep + kPull},
        // 2: up, 7 steps
        {f_.lowQuarter, -448, upX, b + 2 * kStep - 448, b + 2 * kStep - kPull},
    };
    ASSERT_EQ(Calls(InkPart::Stem).size(), std::size(cases));
    for (const Case& c : cases) {
        EXPECT_EQ(c.first->stemLength, c.offset);
        const std::vector<InkCall> stems = StemsAt(c.x);
        ASSERT_EQ(stems.size(), 1u) << "stem at x " << c.x;
        EXPECT_EQ(stems[0].points[0].y, c.from);
        EXPECT_EQ(stems[0].points[1].y, c.to);
    }
    // The eighth's flag hangs from the free end of its down stem.
    const std::vector<InkCall> flags = Calls(InkPart::Flag);
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_EQ(flags[0].code, kFlagDownBase + kCodeEighth);
    EXPECT_EQ(flags[0].points[0], (gfx::Point{TickX(1, 2560), b - 4 * kStep}));
}

// Ledger lines: -12 gets lines at -12 and -10, position 2 one line at 2; each is the
// black width x 1 19/32 long, centred on the head.
TEST_F(FixtureLog, LedgerLinesStandOnTheLinePositionsOutsideTheStaff) {
    DrawOnly(1, 1);
    const int32_t bw = Black();
    const int32_t length = bw + bw / 8 - bw / 32 + bw / 2;
    struct Line {
        int32_t x;
        int position;
    };
    const Line expected[] = {{TickX(1, 2560), -12}, {TickX(1, 2560), -10}, {TickX(1, 3072), 2}};
    const std::vector<InkCall> lines = Calls(InkPart::Ledger);
    ASSERT_EQ(lines.size(), std::size(expected));
    for (size_t i = 0; i < lines.size(); ++i) {
        const int32_t start = expected[i].x + bw / 2 - length / 2;
        EXPECT_EQ(lines[i].points[0], (gfx::Point{start, LineY(1, expected[i].position)})) << i;
        EXPECT_EQ(lines[i].points[1].x - lines[i].points[0].x, length) << i;
    }
}

// The head a second from the chord's first note sits on the far side (left of a
// down stem); heads stand on their position's y (the font centres them on their
// baseline); the dot of a note on a line takes the space above.
TEST_F(FixtureLog, SecondsAndDotsKeepTheirColumns) {
    DrawOnly(1, 1);
    const int32_t x = TickX(1, 0);
    std::vector<InkCall> heads;
    for (const InkCall& call : Calls(InkPart::Head))
        if (call.points[0].x <= x && call.points[0].x > x - 2 * Black()) heads.push_back(call);
    ASSERT_EQ(heads.size(), 2u);
    EXPECT_EQ(heads[0].points[0], (gfx::Point{x, LineY(1, -5)}));
    EXPECT_EQ(heads[1].points[0], (gfx::Point{x - (Black() - kStemWidth), LineY(1, -4)}));
    const std::vector<InkCall> dots = Calls(InkPart::Dot);
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_EQ(dots[0].code, kDotGlyph);
    EXPECT_EQ(dots[0].points[0],
              (gfx::Point{TickX(1, 1024) + Black() + Black() / 2, LineY(1, -7)}));
    EXPECT_EQ(dots[0].align, gfx::kTextAlignCentre | gfx::kTextAlignBaseline);
}

// Beam layout: the up group (0..3) rises one space at most and its beam keeps its
// clearance from the highest note; the down group (-10..-7) is pushed 64 away from
// its lowest note. The drawn main beam joins the end stems; the second level lies one
// beam separation toward the notes.
TEST_F(FixtureLog, BeamsFollowTheirLaidOutSlope) {
    const int16_t up[] = {-448, 0, 0, -512};
    const int16_t down[] = {512, 0, 0, 448};
    EXPECT_EQ(f_.upBeam.front()->stemLength, up[0]);
    EXPECT_EQ(f_.upBeam.back()->stemLength, up[3]);
    EXPECT_EQ(f_.downBeam.front()->stemLength, down[0]);
    EXPECT_EQ(f_.downBeam.back()->stemLength, down[3]);
    DrawOnly(1, 2);
    const int32_t b = BottomY(1);
    const int32_t upLeft = TickX(2, 0) + Black() - kStemWidth;
    const int32_t upRight = TickX(2, 768) + Black() - kStemWidth;
    std::vector<InkCall> beams = Calls(InkPart::Beam);
    ASSERT_EQ(beams.size(), 6u);  // per group: main, second level and its inset pass
    const gfx::Point upMain[4] = {{upLeft, b - 448},
                                  {upRight, b - 320},
                                  {upRight, b - 320 + kBeamWidth},
                                  {upLeft, b - 448 + kBeamWidth}};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(beams[0].points[i], upMain[i]) << i;
    EXPECT_EQ(beams[1].points[0], (gfx::Point{upLeft, b - 448 + kBeamSeparation}));
    const int32_t downLeft = TickX(2, 1024);
    const int32_t downRight = TickX(2, 1792);
    const gfx::Point downMain[4] = {{downLeft, b - 128},
                                    {downRight, b},
                                    {downRight, b - kBeamWidth},
                                    {downLeft, b - 128 - kBeamWidth}};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(beams[3].points[i], downMain[i]) << i;
    EXPECT_EQ(beams[4].points[1], (gfx::Point{downRight, b - kBeamSeparation}));
    // Inner stems end on the beam line (offsets follow the slope).
    for (size_t i = 1; i + 1 < f_.upBeam.size(); ++i) {
        const int32_t x = TickX(2, static_cast<int>(i) * 256) + Black() - kStemWidth;
        const int32_t lineY = b - 448 + (x - upLeft) * 128 / (upRight - upLeft);
        EXPECT_NEAR(b + static_cast<int>(i) * kStep + f_.upBeam[i]->stemLength, lineY, 1) << i;
    }
    // Every stem of the up group starts in the middle of the main beam.
    const std::vector<InkCall> stems = StemsAt(upLeft);
    ASSERT_EQ(stems.size(), 1u);
    EXPECT_EQ(stems[0].points[0].y, b - 448 + kBeamWidth / 2);
    EXPECT_EQ(stems[0].points[1].y, b - kPull);
}

// An eighth inside a group of sixteenths splits the second level: the first chord
// gets a stub pointing into the group, the last two a bar of their own, and every
// chord of the group still gets its one stem.
TEST_F(FixtureLog, AnEighthSplitsTheSecondBeamLevel) {
    f_.upBeam[1]->duration = kCodeEighth;
    DrawOnly(1, 2);
    const int32_t b = BottomY(1);
    const int32_t stemShift = Black() - kStemWidth;
    const int32_t upLeft = TickX(2, 0) + stemShift;
    const int32_t third = TickX(2, 512) + stemShift;
    const int32_t upRight = TickX(2, 768) + stemShift;
    const std::vector<InkCall> beams = Calls(InkPart::Beam);
    ASSERT_EQ(beams.size(), 8u);  // the up group: main, stub and bar with their insets
    EXPECT_EQ(beams[0].points[0].x, upLeft);
    EXPECT_EQ(beams[0].points[1].x, upRight);
    EXPECT_EQ(beams[1].points[0], (gfx::Point{upLeft, b - 448 + kBeamSeparation}));
    EXPECT_GT(beams[1].points[1].x, upLeft);
    EXPECT_LT(beams[1].points[1].x, third);
    EXPECT_EQ(beams[3].points[0].x, third);
    EXPECT_EQ(beams[3].points[1].x, upRight);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(StemsAt(TickX(2, i * 256) + stemShift).size(), 1u) << i;
}

// A plain accidental is drawn centred at the note's x plus its offset; a parenthesised
// one is left to its own drawing.
TEST_F(FixtureLog, AccidentalsStandInTheirColumns) {
    DrawOnly(1, 3);
    const std::vector<InkCall> signs = Calls(InkPart::Accidental);
    ASSERT_EQ(signs.size(), 1u);
    EXPECT_EQ(signs[0].code, kNaturalGlyph);
    const int16_t offset = AccidentalOffset(AccidentalOfNote(*f_.naturalHalf));
    EXPECT_LT(offset, 0);
    EXPECT_EQ(signs[0].points[0], (gfx::Point{TickX(3, 2048) + offset, LineY(1, -7)}));
    EXPECT_EQ(signs[0].align, gfx::kTextAlignCentre | gfx::kTextAlignBaseline);
    DrawOnly(1, 2);
    for (const InkCall& call : Calls(InkPart::Accidental)) EXPECT_NE(call.code, kSharpGlyph);
}

// Petite and grace stems take their own base lengths; the grace note's slash crosses
// its stem, drawn with a pen of the stem width.
TEST_F(FixtureLog, SmallNotesTakeTheirOwnStems) {
    EXPECT_EQ(f_.petite->stemLength, -336);
    EXPECT_EQ(f_.grace->stemLength, -291);
    DrawOnly(1, 3);
    const std::vector<InkCall> slashes = Calls(InkPart::Slash);
    ASSERT_EQ(slashes.size(), 1u);
    EXPECT_EQ(slashes[0].kind, InkKind::PenLine);
    EXPECT_GE(slashes[0].width, kStemWidth);
    EXPECT_LT(slashes[0].points[0].x, slashes[0].points[1].x);  // rises to the right
    EXPECT_GT(slashes[0].points[0].y, slashes[0].points[1].y);
    const std::vector<InkCall> flags = Calls(InkPart::Flag);
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_EQ(flags[0].code, kFlagUpBase + kCodeEighth);
}

// The 75 % staff draws its stems 75 % long.
TEST_F(FixtureLog, SmallStaffScalesItsStems) {
    DrawOnly(kSmallStaff, 1);
    const int32_t b = BottomY(kSmallStaff);
    bool found = false;
    for (const InkCall& call : Calls(InkPart::Stem)) {
        if (call.points[0].y != b - 448 * kSmallStaffPercent / 100) continue;
        found = true;
        EXPECT_EQ(call.points[1].y, b - kPull * kSmallStaffPercent / 100);
    }
    EXPECT_TRUE(found) << "no stem of the quarter at 0 scaled to the staff";
}

}  // namespace
}  // namespace ql::testing_notedraw
