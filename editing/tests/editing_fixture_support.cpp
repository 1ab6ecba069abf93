// Shared set-up of the editing tests and the box class they edit.
#include "editing/tests/editing_fixture.h"

#include <memory>
#include <set>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/memory/pool.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "editing/mouse_processor.h"
#include "editing/tools.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/headless_backend.h"
#include "platform/win/paint.h"
#include "shell/resources/popup_menu_resources.h"

namespace ql::testing_editing {

uint16_t g_boxHandleFlags = 0;
BoxCalls g_boxCalls;

namespace {

constexpr int kBoxPool = 8;
constexpr int32_t kHandleHalf = 24;  // logical units: 3 device pixels at zoom 16
constexpr int32_t kZoom = 16;
constexpr int kScreenDpi = 96;
constexpr int32_t kWindowWidth = 400;
constexpr int32_t kWindowHeight = 300;

HitRecord* NewHandle(ScoreView* view, ScoreObject* box, uint8_t kind, LogicalPoint at) {
    HitRecord* hit = AllocHitRecord();
    if (hit == nullptr) return nullptr;
    ConstructHitRecordAtPoint(hit, view, kind, at);
    hit->owner = Ref32<ScoreObject>::To(box);
    hit->ownerType = kBoxType;
    hit->style = kShapeSquare;
    hit->flags |= g_boxHandleFlags;
    if (kind == kCentreKind) hit->flags |= kHandleMovesWhole;
    return hit;
}

void MoveBy(ScoreObject* box, int32_t dx, int32_t dy, bool near, bool far) {
    BoxBody b = BodyOf(box);
    if (near) b.left += dx, b.top += dy;
    if (far) b.right += dx, b.bottom += dy;
    StoreField(box->BodyBytes(), b);
    for (HitRecord* r = box->handleChain.get(); r != nullptr; r = r->child.get()) {
        const bool moves = r->kind == kCentreKind ? near && far : (r->kind == kCornerKind ? near : far);
        if (r->kind == kCentreKind && near != far) {  // the centre follows half the move
            OffsetHitRecord(r, LogicalPoint{dx / 2, dy / 2});
            continue;
        }
        if (moves) OffsetHitRecord(r, LogicalPoint{dx, dy});
    }
}

void Outline(ScoreObject* box, ScoreView* view) {
    if (!view->ViewDC) return;
    const BoxBody b = BodyOf(box);
    const platform::BrushHandle old = gfx::SelectObject(view->ViewDC, gfx::GetStockBrush(gfx::StockBrush::Null));
    gfx::Rectangle(view->ViewDC, gfx::Rect{b.left, b.top, b.right, b.bottom});
    gfx::SelectObject(view->ViewDC, old);
}

void ConstructBox(ScoreObject* box) {
    ConstructScoreObject(box);
    box->classId = ClassOfType(static_cast<ObjectType>(kBoxType));
    box->type = kBoxType;
    box->subtype = SubtypeCode(ObjectSubtype::PageList);
}

class BoxClass final : public ScoreObjectClass {
  public:
    HitRecord* BuildHandles(ScoreObject* box, ScoreView* view) const override {
        if (g_boxCalls.onBuildHandles) g_boxCalls.onBuildHandles(box, view);
        g_boxCalls.handleVoiceMasks.push_back(view->voiceMask);
        const BoxBody b = BodyOf(box);
        HitRecord* first = NewHandle(view, box, kCornerKind, {b.left, b.top});
        HitRecord* second = NewHandle(view, box, kFarCornerKind, {b.right, b.bottom});
        HitRecord* centre = NewHandle(view, box, kCentreKind, {(b.left + b.right) / 2, (b.top + b.bottom) / 2});
        if (first == nullptr || second == nullptr || centre == nullptr) return nullptr;
        // Corner, centre, far corner: a new box's rubber band drags the third.
        first->child = Ref32<HitRecord>::To(centre);
        centre->parent = Ref32<HitRecord>::To(first);
        centre->child = Ref32<HitRecord>::To(second);
        second->parent = Ref32<HitRecord>::To(centre);
        box->handleChain = Ref32<HitRecord>::To(first);
        return first;
    }
    void TrackDrag(ScoreObject* box, ScoreView*) const override {
        const SelectionState* s = TheSelectionState();
        const bool near = s->grabbedKind == kCornerKind;
        MoveBy(box, s->dragOffsetX, s->dragOffsetY, near, !near);
    }
    void DragMove(ScoreObject* box, ScoreView*) const override {
        const SelectionState* s = TheSelectionState();
        MoveBy(box, s->dragOffsetX, s->dragOffsetY, true, true);
    }
    void ConstrainDrag(ScoreObject*, ScoreView*) const override {
        if (g_boxCalls.onConstrainDrag) g_boxCalls.onConstrainDrag(*TheSelectionState());
    }
    void DrawTracking(ScoreObject* box, ScoreView* view) const override { Outline(box, view); }
    void EraseTracking(ScoreObject* box, ScoreView* view) const override { Outline(box, view); }
    void Draw(ScoreObject* box, ScoreView*) const override { g_boxCalls.drawn.push_back(box); }
    void Paint(ScoreObject* box, ScoreView*) const override { g_boxCalls.painted.push_back(box); }
    void DrawSelected(ScoreObject*, ScoreView*) const override {}
    void SetToolCursor(ScoreObject*, int32_t, int32_t) const override {}
    int LocationChanged(ScoreObject*, ScoreView*) const override { return 0; }
    int FollowLocation(ScoreObject*, ScoreView* view) const override {
        g_boxCalls.followedStaves.push_back(view->currentStaff);
        return ++g_boxCalls.follows;
    }
    // The box goes where its corner handles are.
    int CommitDrag(ScoreObject* box, ScoreView*) const override {
        BoxBody b = BodyOf(box);
        for (const HitRecord* r = box->handleChain.get(); r != nullptr; r = r->child.get()) {
            if (r->kind == kCornerKind) b.left = r->point.x, b.top = r->point.y;
            if (r->kind == kFarCornerKind) b.right = r->point.x, b.bottom = r->point.y;
        }
        StoreField(box->BodyBytes(), b);
        return 0;
    }
    int EditAttributes(ScoreObject*, ScoreView*) const override { return ++g_boxCalls.editAttributes; }
    int OnKey(ScoreObject*, ScoreView*, uint32_t) const override { return ++g_boxCalls.keys; }
    void StepValue(ScoreObject*, ScoreView*, int) const override { ++g_boxCalls.steps; }
    void Invalidate(ScoreObject* box, ScoreView*) const override {
        ++g_boxCalls.invalidates;
        constexpr int32_t kDefaultSide = 256;
        const BoxBody b = BodyOf(box);
        MoveBy(box, b.left + kDefaultSide - b.right, b.top + kDefaultSide - b.bottom, false, true);
    }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override {
        ScoreObject* box = ConstructObject(kBoxType);
        if (box == nullptr) return nullptr;
        const LogicalPoint p = view->pointerPoint;
        StoreField(box->BodyBytes(), BoxBody{p.x, p.y, p.x, p.y});
        InsertObjectAfter(PageObjectListOf(view), box);
        return box;
    }
    ScoreObject* Clone(ScoreObject* box, ScoreView*, PoolSet, PoolSet) const override {
        ScoreObject* copy = ConstructObject(kBoxType);
        if (copy != nullptr) StoreField(copy->BodyBytes(), BodyOf(box));
        return copy;
    }
};

const BoxClass g_boxClass;

}  // namespace

// Delegates to a headless backend but refuses to move the system pointer, and
// keeps the key state itself.
class RefusingBackend final : public win::Backend {
  public:
    uint64_t Now() override { return inner_.Now(); }
    void WaitForWork(std::optional<uint64_t> deadline) override { inner_.WaitForWork(deadline); }
    void Wake() override { inner_.Wake(); }
    bool IsKeyDown(win::Key key) override { return keys_.count(key) != 0; }
    win::Point CursorPosition() override { return inner_.CursorPosition(); }
    void SetCursorPosition(win::Point screen) override { inner_.SetCursorPosition(screen); }
    bool WarpPointer(win::Point screen) override {
        inner_.SetCursorPosition(screen);
        return false;
    }
    int32_t Metric(win::SystemMetric metric) override { return inner_.Metric(metric); }
    void WindowChanged(win::WindowHandle window, win::WindowChange change) override {
        inner_.WindowChanged(window, change);
    }
    void SetKey(win::Key key, bool down) {
        if (down)
            keys_.insert(key);
        else
            keys_.erase(key);
    }

