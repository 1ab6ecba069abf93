// Hairpins: the flyout's wedge shape and placing, the stored order, the "F" flip,
// handle drags that turn the direction, mirrored drags under the Alt key, the cursors
// over the handles, moving between page and measure, dialog
// 812 (the from/to order rule, unchanged OK, the width limit) and the playback
// interval of a span.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/model/object_list.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "editing/tools.h"
#include "objects/graphics/graphic_class.h"
#include "objects/hairpin/hairpin_class.h"
#include "objects/hairpin/hairpin_internal.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/sys/resources.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/input.h"

namespace ql::testing_marks {
namespace {

using ui::headless::DialogDriver;
using ui::headless::SetDialogScript;
namespace hd = hairpin_dialog;

class HairpinTest : public MarksTest {
  protected:
    void SetUp() override {
        MarksTest::SetUp();
        UseDialogs();
    }
    void TearDown() override {
        Release();
        MarksTest::TearDown();
    }
    HairpinObject* PlaceHairpin(int measure, int32_t x, bool diminuendo) {
        MarkTools().diminuendo = diminuendo;
        ScoreObject* object = Place(ObjectType::Hairpin, PointIn(1, measure, x));
        EXPECT_NE(object, nullptr);
        SetCurrentMeasure(view_, 1, measure);
        return object != nullptr ? AsHairpin(object) : nullptr;
    }
    HairpinShape Shape(HairpinObject* hairpin) { return DecodeHairpinShape(hairpin, view_); }
    // Builds the handles and makes the kind-th one current, as the mouse processor does.
    void Grab(HairpinObject* hairpin, int kind) {
        Release();
        ScoreObject* object = &hairpin->header;
        chain_ = ClassOf(object).BuildHandles(object, view_);
        ASSERT_NE(chain_, nullptr);
        object->handleChain = Ref32<HitRecord>::To(chain_);
        HitRecord* current = chain_;
        for (int i = 0; i < kind; ++i) current = current->child.get();
        SelectionState* selection = TheSelectionState();
        selection->focusRecord = Ref32<HitRecord>::To(chain_);
        selection->focusedObject = Ref32<ScoreObject>::To(object);
        selection->grabbedRecord = Ref32<HitRecord>::To(current);
        owner_ = object;
    }
    void Drag(HairpinObject* hairpin, int32_t dx, int32_t dy) {
        SelectionState* selection = TheSelectionState();
        selection->dragOffsetX = dx;
        selection->dragOffsetY = dy;
        ClassOf(&hairpin->header).TrackDrag(&hairpin->header, view_);
    }
    // Frees the focused chain (a commit may have replaced the one built).
    void Release() {
        if (chain_ == nullptr) return;
        owner_->handleChain = Ref32<HitRecord>{};
        SelectionState* selection = TheSelectionState();
        HitRecord* live = selection->focusRecord ? selection->focusRecord.get() : chain_;
        FreeHitRecordChain(live);
        FreeHitRecord(live);
        chain_ = nullptr;
        selection->focusRecord = selection->grabbedRecord = Ref32<HitRecord>{};
        selection->focusedObject = Ref32<ScoreObject>{};
    }
    HitRecord* chain_ = nullptr;
    ScoreObject* owner_ = nullptr;
};

TEST_F(HairpinTest, FlyoutChoosesTheWedge) {
    ToolRecord diminuendo;
    diminuendo.bitmapId = kDiminuendoFlyoutBitmap;
    ToolRecord other;
    other.bitmapId = kDiminuendoFlyoutBitmap + 1;
    // Action 3 with the diminuendo entry, and with any other entry.
    EXPECT_EQ(HairpinTool(view_, AlternateChosen, &diminuendo, {}, win::Message::Null, 0, 0), 0);
    EXPECT_TRUE(MarkTools().diminuendo);
    EXPECT_EQ(HairpinTool(view_, AlternateChosen, &other, {}, win::Message::Null, 0, 0), 0);
    EXPECT_FALSE(MarkTools().diminuendo);
}

TEST_F(HairpinTest, DiminuendoClickPlacesWedgeWithApexRight) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(2, 200, true);
    ASSERT_NE(hairpin, nullptr);
    const HairpinShape shape = Shape(hairpin);
    // 1024 wide, 174 open, apex on the right, direction 0.
    EXPECT_EQ(shape.apex.x - shape.upper.x, kHairpinLength);
    EXPECT_EQ(shape.lower.x, shape.upper.x);
    EXPECT_EQ(shape.lower.y - shape.upper.y, 2 * kHairpinHalfOpening);
    EXPECT_EQ(shape.apex.y * 2, shape.upper.y + shape.lower.y);
    EXPECT_EQ(hairpin->direction, 0);
    // Stored order of a diminuendo: upper end, apex, lower end (the apex second).
    ObjectLocation stored[kHairpinPoints];
    std::memcpy(stored, hairpin->points, sizeof stored);
    LogicalPoint raw[kHairpinPoints] = {};
    DecodeAnchors(view_, 0, stored, raw, kHairpinPoints);
    EXPECT_EQ(raw[0].x, shape.upper.x);
    EXPECT_EQ(raw[1].x, shape.apex.x);
    EXPECT_EQ(raw[2].y, shape.lower.y);
    // It is in the clicked measure's list, with the defaults.
    ASSERT_EQ(CellObjects(1, 2).size(), 1u);
    EXPECT_EQ(hairpin->action.head.values.value, 0);
    EXPECT_EQ(hairpin->action.head.values.finalValue, 16);
    EXPECT_EQ(hairpin->lineWidth, HairpinDefaultLineWidth(doc_));
}

TEST_F(HairpinTest, StoredOrderPutsTheLeftEndFirst) {
    const HairpinShape crescendo = HairpinTemplate({0, 0}, false);
    const HairpinShape diminuendo = HairpinTemplate({0, 0}, true);
    // Crescendo: apex at the left; diminuendo: apex at the right.
    EXPECT_EQ(crescendo.apex.x, 0);
    EXPECT_EQ(crescendo.upper.x, kHairpinLength);
    EXPECT_TRUE(IsCrescendoShape(crescendo));
    EXPECT_EQ(diminuendo.apex.x, kHairpinLength);
    EXPECT_EQ(diminuendo.upper.x, 0);
    EXPECT_FALSE(IsCrescendoShape(diminuendo));
}

TEST_F(HairpinTest, FlipTurnsCrescendoIntoDiminuendo) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 200, false);
    ASSERT_NE(hairpin, nullptr);
    const HairpinShape before = Shape(hairpin);
    const int steps = UndoSteps();
    EXPECT_EQ(ClassOf(&hairpin->header).OnKey(&hairpin->header, view_, kKeyF), 1);
    const HairpinShape after = Shape(hairpin);
    // The apex goes to where the open end was, the ends to where the apex was.
    EXPECT_EQ(hairpin->direction, 0);
    EXPECT_EQ(after.apex.x, before.upper.x);
    EXPECT_EQ(after.upper.x, before.apex.x);
    EXPECT_EQ(after.lower.y - after.upper.y, before.lower.y - before.upper.y);
    EXPECT_EQ(UndoSteps(), steps + 1);
    // The pure flip of a crescendo from 0 to 1024.
    const HairpinShape flipped = FlipHairpinShape(HairpinTemplate({0, 0}, false));
    EXPECT_EQ(flipped.apex.x, 1024);
    EXPECT_EQ(flipped.upper.x, 0);
    EXPECT_EQ(flipped.lower.x, 0);
}

