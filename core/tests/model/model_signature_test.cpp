// The clef and key in force at a tick of a measure cell: the cell's own nibbles at
// the start, changed by Clef and KeySignature objects of the cell's list from their
// tick on; and the fields of those objects as their text bodies hold them.
#include <cstring>

#include "core/model/signature_fields.h"
#include "core/tests/model/model_fixture.h"
#include "core/text/text_object.h"

namespace ql::testing_model {
namespace {

constexpr uint8_t kTreble = 0;
constexpr uint8_t kBass = 3;
constexpr uint8_t kAlto = 2;
constexpr uint8_t kTenor = 1;
constexpr uint8_t kNoAccidentals = 7;
constexpr uint8_t kTwoSharps = 9;
constexpr uint8_t kThreeFlats = 4;

class SignatureTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        cell_ = UseCell();
        cell_->clefKey = static_cast<uint8_t>(kTreble | (kNoAccidentals << kKeyNibbleShift));
    }

    // A text-family record of the type, anchored at a tick and linked at the end of
    // the cell's list.
    ScoreObject* Place(ObjectType type, uint16_t tick,
                       ObjectSubtype subtype = ObjectSubtype::MeasureTimeList) {
        auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
        EXPECT_NE(text, nullptr);
        ConstructTextObject(text);
        text->header.type = TypeCode(type);
        text->header.subtype = SubtypeCode(subtype);
        SetSignatureTickOfObject(&text->header, tick);
        ScoreObject* last = GetOrCreateCellObjectList(cell_);
        while (last->next) last = last->next.get();
        InsertObjectAfter(last, &text->header);
        return &text->header;
    }
    ScoreObject* Clef(uint8_t kind, uint16_t tick,
                      ObjectSubtype subtype = ObjectSubtype::MeasureTimeList) {
        ScoreObject* clef = Place(ObjectType::Clef, tick, subtype);
        SetClefKindOfObject(clef, kind);
        return clef;
    }
    ScoreObject* Key(uint8_t code, uint16_t tick) {
        ScoreObject* key = Place(ObjectType::KeySignature, tick);
        SetKeyCodeOfObject(key, code);
        return key;
    }

    MeasureCell* cell_ = nullptr;
};

// Tick 0 always gives the cell's own clef, even when a clef object stands at tick 0.
TEST_F(SignatureTest, TickZeroAlwaysGivesTheCellsOwnClef) {
    Clef(kBass, 0);
    EXPECT_EQ(ClefAtTick(cell_, 0), kTreble);
    EXPECT_EQ(ClefAtTick(cell_, 1), kBass);
}

// The nearest clef change before the tick rules; one at the tick itself does not yet.
TEST_F(SignatureTest, NearestEarlierClefChangeRules) {
    Clef(kAlto, 2048);
    Clef(kBass, 1024);
    EXPECT_EQ(ClefAtTick(cell_, 1024), kTreble);
    EXPECT_EQ(ClefAtTick(cell_, 1025), kBass);
    EXPECT_EQ(ClefAtTick(cell_, 2048), kBass);
    EXPECT_EQ(ClefAtTick(cell_, 3000), kAlto);
}

// Among changes at the same tick, the first in list order wins.
TEST_F(SignatureTest, FirstFoundAmongEqualTicksWins) {
    Clef(kTenor, 512);
    Clef(kBass, 512);
    EXPECT_EQ(ClefAtTick(cell_, 600), kTenor);
}

// Only time-anchored clef objects change the clef: keys and measure-anchored
// clefs do not.
TEST_F(SignatureTest, OnlyTimeAnchoredClefObjectsCount) {
    Key(kTwoSharps, 100);
    Clef(kBass, 100, ObjectSubtype::MeasureAnchorList);
    EXPECT_EQ(ClefAtTick(cell_, 2000), kTreble);
}

// A cell without an object list answers with its nibbles at every tick.
TEST_F(SignatureTest, CellWithoutObjectListGivesItsNibbles) {
    cell_->clefKey = static_cast<uint8_t>(kBass | (kTwoSharps << kKeyNibbleShift));
    DetachCellObjectList(cell_, doc_, 1);
    EXPECT_EQ(ClefAtTick(cell_, 2000), kBass);
    EXPECT_EQ(KeySignatureAtTick(cell_, 2000), kTwoSharps);
}

// A walk asks a cell once whether its clef or key can change inside it: not without
// a list, not for objects the readers skip (a measure-anchored clef, a time
// signature), yes for one time-anchored clef or key change; and where the answer is
// no, the readers give the nibbles at every tick.
TEST_F(SignatureTest, ChangesAreFoundWhereTheReadersFindThem) {
    EXPECT_FALSE(CellChangesSignatures(nullptr));
    EXPECT_FALSE(CellChangesSignatures(cell_));
    Place(ObjectType::TimeSignature, 100);
    Clef(kBass, 200, ObjectSubtype::MeasureAnchorList);
    EXPECT_FALSE(CellChangesSignatures(cell_));
    for (int tick : {0, 150, 250, 4000}) {
        EXPECT_EQ(ClefAtTick(cell_, tick), kTreble);
        EXPECT_EQ(KeySignatureAtTick(cell_, tick), kNoAccidentals);
    }
    Key(kThreeFlats, 300);
    EXPECT_TRUE(CellChangesSignatures(cell_));
    EXPECT_EQ(KeySignatureAtTick(cell_, 301), kThreeFlats);

    DetachCellObjectList(cell_, doc_, 1);
    EXPECT_FALSE(CellChangesSignatures(cell_));
    Clef(kAlto, 500);
    EXPECT_TRUE(CellChangesSignatures(cell_));
}

// The key follows the same rule on the high nibble and KeySignature objects.
TEST_F(SignatureTest, KeyInForceFollowsKeyChanges) {
    Key(kThreeFlats, 1024);
    Key(kTwoSharps, 1024);
    Clef(kBass, 10);
    EXPECT_EQ(KeySignatureAtTick(cell_, 0), kNoAccidentals);
    EXPECT_EQ(KeySignatureAtTick(cell_, 1024), kNoAccidentals);
    EXPECT_EQ(KeySignatureAtTick(cell_, 1040), kThreeFlats);
}

// The accessors read the stored text body: the kind or key in the character-set
// byte (object byte 39), the tick in the upper half of the position word (26).
TEST_F(SignatureTest, FieldsLiveInTheTextBody) {
    constexpr size_t kCharsetByte = 39;
    constexpr size_t kPositionWord = 26;
    constexpr size_t kStringWord = 54;
    ScoreObject* clef = Clef(kTreble, 0);
    auto* bytes = reinterpret_cast<uint8_t*>(clef);
    bytes[kCharsetByte] = kAlto;
    const uint32_t position = 0x0300'0002;  // tick 768, measure offset 2
    std::memcpy(bytes + kPositionWord, &position, sizeof position);
    EXPECT_EQ(ClefKindOfObject(clef), kAlto);
    EXPECT_EQ(KeyCodeOfObject(clef), kAlto);
    EXPECT_EQ(SignatureTickOfObject(clef), 768);
    SetClefKindOfObject(clef, kBass);
    EXPECT_EQ(bytes[kCharsetByte], kBass);
    EXPECT_EQ(bytes[kStringWord], ':' + kBass);  // the glyph shown
    SetSignatureTickOfObject(clef, 1536);
    EXPECT_EQ(SignatureTickOfObject(clef), 1536);
    EXPECT_EQ(AsTextObject(clef)->body.location.position & 0xFFFF, 2u);  // offset kept
}

}  // namespace
}  // namespace ql::testing_model
