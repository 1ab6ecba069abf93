// Drawing brings a text box or a symbol lying off the page back to the page's edge
// when off-page items are shown, and stores it there; otherwise it stays put.
#include <gtest/gtest.h>

#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/settings/program_options.h"
#include "display/anchors.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_line.h"

namespace ql::testing_texts {
namespace {

constexpr int32_t kPageRight = 18000;

class OffPageTest : public TextsTest {
  protected:
    void SetUp() override {
        TextsTest::SetUp();
        view_->pageView = 1;
        view_->PageRight = kPageRight;
        view_->PageBottom = 24000;
    }
    void TearDown() override {
        ResetProgramOptions();
        TextsTest::TearDown();
    }
    // Draws an object anchored on the page at x and returns the x it is kept at.
    int32_t DrawnAt(ObjectType type, ObjectLocation* location, int32_t x) {
        ScoreObject* object = ConstructObject(TypeCode(type));
        EXPECT_NE(object, nullptr);
        if (object == nullptr) return 0;
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        const LogicalPoint at{x, 0};
        ObjectLocation* anchor = type == ObjectType::TextBox ? &AsTextBox(object)->body.location
                                                             : &AsTextObject(object)->body.location;
        EncodePageAnchors(view_, anchor, &at, 1);
        if (type == ObjectType::TextBox) {
            AsTextBox(object)->body.width = 900;
            AsTextBox(object)->body.height = 300;
        } else {
            AsTextObject(object)->body.string = kKeySymbolCode;
            AsTextObject(object)->body.style = kSymbolSlot;
            AsTextObject(object)->body.width = 400;
            AsTextObject(object)->body.height = 400;
        }
        ClassOf(object).Draw(object, view_);
        *location = *anchor;
        LogicalPoint back{};
        DecodeAnchors(view_, 1, location, &back, 1);
        ReleaseObjectByType(doc_, object);
        return back.x;
    }
};

TEST_F(OffPageTest, ATextBoxPastTheRightEdgeIsDrawnAtItOnlyWhenOffPageItemsShow) {
    ObjectLocation location{};
    EXPECT_EQ(DrawnAt(ObjectType::TextBox, &location, kPageRight + 4000), kPageRight + 4000);
    Options().ShowOffPage = 1;
    EXPECT_EQ(DrawnAt(ObjectType::TextBox, &location, kPageRight + 4000), kPageRight);
    EXPECT_EQ(DrawnAt(ObjectType::TextBox, &location, kPageRight - 10), kPageRight - 10);
}

TEST_F(OffPageTest, ASymbolKeepsItsWholeWidthOnThePage) {
    ObjectLocation location{};
    EXPECT_EQ(DrawnAt(ObjectType::Text, &location, kPageRight + 4000), kPageRight + 4000);
    Options().ShowOffPage = 1;
    // Centred on its baseline: it reaches its width to the left of its point.
    EXPECT_EQ(DrawnAt(ObjectType::Text, &location, kPageRight + 4000), kPageRight - 400);
    EXPECT_EQ(DrawnAt(ObjectType::Text, &location, -40000), -30720 + 400);
}

}  // namespace
}  // namespace ql::testing_texts