TEST_F(HairpinTest, ApexDraggedPastTheEndsTurnsDirection) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 100, false);
    ASSERT_NE(hairpin, nullptr);
    Grab(hairpin, kApexHandle);
    // Short of the middle of the ends it stays a crescendo; past it a diminuendo.
    Drag(hairpin, 400, 0);
    HairpinShape shape;
    ASSERT_TRUE(ShapeOfHandles(&hairpin->header, &shape));
    EXPECT_TRUE(IsCrescendoShape(shape));
    Drag(hairpin, 1000, 0);
    ASSERT_TRUE(ShapeOfHandles(&hairpin->header, &shape));
    EXPECT_FALSE(IsCrescendoShape(shape));
    // The opening handle now stands left of the ends.
    HitRecord* opening = TheSelectionState()->focusRecord.get()->child.get()->child.get()->child.get();
    EXPECT_LT(opening->point.x, shape.upper.x);
    EXPECT_EQ(ClassOf(&hairpin->header).CommitDrag(&hairpin->header, view_), 1);
    EXPECT_EQ(hairpin->direction, 0);
    EXPECT_EQ(Shape(hairpin).apex.x, shape.apex.x);
}

// With symmetric hairpins on, an end drag mirrors only while the Alt key stands
// otherwise than at the drag's start; with the option off Alt changes nothing.
TEST_F(HairpinTest, AltTurnsMirroringOnAndOffDuringADrag) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 100, false);
    ASSERT_NE(hairpin, nullptr);
    const HairpinShape start = Shape(hairpin);
    auto lowerAfterUpperDrag = [&](bool option, bool altAtStart, bool altNow) {
        Grab(hairpin, kUpperHandle);
        Options().SymmetricHairpins = option ? 1 : 0;
        State().input.AltAtDragStart = altAtStart ? 1 : 0;
        win::headless::SetKeyDown(win::Key::Alt, altNow);
        Drag(hairpin, 0, -40);
        win::headless::SetKeyDown(win::Key::Alt, false);
        HairpinShape shape{};
        EXPECT_TRUE(ShapeOfHandles(&hairpin->header, &shape));
        EXPECT_EQ(shape.upper.y, start.upper.y - 40);
        return shape.lower.y - start.lower.y;
    };
    EXPECT_EQ(lowerAfterUpperDrag(true, false, false), 0);
    EXPECT_EQ(lowerAfterUpperDrag(true, false, true), 40) << "Alt pressed during the drag mirrors";
    EXPECT_EQ(lowerAfterUpperDrag(true, true, false), 40) << "Alt let go during the drag mirrors";
    EXPECT_EQ(lowerAfterUpperDrag(true, true, true), 0) << "Alt held throughout";
    EXPECT_EQ(lowerAfterUpperDrag(false, false, true), 0) << "the option is off";
}

