// Text boxes and staff labels: a justified box drawn into a PNG (line starts and ends
// read back from the pixels), creation at a click through the scripted "Place Text
// Block" dialog, the refusals (an empty text, a second label on a staff, a label
// outside measure 1), the box pushed back from the page's edge, an unchanged OK that
// leaves the document alone, "&Reset", a label dragged off its staff, and a label's
// handles built on its own staff; boxes and labels copied with texts of their own.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/text/charset_text.h"
#include "objects/object_services.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_box/text_block_layout.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"
#include "platform/text/text_metrics.h"

namespace ql::testing_texts {
namespace {

using ui::headless::DialogDriver;
using namespace text_block_dialog;

constexpr int kBoxSlot = 4;

class TextBoxTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        view_->pageView = 1;  // boxes go to the page
    }
    ScoreObject* Create(ObjectType type) {
        return FindObjectClass(ClassOfType(type))->CreateAtClick(nullptr, view_);
    }
    void ScriptDialog(std::function<void(DialogDriver&)> script) {
        ui::headless::SetDialogScript(kPlaceTextBlockDialog, std::move(script));
    }
    std::vector<ScoreObject*> StaffObjects(int staff) {
        return ListOf(StaffRecordOf(doc_, staff)->objects.get());
    }
};

// Ink rows grouped into lines of text: each line's leftmost and rightmost ink.
struct InkLine {
    int first = 0;
    int last = -1;
};
std::vector<InkLine> InkLines(platform::BitmapHandle image, int width, int height) {
    constexpr int kInk = 3 * 128;
    std::vector<InkLine> lines;
    bool inLine = false;
    for (int y = 0; y < height; ++y) {
        InkLine row{width, -1};
        for (int x = 0; x < width; ++x) {
            const gfx::Colour c = gfx::GetBitmapPixel(image, x, y);
            if (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c) < kInk) {
                row.first = std::min(row.first, x);
                row.last = std::max(row.last, x);
            }
        }
        if (row.last < 0) {
            inLine = false;
            continue;
        }
        if (!inLine) lines.push_back(row);
        inLine = true;
        lines.back().first = std::min(lines.back().first, row.first);
        lines.back().last = std::max(lines.back().last, row.last);
    }
    return lines;
}

// Justified lines start at the box's left and end at its right within a glyph's side
// bearing and less than one blank (the spare width that is not a whole blank).
TEST_F(TextBoxTest, AJustifiedBoxFillsItsLinesFromEdgeToEdge) {
    constexpr int kWidth = 400;
    constexpr int kHeight = 220;
    constexpr int kLeft = 20;
    constexpr int kTop = 10;
    constexpr int kBoxWidth = 360;
    text::LogicalFont request;
    request.height = -16;
    request.SetFace("DejaVu Sans");
    const platform::FontHandle font = text::CreateFontIndirect(request);
    ASSERT_TRUE(font);
    doc_->fonts[kBoxSlot].handle = font.bits;
    ScoreObject* box = ConstructObject(TypeCode(ObjectType::TextBox));
    ASSERT_NE(box, nullptr);
    AsTextBox(box)->body.style =
        static_cast<uint16_t>((AsTextBox(box)->body.style & ~0x0030) | (2 << 4));
    const std::string text =
        "The quick brown fox jumps over the lazy dog and keeps running far away.\r\n"
        "Pack my box with five dozen liquor jugs, said the sphinx of black quartz.\r\n"
        "How vexingly quick daft zebras jump when the wizard quickly boxes them.";
    ASSERT_TRUE(SetTextBoxText(&AsTextBox(box)->body, text.data(), text.size()));
    platform::DcHandle dc = gfx::CreateMemoryContext({});
    const platform::BitmapHandle image = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::SelectObject(dc, image);
    gfx::PatternBlit(dc, {0, 0, kWidth, kHeight}, gfx::RasterOp::Whiteness);
    LayoutTextBlock(box, view_, dc, dc, kLeft, kTop, {kBoxWidth, kHeight - kTop});
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(
        image, (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "justified_text_box.png").string()));
    const std::vector<InkLine> lines = InkLines(image, kWidth, kHeight);
    ASSERT_GE(lines.size(), 6u);  // three paragraphs of two lines or more
    for (const InkLine& line : lines) {
        EXPECT_NEAR(line.first, kLeft, 3);
        EXPECT_GT(line.last, kLeft + kBoxWidth - 12);
        EXPECT_LE(line.last, kLeft + kBoxWidth + 2);
    }
    gfx::DeleteContext(dc);
    gfx::DeleteObject(image);
    ReleaseObjectByType(doc_, box);
    doc_->fonts[kBoxSlot].handle = 0;
    gfx::DeleteObject(font);
}

