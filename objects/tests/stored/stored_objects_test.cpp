// The stored object types: constructors' defaults, the body each
// class exposes for copies and undo, the clean-ups release by type runs (a text box's text, a
// tuplet's label, a picture's cache but never the document's bytes), the text box's
// string, and the margin's values in the document's unit.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/memory/arena.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/units/units.h"
#include "objects/curves/curve_objects.h"
#include "objects/hairpin/hairpin.h"
#include "objects/margin/margin_object.h"
#include "objects/object_services.h"
#include "objects/picture/picture_object.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/stored_classes.h"
#include "objects/text_box/text_box.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/objects.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql {
namespace {

template <typename T>
T V(T value) {
    return value;
}

class StoredObjects : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterStoredObjectClasses();
        arena_ = ArenaBytesInUse();
        view_ = InitView(AllocView());
        doc_ = AllocDocument();
        ASSERT_EQ(CreateDocument(doc_, view_, nullptr), doc_);
    }
    void TearDown() override {
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
        EXPECT_EQ(ArenaBytesInUse(), arena_);
    }
    ScoreObject* Make(ObjectType type) { return ConstructObject(TypeCode(type)); }
    int Live() {
        int live = 0;
        for (int pool = 2; pool < kDocumentPoolCount; ++pool)
            for (int block = 0; block < kMaxPoolBlocks; ++block)
                for (int slot = 1; slot < doc_->pools.pools[pool].blocks[block].nextFresh; ++slot)
                    if (IsLiveRecord(PoolSet(doc_->pools), pool,
                                     PoolSlotAddress(pool, block, slot)))
                        ++live;
        return live;
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    size_t arena_ = 0;
};

// Every stored type and the run-time prototypes have a class that exposes their body:
// its place after the header and its size as the copies and undo need them.
TEST_F(StoredObjects, ClassesExposeTheirBodies) {
    struct Expected {
        ObjectType type;
        size_t offset;
        uint32_t size;
    };
    const Expected expected[] = {
        {ObjectType::Slur, 4, 38},         {ObjectType::Tie, 0, 10},
        {ObjectType::TextBox, 0, 36},      {ObjectType::Hairpin, 4, 42},
        {ObjectType::Line, 0, 20},         {ObjectType::Box, 0, 20},
        {ObjectType::Circle, 0, 20},       {ObjectType::Margin, 0, 32},
        {ObjectType::PedalBracket, 4, 22}, {ObjectType::Guide, 0, 4},
        {ObjectType::Picture, 0, 54},      {ObjectType::Label, 0, 36},
        {ObjectType::Stretcher, 0, 32},    {ObjectType::Area, 0, 20},
        {ObjectType::Clef, 0, 38},         {ObjectType::Tuplet, 0, 38},
        {ObjectType::Dynamic, 0, 38},
    };
    for (const Expected& e : expected) {
        ScoreObject* object = Make(e.type);
        ASSERT_NE(object, nullptr) << int(TypeCode(e.type));
        EXPECT_EQ(ClassOf(object).GetBody(object), object->BodyBytes() + e.offset)
            << int(TypeCode(e.type));
        EXPECT_EQ(ClassOf(object).GetBodySize(object), e.size) << int(TypeCode(e.type));
        ClassOf(object).Draw(object, view_);  // draws nothing, safely
    }
}

// The MIDI-carrying marks are the object 14 bytes into a pool-9 record whose action
// is built too; their clone copies the whole record. Larger text records are not
// cloned by the text family's clone (it would cut them short).
TEST_F(StoredObjects, MidiMarksAndClones) {
    ScoreObject* dynamic = Make(ObjectType::Dynamic);
    ASSERT_NE(dynamic, nullptr);
    MidiTextRecord* outer = MidiTextRecordOfText(dynamic);
    EXPECT_TRUE(IsLiveRecord(PoolSet(doc_->pools), kMidiTextRecordPool, outer));
    EXPECT_EQ(V(outer->action.classId), kMidiActionClass);
    EXPECT_EQ(V(outer->action.flags), 0x1120);
    EXPECT_EQ(V(outer->action.controller), 7);
    ScoreObject* copy =
        ClassOf(dynamic).Clone(dynamic, view_, PoolSet(doc_->pools), PoolSet(doc_->pools));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->type, TypeCode(ObjectType::Dynamic));
    // A tuplet's copy has its own label string, curve and endpoint.
    ScoreObject* tuplet = Make(ObjectType::Tuplet);
    ASSERT_GE(SetTextObjectString(&AsTuplet(tuplet)->text, "11"), 0);
    AsTuplet(tuplet)->text.body.flags |= kTextOwnsString;
    AsTuplet(tuplet)->anchor.payload.times[3] = 700;
    AsTuplet(tuplet)->spanner.endpoint.endHook = -85;
    ScoreObject* tupletCopy =
        ClassOf(tuplet).Clone(tuplet, view_, PoolSet(doc_->pools), PoolSet(doc_->pools));
    ASSERT_NE(tupletCopy, nullptr);
    EXPECT_EQ(AsTuplet(tupletCopy)->anchor.payload.times[3], 700);
    EXPECT_EQ(AsTuplet(tupletCopy)->spanner.endpoint.endHook, -85);
    EXPECT_NE(AsTuplet(tupletCopy)->text.body.string, AsTuplet(tuplet)->text.body.string);
    EXPECT_STREQ(TextObjectString(&AsTuplet(tupletCopy)->text), "11");
    ScoreObject* clef = Make(ObjectType::Clef);
    ScoreObject* clefCopy =
        ClassOf(clef).Clone(clef, view_, PoolSet(doc_->pools), PoolSet(doc_->pools));
    ASSERT_NE(clefCopy, nullptr);
    EXPECT_EQ(clefCopy->type, TypeCode(ObjectType::Clef));
}