// Over its handles a hairpin shows the move cursor on the move handle, the second
// cursor on the opening handle and the handle cursor on the apex and the ends.
TEST_F(HairpinTest, EachHandleKindShowsItsCursor) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 100, false);
    ASSERT_NE(hairpin, nullptr);
    auto bundle = std::make_shared<sys::ResourceBundle>(*sys::GetProgramBundle());
    for (int id : {kHandleCursorResource, kSecondCursorResource, kMoveCursorResource})
        bundle->cursors[id] = sys::CursorResource{1, 1, gfx::Point{0, 0}, {0xFF000000u}};
    sys::SetProgramBundle(bundle);
    Grab(hairpin, kApexHandle);
    const int expected[kHairpinHandleCount] = {kHandleCursorResource, kHandleCursorResource, kHandleCursorResource,
                                               kSecondCursorResource, kMoveCursorResource};
    HitRecord* handle = chain_;
    for (int kind = 0; kind < kHairpinHandleCount; ++kind, handle = handle->child.get()) {
        ASSERT_NE(handle, nullptr);
        TheSelectionState()->hoverRecord = Ref32<HitRecord>::To(handle);
        ClassOf(&hairpin->header).SetToolCursor(&hairpin->header, 0, 0);
        EXPECT_EQ(win::CursorResourceId(win::GetCursor()), expected[kind]) << "handle kind " << kind;
    }
    TheSelectionState()->hoverRecord = Ref32<HitRecord>{};
}