// The box's lines drawn word by word as the layout places them, each word measured
// and drawn through MeasureText and DrawTextInCharset on its own.
std::vector<gfx::Colour> DrawnRunByRun(ScoreObject* box, platform::FontHandle font, platform::DcHandle dc,
                                       platform::BitmapHandle image, gfx::Point at, gfx::Size size) {
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    text::TextMetrics metrics;
    text::GetTextMetrics(dc, &metrics);
    gfx::Size blank;
    if (!MeasureText(dc, " ", 1, &blank)) blank = {};
    const TextBlockFont blockFont{metrics.height, metrics.internalLeading, blank.cx};
    TextBlockFormat format = TextBlockFormatOf(AsTextBox(box)->body);
    format.width = size.cx;
    format.height = size.cy;
    const std::string_view text = GetTextBoxString(box);
    const MeasureRun measure = [dc](std::string_view run) {
        gfx::Size extent;
        return MeasureText(dc, run.data(), static_cast<int>(run.size()), &extent) ? extent.cx : 0;
    };
    const std::vector<PlacedLine> lines = LayOutTextBlock(text, format, blockFont, measure, TheJustifyRotation());
    const int extra = gfx::SetTextCharacterExtra(dc, TrackingExtra(format.tracking, blank.cx));
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignLeft | gfx::kTextAlignTop);
    for (const PlacedLine& line : lines)
        for (const PlacedRun& run : line.runs)
            DrawTextInCharset(dc, at.x + run.x, at.y + line.y, text.substr(run.start, run.length));
    gfx::SetTextAlign(dc, align);
    gfx::SetTextCharacterExtra(dc, extra);
    gfx::SelectObject(dc, previous);
    return gfx::ReadBitmapPixels(image);
}

// Seeded boxes of every alignment and tracking, words of any letters (accented ones
// and symbols too) at several sizes, in a Western and a Cyrillic face: the box draws
// as its words drawn one by one.
TEST_F(TextBoxTest, ABoxDrawsAsItsWordsDrawnOneByOne) {
    constexpr int kWidth = 420;
    constexpr int kHeight = 300;
    constexpr int kSeeds = 24;
    constexpr const char* kWords[] = {"la", "li", "Allegro", "ma", "non", "troppo", "\xC9t\xE9",
                                      "f\xFCr", "(p)", "---", "\xE0", "WAVY", "j", "\xA9\xAE", "1.2"};
    platform::DcHandle dc = gfx::CreateMemoryContext({});
    const platform::BitmapHandle image = gfx::CreateImageBitmap(kWidth, kHeight);
    gfx::SelectObject(dc, image);
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937 random(seed);
        text::LogicalFont request;
        request.height = -static_cast<int32_t>(9 + random() % 20);
        request.charset = seed % 3 == 0 ? 204 : 0;
        request.italic = random() % 4 == 0;
        request.SetFace(random() % 2 == 0 ? "DejaVu Sans" : "DejaVu Serif");
        const platform::FontHandle font = text::CreateFontIndirect(request);
        ASSERT_TRUE(font);
        doc_->fonts[kBoxSlot].handle = font.bits;
        ScoreObject* box = ConstructObject(TypeCode(ObjectType::TextBox));
        ASSERT_NE(box, nullptr);
        TextBoxBody& body = AsTextBox(box)->body;
        body.style = static_cast<uint16_t>((kBoxSlot << kTextBoxSlotShift) |
                                           (static_cast<int>(random() % kTrackingSteps) << kTextBoxTrackingShift) |
                                           (static_cast<int>(random() % 4) << 4));
        std::string text;
        const int words = 8 + static_cast<int>(random() % 30);
        for (int w = 0; w < words; ++w) {
            text += kWords[random() % std::size(kWords)];
            text += random() % 9 == 0 ? "\r\n" : random() % 5 == 0 ? "  " : " ";
        }
        ASSERT_TRUE(SetTextBoxText(&body, text.data(), text.size()));
        const gfx::Point at{static_cast<int32_t>(random() % 20), static_cast<int32_t>(random() % 20)};
        const gfx::Size size{static_cast<int32_t>(120 + random() % 280), kHeight - 20};

        // Drawn as the view draws, on no background, and now and then on an opaque one.
        gfx::SetBackgroundMode(dc, seed % 4 == 0 ? gfx::BackgroundMode::Opaque
                                                 : gfx::BackgroundMode::Transparent);
        const JustifyRotation rotation = TheJustifyRotation();
        gfx::PatternBlit(dc, {0, 0, kWidth, kHeight}, gfx::RasterOp::Whiteness);
        LayoutTextBlock(box, view_, dc, dc, at.x, at.y, size);
        const std::vector<gfx::Colour> drawn = gfx::ReadBitmapPixels(image);
        TheJustifyRotation() = rotation;
        gfx::PatternBlit(dc, {0, 0, kWidth, kHeight}, gfx::RasterOp::Whiteness);
        EXPECT_EQ(drawn, DrawnRunByRun(box, font, dc, image, at, size)) << "seed " << seed;

        ReleaseObjectByType(doc_, box);
        doc_->fonts[kBoxSlot].handle = 0;
        gfx::DeleteObject(font);
    }
    gfx::DeleteContext(dc);
    gfx::DeleteObject(image);
}