// Constructors give the defaults of a new object.
TEST_F(StoredObjects, ConstructorDefaults) {
    MarginObject* margin = AsMarginObject(Make(ObjectType::Margin));
    EXPECT_EQ(margin->header.subtype, SubtypeCode(ObjectSubtype::PageList));
    EXPECT_EQ(V(margin->body.distances[0]), 768);
    EXPECT_EQ(V(margin->body.distances[3]), 1024);
    EXPECT_EQ(V(margin->body.words[0]), 0u);
    margin->body.distances[0] = 5;
    ConstructMarginObjectBare(&margin->header);
    EXPECT_EQ(V(margin->body.distances[0]), 5) << "the bare constructor keeps the body";
    HairpinObject* hairpin = AsHairpin(Make(ObjectType::Hairpin));
    EXPECT_EQ(V(hairpin->action.head.values.finalValue), 16);
    EXPECT_EQ(V(hairpin->action.flags), 0xFF03);
    EXPECT_EQ(MidiTimingOf(hairpin->action), 1);
    TextBoxObject* label = AsTextBox(Make(ObjectType::Label));
    EXPECT_EQ(label->header.subtype, SubtypeCode(ObjectSubtype::StaffLabelList));
    EXPECT_EQ(TextBoxSlot(label->body), 14);
    EXPECT_EQ(V(label->body.width), -640);
    Wickette* wickette = AsWickette(Make(ObjectType::PedalBracket));
    EXPECT_EQ(wickette->spanner.owner.get(), &wickette->header);
    TupletObject* tuplet = AsTuplet(Make(ObjectType::Tuplet));
    EXPECT_EQ(tuplet->anchor.owner.get(), &tuplet->text.header);
    EXPECT_EQ(V(tuplet->text.body.style), 5);
    EXPECT_EQ(tuplet->text.header.subtype, SubtypeCode(ObjectSubtype::NoteAttachment));
}

// A text box's text: empty without a string, its bytes once set, and its record given
// back (with the drag bitmap) when the box is released.
TEST_F(StoredObjects, TextBoxTextIsFreedWithTheBox) {
    ScoreObject* box = Make(ObjectType::TextBox);
    EXPECT_STREQ(GetTextBoxString(box), "");
    EXPECT_STREQ(GetTextBoxString(nullptr), "");
    int live = Live();
    ASSERT_TRUE(SetTextBoxText(&AsTextBox(box)->body, "Tutti", 5));
    EXPECT_STREQ(GetTextBoxString(box), "Tutti");
    EXPECT_EQ(Live(), live + 1);
    ASSERT_TRUE(SetTextBoxText(&AsTextBox(box)->body, "Solo", 4));
    EXPECT_EQ(Live(), live + 1) << "the old text was given back";
    ReleaseObjectByType(doc_, box);
    EXPECT_EQ(Live(), live - 1);
}

// A text box whose handle names a record without a terminator shows no text.
TEST_F(StoredObjects, TextBoxStaleHandleShowsNothing) {
    ScoreObject* box = Make(ObjectType::TextBox);
    auto* other = static_cast<char*>(AllocRecord(2));
    std::memset(other, 'x', PoolSlotBytes(2));
    TextBoxBody& body = AsTextBox(box)->body;
    body.style = static_cast<uint16_t>((body.style & ~kTextBoxPoolMask) | 2);
    body.string = PtrToHandle(2, other).bits;
    EXPECT_STREQ(GetTextBoxString(box), "");
}

// A tuplet's label string goes with the tuplet.
TEST_F(StoredObjects, TupletLabelIsFreedWithTheTuplet) {
    int live = Live();
    ScoreObject* tuplet = Make(ObjectType::Tuplet);
    ASSERT_GE(SetTextObjectString(&AsTuplet(tuplet)->text, "5:4"), 0);
    AsTuplet(tuplet)->text.body.flags |= kTextOwnsString;
    EXPECT_EQ(Live(), live + 2);
    ReleaseObjectByType(doc_, tuplet);
    EXPECT_EQ(Live(), live);
}

// Releasing a picture deletes its cached bitmap only; its bytes stay the document's.
TEST_F(StoredObjects, PictureKeepsTheDocumentsBytes) {
    ScoreObject* object = Make(ObjectType::Picture);
    PictureObject* picture = AsPicture(object);
    picture->data = PushDocumentRecord(doc_, {1, 2, 3});
    platform::BitmapHandle cache = gfx::CreateImageBitmap(4, 4);
    ASSERT_TRUE(cache);
    picture->cache = cache.bits;
    uint32_t data = picture->data;
    ReleaseObjectByType(doc_, object);
    EXPECT_FALSE(gfx::DeleteObject(cache)) << "the cache was deleted already";
    ASSERT_NE(DocumentRecordOf(doc_, data), nullptr);
    EXPECT_EQ(*DocumentRecordOf(doc_, data), (std::vector<uint8_t>{1, 2, 3}));
}

// Margins read from old files get their words from their distances, in the
// document's unit.
TEST_F(StoredObjects, MarginValuesFollowTheDocumentsUnit) {
    MarginObject* margin = AsMarginObject(Make(ObjectType::Margin));
    ConvertMarginValues(margin, view_);
    for (int side = 0; side < kMarginSides; ++side)
        EXPECT_EQ(V(margin->body.words[side]),
                  static_cast<uint32_t>(FormatUnitsValue(*doc_, kDefaultMargins[side])));
    EXPECT_NE(V(margin->body.words[1]), 0u);
    margin->body.words[0] = 77;
    ConvertMarginValues(margin, nullptr);
    EXPECT_EQ(V(margin->body.words[0]), 77u) << "nothing without a view";
}

}  // namespace
}  // namespace ql
