// A text box on a page in a window: the marquee's test (the whole box strictly inside
// the rectangle), the drag image (its text in red, a second blit taking it away, made
// again at the size the corner is dragged to), and drags through the text-box tool.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/anchors.h"
#include "editing/tools.h"
#include "objects/object_services.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_entry.h"
#include "objects/text_marks/text_line.h"
#include "objects/text_marks/text_tools.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/plain_window.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_texts {
namespace {

constexpr int kScreenDpi = 96;
constexpr int32_t kZoom = 16;
constexpr int32_t kPixel = 8;  // logical units per device pixel at zoom 16
constexpr int32_t kPageOrigin = -30720;
constexpr int kBoxSlot = 4;
constexpr int32_t kBoxWidth = 1600;
constexpr int32_t kBoxHeight = 480;

bool IsRed(uint32_t pixel) {
    return gfx::RedOf(pixel) > 200 && gfx::GreenOf(pixel) < 80 && gfx::BlueOf(pixel) < 80;
}
bool IsDark(uint32_t pixel) {
    return gfx::RedOf(pixel) < 100 && gfx::GreenOf(pixel) < 100 && gfx::BlueOf(pixel) < 100;
}

class TextBoxDragTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        window_ = ::ql::testing::OpenPlainWindow("QLTextBoxDragTest", 600, 400);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
        ASSERT_TRUE(CreateColourSets());
        State().documents.ActiveView = view_;
        view_->ViewWindow = window_;
        view_->pageView = 1;
        view_->zoom = kZoom;
        view_->pageOrigin[0] = view_->pageOrigin[1] = kPageOrigin;
        SetHandleSize(32);
        win::SetFocus(window_);
        text::LogicalFont request;
        request.height = -20 * kPixel;
        request.SetFace("DejaVu Sans");
        font_ = text::CreateFontIndirect(request);
        ASSERT_TRUE(font_);
        doc_->fonts[kBoxSlot].handle = font_.bits;
        ClearWindow();
    }
    void TearDown() override {
        SelectionState* selection = TheSelectionState();
        selection->focusRecord = selection->grabbedRecord = Ref32<HitRecord>{};
        for (HitRecord* first : chains_) FreeChain(first);
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        DeleteColourSets();
        doc_->fonts[kBoxSlot].handle = 0;
        gfx::DeleteObject(font_);
        TextsTest::TearDown();
    }
    // A box on the page with its top-left corner at a point of the window.
    ScoreObject* Box(const char* text, gfx::Point client) {
        ScoreObject* box = ConstructObject(TypeCode(ObjectType::TextBox));
        EXPECT_NE(box, nullptr);
        if (box == nullptr) return nullptr;
        box->subtype = SubtypeCode(ObjectSubtype::PageList);
        const LogicalPoint at = Logical(client);
        EncodePageAnchors(view_, &AsTextBox(box)->body.location, &at, 1);
        AsTextBox(box)->body.width = kBoxWidth;
        AsTextBox(box)->body.height = kBoxHeight;
        EXPECT_TRUE(SetTextBoxText(&AsTextBox(box)->body, text, std::strlen(text)));
        InsertObjectBySubtype(view_, box);
        return box;
    }
    // The box's handles, freed at the end of the test.
    HitRecord* Handles(ScoreObject* box) {
        HitRecord* first = ClassOf(box).BuildHandles(box, view_);
        if (first != nullptr) chains_.push_back(first);
        return first;
    }
    LogicalPoint Logical(gfx::Point client) {
        return {kPageOrigin + client.x * kPixel, kPageOrigin + client.y * kPixel};
    }
    LogicalPoint Anchor(ScoreObject* box) {
        LogicalPoint point{};
        DecodeAnchors(view_, box->subtype, &AsTextBox(box)->body.location, &point, 1);
        return point;
    }
    static int32_t Width(const ScoreObject* box) { return AsTextBox(box)->body.width; }
    static int32_t Height(const ScoreObject* box) { return AsTextBox(box)->body.height; }
    void ClearWindow() {
        BeginViewDraw(view_);
        gfx::PatternBlit(
            view_->ViewDC,
            {kPageOrigin, kPageOrigin, kPageOrigin + 600 * kPixel, kPageOrigin + 400 * kPixel},
            gfx::RasterOp::Whiteness);
        EndViewDraw(view_);
    }
    std::vector<uint32_t> Pixels() const {
        return gfx::ReadBitmapPixels(win::GetWindowImage(window_));
    }
    // The rows of a client rectangle with red (or other ink) in them; every such pixel
    // outside it counts in `outside`.
    int RedRows(const gfx::Rect& inside, int* outside, bool (*ink)(uint32_t) = IsRed) const {
        const std::vector<uint32_t> pixels = Pixels();
        int rows = 0;
        *outside = 0;
        for (int y = 0; y < 400; ++y) {
            bool red = false;
            for (int x = 0; x < 600; ++x) {
                if (!ink(pixels[static_cast<size_t>(y * 600 + x)])) continue;
                const bool within =
                    x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom;
                red = red || within;
                *outside += within ? 0 : 1;
            }
            rows += red ? 1 : 0;
        }
        return rows;
    }
    intptr_t Send(win::Message message, gfx::Point client) {
        return TextBoxToolHandler(view_, ToolAction::Message, nullptr, window_, message, 0,
                                  win::PackPoint(win::Point{client.x, client.y}));
    }
    void Click(gfx::Point at) {
        Send(win::Message::MouseMove, at);
        Send(win::Message::LeftButtonDown, at);
        Send(win::Message::LeftButtonUp, at);
    }
    void Drag(gfx::Point from, gfx::Point to) {
        Send(win::Message::MouseMove, from);
        Send(win::Message::LeftButtonDown, from);
        Send(win::Message::MouseMove, {(from.x + to.x) / 2, (from.y + to.y) / 2});
        Send(win::Message::MouseMove, to);
        Send(win::Message::LeftButtonUp, to);
    }
    static void FreeChain(HitRecord* first) {
        while (first != nullptr) {
            HitRecord* next = first->child.get();
            FreeStaticRecord(kHitRecordPool, first);
            first = next;
        }
    }

    win::WindowHandle window_{};
    platform::FontHandle font_{};
    std::vector<HitRecord*> chains_;
};