  private:
    win::detail::HeadlessBackend inner_;
    std::set<win::Key> keys_;
};

BoxBody BodyOf(const ScoreObject* box) {
    return LoadField<BoxBody>(box->BodyBytes());
}

void EditingTest::SetUp() {
    ResetProgramState();
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    RegisterTextObjectClasses();
    RegisterPopupMenuResources();
    g_boxHandleFlags = 0;
    g_boxCalls = {};
    ToolSwitches() = {};
    ASSERT_TRUE(RegisterObjectClass(ClassOfType(static_cast<ObjectType>(kBoxType)), &g_boxClass));
    ASSERT_TRUE(RegisterObjectType(kBoxType, ObjectTypeEntry{kBoxPool, &ConstructBox, 0}));
    SetHandleSize(kHandleHalf);
    ASSERT_NE(CreateSelectionState(), nullptr);
    view_ = InitView(AllocView());
    LinkView(view_);
    State().documents.ActiveView = view_;
    doc_ = AllocDocument();
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staffCount_, {systemCount_}, 4));
    ASSERT_NE(doc_->prototypes[kBoxType], nullptr);
    if (PageObjectListOf(view_) == nullptr) view_->pageObjects = AllocRootObject();
    window_ = ::ql::testing::OpenPlainWindow("QLEditingTest", kWindowWidth, kWindowHeight);
    State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
    ASSERT_TRUE(CreateColourSets());
    view_->ViewWindow = window_;
    view_->zoom = kZoom;
    view_->pageView = 1;
    view_->pageOrigin[0] = kLogicalOrigin;
    view_->pageOrigin[1] = kLogicalOrigin;
    originX_ = kLogicalOrigin + 800;
    originY_ = kLogicalOrigin + 640;
    win::SetFocus(window_);
}

