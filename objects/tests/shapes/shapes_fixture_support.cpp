// Set-up and drag helpers of the shape tests (see shapes_fixture.h).
#include "objects/tests/shapes/shapes_fixture.h"

#include <filesystem>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/selection_state.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "objects/stored_classes.h"
#include "objects/tests/score_round_trip.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"

namespace ql::testing_shapes {
namespace {

constexpr int kScreenDpi = 96;
constexpr int32_t kZoom = 16;
constexpr uint32_t kDarkLimit = 0x80;  // a channel below this is dark

bool IsDark(uint32_t pixel) {
    return (pixel & 0xFF) < kDarkLimit && ((pixel >> 8) & 0xFF) < kDarkLimit &&
           ((pixel >> 16) & 0xFF) < kDarkLimit;
}

}  // namespace

void ShapesTest::SetUp() {
    ResetProgramState();
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    RegisterTextObjectClasses();
    RegisterMidiTextObjectClass();
    RegisterStoredObjectClasses();
    ASSERT_NE(CreateSelectionState(), nullptr);
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
    ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
    ASSERT_EQ(ActivateView(view_), view_);
    view_->pageView = 1;
    view_->zoom = kZoom;
    view_->pageOrigin[0] = view_->pageOrigin[1] = kPageOrigin;
}

void ShapesTest::TearDown() {
    for (ScoreLoad& load : loads_) FreeLoadedScore(load);
    loads_.clear();
    Release();
    EndViewDrawAll(view_);
    ReleaseViewDrawing(view_);
    DeleteColourSets();
    FreeView(view_);
    FreeDocument(doc_);
    DestroySelectionState();
    ResetProgramState();
    ResetObjectClassTable();
}

ScoreObject* ShapesTest::Graphic(ObjectType type, LogicalPoint at, int32_t width, int32_t height) {
    ScoreObject* object = ConstructObject(TypeCode(type));
    EXPECT_NE(object, nullptr);
    if (object == nullptr) return nullptr;
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    EncodePageAnchors(view_, &Body(object).location, &at, 1);
    Body(object).width = width;
    Body(object).height = height;
    InsertObjectBySubtype(view_, object);
    return object;
}

LogicalPoint ShapesTest::Anchor(ScoreObject* object) {
    LogicalPoint point{};
    DecodeAnchors(view_, object->subtype, &Body(object).location, &point, 1);
    return point;
}

HitRecord* ShapesTest::Grab(ScoreObject* object, int index) {
    Release();
    chain_ = ClassOf(object).BuildHandles(object, view_);
    EXPECT_NE(chain_, nullptr);
    if (chain_ == nullptr) return nullptr;
    object->handleChain = Ref32<HitRecord>::To(chain_);
    SelectionState* selection = TheSelectionState();
    selection->focusRecord = Ref32<HitRecord>::To(chain_);
    selection->focusedObject = Ref32<ScoreObject>::To(object);
    HitRecord* current = chain_;
    for (int i = 0; i < index && current != nullptr; ++i) current = current->child.get();
    selection->grabbedRecord = Ref32<HitRecord>::To(current);
    selection->grabbedKind = current != nullptr ? current->kind : -1;
    if (current != nullptr) {
        selection->grabX = current->point.x;
        selection->grabY = current->point.y;
    }
    return current;
}

void ShapesTest::Move(ScoreObject* object, int32_t dx, int32_t dy, bool constrain) {
    SelectionState* selection = TheSelectionState();
    selection->dragOffsetX = dx;
    selection->dragOffsetY = dy;
    if (constrain) ClassOf(object).ConstrainDrag(object, view_);
    ClassOf(object).TrackDrag(object, view_);
}

void ShapesTest::MoveWhole(ScoreObject* object, int32_t dx, int32_t dy) {
    SelectionState* selection = TheSelectionState();
    selection->dragOffsetX = dx;
    selection->dragOffsetY = dy;
    ClassOf(object).DragMove(object, view_);
}

int ShapesTest::Commit(ScoreObject* object) {
    int result = ClassOf(object).CommitDrag(object, view_);
    // A commit may rebuild the handles: the focused chain is the one to free later.
    SelectionState* selection = TheSelectionState();
    if (selection->focusRecord.get() != chain_) {
        chain_ = selection->focusRecord.get();
        object->handleChain = Ref32<HitRecord>::To(chain_);
    }
    return result;
}

void ShapesTest::Release() {
    if (chain_ == nullptr) return;
    if (ScoreObject* owner = chain_->owner.get()) owner->handleChain = Ref32<HitRecord>{};
    FreeHitRecordChain(chain_);
    FreeHitRecord(chain_);
    chain_ = nullptr;
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return;
    selection->focusRecord = Ref32<HitRecord>{};
    selection->grabbedRecord = Ref32<HitRecord>{};
    selection->focusedObject = Ref32<ScoreObject>{};
}

void ShapesTest::OpenWindow(int width, int height) {
    window_ = ::ql::testing::OpenPlainWindow("QLShapesTest", width, height);
    State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
    ASSERT_TRUE(CreateColourSets());
    view_->ViewWindow = window_;
    ClearWindow();
}

gfx::Point ShapesTest::Device(int32_t x, int32_t y) {
    BeginViewDraw(view_);
    const gfx::Point device = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{x, y});
    EndViewDraw(view_);
    return device;
}

uint32_t ShapesTest::Pixel(int32_t x, int32_t y) {
    gfx::Point at = Device(x, y);
    return gfx::GetBitmapPixel(win::GetWindowImage(window_), at.x, at.y);
}

int ShapesTest::DarkInRow(int row, int from, int to) {
    platform::BitmapHandle image = win::GetWindowImage(window_);
    int dark = 0;
    for (int x = from; x <= to; ++x) dark += IsDark(gfx::GetBitmapPixel(image, x, row)) ? 1 : 0;
    return dark;
}

int ShapesTest::DarkInColumn(int column, int from, int to) {
    platform::BitmapHandle image = win::GetWindowImage(window_);
    int dark = 0;
    for (int y = from; y <= to; ++y) dark += IsDark(gfx::GetBitmapPixel(image, column, y)) ? 1 : 0;
    return dark;
}

void ShapesTest::ClearWindow() {
    BeginViewDraw(view_);
    platform::DcHandle dc = view_->ViewDC;
    gfx::Rect all = gfx::GetClipBox(dc);
    gfx::FillRect(dc, all, gfx::GetStockBrush(gfx::StockBrush::White));
    EndViewDraw(view_);
}

void ShapesTest::SavePicture(const std::string& name) {
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(window_),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string()));
}

ScoreDocument* ShapesTest::Reload() {
    ScoreLoad load = testing::WriteAndReadBack(doc_, view_);
    if (load.document == nullptr) return nullptr;
    loads_.push_back(load);
    return load.document;
}

std::vector<ScoreObject*> ShapesTest::ItemsOf(ScorePage* page, ObjectType type) {
    std::vector<ScoreObject*> found;
    for (ScoreObject* o = page->margins.get(); o != nullptr; o = o->next.get())
        if (o->type == TypeCode(type)) found.push_back(o);
    return found;
}

}  // namespace ql::testing_shapes