// The box is inside a marquee only when its whole rectangle, from its first handle,
// lies strictly inside; without handles it is never inside.
TEST_F(TextBoxDragTest, TheMarqueeTakesABoxWhollyInsideIt) {
    ScoreObject* box = Box("Tutti", {100, 100});
    ASSERT_NE(box, nullptr);
    const ScoreObjectClass& boxClass = ClassOf(box);
    EXPECT_EQ(boxClass.HitTest(box, {-32768, -32768, 32767, 32767}, nullptr), 0);
    HitRecord* first = Handles(box);
    ASSERT_NE(first, nullptr);
    const LogicalPoint at = Anchor(box);
    const int32_t right = at.x + kBoxWidth;
    const int32_t bottom = at.y + kBoxHeight;
    EXPECT_EQ(boxClass.HitTest(box, {at.x - 1, at.y - 1, right + 1, bottom + 1}, first), 1);
    EXPECT_EQ(boxClass.HitTest(box, {at.x, at.y - 1, right + 1, bottom + 1}, first), 0);
    EXPECT_EQ(boxClass.HitTest(box, {at.x - 1, at.y - 1, right, bottom + 1}, first), 0);
    EXPECT_EQ(boxClass.HitTest(box, {at.x - 1, at.y - 1, right + 1, bottom}, first), 0);
}

// While dragged, the box shows its text in red at its top-left handle, inside its
// rectangle, and drawn again the image goes. The corner dragged narrower makes the
// next image at the tracked size: the two words wrap onto two lines.
TEST_F(TextBoxDragTest, TheDragImageIsTheTextInRedAtTheTrackedSize) {
    ScoreObject* box = Box("Tutti forte", {100, 100});
    ASSERT_NE(box, nullptr);
    HitRecord* first = Handles(box);
    ASSERT_NE(first, nullptr);
    SelectionState* selection = TheSelectionState();
    selection->focusRecord = Ref32<HitRecord>::To(first);
    selection->grabbedRecord = first->child;
    const std::vector<uint32_t> before = Pixels();
    int outside = 0;
    ClassOf(box).DrawTracking(box, view_);
    const int oneLine =
        RedRows({100, 100, 100 + kBoxWidth / kPixel, 100 + kBoxHeight / kPixel}, &outside);
    EXPECT_GT(oneLine, 5);
    EXPECT_EQ(outside, 0);
    ClassOf(box).EraseTracking(box, view_);
    EXPECT_EQ(Pixels(), before);
    selection->dragOffsetX = -(kBoxWidth - 70 * kPixel);  // 70 pixels wide
    selection->dragOffsetY = 0;
    ClassOf(box).TrackDrag(box, view_);
    ClassOf(box).DrawTracking(box, view_);
    gfx::BitmapInfo info;
    ASSERT_TRUE(
        gfx::GetBitmapInfo(platform::BitmapHandle{AsTextBox(box)->body.bitmapCache}, &info));
    EXPECT_EQ(info.width, 70);
    EXPECT_EQ(info.height, kBoxHeight / kPixel);
    EXPECT_GT(RedRows({100, 100, 170, 100 + kBoxHeight / kPixel}, &outside), oneLine * 3 / 2);
    EXPECT_EQ(outside, 0);
    ClassOf(box).EraseTracking(box, view_);
}

// The box's text stands inside its rectangle whatever text alignment the view's
// drawing left in force (the score's systems are drawn on their baselines).
TEST_F(TextBoxDragTest, TheTextIsDrawnInsideTheBoxOnABaselineAlignedView) {
    ScoreObject* box = Box("Tutti forte", {100, 100});
    ASSERT_NE(box, nullptr);
    BeginViewDraw(view_);
    const gfx::TextAlign before = gfx::SetTextAlign(view_->ViewDC, gfx::kTextAlignBaseline | gfx::kTextAlignLeft);
    ClassOf(box).Draw(box, view_);
    EXPECT_EQ(gfx::SetTextAlign(view_->ViewDC, before), gfx::kTextAlignBaseline | gfx::kTextAlignLeft)
        << "drawing the box changed the view's text alignment";
    EndViewDraw(view_);
    int outside = 0;
    EXPECT_GT(RedRows({100, 100, 100 + kBoxWidth / kPixel, 100 + kBoxHeight / kPixel}, &outside, IsDark), 5);
    EXPECT_EQ(outside, 0) << "the text stands outside its box";
}

