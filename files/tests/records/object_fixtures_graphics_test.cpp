// Object records written by hand from the record tables, for the types without a
// text: slur, tie, text box, hairpin, line, circle, box, margin, wickette, guide line
// and picture. Each object is built through the program's constructor, its fields
// set, and its record must equal the hand-written bytes; reading the bytes back gives
// the fields of the comments, and encoding the object read gives the bytes again.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "files/records/object_records.h"
#include "files/tests/files_fixture.h"
#include "objects/curves/curve_objects.h"
#include "objects/graphics/graphic_object.h"
#include "objects/guide/guide_line.h"
#include "objects/hairpin/hairpin.h"
#include "objects/margin/margin_object.h"
#include "objects/object_services.h"
#include "objects/picture/picture_object.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"

namespace ql {
namespace {

// The hand-written records keep one field (or one group of fields) per line.
// clang-format off

using testing_files::FilesTest;
using testing_files::HandBytes;
using testing_files::V;

class ObjectFixtures : public FilesTest {
  protected:
    // Encodes the object, checks the hand bytes, reads them back, checks that the
    // object read encodes to the same bytes, and returns it.
    ScoreObject* RoundTrip(ScoreObject* object, const std::vector<uint8_t>& expected) {
        EXPECT_EQ(EncodeObject(object), expected) << "the constructed object's record";
        ScoreObject* back = ReadOne(expected);
        if (back == nullptr) return nullptr;
        EXPECT_EQ(V(back->type), object->type);
        EXPECT_EQ(V(back->subtype), object->subtype);
        EXPECT_EQ(EncodeObject(back), expected) << "the object read back encodes differently";
        return back;
    }
};

// Slur: 38 body bytes: four anchors, four inner offsets, the flag word.
TEST_F(ObjectFixtures, Slur) {
    ScoreObject* object = Make(ObjectType::Slur);
    SlurObject* slur = AsSlur(object);
    slur->body.points[0] = AnchorPoint{{1, 0x0200}, -3, 4};
    slur->body.points[1] = AnchorPoint{{2, 0x0300}, 5, -6};
    slur->body.points[2] = AnchorPoint{{3, 0x0400}, 7, 8};
    slur->body.points[3] = AnchorPoint{{4, 0x0500}, -9, 10};
    slur->body.inner[0] = -1;
    slur->body.inner[1] = 2;
    slur->body.inner[2] = -3;
    slur->body.inner[3] = 4;
    slur->body.flags = 0x1231;
    HandBytes bytes;
    bytes.u8(4).u8(0)                                   // type 4, subtype 0
        .u16(1).u16(0x0200).u16(0xFFFD).u16(4)          // 0: P0 words, x -3, y 4
        .u16(2).u16(0x0300).u16(5).u16(0xFFFA)          // 8: P1
        .u16(3).u16(0x0400).u16(7).u16(8)               // 16: P2
        .u16(4).u16(0x0500).u16(0xFFF7).u16(10)         // 24: P3
        .u8(0xFF).u8(2).u8(0xFD).u8(4)                  // 32: dx1 dy1 dx2 dy2
        .u16(0x1231);                                   // 36: flags (style 1)
    SlurObject* back = AsSlur(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->body.points[3]), (AnchorPoint{{4, 0x0500}, -9, 10}));
    EXPECT_EQ(V(back->body.inner[2]), -3);
    EXPECT_EQ(V(back->body.flags), 0x1231);
}

// Tie: its 10 bytes; the voice bits come from the view's voice mask on reading.
TEST_F(ObjectFixtures, Tie) {
    view_->voiceMask = 0x4;  // voice 2
    ScoreObject* object = Make(ObjectType::Tie);
    TieBody& tie = AsTie(object)->body;
    tie.controlInset = -100;
    tie.controlRise = 200;
    tie.startDx = 1;
    tie.startDy = -2;
    tie.endDx = 3;
    tie.endDy = -4;
    tie.shape = 0x2105;  // voice 2, dashed, thickness 5
    HandBytes bytes;
    bytes.u8(5).u8(3)        // type 5, subtype 3
        .u16(0xFF9C)         // 0: control inset -100
        .u16(200)            // 2: control rise
        .u8(1).u8(0xFE)      // 4: start dx, dy
        .u8(3).u8(0xFC)      // 6: end dx, dy
        .u16(0x2105);        // 8: shape
    TieObject* back = AsTie(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->body.controlInset), -100);
    EXPECT_EQ(V(back->body.endDy), -4);
    EXPECT_EQ(V(back->body.shape), 0x2105);
}

