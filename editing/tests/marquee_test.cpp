// The marquee as the Pointer tool draws and edits it: its rectangle under corner
// drags and moves, a narrow one let go, its records' pools, the keys that move it or
// restyle the texts inside, its delete, and the Escape zoom to it.
#include "editing/tests/marquee_fixture.h"

#include <algorithm>
#include <memory>

#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/zoom.h"
#include "core/model/view.h"
#include "editing/marquee.h"
#include "editing/marquee_internal.h"
#include "editing/pointer_tool.h"
#include "editing/selection.h"
#include "platform/sys/resources.h"
#include "platform/tests/win/plain_window.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql::testing_editing {
namespace {

using win::Key;
using win::Message;

// Objects of two text types and a box type that record the edit commands they get;
// each has one handle at its point, inside a marquee when the point is.
struct CommandSeen {
    const ScoreObject* object;
    int command;
    int type;
};
std::vector<CommandSeen> g_commands;
std::vector<const ScoreObject*> g_dropped;  // what the prototypes' delete was handed

class RecordingClass final : public ScoreObjectClass {
  public:
    int HitTest(ScoreObject*, const RecordRect& r, HitRecord* hit) const override {
        const LogicalPoint p = hit->point;
        return p.x > r.left && p.x < r.right && p.y > r.top && p.y < r.bottom ? 1 : 0;
    }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        HitRecord* hit = AllocHitRecord();
        if (hit == nullptr) return nullptr;
        ConstructHitRecordAtPoint(hit, view, 1, LoadField<LogicalPoint>(object->BodyBytes()));
        hit->owner = Ref32<ScoreObject>::To(object);
        hit->ownerType = object->type;
        object->handleChain = Ref32<HitRecord>::To(hit);
        return hit;
    }
    int OnEditCommand(ScoreObject* object, ScoreView*, int command, int type) const override {
        g_commands.push_back({object, command, type});
        return 1;
    }
    int HandleDrop(ScoreObject* prototype, ScoreView* view, ScoreObject* target, HitRecord* hit) const override {
        g_dropped.push_back(target);
        return ScoreObjectClass::HandleDrop(prototype, view, target, hit);
    }
};
const RecordingClass g_recording;

class Marquee : public MarqueeTest {
  protected:
    void SetUp() override {
        MarqueeTest::SetUp();
        g_commands.clear();
        g_dropped.clear();
        left_ = originX_;
        top_ = originY_;
    }
    SelectionState& Sel() { return *TheSelectionState(); }

    static ScoreObject* NewRecorded(ObjectType type, int32_t x, int32_t y) {
        RegisterObjectClass(ClassOfType(type), &g_recording);
        auto* object = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
        ConstructScoreObject(object);
        object->classId = ClassOfType(type);
        object->type = TypeCode(type);
        StoreField(object->BodyBytes(), LogicalPoint{x, y});
        return object;
    }
    // An object of a recording type at a point on the page list (the type's
    // prototype records too), its handle in the selection's list.
    ScoreObject* Recorded(ObjectType type, int32_t x, int32_t y) {
        ScoreObject* object = NewRecorded(type, x, y);
        InsertObjectAfter(PageObjectListOf(view_), object);
        if (doc_->prototypes[TypeCode(type)] == nullptr) doc_->prototypes[TypeCode(type)] = NewRecorded(type, 0, 0);
        AddHitRecords(view_, ClassOf(object).BuildHandles(object, view_));
        return object;
    }
    bool OnPageList(const ScoreObject* object) {
        for (ScoreObject* o = PageObjectListOf(view_)->next.get(); o != nullptr; o = o->next.get())
            if (o == object) return true;
        return false;
    }

    int32_t left_ = 0;
    int32_t top_ = 0;
};

// Drawing over paper: the rectangle runs from the press to the release, the marquee
// stays focused, and its record is a transient one of static pool 1.
TEST_F(Marquee, DragOverPaperDrawsAFocusedMarquee) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    ScoreObject* marquee = CurrentMarquee();
    ASSERT_NE(marquee, nullptr);
    EXPECT_EQ(CurrentMarqueeRect(), (gfx::Rect{left_, top_, left_ + 800, top_ + 640}));
    EXPECT_EQ(Sel().editMode, 1);
    EXPECT_EQ(Sel().focusedObject.get(), marquee);
    EXPECT_TRUE(IsLiveRecord(PoolSet(TheStaticPoolSet()), kTransientStaticPool, marquee));
}