// Through the tool: a drag from inside the box moves it by the drag; a drag from its
// bottom-right corner resizes it.
TEST_F(TextBoxDragTest, ADragInsideMovesTheBoxAndOneFromItsCornerResizesIt) {
    TextBoxToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    ScoreObject* box = Box("Tutti", {100, 100});
    ASSERT_NE(box, nullptr);
    const LogicalPoint start = Anchor(box);
    Drag({120, 110}, {150, 130});
    EXPECT_EQ(Anchor(box).x, start.x + 30 * kPixel);
    EXPECT_EQ(Anchor(box).y, start.y + 20 * kPixel);
    EXPECT_EQ(Width(box), kBoxWidth);
    const gfx::Point corner{130 + kBoxWidth / kPixel, 120 + kBoxHeight / kPixel};
    Drag(corner, {corner.x + 25, corner.y + 10});
    EXPECT_EQ(Width(box), kBoxWidth + 25 * kPixel);
    EXPECT_EQ(Height(box), kBoxHeight + 10 * kPixel);
    EXPECT_EQ(Anchor(box).x, start.x + 30 * kPixel);
}

// A box made with the tool outlives the click that made it: it is no longer the
// object being placed when the click's message ends. A cancelled one is freed once
// and leaves nothing recorded.
TEST_F(TextBoxDragTest, ABoxMadeWithTheToolOutlivesItsClick) {
    TextBoxToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog,
                                  [](ui::headless::DialogDriver& d) {
                                      d.Type(text_block_dialog::kText, "Tutti");
                                      d.PressEnter();
                                  });
    Click({100, 100});
    std::vector<ScoreObject*> boxes = ListOf(PageObjectListOf(view_));
    ASSERT_EQ(boxes.size(), 1u) << "the new box went with the click's message";
    EXPECT_STREQ(GetTextBoxString(boxes[0]), "Tutti");
    EXPECT_EQ(TheSelectionState()->pendingObject.get(), nullptr);
    ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog,
                                  [](ui::headless::DialogDriver& d) { d.PressEscape(); });
    Click({100, 300});
    EXPECT_EQ(ListOf(PageObjectListOf(view_)), boxes);
    EXPECT_EQ(TheSelectionState()->pendingObject.get(), nullptr) << "a freed box is still pending";
}

// The pointer moving over the score while the box's dialog is up (a tool message
// inside the click's) leaves the box being placed alone: it is placed whole.
TEST_F(TextBoxDragTest, APointerMoveDuringTheDialogKeepsTheBoxBeingPlaced) {
    TextBoxToolHandler(view_, ToolAction::Select, nullptr, window_, win::Message::Null, 0, 0);
    ui::headless::SetDialogScript(text_block_dialog::kPlaceTextBlockDialog,
                                  [this](ui::headless::DialogDriver& d) {
                                      Send(win::Message::MouseMove, {300, 200});
                                      d.Type(text_block_dialog::kText, "Tutti");
                                      d.PressEnter();
                                  });
    Click({100, 100});
    const std::vector<ScoreObject*> boxes = ListOf(PageObjectListOf(view_));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->type, TypeCode(ObjectType::TextBox)) << "the box was freed while its dialog ran";
    EXPECT_STREQ(GetTextBoxString(boxes[0]), "Tutti");
}

// The same for a text line typed in the entry window after a click with the tool.
TEST_F(TextBoxDragTest, ATextLineMadeWithTheToolOutlivesItsClick) {
    ToolRecord record;
    record.alternateIndex = static_cast<int8_t>(TextToolVariant::TextLine);
    TextToolHandler(view_, ToolAction::Select, &record, window_, win::Message::Null, 0, 0);
    ScriptEntries({[](ui::headless::DialogDriver& d) {
                       d.Type(text_entry_dialog::kEntryEdit, "Allegro");
                       d.PressEnter();
                   },
                   [](ui::headless::DialogDriver& d) { d.PressEscape(); }});
    Click({100, 100});
    std::vector<ScoreObject*> lines = ListOf(PageObjectListOf(view_));
    ASSERT_EQ(lines.size(), 1u) << "the new text line went with the click's message";
    EXPECT_EQ(StringOf(lines[0]), "Allegro");
    EXPECT_EQ(TheSelectionState()->pendingObject.get(), nullptr);
    Click({100, 300});
    EXPECT_EQ(ListOf(PageObjectListOf(view_)), lines);
    EXPECT_EQ(TheSelectionState()->pendingObject.get(), nullptr) << "a freed text line is still pending";
}

}  // namespace
}  // namespace ql::testing_texts