// Text box: the 26-byte descriptor, the text length and the text bytes. Fields that
// carry nothing are 0 whatever memory holds.
TEST_F(ObjectFixtures, TextBox) {
    ScoreObject* object = Make(ObjectType::TextBox);
    TextBoxBody& box = AsTextBox(object)->body;
    EXPECT_EQ(TextBoxSlot(box), kTextBoxDefaultSlot);
    box.location = ObjectLocation{0x01020304, 5, 6, 0x0708};
    box.width = 0x12345;  // low half stored
    box.height = -20;
    box.leading = 14;
    box.style = static_cast<uint16_t>((9 << 11) | (3 << 8) | (1 << 4) | (box.style & 0xF));
    box.keyboardLayout = 0x0409;
    box.word24 = 0xDEADBEEF;       // not stored
    box.bitmapCache = 0;
    box.carriedWord = 0xAB12;      // only 0x12 stored
    box.carriedFlags[0] = 0xF3;    // only 3 stored
    box.carriedFlags[1] = 0x44;
    ASSERT_TRUE(SetTextBoxText(&box, "Solo", 4));
    uint16_t pool = box.style & 0xF;
    HandBytes bytes;
    bytes.u8(6).u8(0)                 // type 6, subtype 0
        .u32(0x01020304).u8(5).u8(6).u16(0x0708)   // 0: location
        .u16(0x2345)                  // 8: width, low half
        .u16(0xFFEC)                  // 10: height -20
        .u16(14)                      // 12: leading
        .u16((9 << 11) | (3 << 8) | (1 << 4) | pool)  // 14: style word with the pool
        .u16(0)                       // 16: no handle
        .u8(0x12)                     // 18: low byte of the carried word
        .u8(0)                        // 19: nothing
        .u16(0x0409)                  // 20: keyboard layout
        .u8(0x03)                     // 22: low four bits of the first flag byte
        .u8(0x44)                     // 23: the second flag byte
        .u16(0)                       // 24: zero
        .u16(4)                       // the text length
        .text("Solo", 4);             // the text
    TextBoxObject* back = AsTextBox(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(GetTextBoxString(&back->header), "Solo");
    EXPECT_EQ(V(back->body.width), 0x2345);
    EXPECT_EQ(V(back->body.height), -20);
    EXPECT_EQ(V(back->body.word24), 0u);
    EXPECT_EQ(V(back->body.carriedWord), 0x12);
    EXPECT_EQ(V(back->body.carriedFlags[0]), 0x03);
    EXPECT_EQ(V(back->body.keyboardLayout), 0x0409);
}

// Hairpin: the ten action bytes, then 28 bytes from the first anchor; the body's
// last four bytes are never stored.
TEST_F(ObjectFixtures, Hairpin) {
    ScoreObject* object = Make(ObjectType::Hairpin);
    HairpinObject* hairpin = AsHairpin(object);
    EXPECT_EQ(V(hairpin->action.head.values.finalValue), kHairpinTo);
    hairpin->action.head.values.value = -5;
    hairpin->action.head.values.finalValue = 40;
    hairpin->points[0] = AnchorPoint{{1, 2}, 3, 4};
    hairpin->points[1] = AnchorPoint{{5, 6}, 7, 8};
    hairpin->points[2] = AnchorPoint{{9, 10}, 11, -12};
    hairpin->direction = 0;
    hairpin->lineWidth = 16;
    hairpin->reserved[0] = 0x55;
    hairpin->reserved[1] = 0x66;
    HandBytes bytes;
    bytes.u8(7).u8(0)                 // type 7, subtype 0
        .u16(0xFFFB)                  // 0: from -5
        .u16(40)                      // 2: to
        .u16(kHairpinFlags)           // 4: flags: enable, key velocity, all voices, kind 0
        .u8(0x10)                     // 6: destination 0, timing 1
        .u8(1)                        // 7: named staff
        .u8(16)                       // 8: interval
        .u8(0)                        // 9: controller
        .u16(1).u16(2).u16(3).u16(4)  // 10: first anchor
        .u16(5).u16(6).u16(7).u16(8)  // 18: second
        .u16(9).u16(10).u16(11).u16(0xFFF4)  // 26: third
        .u8(0)                        // 34: diminuendo
        .u8(16)                       // 35: line width
        .u8(0x55).u8(0x66);           // 36: reserved
    HairpinObject* back = AsHairpin(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->action.head.values.value), -5);
    EXPECT_EQ(V(back->points[2].y), -12);
    EXPECT_EQ(V(back->lineWidth), 16);
}

