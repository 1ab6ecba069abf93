// The clef and key tools as the score view drives them: a click in a measure runs
// the sign's dialog there; a change from the measure's start writes the cells and
// leaves no object, a change within the measure leaves one object midway between
// the events it separates. Each click is one undoable edit; Cancel changes nothing;
// a clef change repeating the clef in force is not kept. The arrow keys step the
// sign at the location. The time-signature tool, driven the same way, sets the
// measure under the pointer.
#include "staves/clef_key_tools.h"

#include <filesystem>
#include <vector>

#include <gmock/gmock.h>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/signature_fields.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/hit_test.h"
#include "display/view_location.h"
#include "editing/selection.h"
#include "notes/beatmap/beat_map.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/gfx/mapping.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "staves/barline_dialog_resources.h"
#include "staves/clef_changes.h"
#include "staves/clef_dialog.h"
#include "staves/clef_drag.h"
#include "staves/clef_key_create.h"
#include "staves/clef_key_objects.h"
#include "staves/clef_key_tables.h"
#include "staves/signature_dialog_resources.h"
#include "staves/tests/signatures/signature_fixture.h"
#include "staves/time_signature_tool.h"

namespace ql::testing_signatures {
namespace {

constexpr int kTreble = 0, kBass = 3, kPercussion = 5;
constexpr int kTwoSharps = 9;
constexpr int kF = 1, kG = 0, kOther = 3;
constexpr int kWindowSide = 2000;
constexpr int32_t kZoom = 16;

// The frame window whose status bar the tools write to.
void OpenFrameWithStatusBar() {
    win::WindowClass frameClass;
    frameClass.name = "ClefKeyFrame";
    frameClass.procedure = win::DefaultWindowProc;
    win::RegisterWindowClass(frameClass);
    win::WindowParams params;
    params.className = "ClefKeyFrame";
    params.style = win::kStyleVisible | win::kStyleOverlappedWindow;
    params.rect = {0, 0, kWindowSide / 2, kWindowSide / 4};
    const platform::WindowHandle frame = win::CreateWindow(params);
    State().dialogs.FrameWindow = frame;
    CreateStatusBar(frame);
    LayoutStatusBar(frame);
}

class ClefKeyToolTest : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        ASSERT_EQ(InitStaticPoolSet(), 1);  // hit records come from the static set
        RegisterSignatureDialogResources();
        RegisterClefKeyObjectClasses();
        ResetClefGroupMembers();
        ASSERT_NE(CreateSelectionState(), nullptr);
        OpenFrameWithStatusBar();
        BuildScore(1, 4);
        window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", kWindowSide, kWindowSide);
        ASSERT_TRUE(CreateColourSets());
        view_->ViewWindow = window_;
        view_->pageView = 1;
        view_->zoom = kZoom;
        State().documents.ActiveView = view_;
        win::SetFocus(window_);
        for (int tick : {0, 1024, 2048, 3072}) AddNote(1, 2, tick, 4);
        RebuildBeatMap();
        ClearUndoHistory(doc_);
        ClefTool(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    }
    void TearDown() override {
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        DeleteMusicFonts();
        DeleteColourSets();
        DestroySelectionState();
        SignatureTest::TearDown();
    }
    // The logical point of a tick of a measure, on the staff.
    LogicalPoint PointAt(int measure, int tick) {
        SetCurrentMeasure(view_, 1, measure);
        const int32_t x = MeasureSlotX(view_, view_->currentSystem, view_->currentSlot) + BeatMapTickToX(view_, tick);
        return LogicalPoint{x, view_->staffY};
    }
    intptr_t Mouse(ToolHandler tool, win::Message message, LogicalPoint at) {
        BeginViewDraw(view_);
        const gfx::Point client = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{at.x, at.y});
        EndViewDraw(view_);
        return tool(view_, ToolAction::Message, nullptr, window_, message, 0,
                    win::PackPoint(win::Point{client.x, client.y}));
    }
    void Click(ToolHandler tool, LogicalPoint at) {
        tool(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
        Mouse(tool, win::Message::MouseMove, at);
        Mouse(tool, win::Message::LeftButtonDown, at);
        Mouse(tool, win::Message::LeftButtonUp, at);
    }
    void ClefScript(int group, bool within) {
        ui::headless::SetDialogScript(clef_dialog::kClefSelectionDialog, [=](ui::headless::DialogDriver& d) {
            EXPECT_TRUE(d.IsChecked(clef_dialog::kFromMeasureStart));
            d.Click(clef_dialog::kGroupButtons[group]);
            if (within) d.Click(clef_dialog::kWithinMeasure);
            d.Click(ui::kIdOk);
        });
    }
    void KeyScript(int key, bool within) {
        ui::headless::SetDialogScript(key_dialog::kKeySelectionDialog, [=](ui::headless::DialogDriver& d) {
            EXPECT_TRUE(d.IsChecked(key_dialog::kFromMeasureStart));
            d.Click(key_dialog::kFirstKeyButton + key);
            if (within) d.Click(key_dialog::kWithinMeasure);
            d.Click(key_dialog::kKeepPitches);
            d.Click(ui::kIdOk);
        });
    }
    std::vector<ScoreObject*> Objects(int measure, ObjectType type) const {
        std::vector<ScoreObject*> found;
        const MeasureCell* cell = Cell(1, measure);
        for (ScoreObject* o = cell->objects ? cell->objects.get()->next.get() : nullptr; o != nullptr;
             o = o->next.get())
            if (o->type == TypeCode(type)) found.push_back(o);
        return found;
    }

    platform::WindowHandle window_{};
};

// The change stands midway between the event before the click and the event at or
// after it; before the first event it stands before it; with no room, at the start.
TEST_F(ClefKeyToolTest, MidwayBetweenTheEventsItSeparates) {
    MeasureCell* cell = Cell(1, 2);
    EXPECT_EQ(MidwayChangeTick(cell, 1300, 4096), 1536);
    EXPECT_EQ(MidwayChangeTick(cell, 2048, 4096), 1536) << "a click on an event stands before it";
    EXPECT_EQ(MidwayChangeTick(cell, 3500, 4096), 3584) << "after the last event: up to the measure's end";
    EXPECT_EQ(MidwayChangeTick(cell, 0, 4096), 0);
    EXPECT_EQ(MidwayChangeTick(Cell(1, 3), 600, 4096), 2048) << "an empty measure: its middle";
    AddNote(1, 3, 1, 4);
    EXPECT_EQ(MidwayChangeTick(Cell(1, 3), 1, 4096), 0) << "no room before the event at tick 1";
}

// "Change from start of measure": the cells from the measure on take the clef, no
// object is left, and one Undo puts the treble clef back.
TEST_F(ClefKeyToolTest, ClefFromTheMeasureStartIsOneUndoStep) {
    ClefScript(kF, false);
    Click(&ClefTool, PointAt(2, 1300));
    EXPECT_EQ(CellClef(*Cell(1, 2)), kBass);
    EXPECT_TRUE(Objects(2, ObjectType::Clef).empty());
    EXPECT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_EQ(CellClef(*Cell(1, 2)), kTreble);
}

// "Insert clef change within measure": one clef object at the midway tick (and its
// x), counted in the cell; the events after it read the new clef, those before the old; Undo takes
// it away with the clef of the measure's rest.
TEST_F(ClefKeyToolTest, ClefWithinTheMeasureLeavesOneObject) {
    ClefScript(kF, true);
    Click(&ClefTool, PointAt(2, 1300));
    const std::vector<ScoreObject*> clefs = Objects(2, ObjectType::Clef);
    ASSERT_EQ(clefs.size(), 1u) << int(CellClef(*Cell(1, 2))) << " " << int(CellClef(*Cell(1, 3)));
    EXPECT_EQ(ClefKindOfObject(clefs[0]), kBass);
    EXPECT_EQ(SignatureTickOfObject(clefs[0]), 1536);
    const int32_t midwayX = PointAt(2, 1536).x;
    EXPECT_NEAR(TextObjectAnchorPoint(clefs[0], view_).x, midwayX, 2) << "drawn where its tick is";
    EXPECT_EQ(Cell(1, 2)->cellWord & kCellClefCountMask, 1);
    EXPECT_EQ(CellClef(*Cell(1, 2)), kTreble);
    EXPECT_EQ(ClefAtTick(Cell(1, 2), 1024), kTreble);
    EXPECT_EQ(ClefAtTick(Cell(1, 2), 2048), kBass);
    EXPECT_EQ(CellClef(*Cell(1, 3)), kBass) << "the next measures follow";
    EXPECT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_TRUE(Objects(2, ObjectType::Clef).empty());
    EXPECT_EQ(CellClef(*Cell(1, 3)), kTreble);
}

// The dialog on a placed clef change: another kind keeps its tick and x and moves it
// by the difference of the kinds' glyph offsets (bass -96, percussion 0).
TEST_F(ClefKeyToolTest, AnotherKindKeepsTheTickAndMovesTheGlyph) {
    ClefScript(kF, true);
    Click(&ClefTool, PointAt(2, 1300));
    const std::vector<ScoreObject*> clefs = Objects(2, ObjectType::Clef);
    ASSERT_EQ(clefs.size(), 1u);
    SetCurrentMeasure(view_, 1, 2);
    const LogicalPoint before = TextObjectAnchorPoint(clefs[0], view_);
    EXPECT_EQ(before.y, view_->staffY + ClefGlyphOffset(kBass));
    ui::headless::SetDialogScript(clef_dialog::kClefSelectionDialog, [](ui::headless::DialogDriver& d) {
        EXPECT_TRUE(d.IsChecked(clef_dialog::kWithinMeasure));
        d.Click(clef_dialog::kGroupButtons[kOther]);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(ClassOf(clefs[0]).EditAttributes(clefs[0], view_), 1);
    EXPECT_EQ(ClefKindOfObject(clefs[0]), kPercussion);
    EXPECT_EQ(SignatureTickOfObject(clefs[0]), 1536);
    const LogicalPoint after = TextObjectAnchorPoint(clefs[0], view_);
    EXPECT_NEAR(after.x, before.x, 2);
    EXPECT_EQ(after.y, before.y - ClefGlyphOffset(kBass) + ClefGlyphOffset(kPercussion));
}

// A change within the measure to the clef already in force is redundant: no object
// stays. Cancel changes nothing at all, nor does a click on a master page.
TEST_F(ClefKeyToolTest, RedundantClefAndCancelLeaveNothing) {
    ClefScript(kG, true);
    Click(&ClefTool, PointAt(2, 1300));
    EXPECT_TRUE(Objects(2, ObjectType::Clef).empty());
    const std::vector<std::byte> before = Snapshot();
    ui::headless::SetDialogScript(clef_dialog::kClefSelectionDialog, [](ui::headless::DialogDriver& d) {
        d.Click(clef_dialog::kGroupButtons[kF]);
        d.Click(ui::kIdCancel);
    });
    const int depth = UndoDepth(doc_);
    Click(&ClefTool, PointAt(2, 1300));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(UndoDepth(doc_), depth);
    // On a master page no sign is made and no dialog runs.
    const size_t dialogs = ui::headless::Dialogs().size();
    PointAt(2, 1300);  // the location at measure 2
    view_->currentPage->pageNumber = -1;
    EXPECT_EQ(CreateClefAtClick(view_), nullptr);
    EXPECT_EQ(CreateKeyAtClick(view_), nullptr);
    view_->currentPage->pageNumber = 1;
    EXPECT_EQ(ui::headless::Dialogs().size(), dialogs);
}

// The key tool: from the measure's start the cells take the key; within the measure
// one key object stands at the midway tick and is counted; each click one Undo.
TEST_F(ClefKeyToolTest, KeyFromTheStartOrWithinTheMeasure) {
    KeyScript(kTwoSharps, false);
    Click(&KeyTool, PointAt(3, 1300));
    EXPECT_EQ(CellKey(*Cell(1, 3)), kTwoSharps);
    EXPECT_TRUE(Objects(3, ObjectType::KeySignature).empty());
    UndoCommand(doc_, view_);
    EXPECT_EQ(CellKey(*Cell(1, 3)), kKeyC);

    KeyScript(kTwoSharps, true);
    Click(&KeyTool, PointAt(2, 2100));
    const std::vector<ScoreObject*> keys = Objects(2, ObjectType::KeySignature);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(KeyCodeOfObject(keys[0]), kTwoSharps);
    EXPECT_EQ(SignatureTickOfObject(keys[0]), 2560);
    EXPECT_EQ((Cell(1, 2)->cellWord & kCellKeyCountMask) >> kCellKeyCountShift, 1);
    EXPECT_EQ(KeySignatureAtTick(Cell(1, 2), 3072), kTwoSharps);
    EXPECT_EQ(KeySignatureAtTick(Cell(1, 2), 2048), kKeyC);
    EXPECT_EQ(UndoDepth(doc_), 1);
    UndoCommand(doc_, view_);
    EXPECT_TRUE(Objects(2, ObjectType::KeySignature).empty());
}

// A placed clef change drags across only, between the events on either side of it:
// the limits run from just right of the event at 1024 to just left of the one at
// 2048; a move past them leaves the clef where it was. Committed, the clef stays on
// its line at its new x, with a tick between the two events, so it governs the same
// notes.
TEST_F(ClefKeyToolTest, APlacedClefDragsOnlyBetweenItsEvents) {
    if (!std::filesystem::exists(std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf") || !CreateMusicFonts())
        GTEST_SKIP() << "the music font is not built";
    ClefScript(kF, true);
    Click(&ClefTool, PointAt(2, 1300));
    const std::vector<ScoreObject*> clefs = Objects(2, ObjectType::Clef);
    ASSERT_EQ(clefs.size(), 1u);
    ScoreObject* clef = clefs[0];
    SetCurrentMeasure(view_, 1, 2);
    const LogicalPoint anchorBefore = TextObjectAnchorPoint(clef, view_);
    // The middle of the clef's handle.
    HitRecord* handle = ClassOf(clef).BuildHandles(clef, view_);
    ASSERT_NE(handle, nullptr);
    const LogicalPoint at = handle->point;
    FreeStaticRecord(kHitRecordPool, handle);
    Mouse(&ClefTool, win::Message::MouseMove, at);
    Mouse(&ClefTool, win::Message::LeftButtonDown, at);
    SelectionState* s = TheSelectionState();
    ASSERT_EQ(s->focusedObject.get(), clef) << "the press takes the clef";
    const HitRecord* focus = s->focusRecord.get();
    ASSERT_NE(focus, nullptr);
    const LogicalPoint start = focus->point;
    std::vector<int32_t> eventX;
    for (EventRecord* e = GetVoiceFirstEvent(Cell(1, 2), 0); e != nullptr; e = NextEvent(e))
        eventX.push_back(GetEventPosition(e, view_).x);
    ASSERT_EQ(eventX.size(), 4u);

    Mouse(&ClefTool, win::Message::MouseMove, LogicalPoint{eventX[3], at.y});
    EXPECT_EQ(focus->point.x, start.x) << "past the event at 2048";
    const ClefDragLimits limits = PendingClefDrag();
    EXPECT_EQ(limits.measure, 2);
    EXPECT_GT(limits.left, eventX[1]);
    EXPECT_EQ(limits.right, eventX[2] - 1);
    const LogicalPoint end{limits.right - 64, at.y + 300};
    Mouse(&ClefTool, win::Message::MouseMove, end);
    EXPECT_GT(focus->point.x, start.x);
    EXPECT_LE(focus->point.x, limits.right);
    EXPECT_EQ(focus->point.y, start.y) << "a clef drags across only";
    Mouse(&ClefTool, win::Message::LeftButtonUp, end);
    UnfocusElement(view_);  // the drag is committed
    EXPECT_EQ(PendingClefDrag().measure, 0);
    const int tick = SignatureTickOfObject(clef);
    EXPECT_GT(tick, 1024);
    EXPECT_LT(tick, 2048);
    SetCurrentMeasure(view_, 1, 2);
    const LogicalPoint dropped = TextObjectAnchorPoint(clef, view_);
    EXPECT_EQ(dropped.y, anchorBefore.y) << "the clef stays on its line";
    EXPECT_GT(dropped.x, anchorBefore.x);
}

// A dragged key signature moves by as much as its handle did, across and up or
// down; it does not jump to its handle's middle, which is not its anchor. Dragged
// past its measure's start it stays in its measure.
TEST_F(ClefKeyToolTest, ADraggedKeyMovesByItsHandlesPath) {
    KeyScript(kTwoSharps, true);
    Click(&KeyTool, PointAt(2, 2100));
    const std::vector<ScoreObject*> keys = Objects(2, ObjectType::KeySignature);
    ASSERT_EQ(keys.size(), 1u);
    ScoreObject* key = keys[0];
    SelectionState* s = TheSelectionState();
    // Measure 2 as current, its staff's y taken from the system as it now stands
    // (placing the key re-spaced the page).
    const auto Locate = [&] {
        SetCurrentMeasure(view_, 1, 1);
        SetCurrentMeasure(view_, 1, 2);
    };
    // Takes the key as the focus, moves its handle by `delta` and commits the drag.
    const auto dragBy = [&](LogicalPoint delta) {
        Locate();
        HitRecord* handle = ClassOf(key).BuildHandles(key, view_);
        EXPECT_NE(handle, nullptr);
        if (handle == nullptr) return 0;
        s->focusedObject = Ref32<ScoreObject>::To(key);
        s->focusRecord = Ref32<HitRecord>::To(handle);
        ClassOf(key).ReleaseCache(key, view_);
        s->dragOffsetX = delta.x;
        s->dragOffsetY = delta.y;
        ClassOf(key).TrackDrag(key, view_);
        const int moved = ClassOf(key).CommitDrag(key, view_);
        s->focusRecord = Ref32<HitRecord>{};
        s->focusedObject = Ref32<ScoreObject>{};
        FreeStaticRecord(kHitRecordPool, handle);
        Locate();
        return moved;
    };
    Locate();
    const LogicalPoint before = TextObjectAnchorPoint(key, view_);
    EXPECT_EQ(dragBy(LogicalPoint{0, 0}), 0) << "a press without a move moves nothing";
    EXPECT_EQ(TextObjectAnchorPoint(key, view_).y, before.y);
    EXPECT_EQ(TextObjectAnchorPoint(key, view_).x, before.x);

    EXPECT_EQ(dragBy(LogicalPoint{-400, 256}), 1);
    const LogicalPoint moved = TextObjectAnchorPoint(key, view_);
    EXPECT_EQ(moved.y - before.y, 256) << "up and down by the handle's path";
    EXPECT_NEAR(moved.x - before.x, -400, kZoom) << "across by the handle's path, to the nearest column";
    EXPECT_LT(SignatureTickOfObject(key), 2560) << "the tick follows the new x";
    EXPECT_GT(SignatureTickOfObject(key), 0);

    dragBy(LogicalPoint{-40000, 0});
    EXPECT_GE(SignatureTickOfObject(key), 1) << "past the measure's start: kept inside the measure";
    EXPECT_EQ(Objects(2, ObjectType::KeySignature).size(), 1u);
}

// While a clef change's drag is pending, each mouse move of the clef tool redraws
// the view; with none pending a move leaves the window as it was.
TEST_F(ClefKeyToolTest, MovesRedrawWhileAClefDragIsPending) {
    ClefScript(kF, true);
    Click(&ClefTool, PointAt(2, 1300));
    const std::vector<ScoreObject*> clefs = Objects(2, ObjectType::Clef);
    ASSERT_EQ(clefs.size(), 1u);
    const LogicalPoint away = PointAt(3, 0);
    win::ValidateRect(window_, nullptr);
    Mouse(&ClefTool, win::Message::MouseMove, away);
    EXPECT_TRUE(win::GetUpdateRect(window_).IsEmpty()) << "no drag pending";

    SetCurrentMeasure(view_, 1, 2);
    BeginClefDrag(view_, clefs[0], TextObjectAnchorPoint(clefs[0], view_).x);
    ASSERT_NE(PendingClefDrag().measure, 0);
    win::ValidateRect(window_, nullptr);
    Mouse(&ClefTool, win::Message::MouseMove, away);
    EXPECT_FALSE(win::GetUpdateRect(window_).IsEmpty()) << "a drag is pending";
    CommitClefDrag(view_, clefs[0], PendingClefDrag().startX);  // ends the drag, moving nothing
}

// Selecting a tool shows its status text; the arrows step the sign at the location
// (an empty range steps at once).
TEST_F(ClefKeyToolTest, SelectShowsTheStatusAndArrowsStep) {
    KeyTool(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    const std::vector<ui::headless::StatusTextRecord>& texts = ui::headless::StatusTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_THAT(texts.back().text, ::testing::HasSubstr(kKeyToolStatus));
    SetCurrentMeasure(view_, 1, 3);
    EXPECT_EQ(KeyTool(view_, ToolAction::Message, nullptr, window_, win::Message::KeyDown,
                      static_cast<uint32_t>(win::Key::Up), 0),
              1);
    EXPECT_EQ(CellKey(*Cell(1, 3)), kKeyC + 1);
    ClefTool(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    EXPECT_THAT(ui::headless::StatusTexts().back().text, ::testing::HasSubstr(kClefToolStatus));
    SetCurrentMeasure(view_, 1, 3);
    EXPECT_EQ(ClefTool(view_, ToolAction::Message, nullptr, window_, win::Message::KeyDown,
                       static_cast<uint32_t>(win::Key::Subtract), 0),
              1);
    EXPECT_EQ(CellClef(*Cell(1, 3)), SteppedClefKind(kTreble, -1));
}

// The time-signature tool follows the pointer: with the location left on measure 1,
// the pointer moved into measure 3 and a click there, "Time Signature" opens on
// measure 3, and 3 beats from there leave measures 1 and 2 in four.
TEST_F(ClefKeyToolTest, TheTimeSignatureToolSetsTheMeasureUnderThePointer) {
    RegisterBarlineDialogResources();
    const LogicalPoint at = PointAt(3, 1024);
    SetCurrentMeasure(view_, 1, 1);
    ASSERT_EQ(view_->currentMeasure, 1);
    ui::headless::SetDialogScript(time_signature_dialog::kTimeSignatureDialog, [](ui::headless::DialogDriver& d) {
        d.Type(time_signature_dialog::kBeats, "3");
        d.Click(ui::kIdOk);
    });
    Click(&TimeSignatureTool, at);
    EXPECT_EQ(Cell(1, 3)->beats, 3) << "the measure under the pointer keeps its signature";
    EXPECT_EQ(Cell(1, 1)->beats, 4);
    EXPECT_EQ(Cell(1, 2)->beats, 4);
}

}  // namespace
}  // namespace ql::testing_signatures
