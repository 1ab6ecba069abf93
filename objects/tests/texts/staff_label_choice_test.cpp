// Choosing a staff label: the collection at a system's first measure (where labels
// stand, left of the system) takes the labels of the system's shown staves, for the
// Pointer tool and the label tool alike; the pointer over one finds it. Through the
// Pointer tool a click chooses it, a double click opens its dialog, Delete removes it
// from its staff, and a drag within its staff moves it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "editing/pointer_tool.h"
#include "editing/selection.h"
#include "editing/tools.h"
#include "layout/measure_format.h"
#include "notes/beatmap/beat_map.h"
#include "objects/object_services.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/gfx/mapping.h"
#include "platform/tests/win/plain_window.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"

namespace ql::testing_texts {
namespace {

constexpr int kLabelledStaff = 2;
constexpr int kPointerTool = 0;  // the marquee's type: every object is a target

class StaffLabelChoiceTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        window_ = ::ql::testing::OpenPlainWindow("QLStaffLabelChoiceTest", 800, 600);
        view_->ViewWindow = window_;
        State().documents.ActiveView = view_;
        win::SetFocus(window_);
    }
    void TearDown() override {
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        TextsTest::TearDown();
    }
    // A label on the staff, made through the dialog as a click with the tool makes it.
    ScoreObject* MakeLabel(int staff) {
        UseMeasure(staff, 1);
        view_->pointerPoint = LogicalPoint{view_->currentSystem->x, view_->staffY};
        ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog,
                                      [](ui::headless::DialogDriver& d) { d.PressEnter(); });
        return FindObjectClass(ClassOfType(ObjectType::Label))->CreateAtClick(nullptr, view_);
    }
    // The middle of the label as it stands at the first system's start.
    LogicalPoint Middle(ScoreObject* label) {
        UseMeasure(kLabelledStaff, 1);
        LogicalPoint corner{};
        DecodeAnchors(view_, SubtypeCode(ObjectSubtype::StaffLabelList),
                      &AsTextBox(label)->body.location, &corner, 1);
        return {corner.x + AsTextBox(label)->body.width / 2,
                corner.y + AsTextBox(label)->body.height / 2};
    }
    // Collects at the staff and measure with the armed tool, the pointer at `at`;
    // whether the label heads a record of the lists and the pointer finds it.
    bool Collects(int staff, int measure, LogicalPoint at, ScoreObject* label) {
        ResetSelection(view_, 0);
        UseMeasure(staff, measure);
        view_->pointerPoint = at;
        CollectHitRecordsAtLocation(view_);
        if (FindHitRecordOfElement(label) == nullptr) return false;
        return HitTestSelectionLists(view_, 1) == 1 &&
               TheSelectionState()->hoverObject.get() == label;
    }
    std::vector<ScoreObject*> StaffObjects(int staff) {
        return ListOf(StaffRecordOf(doc_, staff)->objects.get());
    }

    // The window's point of a logical one.
    gfx::Point Client(LogicalPoint at) {
        BeginViewDraw(view_);
        const gfx::Point client = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{at.x, at.y});
        EndViewDraw(view_);
        return client;
    }
    intptr_t Send(win::Message message, gfx::Point client, uint32_t word = 0) {
        return PointerToolHandler(view_, ToolAction::Message, nullptr, window_, message, word,
                                  win::PackPoint(win::Point{client.x, client.y}));
    }
    // Arms the Pointer tool and clicks the middle of the label; the clicked point.
    gfx::Point ClickLabelWithPointer(ScoreObject* label) {
        const gfx::Point at = Client(Middle(label));
        PointerToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
        Click(at);
        return at;
    }
    void Click(gfx::Point at) {
        Send(win::Message::MouseMove, at);
        Send(win::Message::LeftButtonDown, at);
        Send(win::Message::LeftButtonUp, at);
    }

    win::WindowHandle window_{};
};

TEST_F(StaffLabelChoiceTest, TheLabelIsATargetAtItsSystemsStartForThePointerAndTheLabelTool) {
    ScoreObject* label = MakeLabel(kLabelledStaff);
    ASSERT_NE(label, nullptr);
    const LogicalPoint middle = Middle(label);
    SelectToolType(view_, kPointerTool);
    EXPECT_TRUE(Collects(kLabelledStaff, 1, middle, label))
        << "the Pointer tool cannot choose the label";
    // Not from a later measure of the system. From the next staff's location too, as
    // a label may reach over it, unless the label's staff is hidden in the system.
    EXPECT_FALSE(Collects(kLabelledStaff, 2, middle, label));
    EXPECT_TRUE(Collects(kLabelledStaff + 1, 1, middle, label));
    int8_t* flags = StaffFlagsOf(view_->currentSystem);
    ASSERT_NE(flags, nullptr);
    const int8_t shown = flags[kLabelledStaff];
    flags[kLabelledStaff] = static_cast<int8_t>(0x80);
    EXPECT_FALSE(Collects(kLabelledStaff + 1, 1, middle, label));
    flags[kLabelledStaff] = shown;
    SelectToolType(view_, TypeCode(ObjectType::Label));
    EXPECT_TRUE(Collects(kLabelledStaff, 1, middle, label))
        << "the label tool cannot choose the label";
    // Another object's tool leaves it alone.
    SelectToolType(view_, TypeCode(ObjectType::TextBox));
    EXPECT_FALSE(Collects(kLabelledStaff, 1, middle, label));
}