// Line, circle and box: the 16-byte graphic record (extents as low halves, a
// reserved 0 in place of the spare byte).
TEST_F(ObjectFixtures, GraphicRecords) {
    const ObjectType types[] = {ObjectType::Line, ObjectType::Circle, ObjectType::Box};
    for (ObjectType type : types) {
        ScoreObject* object = Make(type);
        GraphicBody& body = AsGraphicObject(object)->body;
        body.location = ObjectLocation{0xA0B0C0D0, 1, 2, 300};
        body.width = -70000;  // low half 0x0EE90
        body.height = 513;
        body.colour = 1;
        body.style = 2;
        body.penWidth = 7;
        body.spare = 0x99;  // never stored
        object->subtype = 1;
        HandBytes bytes;
        bytes.u8(TypeCode(type)).u8(1)    // type, subtype 1
            .u32(0xA0B0C0D0)              // 0: location word 0
            .u8(1).u8(2).u16(300)         // 4: location word 1
            .u16(static_cast<uint16_t>(-70000 & 0xFFFF))  // 8: width, low half
            .u16(513)                     // 10: height
            .u8(1).u8(2).u8(7)            // 12: colour, style, pen width
            .u8(0);                       // 15: reserved
        GraphicObject* back = AsGraphicObject(RoundTrip(object, bytes));
        ASSERT_NE(back, nullptr) << int(TypeCode(type));
        EXPECT_EQ(V(back->body.width), static_cast<int16_t>(-70000 & 0xFFFF)) << "sign-extended";
        EXPECT_EQ(V(back->body.penWidth), 7);
        EXPECT_EQ(V(back->body.spare), 0);
    }
}

// Margin: the eight values as their low halves, in body order.
TEST_F(ObjectFixtures, Margin) {
    ScoreObject* object = Make(ObjectType::Margin);
    MarginBody& margin = AsMarginObject(object)->body;
    EXPECT_EQ(V(margin.distances[1]), kDefaultMargins[1]);
    margin.distances[2] = -1;
    margin.words[0] = 0x0100;
    margin.words[3] = 0x0750;
    HandBytes bytes;
    bytes.u8(33).u8(1)                                // type 33, subtype 1
        .u16(768).u16(2560).u16(0xFFFF).u16(1024)     // 0: left, top, right, bottom
        .u16(0x0100).u16(0).u16(0).u16(0x0750);       // 8: the four words
    MarginObject* back = AsMarginObject(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->body.distances[2]), -1);
    EXPECT_EQ(V(back->body.words[3]), 0x0750u);
}

