// Drawing the marks on a headless window (pictures in the build's test-output
// folder): a hidden tempo mark and the show-hidden option, the tempo number's place,
// a pedal mark without a symbol, a hairpin split across a system's end, one on the
// page in the scroll view and one re-anchored at its dragged handles, and a chord
// symbol's diagram and name, and the box measured around them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "display/view_location.h"
#include "layout/system_span.h"
#include "objects/chord/chord_class.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/text/text_ink_tap.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"

namespace ql::testing_marks {
namespace {

constexpr int kBandHalf = 40;  // device pixels searched around a point

class MarksDrawingTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "music fonts not built";
        UseDialogs();
    }
    // Clears the window and draws the object in its measure.
    void DrawAlone(ScoreObject* object, int staff, int measure) {
        ClearWindow();
        SetCurrentMeasure(view_, staff, measure);
        ClassOf(object).Draw(object, view_);
    }
    // Ink pixels in a band around a logical point.
    int InkAround(LogicalPoint at, int half = kBandHalf) {
        const gfx::Point d = Device(at.x, at.y);
        return InkIn(std::max(0, d.x - half), std::max(0, d.y - half), d.x + half, d.y + half);
    }
    // Pixels not white in a band around a point.
    int PaintedAround(LogicalPoint at, int half = kBandHalf) {
        const gfx::Point d = Device(at.x, at.y);
        int painted = 0;
        for (int y = std::max(0, d.y - half); y <= d.y + half; ++y)
            for (int x = std::max(0, d.x - half); x <= d.x + half; ++x)
                painted += (Pixel(x, y) & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
        return painted;
    }
    // The rightmost ink column in a band of rows around a point.
    int RightmostInk(LogicalPoint at, int half = kBandHalf) {
        const gfx::Point d = Device(at.x, at.y);
        int right = -1;
        for (int y = std::max(0, d.y - half); y <= d.y + half; ++y)
            for (int x = std::max(0, d.x - half); x <= d.x + 4 * half; ++x)
                if (IsInk(x, y)) right = std::max(right, x);
        return right;
    }
    ScoreObject* TempoWithNumber(LogicalPoint at) {
        ui::headless::SetDialogScript(kTempoDialogId, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
        return Place(ObjectType::Tempo, at);
    }
};

TEST_F(MarksDrawingTest, HiddenTempoMarkShowsOnlyWithShowHidden) {
    BuildScore(1);
    const LogicalPoint at = PointIn(1, 2, 300);
    ScoreObject* mark = TempoWithNumber(at);
    ASSERT_NE(mark, nullptr);
    DrawAlone(mark, 1, 2);
    const int shown = InkAround(at);
    EXPECT_GT(shown, 0);
    Text(mark).flags |= kTextHidden;
    DrawAlone(mark, 1, 2);
    EXPECT_EQ(InkAround(at), 0);
    // Shown hidden marks are drawn faint (light grey), as the text family draws them.
    Options().ShowHidden = 1;
    DrawAlone(mark, 1, 2);
    EXPECT_EQ(InkAround(at), 0);
    EXPECT_GT(PaintedAround(at), 0);
    WritePng("tempo_hidden_shown.png");
}

TEST_F(MarksDrawingTest, LeftAtColumnZeroMovesTheNumberFarRight) {
    BuildScore(1);
    const LogicalPoint at = PointIn(1, 2, 300);
    ScoreObject* mark = TempoWithNumber(at);
    ASSERT_NE(mark, nullptr);
    MidiAction& action = Action(mark);
    action.flags = static_cast<uint16_t>(action.flags & ~0xF000);  // column 0
    DrawAlone(mark, 1, 2);
    const int nearRight = RightmostInk(at);
    WritePng("tempo_number_column0.png");
    ClassOf(mark).OnKey(mark, view_, kKeyLeft);
    ASSERT_EQ(TempoNumberColumn(action), 15);
    DrawAlone(mark, 1, 2);
    const int farRight = RightmostInk(at);
    WritePng("tempo_number_column15.png");
    // 15 places of 16 units each: 240 units further right.
    const int shift = Device(at.x + 240, at.y).x - Device(at.x, at.y).x;
    EXPECT_GT(nearRight, 0);
    EXPECT_NEAR(farRight - nearRight, shift, 2);
}

TEST_F(MarksDrawingTest, PedalWithoutSymbolDrawsNothing) {
    BuildScore(1);
    const LogicalPoint at = PointIn(1, 1, 300);
    ScoreObject* pedal = Place(ObjectType::Pedal, at);
    ASSERT_NE(pedal, nullptr);
    DrawAlone(pedal, 1, 1);
    EXPECT_GT(InkAround(at), 0);
    Text(pedal).string = 0;
    DrawAlone(pedal, 1, 1);
    EXPECT_EQ(InkAround(at), 0);
}

TEST_F(MarksDrawingTest, HairpinPastSystemEndIsDrawnInTwoPieces) {
    BuildScore(1, 2);
    MarkTools().diminuendo = false;
    // A crescendo starting near the end of the first system's last measure.
    SetCurrentMeasure(view_, 1, kMeasuresPerSystem);
    const SystemSpan span = CurrentSystemSpan(view_);
    ASSERT_TRUE(span.hasNext);
    const LogicalPoint at = PointIn(1, kMeasuresPerSystem, 0);
    const LogicalPoint start{span.endLine - 400, at.y};
    ScoreObject* object = Place(ObjectType::Hairpin, start);
    ASSERT_NE(object, nullptr);
    SetCurrentMeasure(view_, 1, kMeasuresPerSystem);
    const HairpinShape shape = DecodeHairpinShape(AsHairpin(object), view_);
    const gfx::Point outline[3] = {{shape.upper.x, shape.upper.y}, {shape.apex.x, shape.apex.y},
                                   {shape.lower.x, shape.lower.y}};
    // The wedge is drawn on both systems: the apex's part up to the end line on the
    // first, the open ends' parts moved onto the second (each end its own stroke).
    const auto pieces = SplitPolylinePieces(view_, outline, 3);
    int onFirst = 0;
    int onSecond = 0;
    for (const auto& piece : pieces) {
        const bool near = std::all_of(piece.begin(), piece.end(), [&](gfx::Point p) { return p.x <= span.endLine; });
        const bool moved = std::all_of(piece.begin(), piece.end(), [&](gfx::Point p) { return p.y > shape.lower.y; });
        onFirst += near && !moved ? 1 : 0;
        onSecond += moved ? 1 : 0;
    }
    EXPECT_EQ(onFirst, 1);
    EXPECT_EQ(onSecond, 2);
    EXPECT_EQ(onFirst + onSecond, static_cast<int>(pieces.size()));
    DrawAlone(object, 1, kMeasuresPerSystem);
    WritePng("hairpin_split.png");
    // Ink at the apex on the first system, and on the second system where the
    // open ends were carried.
    EXPECT_GT(InkAround(shape.apex, 6), 0);
    const gfx::Point carried = WrapPointToNextSystem(view_, gfx::Point{shape.upper.x, shape.upper.y});
    EXPECT_NE(carried.y, shape.upper.y);
    EXPECT_GT(InkAround({carried.x, carried.y}, 6), 0);
    // Nothing past the first system's end line on the first system.
    const gfx::Point end = Device(span.endLine, shape.apex.y);
    EXPECT_EQ(InkIn(end.x + 3, end.y - 20, end.x + 40, end.y + 20), 0);
}

TEST_F(MarksDrawingTest, PageHairpinIsNotDrawnInScrollView) {
    BuildScore(1);
    const LogicalPoint at = PointIn(1, 1, 300);
    PointAt(at);
    view_->currentPage->pageNumber = -1;  // a master page: page attached
    ScoreObject* object = ClassOf(Prototype(ObjectType::Hairpin)).CreateAtClick(Prototype(ObjectType::Hairpin), view_);
    view_->currentPage->pageNumber = 1;
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->subtype, SubtypeCode(ObjectSubtype::PageList));
    const HairpinShape shape = DecodeHairpinShape(AsHairpin(object), view_);
    ClearWindow();
    ClassOf(object).Draw(object, view_);
    EXPECT_GT(InkAround(shape.apex, 6), 0);
    view_->pageView = 0;
    ClearWindow();
    ClassOf(object).Draw(object, view_);
    EXPECT_EQ(InkAround(shape.apex, 6), 0);
    view_->pageView = 1;
}

// Shift while an end of a hairpin is dragged re-anchors the wedge at its handles:
// the old picture goes from the window and the new one is drawn at once.
TEST_F(MarksDrawingTest, ReanchoringAHairpinRedrawsItWhereItsHandlesStand) {
    BuildScore(1);
    MarkTools().diminuendo = false;
    ScoreObject* object = Place(ObjectType::Hairpin, PointIn(1, 1, 100));
    ASSERT_NE(object, nullptr);
    SetCurrentMeasure(view_, 1, 1);
    const HairpinShape before = DecodeHairpinShape(AsHairpin(object), view_);
    DrawAlone(object, 1, 1);
    ASSERT_GT(InkAround(before.upper, 4), 0);
    HitRecord* chain = ClassOf(object).BuildHandles(object, view_);
    ASSERT_NE(chain, nullptr);
    SelectionState* selection = TheSelectionState();
    selection->focusRecord = Ref32<HitRecord>::To(chain);
    selection->focusedObject = Ref32<ScoreObject>::To(object);
    selection->grabbedRecord = chain->child;  // the upper end
    selection->dragOffsetX = 0;
    selection->dragOffsetY = -600;
    ClassOf(object).TrackDrag(object, view_);
    ClassOf(object).Invalidate(object, view_);
    WritePng("hairpin_reanchored.png");
    const HairpinShape after = DecodeHairpinShape(AsHairpin(object), view_);
    selection->focusRecord = selection->grabbedRecord = Ref32<HitRecord>{};
    selection->focusedObject = Ref32<ScoreObject>{};
    FreeHitRecordChain(chain);
    FreeHitRecord(chain);
    ASSERT_EQ(after.upper.y, before.upper.y - 600);
    EXPECT_EQ(InkAround(before.upper, 4), 0) << "the old upper line stays on the window";
    EXPECT_GT(InkAround(after.upper, 4), 0) << "the new upper line is not drawn";
    EXPECT_GT(InkAround(after.lower, 4), 0);
}

TEST_F(MarksDrawingTest, ChordShowsDiagramAndRaisedName) {
    BuildScore(1);
    const LogicalPoint at = PointIn(1, 2, 300);
    ui::headless::SetDialogScript(kChordDialogId, [](ui::headless::DialogDriver& d) {
        d.Click(chord_dialog::kFirstRoot + 3);  // F
        d.Click(chord_dialog::kRootSharp);
        d.Click(chord_dialog::kFirstQuality + 5);  // minor 7
        d.Click(chord_dialog::kFirstBass);         // over C sharp
        d.Click(ui::kIdOk);
    });
    ScoreObject* chord = Place(ObjectType::Chord, at);
    ASSERT_NE(chord, nullptr);
    const int window = 120;
    ChordFields& fields = AsChordSymbol(chord)->chord;
    DrawAlone(chord, 1, 2);
    WritePng("chord_symbol_and_name.png");
    const int both = InkAround(at, window);
    fields.showName = 0;
    DrawAlone(chord, 1, 2);
    const int symbolOnly = InkAround(at, window);
    fields.showName = 1;
    fields.showSymbol = 0;
    DrawAlone(chord, 1, 2);
    WritePng("chord_name_only.png");
    const int nameOnly = InkAround(at, window);
    // Each part draws, and together they draw both.
    EXPECT_GT(symbolOnly, 0);
    EXPECT_GT(nameOnly, 0);
    EXPECT_GT(both, symbolOnly);
    EXPECT_GT(both, nameOnly);
    // Up raises the drawn name: its ink's top row moves up.
    const auto topInk = [&] {
        const gfx::Point d = Device(at.x, at.y);
        for (int y = std::max(0, d.y - window); y <= d.y + window; ++y)
            for (int x = std::max(0, d.x - window); x <= d.x + window; ++x)
                if (IsInk(x, y)) return y;
        return -1;
    };
    const int before = topInk();
    ClassOf(chord).OnKey(chord, view_, kKeyUp);
    ClassOf(chord).OnKey(chord, view_, kKeyUp);
    DrawAlone(chord, 1, 2);
    const int after = topInk();
    EXPECT_EQ(before - after, Device(at.x, at.y).y - Device(at.x, at.y - 32).y);
}

// The box measured for a chord symbol holds every run its drawing inks, the
// name's accidentals and its raise by the Up key counted, and is no taller than
// the ink's height and a text line's cell (the name's ascent and descent). The
// name's sharps stand about as tall as its root letter.
TEST_F(MarksDrawingTest, ChordExtentHoldsWhatItsDrawingInks) {
    BuildScore(1);
    ui::headless::SetDialogScript(kChordDialogId, [](ui::headless::DialogDriver& d) {
        d.Click(chord_dialog::kFirstRoot + 3);  // F sharp minor 7 over C sharp
        d.Click(chord_dialog::kRootSharp);
        d.Click(chord_dialog::kFirstQuality + 5);
        d.Click(chord_dialog::kFirstBass);
        d.Click(ui::kIdOk);
    });
    ScoreObject* chord = Place(ObjectType::Chord, PointIn(1, 2, 300));
    ASSERT_NE(chord, nullptr);
    ChordFields& fields = AsChordSymbol(chord)->chord;
    constexpr int32_t kSlack = 16;  // ink boxes are rounded out to whole device pixels
    const struct {
        uint8_t showName, showSymbol;
        int ups;
    } cases[] = {{1, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 3}};
    for (const auto& c : cases) {
        fields.showName = c.showName;
        fields.showSymbol = c.showSymbol;
        for (int k = 0; k < c.ups; ++k) ClassOf(chord).OnKey(chord, view_, kKeyUp);
        std::vector<gfx::Rect> inks, accidentals;
        int32_t letter = 0;  // the root letter's ink height
        const text::TextInkTap before = text::SetTextInkTap([&](const text::TextInk& ink) {
            inks.push_back(ink.box);
            if (ink.face == kMusicFontFace) accidentals.push_back(ink.box);
            if (ink.bytes == "F") letter = ink.box.bottom - ink.box.top;
        });
        DrawAlone(chord, 1, 2);
        text::SetTextInkTap(before);
        const LogicalPoint at = TextObjectAnchorPoint(chord, view_);
        const RecordRect extent = ChordSymbolExtent(chord, view_);
        const RecordRect box{at.x + extent.left, at.y + extent.top, at.x + extent.right,
                             at.y + extent.bottom};
        ASSERT_FALSE(inks.empty());
        int32_t inkTop = inks[0].top, inkBottom = inks[0].bottom;
        for (const gfx::Rect& ink : inks) {
            EXPECT_TRUE(ink.left >= box.left - kSlack && ink.right <= box.right + kSlack &&
                        ink.top >= box.top - kSlack && ink.bottom <= box.bottom + kSlack)
                << "name " << int{c.showName} << " symbol " << int{c.showSymbol} << " ups "
                << c.ups;
            inkTop = std::min(inkTop, ink.top);
            inkBottom = std::max(inkBottom, ink.bottom);
        }
        EXPECT_LE(box.bottom - box.top,
                  inkBottom - inkTop + view_->document->fonts[kChordNameStyle].height);
        EXPECT_EQ(accidentals.size(), c.showName != 0 ? 2u : 0u);
        for (const gfx::Rect& sign : accidentals) {
            EXPECT_LE(sign.bottom - sign.top, letter * 5 / 4) << "a sharp no taller than its letter and a quarter";
            EXPECT_GE(sign.bottom - sign.top, letter / 2);
        }
    }
}

// Dark pixels of a control's own image.
int DarkPixelsOf(platform::WindowHandle control) {
    int dark = 0;
    for (const gfx::Colour c : gfx::ReadBitmapPixels(win::GetWindowImage(control)))
        dark += gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c) < 3 * 128 ? 1 : 0;
    return dark;
}