// In page view the label stands left of each system its staff is in: on the second
// system too.
TEST_F(StaffLabelChoiceTest, TheLabelIsATargetAtEverySystemsStart) {
    // The page's own systems: the first no longer stands for the scroll view's.
    view_->pageView = 1;
    view_->currentPage->firstSystem->lastMeasure = kMeasuresPerSystem;
    UpdateBeatMaps(view_, 1);
    ScoreObject* label = MakeLabel(kLabelledStaff);
    ASSERT_NE(label, nullptr);
    SelectToolType(view_, kPointerTool);
    const int secondStart = kMeasuresPerSystem + 1;
    UseMeasure(kLabelledStaff, secondStart);
    ASSERT_NE(view_->currentSystem, nullptr);
    ASSERT_EQ(view_->currentSystem->firstMeasure, secondStart);
    LogicalPoint corner{};
    DecodeAnchors(view_, SubtypeCode(ObjectSubtype::StaffLabelList),
                  &AsTextBox(label)->body.location, &corner, 1);
    const LogicalPoint middle{corner.x + AsTextBox(label)->body.width / 2,
                              corner.y + AsTextBox(label)->body.height / 2};
    EXPECT_TRUE(Collects(kLabelledStaff, secondStart, middle, label));
    // Collected first at the first system's start (as the walk over the visible
    // systems does), then at the second's: the pointer finds it at the second.
    ResetSelection(view_, 0);
    UseMeasure(kLabelledStaff, 1);
    CollectHitRecordsAtLocation(view_);
    ASSERT_NE(FindHitRecordOfElement(label), nullptr);
    UseMeasure(kLabelledStaff, secondStart);
    view_->pointerPoint = middle;
    CollectHitRecordsAtLocation(view_);
    EXPECT_EQ(HitTestSelectionLists(view_, 1), 1)
        << "the label is found only where it was first collected";
    EXPECT_EQ(TheSelectionState()->hoverObject.get(), label);
}

// With the Pointer tool a click on the label chooses it and Delete takes it off its
// staff; the staff then takes a new label.
TEST_F(StaffLabelChoiceTest, AClickChoosesTheLabelAndDeleteRemovesIt) {
    ScoreObject* label = MakeLabel(kLabelledStaff);
    ASSERT_NE(label, nullptr);
    const gfx::Point at = ClickLabelWithPointer(label);
    SelectionState* selection = TheSelectionState();
    ASSERT_EQ(selection->focusedObject.get(), label) << "the click did not choose the label";
    Send(win::Message::KeyDown, at, static_cast<uint32_t>(win::Key::Delete));
    EXPECT_TRUE(StaffObjects(kLabelledStaff).empty()) << "Delete left the label on its staff";
    EXPECT_NE(selection->focusedObject.get(), label);
    EXPECT_NE(MakeLabel(kLabelledStaff), nullptr) << "the staff still counts a label";
}

// A double click on the label opens its dialog: the text typed there is the label's.
TEST_F(StaffLabelChoiceTest, ADoubleClickEditsTheLabel) {
    ScoreObject* label = MakeLabel(kLabelledStaff);
    ASSERT_NE(label, nullptr);
    const gfx::Point at = ClickLabelWithPointer(label);
    std::string shown;
    ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog,
                                  [&shown](ui::headless::DialogDriver& d) {
                                      shown = d.Text(text_block_dialog::kText);
                                      d.Type(text_block_dialog::kText, "Viola");
                                      d.PressEnter();
                                  });
    Send(win::Message::LeftButtonDoubleClick, at);
    Send(win::Message::LeftButtonUp, at);
    EXPECT_EQ(shown, "Staff:2") << "the double click did not open the label's dialog";
    EXPECT_STREQ(GetTextBoxString(label), "Viola");
    EXPECT_EQ(StaffObjects(kLabelledStaff), std::vector<ScoreObject*>{label});
}

// A new label stands at the click's height, its right end kStaffLabelGap left of its
// system; a drag from inside it moves it along its staff, its height kept on its staff.
TEST_F(StaffLabelChoiceTest, ADragMovesTheLabelOnItsStaff) {
    ScoreObject* label = MakeLabel(kLabelledStaff);
    ASSERT_NE(label, nullptr);
    UseMeasure(kLabelledStaff, 1);
    LogicalPoint corner{};
    DecodeAnchors(view_, SubtypeCode(ObjectSubtype::StaffLabelList),
                  &AsTextBox(label)->body.location, &corner, 1);
    EXPECT_EQ(corner.x + AsTextBox(label)->body.width, view_->currentSystem->x - kStaffLabelGap);
    EXPECT_EQ(corner.y, view_->staffY);
    const LogicalPoint before = Middle(label);
    const gfx::Point from = Client(before);
    const gfx::Point to{from.x - 6, from.y};
    PointerToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    Send(win::Message::MouseMove, from);
    Send(win::Message::LeftButtonDown, from);
    Send(win::Message::MouseMove, {from.x - 3, from.y});
    Send(win::Message::MouseMove, to);
    Send(win::Message::LeftButtonUp, to);
    Click({from.x, from.y + 200});  // lets it go
    const LogicalPoint after = Middle(label);
    EXPECT_LT(after.x, before.x) << "the label did not follow the pointer";
    EXPECT_EQ(after.y, before.y);
    EXPECT_EQ(StaffObjects(kLabelledStaff), std::vector<ScoreObject*>{label});
}

}  // namespace
}  // namespace ql::testing_texts
