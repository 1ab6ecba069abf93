// The on/off items of the menus change what the program does, not only their check
// marks: for each toggle the same observation is made before its command, after it
// and after a second one, and must change with the command and come back.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/draw/view_metrics.h"
#include "core/memory/pool.h"
#include "core/model/score_document.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/painter.h"
#include "display/view_modes.h"
#include "display/zoom.h"
#include "editing/selection.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using win::Key;
using win::Message;

class ToggleEffectsTest : public testing::ProgramFixture {
  public:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_EQ(Start(), StartupCode::Ok);
        const std::string path = WriteScore("toggles.ql");
        ASSERT_TRUE(OpenScorePath(path));
        view_ = FindViewByPath(path);
        ASSERT_NE(view_, nullptr);
    }
    void Command(int32_t id) {
        win::SendMessage(Frame().window, Message::Command, win::MakeCommandWord(static_cast<uint32_t>(id), 0));
    }

    // Ctrl+Home gives the view the Home zoom unless an element under the pointer
    // keeps the keys ("Cursor Focus" off); a handle record lies under the pointer.
    bool CtrlHomeZooms() {
        auto* record = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
        if (record == nullptr) return false;
        std::memset(static_cast<void*>(record), 0, sizeof *record);
        const LogicalPoint p = view_->pointerPoint;
        record->outer = RecordRect{p.x - 200, p.y - 200, p.x + 200, p.y + 200};
        record->style = kShapeNever + 1;
        AddHitRecords(view_, record);
        const int32_t home = Options().HomeZoom;
        SetZoom(view_, home + 4);
        win::headless::SetKeyDown(Key::Control, true);
        win::SendMessage(view_->ViewWindow, Message::KeyDown, static_cast<uint32_t>(Key::Home));
        win::headless::SetKeyDown(Key::Control, false);
        UnlinkHitRecord(record);
        FreeStaticRecord(kHitRecordPool, record);
        return view_->zoom == home;
    }
    // A right click on the empty page opens the page's popup menu.
    bool RightClickOpensAMenu() {
        const size_t before = ui::headless::PopupMenus().size();
        win::SendMessage(view_->ViewWindow, Message::RightButtonDown, 0, win::PackPoint(win::Point{40, 40}));
        win::SendMessage(view_->ViewWindow, Message::RightButtonUp, 0, win::PackPoint(win::Point{40, 40}));
        return ui::headless::PopupMenus().size() > before;
    }

    ScoreView* view_ = nullptr;
};

struct ToggleCase {
    int32_t command;
    const char* item;
    std::function<bool(ToggleEffectsTest&)> effect;
};

TEST_F(ToggleEffectsTest, EachToggleChangesWhatItsReaderDoes) {
    const ToggleCase cases[] = {
        // Note entry extends a full measure and rolls on by these two.
        {40425, "Auto extend measure", [](ToggleEffectsTest&) { return State().notes.AutoExtendMeasure != 0; }},
        {40346, "Auto roll notes", [](ToggleEffectsTest&) { return State().notes.NoteTools.autoRollNotes != 0; }},
        {40433, "Cursor Focus", [](ToggleEffectsTest& t) { return t.CtrlHomeZooms(); }},
        {40440, "Use Box Cursor",
         [](ToggleEffectsTest& t) { return t.view_->toolCursor == win::LoadCursorResource(kBoxCursorId); }},
        {42084, "Smooth Display",
         [](ToggleEffectsTest& t) {
             testing::isolation::PaintedPixels(t.view_);
             return HasSmoothPaintBitmap();
         }},
        {42096, "Use Popup Menus", [](ToggleEffectsTest& t) { return t.RightClickOpensAMenu(); }},
    };
    for (const ToggleCase& c : cases) {
        const bool before = c.effect(*this);
        Command(c.command);
        EXPECT_NE(c.effect(*this), before) << c.item;
        Command(c.command);
        EXPECT_EQ(c.effect(*this), before) << c.item << " (back)";
    }
}

// The smooth paint shows the same pixels as the direct one, and turning it off
// drops its bitmap.
TEST_F(ToggleEffectsTest, SmoothDisplayPaintsTheSamePicture) {
    Options().SmoothScreen = 0;
    const std::vector<uint32_t> direct = testing::isolation::PaintedPixels(view_);
    Command(42084);
    ASSERT_EQ(Options().SmoothScreen, 1);
    EXPECT_EQ(testing::isolation::PaintedPixels(view_), direct);
    EXPECT_TRUE(HasSmoothPaintBitmap());
    Command(42084);
    EXPECT_FALSE(HasSmoothPaintBitmap());
}

}  // namespace
}  // namespace ql
