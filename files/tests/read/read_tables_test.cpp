// Stored values that size a page or name a table entry: the page and staff sizes
// that a file holds twice (the BcdInches words rule, the logical ones follow), and
// the bytes and nibbles that index a table (paper kind, cell clef and key, chord
// fields, duration codes, text style slots, face indexes), which read as the
// table's default entry when out of range and are written back as they were stored.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "core/units/paper_size.h"
#include "core/units/paper_table.h"
#include "files/tests/read/read_fixture.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/chord/chord_symbol.h"
#include "objects/object_services.h"

namespace ql {
namespace {

using testing_files::ReadTest;
namespace tf = testing_files;

using ByteVec = std::vector<uint8_t>;

// Header offsets of the page and staff-size fields in the file.
constexpr size_t kStaffSizeAt = tf::kHeaderAt + 70;
constexpr size_t kUnitAt = tf::kHeaderAt + 71;
constexpr size_t kPaperKindAt = tf::kHeaderAt + 72;
constexpr size_t kLogicalStaffSizeAt = tf::kHeaderAt + 80;
constexpr size_t kLogicalWidthAt = tf::kHeaderAt + 82;
constexpr size_t kLogicalHeightAt = tf::kHeaderAt + 84;
constexpr size_t kBcdWidthAt = tf::kHeaderAt + 240;
constexpr size_t kBcdHeightAt = tf::kHeaderAt + 242;
constexpr size_t kBcdStaffSizeAt = tf::kHeaderAt + 246;
constexpr uint8_t kStaffSize3 = 3;  // 1804.8 units per inch
constexpr uint8_t kUserPaper = 5;

class ReadTables : public ReadTest {
  protected:
    void SetUp() override {
        ReadTest::SetUp();
        BuildSmallScore(1, 1);
        stream_ = Write(doc_, view_);
        ASSERT_FALSE(stream_.empty());
        muse_ = tf::FindTag(stream_, "MUSE");
    }
    ScoreLoad Load(const std::function<void(ByteVec&)>& change) {
        ByteVec bytes = stream_;
        change(bytes);
        ScoreLoad load = Read(bytes);
        EXPECT_EQ(load.code, 0);
        return load;
    }
    // A page setup in inches with the given staff size, user staff size and paper.
    std::function<void(ByteVec&)> PageSetup(uint8_t staffSize, uint16_t userStaff, uint8_t paper,
                                            uint16_t width, uint16_t height) {
        return [=](ByteVec& b) {
            b[kStaffSizeAt] = staffSize;
            b[kUnitAt] = 0;
            b[kPaperKindAt] = paper;
            tf::PutU16(b, kBcdStaffSizeAt, userStaff);
            tf::PutU16(b, kBcdWidthAt, width);
            tf::PutU16(b, kBcdHeightAt, height);
            // The logical copies are garbage: the reader must not trust them.
            tf::PutU16(b, kLogicalStaffSizeAt, 7);
            tf::PutU16(b, kLogicalWidthAt, 7);
            tf::PutU16(b, kLogicalHeightAt, 7);
        };
    }