// The bottom-right corner dragged past the left edge swaps the edges: the
// rectangle stays normalised, and a further drag moves the new left edge.
TEST_F(Marquee, CornerDraggedPastTheLeftEdgeLeavesANormalisedRectangle) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    PointerDrag(left_ + 800, top_ + 640, left_ - 400, top_ + 640, 6);
    EXPECT_EQ(CurrentMarqueeRect(), (gfx::Rect{left_ - 400, top_, left_, top_ + 640}));
    // Upwards past the top edge too.
    PointerDrag(left_ - 400, top_ + 640, left_ - 400, top_ - 320, 6);
    EXPECT_EQ(CurrentMarqueeRect(), (gfx::Rect{left_ - 400, top_ - 320, left_, top_}));
}

// A press on another corner of a focused marquee grabs that corner.
TEST_F(Marquee, PressOnTheTopLeftCornerDragsTheTopLeftCorner) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    PointerDrag(left_, top_, left_ + 160, top_ + 80);
    EXPECT_EQ(CurrentMarqueeRect(), (gfx::Rect{left_ + 160, top_ + 80, left_ + 800, top_ + 640}));
}

// A press inside, away from the corners, moves the whole marquee.
TEST_F(Marquee, PressInsideMovesTheMarquee) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    PointerDrag(left_ + 400, top_ + 320, left_ + 480, top_ + 400);
    EXPECT_EQ(CurrentMarqueeRect(), (gfx::Rect{left_ + 80, top_ + 80, left_ + 880, top_ + 720}));
}

// A marquee narrower than 128 units loses the focus when the drag ends, leaves
// nothing on the screen, and the next press draws a new marquee at once.
TEST_F(Marquee, NarrowMarqueeIsLetGoAndTheNextPressDrawsANewOne) {
    const std::vector<uint32_t> before = Pixels();
    DrawMarquee(left_, top_, left_ + 64, top_ + 640);
    EXPECT_EQ(CurrentMarquee(), nullptr);
    EXPECT_EQ(Sel().editMode, 0);
    EXPECT_TRUE(ChangedPoints(before).empty());
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    EXPECT_NE(CurrentMarquee(), nullptr);
    EXPECT_EQ(CurrentMarqueeRect().right, left_ + 800);
}

// A new marquee ends the old one: its pixels are given back, its record freed.
TEST_F(Marquee, NewMarqueeEndsTheOldOne) {
    const std::vector<uint32_t> before = Pixels();
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    ScoreObject* first = CurrentMarquee();
    // Escape takes the focus (the view's own handling); the marquee stays shown.
    UnfocusElement(view_);
    ASSERT_EQ(CurrentMarquee(), nullptr);
    EXPECT_TRUE(ChangedPoints(before).empty());
    DrawMarquee(left_ + 1600, top_, left_ + 2400, top_ + 640);
    ASSERT_NE(CurrentMarquee(), nullptr);
    EXPECT_EQ(CurrentMarqueeRect().left, left_ + 1600);
    (void)first;
    EXPECT_EQ(ChangedPoints(before).size(),
              static_cast<size_t>(DeviceRect(CurrentMarqueeRect()).Width() * DeviceRect(CurrentMarqueeRect()).Height()));
}

// A press shows the cursor of what it grabbed: the move cursor inside, a corner's
// cursor by its quadrant (upper left, upper right, lower half).
TEST_F(Marquee, PressShowsTheCursorOfWhatItGrabs) {
    auto bundle = std::make_shared<sys::ResourceBundle>(*sys::GetProgramBundle());
    for (int id : {kMarqueeMoveCursor, kMarqueeLowerCursor, kMarqueeUpperRightCursor, kMarqueeUpperLeftCursor})
        bundle->cursors[id] = sys::CursorResource{1, 1, gfx::Point{0, 0}, {0xFF000000u}};
    sys::SetProgramBundle(bundle);
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    const struct {
        int32_t x, y;
        int cursor;
    } presses[] = {{left_ + 400, top_ + 320, kMarqueeMoveCursor},
                   {left_, top_, kMarqueeUpperLeftCursor},
                   {left_ + 800 - 8, top_, kMarqueeUpperRightCursor},
                   {left_, top_ + 640 - 8, kMarqueeLowerCursor}};
    for (const auto& press : presses) {
        PointerMouse(Message::MouseMove, press.x, press.y);
        PointerMouse(Message::LeftButtonDown, press.x, press.y);
        EXPECT_EQ(win::CursorResourceId(win::GetCursor()), press.cursor) << press.x - left_ << "," << press.y - top_;
        PointerMouse(Message::LeftButtonUp, press.x, press.y);
    }
}