TEST_F(HairpinTest, HandleDragsMoveWhatTheyHold) {
    const HairpinShape start = HairpinTemplate({0, 0}, false);
    // An end alone; with mirror the other end opposite.
    HairpinShape moved = DragHairpinHandle(start, kUpperHandle, {10, -20}, false);
    EXPECT_EQ(moved.upper.y, -107);
    EXPECT_EQ(moved.lower.y, 87);
    moved = DragHairpinHandle(start, kUpperHandle, {10, -20}, true);
    EXPECT_EQ(moved.lower.y, 107);
    EXPECT_EQ(moved.lower.x, 1034);
    // The opening handle moves both ends; the apex only in mirror mode, by y.
    moved = DragHairpinHandle(start, kOpeningHandle, {50, 5}, false);
    EXPECT_EQ(moved.upper.x, 1074);
    EXPECT_EQ(moved.lower.x, 1074);
    EXPECT_EQ(moved.apex.y, 0);
    moved = DragHairpinHandle(start, kOpeningHandle, {50, 5}, true);
    EXPECT_EQ(moved.apex.y, 5);
    EXPECT_EQ(moved.apex.x, 0);
    // The handle points: the opening handle 256 beyond the ends' middle.
    const auto points = HairpinHandlePoints(start);
    EXPECT_EQ(points[kOpeningHandle].x, 1024 + 256);
    EXPECT_EQ(points[kMoveHandle].x, 512);
}

TEST_F(HairpinTest, EditInPlaceTogglesPageAndMeasure) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(2, 200, false);
    ASSERT_NE(hairpin, nullptr);
    const HairpinShape shape = Shape(hairpin);
    ScoreObject* object = &hairpin->header;
    ClassOf(object).EditInPlace(object, view_);
    EXPECT_EQ(object->subtype, SubtypeCode(ObjectSubtype::PageList));
    EXPECT_TRUE(CellObjects(1, 2).empty());
    EXPECT_EQ(Shape(hairpin).apex.x, shape.apex.x);
    EXPECT_EQ(Shape(hairpin).upper.y, shape.upper.y);
    ClassOf(object).EditInPlace(object, view_);
    EXPECT_EQ(object->subtype, SubtypeCode(ObjectSubtype::MeasureTimeList));
    ASSERT_EQ(CellObjects(1, 2).size(), 1u);
    EXPECT_EQ(Shape(hairpin).apex.x, shape.apex.x);
}

TEST_F(HairpinTest, NewDiminuendoDialogShowsFromSixteenToZero) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 200, true);
    ASSERT_NE(hairpin, nullptr);
    int from = -1;
    int to = -1;
    SetDialogScript(hd::kDialog, [&](DialogDriver& d) {
        from = d.Int(hd::kFrom).value_or(-1);
        to = d.Int(hd::kTo).value_or(-1);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunHairpinDialog(view_, &hairpin->header), 2);
    EXPECT_EQ(from, 16);
    EXPECT_EQ(to, 0);
    // Cancel left the stored values as they were.
    EXPECT_EQ(hairpin->action.head.values.value, 0);
}

TEST_F(HairpinTest, FromAboveToKeepsCrescendoDialogOpen) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 200, false);
    ASSERT_NE(hairpin, nullptr);
    bool openAfterOk = false;
    SetDialogScript(hd::kDialog, [&](DialogDriver& d) {
        d.Type(hd::kFrom, "40");
        d.Type(hd::kTo, "20");
        d.Click(ui::kIdOk);
        openAfterOk = d.IsOpen();
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunHairpinDialog(view_, &hairpin->header), 2);
    EXPECT_TRUE(openAfterOk);
    ASSERT_FALSE(ui::headless::MessageBoxes().empty());
    EXPECT_EQ(ui::headless::MessageBoxes().back().text, "From-value must be less than To-value (Crescendo).");
    EXPECT_EQ(ui::headless::MessageBoxes().back().caption, "Crescendo");
    EXPECT_EQ(hairpin->action.head.values.value, 0);
}

