// Start-up and shut-down of the core services: after a score has been opened in a
// view, drawn, closed and the services shut down, no platform object and no arena
// block is left; and shut-down is safe to repeat.
#include "shell/program/core_startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/core_strings.h"
#include "core/draw/draw_surface.h"
#include "core/memory/arena.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "platform/gfx/detail/registry.h"
#include "platform/sys/resources.h"
#include "platform/text/font.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 360;
constexpr int kMeasureCount = 4;

// Live platform objects of every kind the score code makes.
struct PlatformCounts {
    size_t fonts = text::LiveFontCount();
    size_t pens = gfx::detail::Reg().pens.LiveCount();
    size_t brushes = gfx::detail::Reg().brushes.LiveCount();
    size_t bitmaps = gfx::detail::Reg().bitmaps.LiveCount();
    size_t contexts = gfx::detail::Reg().contexts.LiveCount();
};

class CoreStartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
        if (!std::filesystem::exists(font)) GTEST_SKIP() << "the music font is not built";
        ResetProgramState();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = 96;
        arenaBefore_ = ArenaBytesInUse();
    }
    void TearDown() override {
        ShutdownCoreServices();
        ResetProgramState();
    }

    static platform::WindowHandle ScoreWindow() {
        win::WindowClass cls;
        cls.name = kScoreWindowClass;
        cls.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = kScoreWindowClass;
        params.style = win::kStyleVisible;
        params.rect = win::Rect{0, 0, kWindowWidth, kWindowHeight};
        return win::CreateWindow(params);
    }

    // A two-staff score of a few measures in an activated view of a window.
    void OpenScore() {
        view_ = InitView(AllocView());
        view_->ViewWindow = ScoreWindow();
        LinkView(view_);
        document_ = AllocDocument();
        ASSERT_EQ(CreateDocument(document_, view_, nullptr), document_);
        ASSERT_EQ(document_->header.staffCount, 2);
        document_->header.measureCount = kMeasureCount;
        for (int s = 0; s <= document_->header.staffCount; ++s)
            document_->staves->staves[s] =
                Ref32<StaffRecord>::To(ConstructStaffRecord(AllocStaffRecord(), view_));
        ASSERT_EQ(ActivateView(view_), view_);
    }
    void CloseScore() {
        platform::WindowHandle window = view_->ViewWindow;
        FreeView(view_);
        win::DestroyWindow(window);
        FreeDocument(document_);
        view_ = nullptr;
        document_ = nullptr;
    }

    size_t arenaBefore_ = 0;
    ScoreView* view_ = nullptr;
    ScoreDocument* document_ = nullptr;
};

// Opening, drawing and closing a score between start-up and shut-down leaves no
// font, pen, brush, bitmap, context or arena block behind.
TEST_F(CoreStartupTest, ShutdownLeavesNothingBehind) {
    PlatformCounts before;
    ASSERT_EQ(InitCoreServices(), CoreStartup::Ok);
    OpenScore();
    BeginViewDraw(view_);
    EXPECT_TRUE(view_->ViewDC);
    EndViewDraw(view_);
    CloseScore();
    ShutdownCoreServices();
    PlatformCounts after;
    EXPECT_EQ(after.fonts, before.fonts);
    EXPECT_EQ(after.pens, before.pens);
    EXPECT_EQ(after.brushes, before.brushes);
    EXPECT_EQ(after.bitmaps, before.bitmaps);
    EXPECT_EQ(after.contexts, before.contexts);
    EXPECT_EQ(ArenaBytesInUse(), arenaBefore_);
    EXPECT_EQ(TheSelectionState(), nullptr);
}

// Start-up makes what the editors rely on: the program's texts, the text classes,
// the SelectionState and the music fonts.
TEST_F(CoreStartupTest, StartupProvidesTheCoreServices) {
    ASSERT_EQ(InitCoreServices(), CoreStartup::Ok);
    EXPECT_EQ(sys::LoadString(kStrUntitled, sys::Lookup::ProgramOnly), "Untitled");
    EXPECT_EQ(FindObjectClass(kTextObjectClass), &TheTextObjectClass());
    EXPECT_NE(TheSelectionState(), nullptr);
    EXPECT_TRUE(State().drawing.MusicFont);
}

// Shut-down may run twice, and start-up can follow it again.
TEST_F(CoreStartupTest, ShutdownRepeatsAndStartupRunsAgain) {
    ASSERT_EQ(InitCoreServices(), CoreStartup::Ok);
    ShutdownCoreServices();
    ShutdownCoreServices();
    EXPECT_EQ(ArenaBytesInUse(), arenaBefore_);
    ASSERT_EQ(InitCoreServices(), CoreStartup::Ok);
    EXPECT_NE(TheSelectionState(), nullptr);
}

}  // namespace
}  // namespace ql