TEST_F(MarksDrawingTest, ChordDialogPreviewFollowsTheChoices) {
    BuildScore(1);
    int both = 0;
    int nameOnly = 0;
    int symbolOnly = 0;
    ui::headless::SetDialogScript(kChordDialogId, [&](ui::headless::DialogDriver& d) {
        const platform::WindowHandle preview = d.Item(chord_dialog::kPreview);
        d.Click(chord_dialog::kFirstQuality + 5);
        d.RequestDraw(chord_dialog::kPreview, 0);
        both = DarkPixelsOf(preview);
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        gfx::WritePng(win::GetWindowImage(preview),
                      (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "chord_dialog_preview.png").string());
        d.Click(chord_dialog::kNameOnly);
        d.RequestDraw(chord_dialog::kPreview, 0);
        nameOnly = DarkPixelsOf(preview);
        d.Click(chord_dialog::kSymbolOnly);
        d.RequestDraw(chord_dialog::kPreview, 0);
        symbolOnly = DarkPixelsOf(preview);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(Place(ObjectType::Chord, PointIn(1, 1, 300)), nullptr);
    EXPECT_GT(nameOnly, 0);
    EXPECT_GT(symbolOnly, 0);
    EXPECT_GT(both, nameOnly);
    EXPECT_GT(both, symbolOnly);
}

}  // namespace
}  // namespace ql::testing_marks