    ByteVec stream_;
    size_t muse_ = 0;
};

// The user staff size and a User paper's sides are taken from their BcdInches words;
// any other staff size or paper resets the words to 15.00 and 8.50 x 11.00.
TEST_F(ReadTables, PageAndStaffSizesFollowTheirBcdInchesWords) {
    // User staff size 20.00 (2560 units per inch) and a User paper of 5.00 x 7.00.
    ScoreLoad user = Load(PageSetup(kUserStaffSize, 0x2000, kUserPaper, 0x0500, 0x0700));
    ASSERT_NE(user.document, nullptr);
    const ScoreHeader& h = user.document->header;
    EXPECT_EQ(h.pageGeometry.userStaffSize, 2560);
    EXPECT_EQ(h.fontSizeSetting, 0x2000);
    EXPECT_EQ(h.pageGeometry.userPageWidth, 12800);
    EXPECT_EQ(h.pageGeometry.userPageHeight, 17920);
    EXPECT_DOUBLE_EQ(user.view->UnitsPerInch, 2560.0);
    // A fixed staff size and Letter: the words are reset, the logical sizes follow.
    ScoreLoad fixed = Load(PageSetup(kStaffSize3, 0x2000, 0, 0x0500, 0x0700));
    ASSERT_NE(fixed.document, nullptr);
    const ScoreHeader& f = fixed.document->header;
    EXPECT_EQ(f.fontSizeSetting, 0x1500);
    EXPECT_EQ(f.pageGeometry.userStaffSize, 15 * 128);
    EXPECT_EQ(f.userPageWidth, 0x0850);
    EXPECT_EQ(f.userPageHeight, 0x1100);
    EXPECT_EQ(f.pageGeometry.userPageWidth, 15340);   // 8.5 x 1804.8, truncated
    EXPECT_EQ(f.pageGeometry.userPageHeight, 19852);  // 11 x 1804.8
    EXPECT_DOUBLE_EQ(fixed.view->UnitsPerInch, 1804.8);
}

// A paper kind outside the table reads as its first row (not User), and the stored
// byte is written back as it was; the last row stays itself.
TEST_F(ReadTables, PaperKindOutsideTheTableReadsAsTheFirstRow) {
    ScoreLoad last = Load(PageSetup(kStaffSize3, 0x1500, 6, 0x0500, 0x0700));  // A5
    ASSERT_NE(last.document, nullptr);
    EXPECT_EQ(last.document->header.userPageWidth, 0x0850);
    double width = 0, height = 0;
    PaperInches(*last.document, &width, &height);
    EXPECT_NEAR(width, 14.80 * 0.3937, 0.01);  // A5's own size, in inches
    // Kind 7 is past the table: Letter, never the User sizes it happens to hold.
    ScoreLoad past = Load(PageSetup(kStaffSize3, 0x1500, 7, 0x0500, 0x0700));
    ASSERT_NE(past.document, nullptr);
    EXPECT_EQ(past.document->header.pageGeometry.paperKind, 7);
    EXPECT_EQ(past.document->header.userPageWidth, 0x0850);
    past.document->header.userPageWidth = 0x0500;  // as if edited: still not User
    past.document->header.userPageHeight = 0x0700;
    PaperInches(*past.document, &width, &height);
    EXPECT_DOUBLE_EQ(width, 8.5);
    EXPECT_DOUBLE_EQ(height, 11.0);
    EXPECT_EQ(Rewrite(past).at(kPaperKindAt), 7);
}

// A cell's clef and key nibbles: the last code of each table is itself; 15 reads as
// a new cell's clef or key and is written back as stored.
TEST_F(ReadTables, CellClefAndKeyOutsideTheirTablesReadAsANewCells) {
    const size_t clefKeyAt = muse_ + 4;
    auto cellOf = [](const ScoreLoad& load) {
        return GetOrCreateMeasureCell(StaffRecordOf(load.document, 1), load.document, 1);
    };
    ScoreLoad last = Load([&](ByteVec& b) { b[clefKeyAt] = 0xEE; });  // clef 14, key 14
    ASSERT_NE(last.document, nullptr);
    {
        ScopedPoolSet pools(last.document->pools);
        EXPECT_EQ(CellClef(*cellOf(last)), 14);
        EXPECT_EQ(CellKey(*cellOf(last)), 14);
    }
    ScoreLoad past = Load([&](ByteVec& b) { b[clefKeyAt] = 0xFF; });
    ASSERT_NE(past.document, nullptr);
    const CellDefaults defaults = CurrentCellDefaults();
    {
        ScopedPoolSet pools(past.document->pools);
        EXPECT_EQ(CellClef(*cellOf(past)), defaults.clef);
        EXPECT_EQ(CellKey(*cellOf(past)), defaults.key);
    }
    EXPECT_EQ(Rewrite(past).at(clefKeyAt), 0xFF);
}

// The chord bytes: a glyph is built from the default entries of the fields out of
// range, and the bytes themselves are kept.
TEST(StoredTableIndexes, ChordFieldsOutsideTheirTablesReadAsDefaults) {
    auto glyphOf = [](uint8_t root, uint8_t accidental, uint8_t quality) {
        ChordSymbol chord{};
        ScoreObject* object = reinterpret_cast<ScoreObject*>(&chord);
        object->type = TypeCode(ObjectType::Chord);
        chord.chord.root = root;
        chord.chord.rootAccidental = accidental;
        chord.chord.quality = quality;
        SetGuitarChordGlyph(object);
        EXPECT_EQ(chord.chord.root, root);
        return static_cast<int>(chord.text.body.string);
    };
    const int c = glyphOf(0, 0, 0);
    EXPECT_EQ(glyphOf(6, 0, 0), c + 16 * 11);       // B: the last letter
    EXPECT_EQ(glyphOf(7, 0, 0), c);                  // past B: C
    EXPECT_EQ(glyphOf(0, 2, 0), c + 16 * 11);       // C flat wraps to B
    EXPECT_EQ(glyphOf(0, 3, 0), c);                  // accidental 3: none
    EXPECT_EQ(glyphOf(0, 0, 15), c + 15);            // the last quality
    EXPECT_EQ(glyphOf(0, 0, 16), c);                 // above 15: quality 0
    EXPECT_EQ(ChordLetterOf(6), 6);                  // the bass letter's table too
    EXPECT_EQ(ChordLetterOf(7), 0);
    EXPECT_EQ(ChordNameStyleOf(23), 23);             // the name style
    EXPECT_EQ(ChordNameStyleOf(24), kChordNameStyle);
}

// Duration codes, text style slots and face indexes, at both ends of their tables.
TEST(StoredTableIndexes, CodesSlotsAndFacesOutsideTheirTablesReadAsDefaults) {
    EXPECT_EQ(CheckedDurationCode(3), 10);   // below the 256th: a quarter
    EXPECT_EQ(CheckedDurationCode(4), 4);
    EXPECT_EQ(CheckedDurationCode(13), 13);
    EXPECT_EQ(CheckedDurationCode(14), 10);  // beyond the double whole
    EXPECT_EQ(TextStyleSlotOf(23), 23);
    EXPECT_EQ(TextStyleSlotOf(24), 0);
    EXPECT_EQ(TextFaceIndexOf(31), 31);
    EXPECT_EQ(TextFaceIndexOf(32), 1);
}

}  // namespace
}  // namespace ql