// Hovering with the button up shows the same cursors, following the pointer into a
// corner square, out to the middle and into another corner.
TEST_F(Marquee, HoverShowsTheCursorOfWhatAPressWouldGrab) {
    auto bundle = std::make_shared<sys::ResourceBundle>(*sys::GetProgramBundle());
    for (int id : {kMarqueeMoveCursor, kMarqueeLowerCursor, kMarqueeUpperRightCursor, kMarqueeUpperLeftCursor})
        bundle->cursors[id] = sys::CursorResource{1, 1, gfx::Point{0, 0}, {0xFF000000u}};
    sys::SetProgramBundle(bundle);
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    const struct {
        int32_t x, y;
        int cursor;
    } moves[] = {{left_ + 400, top_ + 320, kMarqueeMoveCursor},   {left_, top_, kMarqueeUpperLeftCursor},
                 {left_ + 400, top_ + 320, kMarqueeMoveCursor},   {left_ + 800 - 8, top_, kMarqueeUpperRightCursor},
                 {left_ + 800 - 8, top_ + 8, kMarqueeUpperRightCursor}, {left_, top_ + 640 - 8, kMarqueeLowerCursor}};
    for (const auto& move : moves) {
        PointerMouse(Message::MouseMove, move.x, move.y);
        EXPECT_EQ(win::CursorResourceId(win::GetCursor()), move.cursor) << move.x - left_ << "," << move.y - top_;
    }
}

// Ctrl+Left moves the marquee 16 units, Ctrl+Up 64; without Ctrl the arrows do not.
TEST_F(Marquee, CtrlArrowsMoveTheMarquee) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    HoldKey(Key::Control, true);
    PointerKey(Key::Left);
    EXPECT_EQ(CurrentMarqueeRect(), (gfx::Rect{left_ - 16, top_, left_ + 784, top_ + 640}));
    PointerKey(Key::Up);
    EXPECT_EQ(CurrentMarqueeRect(), (gfx::Rect{left_ - 16, top_ - 64, left_ + 784, top_ + 576}));
    PointerKey(Key::Right);
    PointerKey(Key::Down);
    EXPECT_EQ(CurrentMarqueeRect(), (gfx::Rect{left_, top_, left_ + 800, top_ + 640}));
    HoldKey(Key::Control, false);
    PointerKey(Key::Left);
    EXPECT_EQ(CurrentMarqueeRect().left, left_);
}

// "B" sends command 2 (bold) to every text line and lyric inside, and to nothing
// outside or of another type; "U" and "I" send 4 and 3.
TEST_F(Marquee, LetterKeysRestyleTheTextsInside) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    const ScoreObject* text = Recorded(ObjectType::Text, left_ + 100, top_ + 100);
    const ScoreObject* lyric = Recorded(ObjectType::Lyric, left_ + 700, top_ + 600);
    Recorded(ObjectType::Text, left_ + 900, top_ + 100);  // outside
    Recorded(ObjectType::Line, left_ + 200, top_ + 200);  // not a text
    PointerKey(win::LetterKey('B'));
    ASSERT_EQ(g_commands.size(), 2u);
    EXPECT_EQ(g_commands[0].object, text);
    EXPECT_EQ(g_commands[1].object, lyric);
    for (const CommandSeen& seen : g_commands) {
        EXPECT_EQ(seen.command, 2);
        EXPECT_EQ(seen.type, TypeCode(ObjectType::Text));
    }
    g_commands.clear();
    PointerKey(win::LetterKey('U'));
    PointerKey(win::LetterKey('I'));
    ASSERT_EQ(g_commands.size(), 4u);
    EXPECT_EQ(g_commands[0].command, 4);
    EXPECT_EQ(g_commands[2].command, 3);
}

// Escape on a marquee under 128 units high changes neither zoom nor origin.
TEST_F(Marquee, EscapeOnAShortMarqueeDoesNothing) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 120);
    ASSERT_NE(CurrentMarquee(), nullptr);
    const int32_t zoom = view_->zoom;
    const int32_t originX = view_->pageOrigin[0], originY = view_->pageOrigin[1];
    EXPECT_EQ(PointerKey(Key::Escape), 0);
    EXPECT_EQ(view_->zoom, zoom);
    EXPECT_EQ(view_->pageOrigin[0], originX);
    EXPECT_EQ(view_->pageOrigin[1], originY);
}

// A taller marquee: the origin moves to its corner (the old one kept) and its height
// fills the window, within the zoom's range.
TEST_F(Marquee, EscapeZoomsToTheMarquee) {
    const int32_t originX = view_->pageOrigin[0], originY = view_->pageOrigin[1];
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    const int32_t windowHeight = win::GetClientRect(window_).bottom;
    EXPECT_EQ(PointerKey(Key::Escape), 0);
    EXPECT_EQ(view_->zoom, std::clamp(windowHeight / (640 / 128), 2, 128));
    EXPECT_EQ(view_->pageOrigin[0], left_);
    EXPECT_EQ(view_->pageOrigin[1], top_);
    EXPECT_EQ(State().display.painter.savedOrigin[0], originX);
    EXPECT_EQ(State().display.painter.savedOrigin[1], originY);
}