// Wickette: its endpoint, 22 bytes.
TEST_F(ObjectFixtures, Wickette) {
    ScoreObject* object = Make(ObjectType::PedalBracket);
    SpannerEndpoint& end = AsWickette(object)->spanner.endpoint;
    end.start = AnchorPoint{{1, 512}, -16, 32};
    end.end = AnchorPoint{{2, 768}, 48, -64};
    end.startHook = -128;
    end.endHook = 256;
    end.lineWidth = -2;
    end.style = 0x11;
    HandBytes bytes;
    bytes.u8(46).u8(0)                               // type 46, subtype 0
        .u16(1).u16(512).u16(0xFFF0).u16(32)         // 0: start anchor
        .u16(2).u16(768).u16(48).u16(0xFFC0)         // 8: end anchor
        .u16(0xFF80)                                 // 16: start hook
        .u16(256)                                    // 18: end hook
        .u8(0xFE)                                    // 20: line width
        .u8(0x11);                                   // 21: style
    Wickette* back = AsWickette(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->spanner.endpoint.lineWidth), -2);
    EXPECT_EQ(back->spanner.owner.get(), &back->header);
}

// Guide line: orientation, reserved byte, position.
TEST_F(ObjectFixtures, GuideLine) {
    ScoreObject* object = Make(ObjectType::Guide);
    AsGuideLine(object)->body.orientation = 1;
    AsGuideLine(object)->body.position = -30000;
    HandBytes bytes;
    bytes.u8(52).u8(1)     // type 52, subtype 1
        .u8(1)             // 0: horizontal
        .u8(0)             // 1: reserved
        .u16(0x8AD0);      // 2: position -30000
    GuideLine* back = AsGuideLine(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->body.position), -30000);
}

// Picture: the 50-byte fixed part (flag bits 4, 6, 7, the cache zoom, the reserved
// bytes and the description's bits word written as 0), then the document's bytes.
TEST_F(ObjectFixtures, Picture) {
    ScoreObject* object = Make(ObjectType::Picture);
    PictureObject* picture = AsPicture(object);
    picture->body.location = ObjectLocation{0x11223344, 0, 0, 2};
    picture->body.width = 800;
    picture->body.height = 600;
    picture->body.format = 8;
    picture->body.flags = 0xFF;
    picture->body.cacheZoom = 9;
    std::memset(picture->body.reserved, 0x77, sizeof picture->body.reserved);
    const uint32_t description[6] = {0, 40, 30, 120, 0x00180001, 0x12345678};
    std::memcpy(picture->body.description, description, sizeof description);
    picture->data = PushDocumentRecord(doc_, {1, 2, 3, 4, 5});
    picture->body.dataSize = 5;
    HandBytes bytes;
    bytes.u8(53).u8(1)                     // type 53, subtype 1
        .u32(0x11223344)                   // 0: location word 0
        .u32(0x00020000)                   // 4: location word 1 (measure 2)
        .u16(800).u16(600)                 // 8: width, height
        .u16(8)                            // 12: format
        .u8(0x2F)                          // 14: flags 0-3 and 5
        .u8(0)                             // 15: 0
        .zeros(6)                          // 16: 0
        .u32(5)                            // 22: data length
        .u32(0).u32(40).u32(30).u32(120)   // 26: type, width, height, row bytes
        .u32(0x00180001)                   // 42: planes, bits per pixel
        .u32(0)                            // 46: the bits word
        .bytes({1, 2, 3, 4, 5});           // the data
    PictureObject* back = AsPicture(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->body.flags), 0x2F);
    EXPECT_EQ(V(back->body.dataSize), 5u);
    const std::vector<uint8_t>* data = DocumentRecordOf(doc_, back->data);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(*data, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_NE(V(back->data), V(picture->data)) << "the bytes read are the document's own copy";
}

// clang-format on

}  // namespace
}  // namespace ql
