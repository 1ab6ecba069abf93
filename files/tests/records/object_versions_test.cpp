// The conversions of object records from older (and later) file versions, each on both
// sides of its version gate: a record written by hand in the older layout is read in
// the version just before the gate and in the version of the gate.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/objects/midi_action.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/units/units.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
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

class ObjectVersions : public FilesTest {
  protected:
    // A tie record (the same 10 bytes in every version) that follows a converted
    // record: read whole, it proves the converted record took exactly its own bytes.
    static void Guide(HandBytes& bytes) {
        bytes.u8(5).u8(3).zeros(8).u16(77);
    }
    // Reads two records and checks the second is that tie.
    ScoreObject* ReadWithGuide(const std::vector<uint8_t>& bytes, uint8_t version) {
        ScoreObject* first = nullptr;
        EXPECT_EQ(ReadObjects(bytes, version, 2, &first), 0) << "version " << int(version);
        if (first == nullptr || first->next.get() == nullptr) return nullptr;
        ScoreObject* next = first->next.get();
        EXPECT_EQ(next->type, TypeCode(ObjectType::Tie));
        EXPECT_EQ(V(AsTie(next)->body.shape & 0xFF), 77) << "the next record is out of step";
        return first;
    }
    static void TextRecordBytes(HandBytes& bytes, uint16_t flags, uint8_t style, uint8_t charset,
                                uint16_t character, uint16_t keyboard = 0) {
        bytes.u32(0).u8(0).u8(1).u16(1)  // location
            .u16(flags)                  // flags
            .u16(0x0100)                 // size
            .u8(style).u8(charset)       // style, character set
            .u16(64).u16(64)             // extents
            .u16(0)                      // 0
            .u16(keyboard)               // keyboard layout
            .u16(character);             // character
    }
    static void EndpointBytes(HandBytes& bytes, uint16_t startTime, uint16_t endTime) {
        bytes.u16(0).u16(startTime).u16(11).u16(12)  // start anchor
            .u16(0).u16(endTime).u16(13).u16(14)     // end anchor
            .u16(5).u16(6).u8(1).u8(0);              // hooks, width, style
    }
    void TearDown() override {
        State().files.VersionChoice = kVersionChoiceNone;
        State().files.VersionFieldWidth = 2;
        FilesTest::TearDown();
    }
};

// Slur: 36 bytes before version 10 (the flag word keeps its constructed value with
// the style bits cleared), 38 from 10.
TEST_F(ObjectVersions, SlurBodyGrowsAtVersion10) {
    HandBytes old;
    old.u8(4).u8(0).zeros(32).u8(1).u8(2).u8(3).u8(4);  // points and offsets, no flags
    Guide(old);
    SlurObject* v9 = AsSlur(ReadWithGuide(old, 9));
    ASSERT_NE(v9, nullptr);
    EXPECT_EQ(V(v9->body.inner[3]), 4);
    EXPECT_EQ(V(v9->body.flags), 0);
    HandBytes current;
    current.u8(4).u8(0).zeros(32).u8(1).u8(2).u8(3).u8(4).u16(0x0021);
    Guide(current);
    SlurObject* v10 = AsSlur(ReadWithGuide(current, 10));
    ASSERT_NE(v10, nullptr);
    EXPECT_EQ(V(v10->body.flags), 0x0021);
}

// Tie: the voice comes from the view's voice mask (its lowest bit, 0 for an empty or
// out-of-range mask); before version 10 bits 8-11 of the shape are cleared too.
TEST_F(ObjectVersions, TieTakesTheViewsVoice) {
    HandBytes bytes;
    bytes.u8(5).u8(3).zeros(8).u16(0x7A05);  // voice 7 stored, style 10, thickness 5
    view_->voiceMask = 0x6;
    EXPECT_EQ(V(AsTie(ReadOne(bytes, 10))->body.shape), 0x1A05) << "voice 1 from the mask";
    EXPECT_EQ(V(AsTie(ReadOne(bytes, 9))->body.shape), 0x1005) << "bits 8-11 cleared before 10";
    view_->voiceMask = 0;
    EXPECT_EQ(V(AsTie(ReadOne(bytes, 10))->body.shape), 0x0A05);
    view_->voiceMask = 16;
    EXPECT_EQ(V(AsTie(ReadOne(bytes, 10))->body.shape), 0x0A05);
}