// A marquee far taller than the window asks for a zoom below 2: SetZoom's floor.
TEST_F(Marquee, EscapeOnAHugeMarqueeStopsAtTheLowestZoom) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 128 * 400);
    EXPECT_EQ(PointerKey(Key::Escape), 0);
    EXPECT_EQ(view_->zoom, std::max(2, LowestZoomOfPages(view_)));
}

// Its delete: the objects inside go through their prototypes' delete, in one undo
// step; margins and accidentals inside never reach theirs, and objects outside stay.
TEST_F(Marquee, DeleteRemovesTheObjectsInsideOnly) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    ScoreObject* line = Recorded(ObjectType::Line, left_ + 100, top_ + 100);
    ScoreObject* text = Recorded(ObjectType::Text, left_ + 300, top_ + 300);
    ScoreObject* outside = Recorded(ObjectType::Line, left_ + 1600, top_ + 100);
    ScoreObject* margin = Recorded(ObjectType::Margin, left_ + 200, top_ + 200);
    ScoreObject* sign = Recorded(ObjectType::Accidental, left_ + 400, top_ + 200);
    const int undoDepth = UndoDepth(doc_);
    PointerKey(Key::Delete);
    EXPECT_EQ(g_dropped, (std::vector<const ScoreObject*>{line, text}));
    EXPECT_FALSE(OnPageList(line));
    EXPECT_FALSE(OnPageList(text));
    for (const ScoreObject* kept : {outside, margin, sign}) EXPECT_TRUE(OnPageList(kept));
    EXPECT_EQ(UndoDepth(doc_), undoDepth + 1) << "one undo step";
    UndoCommand(doc_, view_);
    EXPECT_TRUE(OnPageList(line));
    EXPECT_TRUE(OnPageList(text));
}

// A marquee belongs to its view: in a second view of the same score (a window of its
// own) its delete and edit commands find nothing, and turning to that view lets the
// marquee go where it was drawn.
TEST_F(Marquee, ASecondViewOfTheScoreDoesNotActOnTheMarquee) {
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    ScoreObject* line = Recorded(ObjectType::Line, left_ + 100, top_ + 100);
    ScoreObject* text = Recorded(ObjectType::Text, left_ + 300, top_ + 300);
    ScoreView* second = CopyView(AllocView(), view_);
    ASSERT_NE(second, nullptr);
    second->ViewWindow = ::ql::testing::OpenPlainWindow("QLEditingTest", 400, 300);
    LinkView(second);
    ScoreObject* marquee = CurrentMarquee();
    ASSERT_NE(marquee, nullptr);
    EXPECT_EQ(MarqueeEditCommand(marquee, second, 2, TypeCode(ObjectType::Text)), 0);
    EXPECT_EQ(MarqueeDelete(second, marquee, nullptr), 0);
    EXPECT_TRUE(g_commands.empty());
    EXPECT_TRUE(g_dropped.empty());
    EXPECT_TRUE(OnPageList(line));
    EXPECT_TRUE(OnPageList(text));
    EXPECT_EQ(SwitchToView(second), second);
    EXPECT_EQ(CurrentMarquee(), nullptr) << "the marquee stayed when another view of its score was turned to";
    EXPECT_EQ(Sel().editMode, 0);
    ActivateView(view_);
    FreeView(second);
}

// The record pools: from static pool 1 normally, from pool 8 of the current set
// while prototypes are built; each goes back to the pool it came from.
TEST_F(Marquee, RecordsGoBackToTheirOwnPools) {
    ScoreObject* prototype = doc_->prototypes[0];
    ScopedPoolSet scope(doc_->pools);
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kTextObjectPool, prototype));
    ScoreObject* made = ClassOf(prototype).CreateAtClick(prototype, view_);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(IsLiveRecord(PoolSet(TheStaticPoolSet()), kTransientStaticPool, made));
    DestroyMarquee(made);
    EXPECT_FALSE(IsLiveRecord(PoolSet(TheStaticPoolSet()), kTransientStaticPool, made));
    State().files.BuildingPrototypes = 1;
    ScoreObject* built = ClassOf(prototype).CreateAtClick(prototype, view_);
    State().files.BuildingPrototypes = 0;
    ASSERT_NE(built, nullptr);
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kTextObjectPool, built));
    ReleaseObjectByType(doc_, built);
    EXPECT_FALSE(IsLiveRecord(PoolSet(doc_->pools), kTextObjectPool, built));
}

// A reset while the marquee shows takes it off the screen and forgets it.
TEST_F(Marquee, ResetForgetsTheMarquee) {
    const std::vector<uint32_t> before = Pixels();
    DrawMarquee(left_, top_, left_ + 800, top_ + 640);
    ResetSelection(view_, 0);
    EXPECT_EQ(CurrentMarquee(), nullptr);
    EXPECT_TRUE(ChangedPoints(before).empty());
}

}  // namespace
}  // namespace ql::testing_editing