TEST_F(TextBoxTest, ANewLabelNamesItsStaffAndAStaffTakesOnlyOne) {
    UseMeasure(3, 1);
    view_->pointerPoint = LogicalPoint{0, view_->staffY};
    std::string shown;
    ScriptDialog([&](DialogDriver& d) {
        shown = d.Text(kText);
        d.PressEnter();
    });
    ScoreObject* label = Create(ObjectType::Label);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(shown, "Staff:3");
    EXPECT_STREQ(GetTextBoxString(label), "Staff:3");
    EXPECT_EQ(StaffObjects(3), std::vector<ScoreObject*>{label});
    const int32_t width = AsTextBox(label)->body.width;
    EXPECT_GT(width, 0);
    // A second label on staff 3: the notice, and no dialog.
    const size_t dialogs = ui::headless::Dialogs().size();
    EXPECT_EQ(Create(ObjectType::Label), nullptr);
    EXPECT_EQ(ui::headless::Dialogs().size(), dialogs);
    EXPECT_EQ(StaffObjects(3).size(), 1u);
    // Outside measure 1: a beep and nothing.
    UseMeasure(2, 2);
    const size_t beeps = ui::headless::Beeps().size();
    EXPECT_EQ(Create(ObjectType::Label), nullptr);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_TRUE(StaffObjects(2).empty());
}

TEST_F(TextBoxTest, AnEmptyTextIsRefusedAndTheDialogStaysOpen) {
    bool openAfterRefusal = false;
    ScriptDialog([&](DialogDriver& d) {
        d.Type(kText, "   ");
        d.PressEnter();
        openAfterRefusal = d.IsOpen();
        d.Type(kText, "Andante");
        d.PressEnter();
    });
    ScoreObject* box = Create(ObjectType::TextBox);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->subtype, SubtypeCode(ObjectSubtype::PageList));
    EXPECT_TRUE(openAfterRefusal);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, kEmptyTextRefused);
    EXPECT_STREQ(GetTextBoxString(box), "Andante");
}

TEST_F(TextBoxTest, CancelLeavesNothing) {
    ScriptDialog([](DialogDriver& d) {
        d.Type(kText, "gone");
        d.PressEscape();
    });
    const size_t before = ListOf(PageObjectListOf(view_)).size();
    EXPECT_EQ(Create(ObjectType::TextBox), nullptr);
    EXPECT_EQ(ListOf(PageObjectListOf(view_)).size(), before);
}

