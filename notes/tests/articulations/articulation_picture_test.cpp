// Articulations drawn into the score window at zoom 16: staccato, accent, tenuto,
// fermata and trill put on stem-up and stem-down quarters by clicks of the
// articulation tool, with no staff lines so that a note's column holds only its own
// ink. From the pixels: each mark stands on the side its rule gives (beyond the stem
// end when that side is the stem's), nothing stands on the other side, and the mark
// is centred on its head's column. The picture is written for review.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/model/score_document.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/articulations/articulation_fixture.h"

namespace ql::testing_notedraw {
namespace {

constexpr int32_t kZoom = 16;
constexpr int kMeasures = 3;
constexpr int kStemUpPosition = -2;    // a space below the middle line
constexpr int kStemDownPosition = -6;  // a space above it
constexpr int kCentreTolerance = 1;

enum class Side { Above, Below };

struct Mark {
    const char* name;
    ArticulationPalette palette;
    int entry;
    bool stemUp;
    Side side;  // what the rules give
};

// Staccato and tenuto are the note's own bits (head side); the accent (Accents entry
// 10) goes to the head side too; fermata (Ornaments 28) and trill (Ornaments 0) above.
const Mark kMarks[] = {
    {"staccato up", ArticulationPalette::Accents, 2, true, Side::Below},
    {"accent up", ArticulationPalette::Accents, 10, true, Side::Below},
    {"tenuto up", ArticulationPalette::Accents, 1, true, Side::Below},
    {"fermata up", ArticulationPalette::Ornaments, 28, true, Side::Above},
    {"trill up", ArticulationPalette::Ornaments, 0, true, Side::Above},
    {"staccato down", ArticulationPalette::Accents, 2, false, Side::Above},
    {"accent down", ArticulationPalette::Accents, 10, false, Side::Above},
    {"tenuto down", ArticulationPalette::Accents, 1, false, Side::Above},
    {"fermata down", ArticulationPalette::Ornaments, 28, false, Side::Above},
    {"trill down", ArticulationPalette::Ornaments, 0, false, Side::Above},
};
constexpr int kMarkCount = static_cast<int>(std::size(kMarks));

class ArticulationPicture : public ArticulationTest {
  protected:
    void SetUp() override {
        ArticulationTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        BuildScore(1, kMeasures, kZoom);
        for (int i = 0; i < kMarkCount; ++i) {
            const Mark& mark = kMarks[i];
            notes_[i] = Quarter(MeasureOf(i), i % 4, mark.stemUp ? kStemUpPosition : kStemDownPosition);
        }
        for (int measure = 1; measure <= kMeasures; ++measure) Restem(1, measure);
        const gfx::Point far = Device(TickX(kMeasures, 4 * kBeat) + 4 * kSpace, BottomY(1) + 8 * kSpace);
        SizeWindow(far.x, far.y);
        for (int i = 0; i < kMarkCount; ++i) {
            Choose(kMarks[i].palette, kMarks[i].entry);
            Click(notes_[i], MeasureOf(i));
        }
        for (int measure = 1; measure <= kMeasures; ++measure) DrawCell(1, measure);
        EXPECT_TRUE(WritePng("articulations_zoom16.png"));
    }

    static int MeasureOf(int i) { return 1 + i / 4; }
    static int TickOf(int i) { return (i % 4) * kBeat; }

    // The head's centre column and the rows the note's own ink spans (head and stem).
    struct NoteInk {
        int column = 0;
        int top = 0;
        int bottom = 0;
    };
    NoteInk InkOf(int i) {
        const EventRecord& note = *notes_[i];
        const int32_t x = TickX(MeasureOf(i), TickOf(i)) + view_->glyphWidths.black / 2;
        const int32_t y = BottomY(1) + NotePosition(note) * kStep;
        const int32_t stemEnd = y + note.stemLength;
        NoteInk ink;
        ink.column = Device(x, y).x;
        ink.top = Device(x, std::min(y - kSpace / 2, stemEnd)).y;
        ink.bottom = Device(x, std::max(y + kSpace / 2, stemEnd)).y;
        return ink;
    }

    // The ink of rows [y0, y1) within a band of columns: its column extent.
    struct Extent {
        int left = 1 << 20;
        int right = -1;
        int rows = 0;
    };
    Extent InkIn(int x0, int x1, int y0, int y1) const {
        Extent e;
        for (int y = std::max(y0, 0); y < y1; ++y) {
            bool row = false;
            for (int x = std::max(x0, 0); x <= x1; ++x)
                if (IsInk(x, y)) {
                    e.left = std::min(e.left, x);
                    e.right = std::max(e.right, x);
                    row = true;
                }
            e.rows += row;
        }
        return e;
    }

    EventRecord* notes_[kMarkCount] = {};
};

// Every mark on its side, beyond the note's head and stem, and centred on the head.
TEST_F(ArticulationPicture, MarksStandOnTheirSideCentredOnTheHead) {
    const int band = Device(kSpace + kSpace / 2, 0).x - Device(0, 0).x;
    const int reach = Device(0, 6 * kSpace).y - Device(0, 0).y;
    for (int i = 0; i < kMarkCount; ++i) {
        const NoteInk note = InkOf(i);
        const int gap = 1;
        const Extent above = InkIn(note.column - band, note.column + band, note.top - reach, note.top - gap);
        const Extent below =
            InkIn(note.column - band, note.column + band, note.bottom + gap + 1, note.bottom + reach);
        const Extent& mark = kMarks[i].side == Side::Above ? above : below;
        const Extent& other = kMarks[i].side == Side::Above ? below : above;
        ASSERT_GT(mark.rows, 0) << kMarks[i].name << ": no mark on its side";
        EXPECT_EQ(other.rows, 0) << kMarks[i].name << ": ink on the other side";
        EXPECT_NEAR((mark.left + mark.right) / 2.0, note.column, kCentreTolerance + 0.5)
            << kMarks[i].name << ": columns " << mark.left << ".." << mark.right;
    }
}

}  // namespace
}  // namespace ql::testing_notedraw