// Only the first tie of one list is kept; the others are read and dropped.
TEST_F(ObjectVersions, OnlyTheFirstTieOfAListIsKept) {
    HandBytes bytes;
    bytes.u8(5).u8(3).zeros(8).u16(1);
    bytes.u8(5).u8(3).zeros(8).u16(2);
    bytes.u8(52).u8(1).u8(1).u8(0).u16(77);  // a guide line
    int live = LiveRecords();
    ScoreObject* first = nullptr;
    ASSERT_EQ(ReadObjects(bytes, 32, 3, &first), 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(V(AsTie(first)->body.shape & 0xFF), 1);
    ASSERT_NE(first->next.get(), nullptr);
    EXPECT_EQ(first->next->type, TypeCode(ObjectType::Guide));
    EXPECT_EQ(LiveRecords(), live + 2);
}

// Text box: 25-byte descriptors before version 15 and in the older version-15
// variant, 26 from version 16; an undecided version 15 keeps 26 bytes when the
// length after them is 0..500, else reads 25.
TEST_F(ObjectVersions, TextBoxDescriptorWidth) {
    HandBytes shortForm;
    shortForm.u8(6).u8(0).zeros(14).u16(4 << 11).zeros(9).u16(2).text("ab", 2);
    Guide(shortForm);
    HandBytes fullForm;
    fullForm.u8(6).u8(0).zeros(14).u16(4 << 11).zeros(10).u16(2).text("ab", 2);
    Guide(fullForm);
    EXPECT_STREQ(GetTextBoxString(ReadWithGuide(shortForm, 14)), "ab");
    EXPECT_STREQ(GetTextBoxString(ReadWithGuide(fullForm, 16)), "ab");
    State().files.VersionChoice = kVersionChoiceShorter;
    EXPECT_STREQ(GetTextBoxString(ReadWithGuide(shortForm, 15)), "ab");
    State().files.VersionChoice = kVersionChoiceNone;
    EXPECT_STREQ(GetTextBoxString(ReadWithGuide(fullForm, 15)), "ab");
    EXPECT_STREQ(GetTextBoxString(ReadWithGuide(shortForm, 15)), "ab")
        << "the undecided reader falls back to 25 bytes";
}

// In the older version-15 variant a text length outside 0..500 ends the read (999).
TEST_F(ObjectVersions, OlderVariantRefusesLongTexts) {
    HandBytes bytes;
    bytes.u8(6).u8(0).zeros(25).u16(501).zeros(501);
    State().files.VersionChoice = kVersionChoiceShorter;
    int live = LiveRecords();
    EXPECT_EQ(ReadObjects(bytes, 15, 1, nullptr), item_code::kTextBoxVariantLength);
    EXPECT_EQ(LiveRecords(), live);
    State().files.VersionChoice = kVersionChoiceNone;
    HandBytes fits;
    fits.u8(6).u8(0).zeros(26).u16(501).zeros(501);
    EXPECT_EQ(ReadObjects(fits, 16, 1, nullptr), 0);
}

// Before version 30 the keyboard-layout word, bits 1-3 of byte 22 and byte 23 of a
// text box read as 0.
TEST_F(ObjectVersions, TextBoxLayoutFieldsFromVersion30) {
    HandBytes bytes;
    bytes.u8(6).u8(0).zeros(20).u16(0x0409).u8(0x0F).u8(0x33).u16(0).u16(0);
    TextBoxObject* v29 = AsTextBox(ReadOne(bytes, 29));
    ASSERT_NE(v29, nullptr);
    EXPECT_EQ(V(v29->body.keyboardLayout), 0);
    EXPECT_EQ(V(v29->body.carriedFlags[0]), 0x01);
    EXPECT_EQ(V(v29->body.carriedFlags[1]), 0);
    TextBoxObject* v30 = AsTextBox(ReadOne(bytes, 30));
    ASSERT_NE(v30, nullptr);
    EXPECT_EQ(V(v30->body.keyboardLayout), 0x0409);
    EXPECT_EQ(V(v30->body.carriedFlags[0]), 0x0F);
    EXPECT_EQ(V(v30->body.carriedFlags[1]), 0x33);
}

// Hairpin before version 24: one 30-byte block with the values as bytes.
TEST_F(ObjectVersions, HairpinOldBlock) {
    HandBytes old;
    old.u8(7).u8(0)
        .u16(1).u16(2).u16(3).u16(4).zeros(16)  // 0: three anchors
        .u8(1)                                   // 24: crescendo
        .u8(0xF6)                                // 25: from -10
        .u8(20)                                  // 26: to
        .u8(32)                                  // 27: line width
        .u8(1)                                   // 28: enable
        .u8(0);                                  // 29: not key velocity
    Guide(old);
    HairpinObject* v23 = AsHairpin(ReadWithGuide(old, 23));
    ASSERT_NE(v23, nullptr);
    EXPECT_EQ(V(v23->points[0].y), 4);
    EXPECT_EQ(V(v23->direction), 1);
    EXPECT_EQ(V(v23->lineWidth), 32);
    EXPECT_EQ(V(v23->action.head.values.value), -10);
    EXPECT_EQ(V(v23->action.head.values.finalValue), 20);
    EXPECT_EQ(V(v23->action.flags), 0x0001);
    EXPECT_EQ(V(v23->action.destinationTiming), 0x10);
    EXPECT_EQ(V(v23->action.namedStaff), 1);
    HandBytes current;
    current.u8(7).u8(0).u16(0xFFF6).u16(20).u16(0x0103).u8(0x10).u8(2).u8(16).u8(11).zeros(24).u8(1).u8(32).zeros(2);
    Guide(current);
    HairpinObject* v24 = AsHairpin(ReadWithGuide(current, 24));
    ASSERT_NE(v24, nullptr);
    EXPECT_EQ(V(v24->action.flags), 0x0103);
    EXPECT_EQ(V(v24->action.controller), 11);
}

// A hairpin never owns pooled data: an action read as data-carrying becomes kind 2,
// timing 1, from 0 to 16, and reads no data bytes.
TEST_F(ObjectVersions, HairpinDataActionIsReset) {
    HandBytes bytes;
    bytes.u8(7).u8(0).u16(0x1234).u16(0x0503).u16(0xFF61).u8(0x23).u8(1).u8(16).u8(0).zeros(28);
    Guide(bytes);
    int live = LiveRecords();
    HairpinObject* hairpin = AsHairpin(ReadWithGuide(bytes, 32));
    ASSERT_NE(hairpin, nullptr);
    EXPECT_EQ(MidiKindOf(hairpin->action), kMidiKindPlain);
    EXPECT_EQ(MidiTimingOf(hairpin->action), 1);
    EXPECT_EQ(V(hairpin->action.destinationTiming & 0x0F), 3);
    EXPECT_EQ(V(hairpin->action.head.values.value), 0);
    EXPECT_EQ(V(hairpin->action.head.values.finalValue), 16);
    EXPECT_EQ(LiveRecords(), live + 2);  // the hairpin and the tie after it, no data record
}

// Lines before version 15 (and in the older variant) hold 19 bytes with full extents;
// from version 33 the style byte keeps its low two bits.
TEST_F(ObjectVersions, LineRecordForms) {
    HandBytes old;
    old.u8(8).u8(0).u32(1).u32(2).u32(0x00012345).u32(0xFFFE0000).u8(1).u8(4).u8(3);
    Guide(old);
    GraphicObject* v14 = AsGraphicObject(ReadWithGuide(old, 14));
    ASSERT_NE(v14, nullptr);
    EXPECT_EQ(V(v14->body.width), 18640);  // 0x12345 * 32767 / 0x20000: shortened along itself
    EXPECT_EQ(V(v14->body.height), -32767);
    State().files.VersionChoice = kVersionChoiceShorter;
    ASSERT_NE(ReadWithGuide(old, 15), nullptr);
    State().files.VersionChoice = kVersionChoiceNone;
    HandBytes current;
    current.u8(8).u8(0).u32(1).u32(2).u16(5).u16(6).u8(1).u8(0xFE).u8(3).u8(0);
    Guide(current);
    EXPECT_EQ(V(AsGraphicObject(ReadWithGuide(current, 15))->body.style), 0xFE);
    EXPECT_EQ(V(AsGraphicObject(ReadWithGuide(current, 32))->body.style), 0xFE);
    EXPECT_EQ(V(AsGraphicObject(ReadWithGuide(current, 33))->body.style), 0x02);
    HandBytes box;
    box.u8(10).u8(0).u32(1).u32(2).u16(5).u16(6).u8(1).u8(0xFE).u8(3).u8(0);
    EXPECT_EQ(V(AsGraphicObject(ReadOne(box, 33))->body.style), 0xFE) << "only lines are masked";
}

// An old line's full extents are kept while a stored extent holds them; a longer
// line is shortened from its start along its own direction until both fit, so that
// written by this program and read again it is the line that was shown.
TEST_F(ObjectVersions, OldLinesLongerThanARecordHoldsAreShortenedAlongThemselves) {
    struct Case {
        int32_t dx, dy;          // as stored in the old form
        int32_t readX, readY;    // as read
    };
    const Case cases[] = {
        {32767, -32767, 32767, -32767},  // the largest that fits, kept
        {-1200, 300, -1200, 300},
        {40000, 30000, 32767, 24575},    // 30000 * 32767 / 40000, truncated
        {-30000, 65535, -14999, 32767},
        {0, -100000, 0, -32767},
        {INT32_MIN, 1, -32767, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.dx << "," << c.dy);
        HandBytes old;
        old.u8(8).u8(0)                                           // type, subtype
            .u32(1).u32(2)                                        // location
            .u32(static_cast<uint32_t>(c.dx)).u32(static_cast<uint32_t>(c.dy))  // full extents
            .u8(0).u8(2).u8(1);                                   // colour, style, width
        ScoreObject* line = ReadOne(old, 14);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(V(AsGraphicObject(line)->body.width), c.readX);
        EXPECT_EQ(V(AsGraphicObject(line)->body.height), c.readY);
        ScoreObject* again = ReadOne(EncodeObject(line));
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(V(AsGraphicObject(again)->body.width), c.readX);
        EXPECT_EQ(V(AsGraphicObject(again)->body.height), c.readY);
    }
}

// Clef from version 33: the kind from the character minus ':', style 2, flag bit 7
// set and bit 2 cleared.
TEST_F(ObjectVersions, ClefKindFromVersion33) {
    HandBytes bytes;
    bytes.u8(14).u8(0);
    TextRecordBytes(bytes, 0x0004, 7, 9, ':' + 5);
    TextObject* v32 = AsTextObject(ReadOne(bytes, 32));
    ASSERT_NE(v32, nullptr);
    EXPECT_EQ(V(v32->body.charset), 9);
    EXPECT_EQ(V(v32->body.style), 7);
    EXPECT_EQ(V(v32->body.flags), 0x0004);
    TextObject* v33 = AsTextObject(ReadOne(bytes, 33));
    ASSERT_NE(v33, nullptr);
    EXPECT_EQ(V(v33->body.charset), 5);
    EXPECT_EQ(V(v33->body.style), 2);
    EXPECT_EQ(V(v33->body.flags), 0x0080);
}

// Text lines and lyrics before version 27 read their character set as 0.
TEST_F(ObjectVersions, TextCharsetFromVersion27) {
    for (uint8_t type : {uint8_t{18}, uint8_t{50}}) {
        HandBytes bytes;
        bytes.u8(type).u8(0);
        TextRecordBytes(bytes, 0, 3, 177, 'A');
        EXPECT_EQ(V(AsTextObject(ReadOne(bytes, 26))->body.charset), 0);
        EXPECT_EQ(V(AsTextObject(ReadOne(bytes, 27))->body.charset), 177);
    }
    HandBytes key;
    key.u8(15).u8(0);
    TextRecordBytes(key, 0, 3, 177, 'A');
    EXPECT_EQ(V(AsTextObject(ReadOne(key, 26))->body.charset), 177) << "keys keep theirs";
}

// Text flags: from version 11 all sixteen bits come from the file; before, bits 0-9
// and 11 stay and the word's bits from 10 move two places up.
TEST_F(ObjectVersions, TextFlagsAtVersion11) {
    HandBytes bytes;
    bytes.u8(18).u8(0);
    TextRecordBytes(bytes, 0x0C88, 3, 0, 'A');
    EXPECT_EQ(V(AsTextObject(ReadOne(bytes, 11))->body.flags), 0x0C88);
    EXPECT_EQ(V(AsTextObject(ReadOne(bytes, 10))->body.flags), 0x0888 + (0x3 << 12));
}

// Dynamic: before version 18 destination 0 and 1 swap; from version 33 a glyph in its
// own font (flag bits 7 and 2) gets 0xFE00 as its size.
TEST_F(ObjectVersions, DynamicConversions) {
    auto dynamic = [](uint8_t destination, uint16_t textFlags) {
        HandBytes bytes;
        bytes.u8(21).u8(0);
        TextRecordBytes(bytes, textFlags, 3, 0, 160);
        bytes.u16(0).u16(0).u16(0x1121).u8(destination).u8(1).u8(16).u8(7);
        return bytes;
    };
    auto destinationOf = [](ScoreObject* o) { return MidiActionOfText(o)->destinationTiming & 0x0F; };
    EXPECT_EQ(destinationOf(ReadOne(dynamic(0x10, 0), 17)), 1);
    EXPECT_EQ(destinationOf(ReadOne(dynamic(0x11, 0), 17)), 0);
    EXPECT_EQ(destinationOf(ReadOne(dynamic(0x12, 0), 17)), 2);
    EXPECT_EQ(destinationOf(ReadOne(dynamic(0x10, 0), 18)), 0);
    EXPECT_EQ(V(AsTextObject(ReadOne(dynamic(0, 0x0084), 33))->body.size), static_cast<int16_t>(0xFE00));
    EXPECT_EQ(V(AsTextObject(ReadOne(dynamic(0, 0x0084), 32))->body.size), 0x0100);
    EXPECT_EQ(V(AsTextObject(ReadOne(dynamic(0, 0x0080), 33))->body.size), 0x0100);
}

// Margins up to version 8 hold four values; the words are worked out from them in
// the document's unit.
TEST_F(ObjectVersions, MarginOldForm) {
    HandBytes old;
    old.u8(33).u8(1).u16(768).u16(2560).u16(1280).u16(1024);
    Guide(old);
    MarginObject* v8 = AsMarginObject(ReadWithGuide(old, 8));
    ASSERT_NE(v8, nullptr);
    for (int side = 0; side < kMarginSides; ++side)
        EXPECT_EQ(V(v8->body.words[side]),
                  static_cast<uint32_t>(FormatUnitsValue(*doc_, v8->body.distances[side])));
    EXPECT_NE(V(v8->body.words[0]), 0u);
    HandBytes current;
    current.u8(33).u8(1).u16(768).u16(2560).u16(1280).u16(1024).u16(1).u16(2).u16(3).u16(4);
    Guide(current);
    EXPECT_EQ(V(AsMarginObject(ReadWithGuide(current, 9))->body.words[3]), 4u);
}

// Spanners attached to a note, before version 3: the third word of both anchors is 0
// (not for the wickette, nor for objects of other lists).
TEST_F(ObjectVersions, NoteSpannerHooksBeforeVersion3) {
    for (uint8_t type : {uint8_t{47}, uint8_t{49}, uint8_t{51}}) {
        HandBytes bytes;
        bytes.u8(type).u8(3);
        TextRecordBytes(bytes, 0, 3, 0, '3');
        EndpointBytes(bytes, 100, 200);
        if (type == 51) bytes.zeros(18);
        SpannerInterface* v2 = SpannerOf(ReadOne(bytes, 2));
        ASSERT_NE(v2, nullptr);
        EXPECT_EQ(V(v2->endpoint.start.x), 0);
        EXPECT_EQ(V(v2->endpoint.end.x), 0);
        EXPECT_EQ(V(v2->endpoint.start.y), 12);
        SpannerInterface* v3 = SpannerOf(ReadOne(bytes, 3));
        EXPECT_EQ(V(v3->endpoint.start.x), 11);
        bytes.get();
    }
    HandBytes page;
    page.u8(47).u8(1);
    TextRecordBytes(page, 0, 3, 0, 'w');
    EndpointBytes(page, 100, 200);
    EXPECT_EQ(V(SpannerOf(ReadOne(page, 2))->endpoint.start.x), 11) << "only note attachments";
    HandBytes wickette;
    wickette.u8(46).u8(3);
    EndpointBytes(wickette, 100, 200);
    EXPECT_EQ(V(SpannerOf(ReadOne(wickette, 2))->endpoint.start.x), 11) << "not the wickette";
}

// A repeat ending's passes follow its endpoint from version 13 on.
TEST_F(ObjectVersions, RepeatPassesFromVersion13) {
    HandBytes old;
    old.u8(48).u8(0);
    TextRecordBytes(old, 0, 3, 0, '1');
    EndpointBytes(old, 0, 0);
    Guide(old);
    RepeatEndingObject* v12 = AsRepeatEnding(ReadWithGuide(old, 12));
    ASSERT_NE(v12, nullptr);
    EXPECT_EQ(V(v12->span), 1) << "the constructed span";
    HandBytes current;
    current.u8(48).u8(0);
    TextRecordBytes(current, 0, 3, 0, '1');
    EndpointBytes(current, 0, 0);
    current.u16(4).u8(1).u8(2).u8(0).u8(0).u8(0).u8(0);
    Guide(current);
    EXPECT_EQ(V(AsRepeatEnding(ReadWithGuide(current, 13))->span), 4);
}

// A note's tuplet before version 6: the end time becomes relative to the start, the
// start relative to the owning note (0 when negative).
TEST_F(ObjectVersions, TupletTimesBecomeRelativeBeforeVersion6) {
    HandBytes bytes;
    bytes.u8(51).u8(3);
    TextRecordBytes(bytes, 0, 5, 0, '3');
    EndpointBytes(bytes, 1536, 2048);
    bytes.zeros(18);
    State().files.AttachedObjectTime = 1024;
    SpannerInterface* v5 = SpannerOf(ReadOne(bytes, 5));
    ASSERT_NE(v5, nullptr);
    EXPECT_EQ(V(v5->endpoint.start.coarse[1]), 512);
    EXPECT_EQ(V(v5->endpoint.end.coarse[1]), 512);
    State().files.AttachedObjectTime = 2000;
    EXPECT_EQ(V(SpannerOf(ReadOne(bytes, 5))->endpoint.start.coarse[1]), 0) << "negative becomes 0";
    EXPECT_EQ(V(SpannerOf(ReadOne(bytes, 6))->endpoint.start.coarse[1]), 1536);
}

// A guide line of the older version-15 variant holds 3 bytes.
TEST_F(ObjectVersions, GuideLineOlderVariant) {
    HandBytes old;
    old.u8(52).u8(1).u8(1).u16(300);
    Guide(old);
    State().files.VersionChoice = kVersionChoiceShorter;
    GuideLine* v15 = AsGuideLine(ReadWithGuide(old, 15));
    ASSERT_NE(v15, nullptr);
    EXPECT_EQ(V(v15->body.orientation), 1);
    EXPECT_EQ(V(v15->body.position), 300);
}

// Pictures before version 26 have colour; a kept colour picture not shown in black
// and white counts in the document.
TEST_F(ObjectVersions, PictureColourBeforeVersion26) {
    HandBytes bytes;
    bytes.u8(53).u8(1).zeros(14).u8(0x00).zeros(7).u32(0).zeros(24);
    EXPECT_EQ(V(AsPicture(ReadOne(bytes, 25))->body.flags), kPictureColour);
    EXPECT_EQ(V(doc_->colourPictures), 1);
    EXPECT_EQ(V(AsPicture(ReadOne(bytes, 26))->body.flags), 0);
    EXPECT_EQ(V(doc_->colourPictures), 1);
}

// A code the reader does not accept ends the read with 2018; a one-byte version field
// first decides the older version-15 variant.
TEST_F(ObjectVersions, UnacceptedCodes) {
    HandBytes bytes;
    bytes.u8(12).u8(0).zeros(20);
    EXPECT_EQ(ReadObjects(bytes, 32, 1, nullptr), item_code::kTypeNotAccepted);
    EXPECT_EQ(V(State().files.VersionChoice), kVersionChoiceNone);
    State().files.VersionFieldWidth = 1;
    EXPECT_EQ(ReadObjects(bytes, 15, 1, nullptr), item_code::kTypeNotAccepted);
    EXPECT_EQ(V(State().files.VersionChoice), kVersionChoiceShorter);
}

// clang-format on

}  // namespace
}  // namespace ql