TEST_F(TextBoxTest, ABoxThatWouldPassThePageEdgeIsNarrowerAndTwiceAsTall) {
    TextBoxObject box{};
    box.body.width = 2000;
    box.body.height = 300;
    view_->PageRight = 5000;
    auto size = [&box] {
        return std::make_pair(int32_t{box.body.width}, int32_t{box.body.height});
    };
    // Room enough: unchanged.
    KeepTextBoxOnPage(view_, &box, 2000);
    EXPECT_EQ(size(), std::make_pair(2000, 300));
    // Past the edge less 128: width to the edge less 128, height doubled.
    KeepTextBoxOnPage(view_, &box, 4000);
    EXPECT_EQ(size(), std::make_pair(5000 - 4000 - 128, 600));
    // Placed within 128 of the edge: still 256 wide, never 0 or less.
    box.body.width = 500;
    KeepTextBoxOnPage(view_, &box, 4950);
    EXPECT_EQ(size(), std::make_pair(kLeastPushedBoxWidth, 1200));
}

TEST_F(TextBoxTest, AnUnchangedOkLeavesTheDocumentAloneAndResetRestoresTheOpeningValues) {
    ScriptDialog([](DialogDriver& d) {
        d.Type(kText, "Coda");
        d.PressEnter();
    });
    ScoreObject* box = Create(ObjectType::TextBox);
    ASSERT_NE(box, nullptr);
    doc_->changeCounter = 0;
    // OK without a change: not modified.
    ScriptDialog([](DialogDriver& d) { d.PressEnter(); });
    EXPECT_EQ(ClassOf(box).EditAttributes(box, view_), 0);
    EXPECT_EQ(doc_->changeCounter, 0);
    // Changes undone by Reset, then OK: still unchanged.
    std::string afterReset;
    bool leftAfterReset = false;
    ScriptDialog([&](DialogDriver& d) {
        d.Type(kText, "Fine");
        d.SetChecked(kJustify, true);
        d.Select(kTracking, 4);
        d.Click(kReset);
        afterReset = d.Text(kText);
        leftAfterReset = d.IsChecked(kAlignLeft);
        d.PressEnter();
    });
    EXPECT_EQ(ClassOf(box).EditAttributes(box, view_), 0);
    EXPECT_EQ(afterReset, "Coda");
    EXPECT_TRUE(leftAfterReset);
    EXPECT_EQ(doc_->changeCounter, 0);
    // A real change: modified, and the box takes it.
    ScriptDialog([](DialogDriver& d) {
        d.SetChecked(kCentre, true);
        d.Select(kQuickFont, 9);
        d.PressEnter();
    });
    EXPECT_EQ(ClassOf(box).EditAttributes(box, view_), 1);
    EXPECT_NE(doc_->changeCounter, 0);
    EXPECT_EQ(TextBlockFormatOf(AsTextBox(box)->body).alignment, TextAlignment::Centre);
    EXPECT_EQ(TextBoxSlot(AsTextBox(box)->body), 9);
    // The slot chosen is remembered for new boxes.
    EXPECT_EQ(RememberedTextBoxSlot(), 9);
}

// Frees a handle chain made by BuildHandles.
void FreeHandles(HitRecord* first) {
    while (first != nullptr) {
        HitRecord* next = first->child.get();
        FreeStaticRecord(kHitRecordPool, first);
        first = next;
    }
}

TEST_F(TextBoxTest, TheCornerHandleResizesTheBox) {
    ScriptDialog([](DialogDriver& d) {
        d.Type(kText, "Tutti");
        d.PressEnter();
    });
    ScoreObject* box = Create(ObjectType::TextBox);
    ASSERT_NE(box, nullptr);
    AsTextBox(box)->body.width = 1000;
    AsTextBox(box)->body.height = 400;
    HitRecord* origin = ClassOf(box).BuildHandles(box, view_);
    ASSERT_NE(origin, nullptr);
    HitRecord* corner = origin->child.get();
    ASSERT_NE(corner, nullptr);
    HitRecord* size = corner->child.get();
    ASSERT_NE(size, nullptr);
    // The three handles: top-left, bottom-right, and 64 above the bottom edge's middle.
    EXPECT_EQ(corner->point.x - origin->point.x, 1000);
    EXPECT_EQ(corner->point.y - origin->point.y, 400);
    EXPECT_EQ(size->point.x - origin->point.x, 500);
    EXPECT_EQ(size->point.y - origin->point.y, 400 - 64);
    SelectionState* selection = TheSelectionState();
    selection->focusRecord = Ref32<HitRecord>::To(origin);
    selection->grabbedRecord = Ref32<HitRecord>::To(corner);
    selection->dragOffsetX = 200;
    selection->dragOffsetY = 100;
    ClassOf(box).TrackDrag(box, view_);
    EXPECT_EQ(corner->point.x - origin->point.x, 1200);
    EXPECT_EQ(size->point.y - origin->point.y, 500 - 64);
    ClassOf(box).CommitDrag(box, view_);
    const int32_t width = AsTextBox(box)->body.width;
    const int32_t height = AsTextBox(box)->body.height;
    const std::pair<int32_t, int32_t> committed{width, height};
    EXPECT_EQ(committed, std::make_pair(1200, 500));
    selection->focusRecord = Ref32<HitRecord>{};
    selection->grabbedRecord = Ref32<HitRecord>{};
    FreeHandles(origin);
}

