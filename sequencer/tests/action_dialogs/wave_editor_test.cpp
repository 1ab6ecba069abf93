// The wave editor driven by headless mouse input on its drawing area: what a
// click selects, dragging with the clamps of the envelope's range, OK writing
// points 1..7 only, Cancel and closing leaving the record alone, XOR drawing that
// erases itself, and the subdivision of a segment.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/mapping.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "sequencer/wave_editor.h"

namespace ql {
namespace {

using ui::headless::DialogDriver;

// Start 300, scale 127 and the default points.
constexpr EnvelopeRecord kDefaultRecord = {300,  127,   2048, 0,    2048, -2048, 4096, -2048,
                                           4096, -2048, 6144, -2048, 6144, 0,     8192, 0};

class WaveEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        win::headless::ResetWindowLayer();
        ui::headless::ResetUi();
    }
    void TearDown() override {
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
    }

    // Runs the editor on `record_` with `script` as the user.
    int Run(const std::function<void(DialogDriver&)>& script) {
        ui::headless::SetDialogScript(kWaveEditorDialogId, [script](DialogDriver& d) { script(d); });
        return OpenMidiWaveEditor({}, &record_);
    }

    static gfx::Mapping MappingOf(platform::WindowHandle area) {
        const win::Rect client = win::GetClientRect(area);
        return WaveMapping({client.Width(), client.Height()});
    }
    // The client pixel nearest a logical point, and back.
    static gfx::Point ToClient(platform::WindowHandle area, gfx::Point logical) {
        return gfx::MapLogicalToDevice(MappingOf(area), logical);
    }
    static gfx::Point ToLogical(platform::WindowHandle area, gfx::Point client) {
        return gfx::MapDeviceToLogical(MappingOf(area), client);
    }

    // Presses at `from`, moves to `to` and releases (logical units).
    static void Drag(DialogDriver& d, gfx::Point from, gfx::Point to) {
        const platform::WindowHandle area = d.Item(kWaveAreaId);
        win::headless::PostMouse(area, win::Message::LeftButtonDown, ToClient(area, from), win::kMouseLeftButton);
        win::headless::PostMouse(area, win::Message::MouseMove, ToClient(area, to), win::kMouseLeftButton);
        win::headless::PostMouse(area, win::Message::LeftButtonUp, ToClient(area, to));
        d.PumpMessages();
    }

    EnvelopeRecord record_ = kDefaultRecord;
};