TEST_F(HairpinTest, DialogCommitsOnlyAChange) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 200, false);
    ASSERT_NE(hairpin, nullptr);
    const uint32_t changes = ChangeCount();
    const int steps = UndoSteps();
    SetDialogScript(hd::kDialog, [](DialogDriver& d) { d.Click(ui::kIdOk); });
    EXPECT_EQ(RunHairpinDialog(view_, &hairpin->header), 2);
    EXPECT_EQ(ChangeCount(), changes);
    // A width typed beyond the byte is kept at 255, with the beep; one undo step.
    SetDialogScript(hd::kDialog, [](DialogDriver& d) {
        d.Type(hd::kWidth, "300");
        d.Type(hd::kTo, "64");
        d.Click(hd::kVolume);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunHairpinDialog(view_, &hairpin->header), 1);
    EXPECT_EQ(hairpin->lineWidth, 255);
    EXPECT_EQ(hairpin->action.head.values.finalValue, 64);
    EXPECT_EQ(hairpin->action.flags & kMidiFlagKeyVelocity, 0);
    EXPECT_EQ(UndoSteps(), steps + 1);
    EXPECT_EQ(doc_->undoStack->objectType, 7);
    // The width spin stops at 255 and at 0.
    SetDialogScript(hd::kDialog, [](DialogDriver& d) {
        d.StepUpDown(hd::kWidthSpin, 3);
        d.Type(hd::kWidth, "1");
        d.StepUpDown(hd::kWidthSpin, -3);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunHairpinDialog(view_, &hairpin->header), 1);
    EXPECT_EQ(hairpin->lineWidth, 0);
}

TEST_F(HairpinTest, PlaybackIntervalOfSpan) {
    // Span / 256, within 1..255.
    EXPECT_EQ(HairpinIntervalOfSpan(128), 1);
    EXPECT_EQ(HairpinIntervalOfSpan(0), 1);
    EXPECT_EQ(HairpinIntervalOfSpan(1024), 4);
    EXPECT_EQ(HairpinIntervalOfSpan(80000), 255);
    EXPECT_EQ(HairpinIntervalOfSpan(65536 + 512), 255);
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 0, false);
    ASSERT_NE(hairpin, nullptr);
    // From tick 1024 of measure 1 to tick 512 of measure 3: 4096 - 1024 + 4096 + 512.
    hairpin->points[0].coarse[0] = 0;
    hairpin->points[0].coarse[1] = 1024;
    hairpin->points[1].coarse[0] = 2;
    hairpin->points[1].coarse[1] = 512;
    EXPECT_EQ(HairpinSpanTicks(*hairpin, doc_, 1), 7680);
    // Measure 2 a multi-measure rest of three bars: the span lasts all of them.
    MeasureRecordOf(doc_, 2)->extra = 2;
    EXPECT_EQ(HairpinSpanTicks(*hairpin, doc_, 1), 7680 + 2 * 4096);
    MeasureRecordOf(doc_, 2)->extra = 0;
    MidiAction action{};
    ASSERT_TRUE(HairpinPlaybackAction(*hairpin, doc_, 1, &action));
    EXPECT_EQ(action.interval, 30);
    EXPECT_EQ(action.head.values.value, 0);
    EXPECT_EQ(action.head.values.finalValue, 16);
    // The stored action keeps its own interval.
    EXPECT_EQ(hairpin->action.interval, kMidiActionDefaultInterval);
    hairpin->action.flags &= ~kMidiFlagEnabled;
    EXPECT_FALSE(HairpinPlaybackAction(*hairpin, doc_, 1, &action));
}

TEST_F(HairpinTest, CloneCopiesTheBody) {
    BuildScore(1);
    HairpinObject* hairpin = PlaceHairpin(1, 200, true);
    ASSERT_NE(hairpin, nullptr);
    hairpin->lineWidth = 40;
    hairpin->reserved[1] = 9;
    ScoreObject* copy = ClassOf(&hairpin->header).Clone(&hairpin->header, view_, PoolSet(doc_->pools),
                                                        PoolSet(doc_->pools));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::memcmp(ClassOf(copy).GetBody(copy), ClassOf(&hairpin->header).GetBody(&hairpin->header),
                          kHairpinBodyBytes),
              0);
    EXPECT_EQ(copy->subtype, hairpin->header.subtype);
    ReleaseObjectByType(doc_, copy);
}

}  // namespace
}  // namespace ql::testing_marks