TEST_F(TextBoxTest, ALabelDraggedToAnotherStaffGoesBackWithABeep) {
    UseMeasure(2, 1);
    view_->pointerPoint = LogicalPoint{0, view_->staffY};
    ScriptDialog([](DialogDriver& d) { d.PressEnter(); });
    ScoreObject* label = Create(ObjectType::Label);
    ASSERT_NE(label, nullptr);
    const ObjectLocation before = AsTextBox(label)->body.location;
    UseMeasure(3, 1);
    const int32_t staff3Y = view_->staffY;
    UseMeasure(2, 1);
    HitRecord* origin = ClassOf(label).BuildHandles(label, view_);
    ASSERT_NE(origin, nullptr);
    SetHitRecordPoint(origin, {origin->point.x, staff3Y});
    SelectionState* selection = TheSelectionState();
    selection->focusRecord = Ref32<HitRecord>::To(origin);
    const size_t beeps = ui::headless::Beeps().size();
    ClassOf(label).CommitDrag(label, view_);
    const ObjectLocation after = AsTextBox(label)->body.location;
    EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    selection->focusRecord = Ref32<HitRecord>{};
    FreeHandles(origin);
}

// A label's handles stand on its own staff wherever the view is, and the view stays.
TEST_F(TextBoxTest, ALabelsHandlesStandOnItsStaffWhereverTheViewIs) {
    UseMeasure(2, 1);
    view_->pointerPoint = LogicalPoint{0, view_->staffY};
    ScriptDialog([](DialogDriver& d) { d.PressEnter(); });
    ScoreObject* label = Create(ObjectType::Label);
    ASSERT_NE(label, nullptr);
    HitRecord* onItsStaff = ClassOf(label).BuildHandles(label, view_);
    ASSERT_NE(onItsStaff, nullptr);
    UseMeasure(1, 1);
    HitRecord* elsewhere = ClassOf(label).BuildHandles(label, view_);
    ASSERT_NE(elsewhere, nullptr);
    EXPECT_EQ(elsewhere->point.x, onItsStaff->point.x);
    EXPECT_EQ(elsewhere->point.y, onItsStaff->point.y);
    EXPECT_EQ(view_->currentStaff, 1);
    FreeHandles(onItsStaff);
    FreeHandles(elsewhere);
}

// A box or a staff label copies itself with a text of its own.
TEST_F(TextBoxTest, BoxesAndLabelsAreClonedWithTheirText) {
    for (ObjectType type : {ObjectType::TextBox, ObjectType::Label}) {
        ScoreObject* box = ConstructObject(TypeCode(type));
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(SetTextBoxText(&AsTextBox(box)->body, "Viola", 5));
        EXPECT_EQ(ClassOf(box).GetBodySize(box), kTextBoxBodyBytes);
        ScoreObject* copy = ClassOf(box).Clone(box, view_, doc_->pools, doc_->pools);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->type, box->type);
        EXPECT_STREQ(GetTextBoxString(copy), "Viola");
        EXPECT_NE(AsTextBox(copy)->body.string, AsTextBox(box)->body.string);
        ReleaseObjectByType(doc_, copy);
        ReleaseObjectByType(doc_, box);
    }
}

}  // namespace
}  // namespace ql::testing_texts
