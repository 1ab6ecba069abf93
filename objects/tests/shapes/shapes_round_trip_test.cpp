// Boxes, ellipses, lines, guides and margins made as a user makes them (a tool's
// click and drag, a handle dragged and committed, a dialog's OK), written into a
// score stream by the program's writer and read into a new document by its reader:
// every stored field comes back as it was made.
#include <gtest/gtest.h>

#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/units/paper_size.h"
#include "display/view_modes.h"
#include "objects/graphics/graphic_class.h"
#include "objects/graphics/shape_dialog_resources.h"
#include "objects/guide/guide_class.h"
#include "objects/guide/guide_line.h"
#include "objects/margin/margin_class.h"
#include "objects/margin/margin_object.h"
#include "objects/tests/shapes/shapes_mouse_fixture.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::testing_shapes {
namespace {

using namespace shape_dialog;
using ui::headless::DialogDriver;
using win::Message;

constexpr uint8_t kWavyFace = 182;  // the line tool's face that arms wavy lines
constexpr uint8_t kLargestStaffSize = 9;  // 3,072 units an inch: a letter page is 33,792 high
constexpr int32_t kLongDrag = 33400;      // down the page, beyond what a stored extent holds

class ShapesRoundTrip : public ShapesMouseTest {
  protected:
    void SetUp() override {
        ShapesMouseTest::SetUp();
        RegisterShapeDialogResources();
        PaperSizeOf(view_);
    }
    void TearDown() override {
        win::headless::SetKeyDown(win::Key::Shift, false);
        SetWavyLineArmed(false);  // the tool's flag outlives the program state's reset
        ShapesMouseTest::TearDown();
    }
    // Every stored field of a box, circle or line (the spare byte is never stored).
    static void ExpectSameGraphic(ScoreObject* made, ScoreObject* read) {
        ASSERT_NE(read, nullptr);
        const GraphicBody& a = AsGraphicObject(made)->body;
        const GraphicBody& b = AsGraphicObject(read)->body;
        EXPECT_EQ(V(read->type), V(made->type));
        EXPECT_EQ(V(read->subtype), V(made->subtype));
        EXPECT_EQ(V(b.location.position), V(a.location.position));
        EXPECT_EQ(V(b.location.classByte), V(a.location.classByte));
        EXPECT_EQ(V(b.location.staff), V(a.location.staff));
        EXPECT_EQ(V(b.location.measure), V(a.location.measure));
        EXPECT_EQ(V(b.width), V(a.width));
        EXPECT_EQ(V(b.height), V(a.height));
        EXPECT_EQ(V(b.colour), V(a.colour));
        EXPECT_EQ(V(b.style), V(a.style));
        EXPECT_EQ(V(b.penWidth), V(a.penWidth));
    }
    // The handles CreateGuideFromRuler left on the selection's list for the drag.
    static void FreeSelectionHandles() {
        SelectionState* selection = TheSelectionState();
        for (HitRecord* hit = selection->listAHead.next.get(); hit != &selection->listATail;) {
            HitRecord* next = hit->next.get();
            UnlinkHitRecord(hit);
            FreeHitRecord(hit);
            hit = next;
        }
    }
    // The objects of a type in the list of a measure's cell of a staff, in a document
    // (under its pools), in list order.
    static std::vector<ScoreObject*> CellItemsOf(ScoreDocument* document, int staff, int measure, ObjectType type) {
        std::vector<ScoreObject*> found;
        StaffRecord* record = StaffRecordOf(document, staff);
        MeasureCell* cell = record != nullptr ? GetOrCreateMeasureCell(record, document, measure) : nullptr;
        if (cell == nullptr || cell->objects.get() == nullptr) return found;
        for (ScoreObject* o = cell->objects->next.get(); o != nullptr; o = o->next.get())
            if (o->type == TypeCode(type)) found.push_back(o);
        return found;
    }
    // The objects of a type in the list of the view's current cell, in list order.
    std::vector<ScoreObject*> CurrentCellObjects(ObjectType type) {
        std::vector<ScoreObject*> found;
        if (view_->currentCell == nullptr || view_->currentCell->objects.get() == nullptr) return found;
        for (ScoreObject* o = view_->currentCell->objects->next.get(); o != nullptr; o = o->next.get())
            if (o->type == TypeCode(type)) found.push_back(o);
        return found;
    }
    int Edit(ScoreObject* object, int dialogId, ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(dialogId, std::move(script));
        return ClassOf(object).EditAttributes(object, view_);
    }
};

// A box clicked with its tool, its corner dragged, then given a white frame, a black
// interior and the widest frame button in its dialog; an ellipse clicked, stretched,
// squared and given a specified width of 40: both read back field for field.
TEST_F(ShapesRoundTrip, BoxAndEllipseFromToolDragAndDialog) {
    BoxTool(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    Click(&BoxTool, {200, 150});
    ASSERT_EQ(PageObjects(ObjectType::Box).size(), 1u);
    ScoreObject* box = PageObjects(ObjectType::Box)[0];
    Drag(&BoxTool, {200, 150}, {260, 170});
    ASSERT_EQ(Edit(box, kBoxDialog, [](DialogDriver& d) {
                  d.Click(kFrameWhite);
                  d.Click(kInteriorBlack);
                  d.Click(kFirstWidth + 3);
                  d.Click(ui::kIdOk);
              }),
              1);

    CircleTool(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    Click(&CircleTool, {400, 300});
    ASSERT_EQ(PageObjects(ObjectType::Circle).size(), 1u);
    ScoreObject* circle = PageObjects(ObjectType::Circle)[0];
    Grab(circle, 2);
    Move(circle, 344, 0);  // 600 x 256 before squaring
    Commit(circle);
    Grab(circle, 2);
    Move(circle, 0, 0);
    ClassOf(circle).Invalidate(circle, view_);  // squared as the mouse processor squares it
    Release();
    ASSERT_EQ(V(Body(circle).width), 256);
    ASSERT_EQ(V(Body(circle).height), 256);
    ASSERT_EQ(Edit(circle, kCircleDialog, [](DialogDriver& d) {
                  d.Click(kSpecified);
                  d.Type(kCircleWidthEdit, "0.31");
                  d.Click(ui::kIdOk);
              }),
              1);
    ASSERT_EQ(V(Body(circle).penWidth), 40);

    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    ScopedPoolSet pools(read->pools);
    const std::vector<ScoreObject*> boxes = ItemsOf(read->firstPage, ObjectType::Box);
    const std::vector<ScoreObject*> circles = ItemsOf(read->firstPage, ObjectType::Circle);
    ASSERT_EQ(boxes.size(), 1u);
    ASSERT_EQ(circles.size(), 1u);
    ExpectSameGraphic(box, boxes[0]);
    ExpectSameGraphic(circle, circles[0]);
}

// A straight line clicked, its end dragged down and given a specified width; a wavy
// line armed by the tool's face 182, clicked and its end Shift-dragged: both read
// back with their ends, widths and styles.
TEST_F(ShapesRoundTrip, StraightAndWavyLinesFromToolDragAndDialog) {
    LineTool(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    Click(&LineTool, {100, 100});
    Drag(&LineTool, {100 + 256 / kPixel, 100}, {100 + 256 / kPixel, 130});
    ASSERT_EQ(PageObjects(ObjectType::Line).size(), 1u);
    ScoreObject* straight = PageObjects(ObjectType::Line)[0];
    ASSERT_EQ(Edit(straight, kLineDialog, [](DialogDriver& d) {
                  d.Click(kSpecified);
                  d.Type(kBoxWidthEdit, "0.5");
                  d.Click(ui::kIdOk);
              }),
              1);

    ToolRecord wavyFace;
    wavyFace.bitmapId = kWavyFace;
    LineTool(view_, ToolAction::AlternateChosen, &wavyFace, window_, Message::Null, 0, 0);
    Click(&LineTool, {100, 250});
    ASSERT_EQ(PageObjects(ObjectType::Line).size(), 2u);
    ScoreObject* wavy = PageObjects(ObjectType::Line)[0];  // the newest heads the list
    ASSERT_EQ(V(Body(wavy).style), kLineWavy);
    Grab(wavy, 1);
    Move(wavy, 300, 40, true);  // Shift keeps it horizontal
    Commit(wavy);
    Release();
    ASSERT_EQ(V(Body(wavy).height), 0);

    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    ScopedPoolSet pools(read->pools);
    const std::vector<ScoreObject*> lines = ItemsOf(read->firstPage, ObjectType::Line);
    ASSERT_EQ(lines.size(), 2u);
    ExpectSameGraphic(wavy, lines[0]);
    ExpectSameGraphic(straight, lines[1]);
}

// On a page taller than a stored extent reaches, a box corner and a line end
// dragged down the whole page stop at the largest extent the record holds, so the
// shapes read back as they were shown.
TEST_F(ShapesRoundTrip, ExtentsDraggedPastTheRecordsRangeStopAtIt) {
    doc_->header.pageGeometry.staffSize = kLargestStaffSize;
    view_->UnitsPerInch = 0.0;  // taken from the document again
    PaperSizeOf(view_);
    ASSERT_GT(view_->PageBottom - kPageOrigin, kLongDrag + 256) << "the page is not that tall";
    ScoreObject* box = Graphic(ObjectType::Box, {kPageOrigin + 512, kPageOrigin + 256}, 512, 512);
    Grab(box, 2);
    Move(box, 0, kLongDrag);
    Commit(box);
    Release();
    ScoreObject* line = Graphic(ObjectType::Line, {kPageOrigin + 2048, kPageOrigin + 256}, 256, 0);
    Grab(line, 1);
    Move(line, 0, kLongDrag);
    Commit(line);
    Release();
    ScoreObject* up = Graphic(ObjectType::Line, {kPageOrigin + 4096, kPageOrigin + 33600}, 0, 0);
    Grab(up, 1);
    Move(up, 40, -kLongDrag);
    Commit(up);
    Release();
    EXPECT_EQ(V(Body(box).height), kLargestStoredExtent);
    EXPECT_EQ(V(Body(line).height), kLargestStoredExtent);
    EXPECT_EQ(V(Body(up).height), -kLargestStoredExtent);

    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    ScopedPoolSet pools(read->pools);
    const std::vector<ScoreObject*> boxes = ItemsOf(read->firstPage, ObjectType::Box);
    const std::vector<ScoreObject*> lines = ItemsOf(read->firstPage, ObjectType::Line);
    ASSERT_EQ(boxes.size(), 1u);
    ASSERT_EQ(lines.size(), 2u);
    ExpectSameGraphic(box, boxes[0]);
    ExpectSameGraphic(up, lines[0]);
    ExpectSameGraphic(line, lines[1]);
}

// In scroll view the tools anchor their shapes in the measure under the click, by
// time: a box clicked and its corner dragged, an ellipse clicked and given a frame
// in its dialog (opened on the unfocused ellipse, as a double click opens it), a
// straight line dragged out and a wavy one Shift-dragged read back into that
// measure's list with every stored field, and nothing else with them.
TEST_F(ShapesRoundTrip, ShapesInAMeasureInScrollView) {
    ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
    ASSERT_EQ(EnterScrollView(view_), 1);
    const int32_t left = view_->currentSystem->x;
    const int32_t staffY = view_->staffY;
    BoxTool(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    Click(&BoxTool, Device(left + 1500, staffY));
    std::vector<ScoreObject*> boxes = CurrentCellObjects(ObjectType::Box);
    ASSERT_EQ(boxes.size(), 1u) << "the box is not in a measure";
    ScoreObject* box = boxes[0];
    ASSERT_EQ(V(box->subtype), SubtypeCode(ObjectSubtype::MeasureTimeList));
    const int staff = view_->currentStaff;
    const int measure = view_->currentMeasure;
    Grab(box, 2);
    Move(box, 160, 96);
    Commit(box);
    Release();

    CircleTool(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    Click(&CircleTool, Device(left + 2000, staffY - 200));
    std::vector<ScoreObject*> circles = CurrentCellObjects(ObjectType::Circle);
    ASSERT_EQ(circles.size(), 1u);
    ScoreObject* circle = circles[0];
    ASSERT_EQ(view_->currentMeasure, measure) << "the shapes were meant for one measure";
    ASSERT_EQ(Edit(circle, kCircleDialog, [](DialogDriver& d) {
                  d.Click(kFrameWhite);
                  d.Click(kFirstWidth + 2);
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(CurrentCellObjects(ObjectType::Circle).size(), 1u) << "the dialog's OK linked another ellipse";

    LineTool(view_, ToolAction::Select, nullptr, window_, Message::Null, 0, 0);
    Click(&LineTool, Device(left + 1200, staffY + 300));
    std::vector<ScoreObject*> lines = CurrentCellObjects(ObjectType::Line);
    ASSERT_EQ(lines.size(), 1u);
    ScoreObject* straight = lines[0];
    Grab(straight, 1);
    Move(straight, 200, -120);
    Commit(straight);
    Release();
    ToolRecord wavyFace;
    wavyFace.bitmapId = kWavyFace;
    LineTool(view_, ToolAction::AlternateChosen, &wavyFace, window_, Message::Null, 0, 0);
    Click(&LineTool, Device(left + 1400, staffY + 600));
    lines = CurrentCellObjects(ObjectType::Line);
    ASSERT_EQ(lines.size(), 2u);
    ScoreObject* wavy = lines[0];  // the newest heads the list
    ASSERT_EQ(V(Body(wavy).style), kLineWavy);
    Grab(wavy, 1);
    Move(wavy, 400, 30, true);
    Commit(wavy);
    Release();

    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    ScopedPoolSet pools(read->pools);
    EXPECT_TRUE(ItemsOf(read->firstPage, ObjectType::Box).empty());
    const auto back = [&](ObjectType type) { return CellItemsOf(read, staff, measure, type); };
    ASSERT_EQ(back(ObjectType::Box).size(), 1u);
    ASSERT_EQ(back(ObjectType::Circle).size(), 1u);
    ASSERT_EQ(back(ObjectType::Line).size(), 2u);
    ExpectSameGraphic(box, back(ObjectType::Box)[0]);
    ExpectSameGraphic(circle, back(ObjectType::Circle)[0]);
    ExpectSameGraphic(straight, back(ObjectType::Line)[1]);
    ExpectSameGraphic(wavy, back(ObjectType::Line)[0]);
}

// Guides pulled from both rulers and dragged along their axes keep their direction
// and place.
TEST_F(ShapesRoundTrip, GuidesFromTheRulersAfterADrag) {
    win::SetCursorPosition(win::ClientToScreen(window_, {40, 60}));
    ScoreObject* across = CreateGuideFromRuler(view_, true);
    ASSERT_NE(across, nullptr);
    win::SetCursorPosition(win::ClientToScreen(window_, {90, 30}));
    ScoreObject* down = CreateGuideFromRuler(view_, false);
    ASSERT_NE(down, nullptr);
    FreeSelectionHandles();
    for (ScoreObject* guide : {across, down}) {
        Grab(guide, 0);
        Move(guide, 24, 40);
        ASSERT_EQ(Commit(guide), 1);
        Release();
    }

    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    ScopedPoolSet pools(read->pools);
    const std::vector<ScoreObject*> guides = ItemsOf(read->firstPage, ObjectType::Guide);
    ASSERT_EQ(guides.size(), 2u);
    for (size_t i = 0; i < guides.size(); ++i) {
        const GuideBody& made = AsGuideLine(i == 0 ? down : across)->body;  // the newest first
        const GuideBody& back = AsGuideLine(guides[i])->body;
        EXPECT_EQ(V(guides[i]->subtype), 1);
        EXPECT_EQ(V(back.orientation), V(made.orientation)) << i;
        EXPECT_EQ(V(back.position), V(made.position)) << i;
    }
    EXPECT_EQ(V(AsGuideLine(guides[1])->body.position), kPageOrigin + 60 * kPixel + 40);
    EXPECT_EQ(V(AsGuideLine(guides[0])->body.position), kPageOrigin + 90 * kPixel + 24);
}

// The margins of a page dragged at a corner and a side, and of a master page dragged
// (rounded and turned into its inch words): every page's margins, the masters'
// included, read back as they were left.
TEST_F(ShapesRoundTrip, MarginsOfPagesAndMastersAfterTheirDrags) {
    const auto drag = [this](ScorePage* page, int handle, int32_t dx, int32_t dy) {
        view_->currentPage = page;
        ScoreObject* margins = page->margins.get();
        Grab(margins, handle);
        Move(margins, dx, dy);
        const int result = Commit(margins);
        Release();
        return result;
    };
    ScorePage* first = doc_->firstPage;
    drag(first, kMarginBottomHandle, 0, -200);
    drag(first, 0, 64, 96);  // the top-left corner
    view_->zoomFactor = 0.0;
    drag(doc_->rightMaster, kMarginTopHandle, 0, 30);
    drag(doc_->leftMaster, 2, -100, -70);  // the bottom-right corner
    view_->currentPage = first;

    std::vector<MarginBody> made;
    for (ScorePage* page : {doc_->leftMaster, doc_->rightMaster, first})
        made.push_back(AsMarginObject(page->margins.get())->body);
    ASSERT_NE(V(made[2].distances[3]), kDefaultMargins[3]) << "the page's bottom edge did not move";

    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    ScopedPoolSet pools(read->pools);
    const ScorePage* pages[] = {read->leftMaster, read->rightMaster, read->firstPage};
    for (int p = 0; p < 3; ++p) {
        ASSERT_NE(pages[p]->margins.get(), nullptr) << p;
        const ScoreObject* margins = pages[p]->margins.get();
        EXPECT_EQ(V(margins->type), TypeCode(ObjectType::Margin));
        EXPECT_EQ(V(margins->subtype), 1);
        const MarginBody& back = AsMarginObject(pages[p]->margins.get())->body;
        for (int side = 0; side < kMarginSides; ++side) {
            EXPECT_EQ(V(back.distances[side]), V(made[p].distances[side])) << "page " << p << " side " << side;
            EXPECT_EQ(V(back.words[side]), V(made[p].words[side])) << "page " << p << " side " << side;
        }
    }
}

}  // namespace
}  // namespace ql::testing_shapes