void EditingTest::TearDown() {
    EndViewDrawAll(view_);
    ReleaseViewDrawing(view_);
    DeleteColourSets();
    FreeView(view_);
    FreeDocument(doc_);
    DestroySelectionState();
    ResetProgramState();
    ResetObjectClassTable();
    win::headless::ResetWindowLayer();
}

void EditingTest::RefuseWarps() {
    auto backend = std::make_unique<RefusingBackend>();
    refusing_ = backend.get();
    win::InstallBackend(std::move(backend));
}

void EditingTest::HoldKey(win::Key key, bool down) {
    if (refusing_ != nullptr)
        refusing_->SetKey(key, down);
    else
        win::headless::SetKeyDown(key, down);
}

gfx::Point EditingTest::Client(int32_t x, int32_t y) {
    BeginViewDraw(view_);
    const gfx::Point p = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{x, y});
    EndViewDraw(view_);
    return p;
}

// Through the box tool's handler, as the view passes every message to the tool.
intptr_t EditingTest::Send(win::Message message, uint32_t word, intptr_t data) {
    return ObjectToolHandler(view_, ToolAction::Message, nullptr, window_, message, word, data, kBoxType);
}

intptr_t EditingTest::MouseAtClient(win::Message message, gfx::Point client) {
    return Send(message, 0, win::PackPoint(win::Point{client.x, client.y}));
}

intptr_t EditingTest::Mouse(win::Message message, int32_t x, int32_t y) {
    return MouseAtClient(message, Client(x, y));
}

intptr_t EditingTest::Key(win::Key key) {
    return Send(win::Message::KeyDown, static_cast<uint32_t>(key), 1);
}

void EditingTest::Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int steps) {
    Mouse(win::Message::LeftButtonDown, x0, y0);
    for (int i = 1; i <= steps; ++i)
        Mouse(win::Message::MouseMove, x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    Mouse(win::Message::LeftButtonUp, x1, y1);
}

void EditingTest::ArmBoxTool() {
    ObjectToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0, kBoxType);
}

ScoreObject* EditingTest::MakeBox(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    ScoreObject* box = ConstructObject(kBoxType);
    if (box == nullptr) return nullptr;
    StoreField(box->BodyBytes(), BoxBody{left, top, right, bottom});
    InsertObjectAfter(PageObjectListOf(view_), box);
    return box;
}

std::vector<ScoreObject*> EditingTest::Boxes() const {
    std::vector<ScoreObject*> out;
    ScoreObject* head = PageObjectListOf(view_);
    for (ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get())
        if (o->type == kBoxType) out.push_back(o);
    return out;
}

std::vector<uint32_t> EditingTest::Pixels() const {
    return gfx::ReadBitmapPixels(win::GetWindowImage(window_));
}

}  // namespace ql::testing_editing
