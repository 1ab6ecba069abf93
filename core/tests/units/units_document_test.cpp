// Distances in a document's own units: the staff-size preset's units per inch,
// inches or centimetres, and the margin rectangle's rounding.
#include <gtest/gtest.h>

#include <memory>

#include "core/units/paper_table.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/units/units.h"

namespace ql {
namespace {

constexpr uint8_t kPresetSize4 = 4;  // 1917.44 units per inch

class DocumentUnitsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        document_ = std::make_unique<ScoreDocument>();
        document_->header.pageGeometry.staffSize = kPresetSize4;
        document_->header.pageGeometry.unit = kPaperUnitInches;
    }
    std::unique_ptr<ScoreDocument> document_;
};

// Presets 0..9 read the table; 10 and above read the user staff size x 128.
TEST_F(DocumentUnitsTest, UnitsPerInchFollowsThePreset) {
    EXPECT_DOUBLE_EQ(UnitsPerInch(*document_), 1917.44);
    document_->header.pageGeometry.staffSize = 0;
    EXPECT_DOUBLE_EQ(UnitsPerInch(*document_), 1199.36);
    document_->header.pageGeometry.staffSize = kUserStaffSize;
    document_->header.fontSizeSetting = 0x1500;  // 15.00
    EXPECT_DOUBLE_EQ(UnitsPerInch(*document_), 1920.0);
    document_->header.pageGeometry.staffSize = 200;
    EXPECT_DOUBLE_EQ(UnitsPerInch(*document_), 1920.0);
    document_->header.fontSizeSetting = 0x1537;  // 15.37 x 128 = 1967.36
    EXPECT_DOUBLE_EQ(UnitsPerInch(*document_), 1967.0);
}

// Margins become a rectangle: left, right, bottom rounded, top truncated.
TEST_F(DocumentUnitsTest, MarginWordsBecomeARectangleWithTopTruncated) {
    const uint32_t words[4] = {0x0100, 0x0050, 0x0100, 0x0075};
    gfx::Rect rectangle;
    ConvertMeasureUnits(*document_, &rectangle, words);
    EXPECT_EQ(rectangle.left, 1917);
    EXPECT_EQ(rectangle.top, 958);  // 958.72, not rounded
    EXPECT_EQ(rectangle.right, 1917);
    EXPECT_EQ(rectangle.bottom, 1438);
}

// In centimetres the words are scaled by 0.3937 first.
TEST_F(DocumentUnitsTest, CentimetreMarginsAreScaledToInches) {
    document_->header.pageGeometry.unit = kPaperUnitCentimetres;
    const uint32_t words[4] = {0x0254, 0x0127, 0x2970, 0x0000};
    gfx::Rect rectangle;
    ConvertMeasureUnits(*document_, &rectangle, words);
    EXPECT_EQ(rectangle.left, 1917);
    EXPECT_EQ(rectangle.top, 958);
    EXPECT_EQ(rectangle.right, 22420);
    EXPECT_EQ(rectangle.bottom, 0);
}

// A logical distance comes back as a word in the document's unit.
TEST_F(DocumentUnitsTest, LogicalDistanceFormatsInTheDocumentsUnit) {
    EXPECT_EQ(FormatUnitsValue(*document_, 1917), 0x0100);
    document_->header.pageGeometry.unit = kPaperUnitCentimetres;
    EXPECT_EQ(FormatUnitsValue(*document_, 1917), 0x0254);
    document_->header.pageGeometry.unit = kPaperUnitInches;
    document_->header.pageGeometry.staffSize = kUserStaffSize;
    document_->header.fontSizeSetting = 0x1500;
    EXPECT_EQ(FormatUnitsValue(*document_, 960), 0x0050);
}

}  // namespace
}  // namespace ql
