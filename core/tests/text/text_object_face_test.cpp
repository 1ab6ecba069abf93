// A text taking its style's font as its own: the face is looked up in the score's
// face-name table, and a full table falls back to the first text face with a notice.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "core/draw/fonts.h"
#include "core/tests/model/model_fixture.h"
#include "core/text/text_object.h"
#include "platform/ui/headless.h"

namespace ql::testing_model {
namespace {

constexpr int kStyle = 4;

class TextFaceTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        RegisterTextObjectClasses();
        SetCurrentPoolSet(doc_->pools);
        text_ = AsTextObject(ConstructObject(TypeCode(ObjectType::ImageText)));
        ASSERT_NE(text_, nullptr);
        text_->body.style = kStyle;
        std::strcpy(doc_->fonts[kStyle].face, "Wanted Face");
    }
    void FillFaceTable() {
        for (int i = 0; i < kFaceNameCount; ++i)
            std::snprintf(doc_->faceNames[i].name, kFaceNameChars, "Face %d", i);
    }
    TextObject* text_ = nullptr;
};

// A face that fits in the table is taken without a notice.
TEST_F(TextFaceTest, FaceInTheTableIsTakenQuietly) {
    ConvertStyleToOwnFont(text_, doc_);
    EXPECT_NE(text_->body.flags & kTextOwnFont, 0);
    EXPECT_STREQ(doc_->faceNames[text_->body.style].name, "Wanted Face");
    EXPECT_TRUE(ui::headless::Beeps().empty());
}

// A full table gives the first text face (never the music font) and a notice.
TEST_F(TextFaceTest, FullTableFallsBackToTheFirstTextFaceWithANotice) {
    FillFaceTable();
    ConvertStyleToOwnFont(text_, doc_);
    EXPECT_EQ(text_->body.style, kFallbackFaceIndex);
    EXPECT_NE(text_->body.flags & kTextOwnFont, 0);
    ASSERT_EQ(ui::headless::Beeps().size(), 1u);
    EXPECT_EQ(ui::headless::Beeps()[0], ui::BeepKind::Exclamation);
}

}  // namespace
}  // namespace ql::testing_model