TEST_F(WaveEditorTest, AClickFarFromEveryPointSelectsNothing) {
    // Point 0 at (0, 0) is never a candidate and is 2,048 units from point 1.
    Run([](DialogDriver& d) {
        Drag(d, {0, 0}, {1000, 1000});
        Drag(d, {2048 + 300, 0}, {3000, 500});
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(record_, kDefaultRecord);
}

TEST_F(WaveEditorTest, OkWritesTheDraggedPointAndKeepsStartAndScale) {
    gfx::Point moved{};
    ASSERT_EQ(Run([&](DialogDriver& d) {
                  const platform::WindowHandle area = d.Item(kWaveAreaId);
                  // The pointer lands on pixels; the point moves by their logical distance.
                  const gfx::Point from = ToLogical(area, ToClient(area, {2048 + 100, -100}));
                  const gfx::Point to = ToLogical(area, ToClient(area, {2048 + 900, 400}));
                  moved = {2048 + to.x - from.x, to.y - from.y};
                  Drag(d, {2048 + 100, -100}, {2048 + 900, 400});
                  d.Click(ui::kIdOk);
              }),
              ui::kIdOk);
    EXPECT_EQ(record_[0], 300);
    EXPECT_EQ(record_[1], 127);
    EXPECT_EQ(record_[2], moved.x);
    EXPECT_EQ(record_[3], moved.y);
    EXPECT_NE(record_[2], 2048);
    for (size_t w = 4; w < record_.size(); ++w) EXPECT_EQ(record_[w], kDefaultRecord[w]) << "word " << w;
}

TEST_F(WaveEditorTest, DragsPastTheAreaAreClampedAndTheLastPointKeepsItsX) {
    Run([](DialogDriver& d) {
        const platform::WindowHandle area = d.Item(kWaveAreaId);
        const win::Rect client = win::GetClientRect(area);
        const gfx::Point farCorner = ToLogical(area, {client.right - 1, 0});
        const gfx::Point nearCorner = ToLogical(area, {0, client.bottom - 1});
        Drag(d, {4096, -2048}, farCorner);   // point 3 up and right, beyond the area
        Drag(d, {2048, -2048}, nearCorner);  // point 2 down and left
        Drag(d, {8192, 0}, nearCorner);      // point 7: only its y follows
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(record_[6], kWaveRight);
    EXPECT_EQ(record_[7], kWaveTop);
    EXPECT_EQ(record_[4], 0);
    EXPECT_EQ(record_[5], kWaveBottom);
    EXPECT_EQ(record_[14], kWaveRight);
    EXPECT_EQ(record_[15], kWaveBottom);
}

TEST_F(WaveEditorTest, CancelAndClosingLeaveTheRecordAlone) {
    bool ownerSeenDisabled = false;
    const platform::WindowHandle owner = [] {
        win::WindowClass cls;
        cls.name = "WaveOwner";
        cls.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = cls.name;
        params.style = win::kStyleOverlappedWindow;
        params.rect = {0, 0, 200, 200};
        return win::CreateWindow(params);
    }();
    ui::headless::SetDialogScript(kWaveEditorDialogId, [&](DialogDriver& d) {
        ownerSeenDisabled = !win::IsWindowEnabled(owner);
        Drag(d, {2048, 0}, {3000, 700});
        d.Click(ui::kIdCancel);
    });
    ASSERT_TRUE(win::IsWindowEnabled(owner));
    EXPECT_EQ(OpenMidiWaveEditor(owner, &record_), ui::kIdCancel);
    EXPECT_TRUE(ownerSeenDisabled);
    EXPECT_TRUE(win::IsWindowEnabled(owner));
    EXPECT_EQ(record_, kDefaultRecord);

    EXPECT_EQ(Run([](DialogDriver& d) {
                  Drag(d, {2048, 0}, {3000, 700});
                  win::PostMessage(d.Dialog(), win::Message::Close);
                  d.PumpMessages();
              }),
              ui::kIdCancel);
    EXPECT_EQ(record_, kDefaultRecord);
}

TEST_F(WaveEditorTest, HandlesDrawnTwiceLeaveTheImageAsItWas) {
    Run([](DialogDriver& d) {
        const platform::WindowHandle area = d.Item(kWaveAreaId);
        win::UpdateWindow(area);
        const platform::BitmapHandle image = win::GetWindowImage(area);
        const std::vector<gfx::Colour> painted = gfx::ReadBitmapPixels(image);
        const std::filesystem::path png = std::filesystem::path(QL_TEST_OUTPUT_DIR) / "wave_editor_default.png";
        EXPECT_TRUE(gfx::WritePng(image, png.string()));

        const platform::DcHandle dc = win::GetWindowContext(area);
        const gfx::Mapping m = MappingOf(area);
        gfx::SetMapMode(dc, m.mode);
        gfx::SetWindowExtent(dc, m.windowExtent);
        gfx::SetWindowOrigin(dc, m.windowOrigin);
        const WaveEditorState state = WaveStateFromRecord(kDefaultRecord);
        DrawWaveHandles(dc, state);
        EXPECT_NE(gfx::ReadBitmapPixels(image), painted);  // the handles show
        DrawWaveHandles(dc, state);
        win::ReleaseWindowContext(area, dc);
        EXPECT_EQ(gfx::ReadBitmapPixels(image), painted);
    });
}

TEST(WaveSubdivision, StopsWhenFlatOrAtTheDepthBound) {
    // A straight segment is already flat: only its end point is appended.
    std::vector<gfx::Point> line;
    SubdivideBezier({gfx::Point{0, 0}, {100, 0}, {200, 0}, {300, 0}}, 20, &line);
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0], (gfx::Point{300, 0}));
    // A curve split until flat ends at its end point, each chord end on the curve.
    std::vector<gfx::Point> curve;
    SubdivideBezier({gfx::Point{0, 0}, {0, -2048}, {4096, -2048}, {4096, 0}}, 20, &curve);
    EXPECT_GT(curve.size(), 8u);
    EXPECT_EQ(curve.back(), (gfx::Point{4096, 0}));
    for (const gfx::Point& p : curve) EXPECT_LE(p.y, 0);
    // No tolerance: stopped by the depth bound, 2^12 chords.
    std::vector<gfx::Point> deepest;
    SubdivideBezier({gfx::Point{0, 0}, {0, -2048}, {4096, 2048}, {4096, 0}}, 0, &deepest);
    EXPECT_EQ(deepest.size(), 4096u);
}

}  // namespace
}  // namespace ql
