// A page with one object of each anchor kind and one attached to a note, each drawn
// as a small cross at its decoded point over the staff lines, at zoom 16; the
// picture is written for review and each cross is found at its expected pixel.
#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/tests/locate/locate_fixture.h"
#include "display/view_location.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_locate {
namespace {

constexpr int kZoom = 16;
constexpr int kStaffLines = 5;
constexpr int32_t kSpace = 128;
constexpr int kArmPixels = 4;
constexpr int kInkThreshold = 128;
constexpr int kPixelTolerance = 1;

class AnchorsPicture : public LocateTest {
  protected:
    void SetUp() override {
        LocateTest::SetUp();
        win::WindowClass cls;
        cls.name = "QLMdiChild";
        cls.procedure = [](win::WindowHandle w, win::Message m, uint32_t word, intptr_t data) {
            return win::DefaultWindowProc(w, m, word, data);
        };
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = "QLMdiChild";
        params.style = win::kStyleVisible;
        params.rect = win::Rect{0, 0, 64, 64};
        window_ = win::CreateWindow(params);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = 96;
    }
    void TearDown() override {
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        LocateTest::TearDown();
    }
    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        gfx::MoveTo(view_->ViewDC, gfx::Point{x0, y0});
        gfx::LineTo(view_->ViewDC, gfx::Point{x1, y1});
    }
    bool IsInk(int x, int y) const {
        gfx::Colour c = gfx::GetBitmapPixel(win::GetWindowImage(window_), x, y);
        return c != gfx::kInvalidColour &&
               (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    // The middle of the ink run through (x, y) along a row or a column, within the arm.
    double RunMiddle(gfx::Point at, bool alongRow) const {
        int lo = 0;
        int hi = 0;
        auto ink = [&](int d) {
            return alongRow ? IsInk(at.x + d, at.y) : IsInk(at.x, at.y + d);
        };
        const int reach = kArmPixels + 3;
        for (int d = -reach; d <= reach; ++d)
            if (ink(d)) { lo = d; break; }
        for (int d = reach; d >= -reach; --d)
            if (ink(d)) { hi = d; break; }
        return (alongRow ? at.x : at.y) + (lo + hi) / 2.0;
    }

    win::WindowHandle window_;
};

TEST_F(AnchorsPicture, EachKindsCrossStandsAtItsDecodedPoint) {
    BuildScore(1, {1}, 4);
    view_->ViewWindow = window_;
    view_->zoom = kZoom;
    ScoreSystem* system = System(0);
    const int32_t top = StaffTopY(system, 1);
    Locate(1, 1);
    // Points to anchor, in logical units, away from the staff lines.
    const std::vector<std::pair<int, LogicalPoint>> wanted = {
        {0, {SlotContent(system, 2) + TimeToX(view_, 0), top - 3 * kSpace}},
        {1, {system->x + 64, top - 6 * kSpace}},
        {2, {SlotLeft(system, 3) + 200, top + 6 * kSpace}},
        {4, {SlotLeft(system, 4) + 100, top - 4 * kSpace - 64}},
    };
    std::vector<LogicalPoint> decoded;
    for (const auto& [kind, p] : wanted) {
        ObjectLocation anchor{};
        LocationRecord record{};
        Locate(1, 1);
        EncodeAnchors(view_, &record, kind, &anchor, &p, 1);
        Locate(1, kind == 1 ? 1 : record.location.measure);
        LogicalPoint back{};
        DecodeAnchors(view_, kind, &anchor, &back, 1);
        decoded.push_back(back);
        EXPECT_EQ(back, p) << "kind " << kind;
    }
    // A mark on a note of measure 3: 300 units right of the note, two spaces above it.
    Locate(1, 3);
    EventRecord* note = AddNote(0, 2048, -4);
    auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
    ConstructTextObject(text);
    text->header.type = TypeCode(ObjectType::Text);
    text->header.subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
    ASSERT_EQ(AttachObjectToNote(view_, note, &text->header), 1);
    const LogicalPoint noteMark{SlotContent(system, 3) + TimeToX(view_, 2048) + 300,
                                view_->staffY - 4 * 64 - 2 * kSpace};
    PointToNoteAnchor(view_, &text->header, &text->body.location, noteMark);
    LogicalPoint back{};
    NoteAnchorToPoint(view_, &text->header, &text->body.location, &back);
    EXPECT_EQ(back, noteMark);
    decoded.push_back(back);

    const int32_t right = SlotLeft(system, 5);
    win::MoveWindow(window_,
                    win::Rect{0, 0, (right - kLogicalOrigin + 2 * kSpace) * kZoom / kSpace,
                              (top - kLogicalOrigin + 10 * kSpace) * kZoom / kSpace},
                    false);
    BeginViewDraw(view_);
    const int32_t arm = kArmPixels * kSpace / kZoom;
    for (int line = 0; line < kStaffLines; ++line)
        Line(system->x, top + line * kSpace, right, top + line * kSpace);
    for (const LogicalPoint& p : decoded) {
        Line(p.x - arm, p.y, p.x + arm + 1, p.y);
        Line(p.x, p.y - arm, p.x, p.y + arm + 1);
    }
    std::vector<gfx::Point> pixels;
    for (const LogicalPoint& p : decoded) pixels.push_back(gfx::LogicalToDevice(view_->ViewDC, p));
    EndViewDraw(view_);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(
        win::GetWindowImage(window_),
        (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "anchors_page_zoom16.png").string()));
    for (size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_TRUE(IsInk(pixels[i].x, pixels[i].y)) << "cross " << i;
        EXPECT_NEAR(RunMiddle(pixels[i], true), pixels[i].x, kPixelTolerance) << "cross " << i;
        EXPECT_NEAR(RunMiddle(pixels[i], false), pixels[i].y, kPixelTolerance) << "cross " << i;
    }
}

}  // namespace
}  // namespace ql::testing_locate
