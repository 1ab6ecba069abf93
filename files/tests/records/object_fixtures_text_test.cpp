// Object records written by hand from the record tables, for the types that carry a
// text record: clef, key signature, text line, lyric, accidental (read and dropped),
// chord symbol, widget bracket, repeat ending, octave line, tuplet and the five
// MIDI-carrying marks; and the selection record (read and dropped).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/objects/midi_action.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "files/records/object_records.h"
#include "files/tests/files_fixture.h"
#include "objects/chord/chord_symbol.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {
namespace {

// The hand-written records keep one field (or one group of fields) per line.
// clang-format off

using testing_files::FilesTest;
using testing_files::HandBytes;
using testing_files::V;

class TextFixtures : public FilesTest {
  protected:
    ScoreObject* RoundTrip(ScoreObject* object, const std::vector<uint8_t>& expected) {
        EXPECT_EQ(EncodeObject(object), expected) << "the constructed object's record";
        ScoreObject* back = ReadOne(expected);
        if (back == nullptr) return nullptr;
        EXPECT_EQ(V(back->type), object->type);
        EXPECT_EQ(EncodeObject(back), expected) << "the object read back encodes differently";
        return back;
    }

    // A text body of known fields: location, flags, size, style, charset, extents,
    // keyboard word; `string` is its text (flag 0) or null for the character `code`.
    static void FillText(TextObject* text, const char* string, uint16_t code) {
        text->body.location = ObjectLocation{0x00100020, 3, 1, 7};
        text->body.flags = 0x8080;
        text->body.size = -160;
        text->body.style = 5;
        text->body.charset = 2;
        text->body.width = 0x10400;  // low half stored
        text->body.height = 300;
        text->body.extra = 0x0409;
        if (string != nullptr) {
            ASSERT_GE(SetTextObjectString(text, string), 0);
            text->body.flags |= kTextOwnsString;
        } else {
            text->body.string = code;
        }
    }

    // The hand-written text record of FillText.
    static void TextRecord(HandBytes& bytes, const char* string, uint16_t code) {
        uint16_t flags = string != nullptr ? 0x8081 : 0x8080;
        bytes.u32(0x00100020).u8(3).u8(1).u16(7)  // 0: location
            .u16(flags)                           // 8: flags (bit 0: owns a string)
            .u16(0xFF60)                          // 10: size -160
            .u8(5)                                // 12: style
            .u8(2)                                // 13: character set
            .u16(0x0400)                          // 14: width, low half
            .u16(300)                             // 16: height
            .u16(0)                               // 18: 0
            .u16(0x0409)                          // 20: keyboard layout
            .u16(string != nullptr ? 0 : code);   // 22: the character, or 0
        if (string == nullptr) return;
        bytes.u16(static_cast<uint32_t>(std::strlen(string)))  // the length
            .text(string, std::strlen(string));                // the bytes, no NUL
    }

    // The first spanner endpoint of these tests, and its hand-written bytes.
    static SpannerEndpoint Endpoint() {
        return SpannerEndpoint{AnchorPoint{{0, 64}, 10, -20}, AnchorPoint{{1, 128}, 30, -40}, 96, -96, 1, 0x10};
    }
    static void EndpointBytes(HandBytes& bytes) {
        bytes.u16(0).u16(64).u16(10).u16(0xFFEC)   // 0: start anchor
            .u16(1).u16(128).u16(30).u16(0xFFD8)   // 8: end anchor
            .u16(96).u16(0xFFA0)                   // 16: start and end hooks
            .u8(1).u8(0x10);                       // 20: line width, style
    }
};

// Clef, key signature, text line and lyric: the text record alone.
TEST_F(TextFixtures, PlainTextRecords) {
    const ObjectType types[] = {ObjectType::Clef, ObjectType::KeySignature, ObjectType::Text,
                                ObjectType::Lyric};
    for (ObjectType type : types) {
        ScoreObject* object = Make(type);
        const char* string = type == ObjectType::Text ? "Andante" : nullptr;
        FillText(AsTextObject(object), string, ':' + 4);
        HandBytes bytes;
        bytes.u8(TypeCode(type)).u8(object->subtype);  // type, subtype
        TextRecord(bytes, string, ':' + 4);
        ScoreObject* back = RoundTrip(object, bytes);
        ASSERT_NE(back, nullptr) << int(TypeCode(type));
        EXPECT_EQ(V(AsTextObject(back)->body.size), -160);
        EXPECT_EQ(V(AsTextObject(back)->body.width), 0x0400);
        if (string != nullptr) {
            EXPECT_STREQ(TextObjectString(AsTextObject(back)), "Andante");
        } else {
            EXPECT_EQ(V(AsTextObject(back)->body.string), ':' + 4);
        }
    }
}

// An accidental's record is read and dropped: nothing joins the list, nothing stays.
TEST_F(TextFixtures, AccidentalIsReadAndDropped) {
    ScoreObject* object = Make(ObjectType::Accidental);
    ASSERT_NE(object, nullptr);
    FillText(AsTextObject(object), "x", 0);
    HandBytes bytes;
    bytes.u8(38).u8(3);  // type 38, subtype 3
    TextRecord(bytes, "x", 0);
    EXPECT_EQ(EncodeObject(object), bytes.get());
    int live = LiveRecords();
    ScoreObject* first = nullptr;
    EXPECT_EQ(ReadObjects(bytes, 32, 1, &first), 0);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(LiveRecords(), live);
}

// Chord symbol: the text record, then the ten chord bytes.
TEST_F(TextFixtures, ChordSymbol) {
    ScoreObject* object = Make(ObjectType::Chord);
    ChordSymbol* chord = AsChordSymbol(object);
    EXPECT_EQ(V(chord->chord.nameStyle), kChordNameStyle);
    FillText(&chord->text, nullptr, 92);
    chord->chord = ChordFields{5, 1, 4, 2, 1, 6, 1, 0, {0xAA, 0xBB}};
    HandBytes bytes;
    bytes.u8(39).u8(0);  // type 39, subtype 0
    TextRecord(bytes, nullptr, 92);
    bytes.u8(5)          // quality
        .u8(1)           // root D
        .u8(4)           // bass G
        .u8(2)           // root flat
        .u8(1)           // bass sharp
        .u8(6)           // name style
        .u8(1)           // name shown
        .u8(0)           // diagram hidden
        .u8(0xAA).u8(0xBB);  // reserved
    ChordSymbol* back = AsChordSymbol(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->chord.bass), 4);
    EXPECT_EQ(V(back->chord.reserved[1]), 0xBB);
}

// Widget bracket and octave line: the text record, then the endpoint.
TEST_F(TextFixtures, TextSpanners) {
    for (ObjectType type : {ObjectType::Widget, ObjectType::Octave}) {
        ScoreObject* object = Make(type);
        FillText(AsTextObject(object), nullptr, 229);
        AsTextSpanner(object)->spanner.endpoint = Endpoint();
        HandBytes bytes;
        bytes.u8(TypeCode(type)).u8(0);  // type, subtype 0
        TextRecord(bytes, nullptr, 229);
        EndpointBytes(bytes);
        TextSpanner* back = AsTextSpanner(RoundTrip(object, bytes));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(V(back->spanner.endpoint.endHook), -96);
    }
}

// Repeat ending: the text record, the endpoint, then span, passes and two bytes.
TEST_F(TextFixtures, RepeatEnding) {
    ScoreObject* object = Make(ObjectType::RepeatEnding);
    RepeatEndingObject* ending = AsRepeatEnding(object);
    EXPECT_EQ(V(ending->span), 1);
    FillText(&ending->text, "1.", 0);
    ending->spanner.endpoint = Endpoint();
    ending->span = 3;
    ending->passes[0] = 1;
    ending->passes[1] = 3;
    ending->further[0] = 9;
    HandBytes bytes;
    bytes.u8(48).u8(0);  // type 48, subtype 0
    TextRecord(bytes, "1.", 0);
    EndpointBytes(bytes);
    bytes.u16(3)                    // span
        .u8(1).u8(3).u8(0).u8(0)    // passes
        .u8(9).u8(0);               // further bytes
    RepeatEndingObject* back = AsRepeatEnding(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->span), 3);
    EXPECT_EQ(V(back->passes[1]), 3);
    EXPECT_STREQ(TextObjectString(&back->text), "1.");
}

// Tuplet: the text record, the endpoint, then the 18-byte anchor payload.
TEST_F(TextFixtures, Tuplet) {
    ScoreObject* object = Make(ObjectType::Tuplet);
    TupletObject* tuplet = AsTuplet(object);
    FillText(&tuplet->text, nullptr, '3');
    tuplet->spanner.endpoint = Endpoint();
    tuplet->anchor.payload = AnchorPayload{{0, 100, 200, 300}, {-1, -2, 3, 4}, -5, 0x66};
    HandBytes bytes;
    bytes.u8(51).u8(3);  // type 51, subtype 3
    TextRecord(bytes, nullptr, '3');
    EndpointBytes(bytes);
    bytes.u16(0).u16(100).u16(200).u16(300)             // 0: control point times
        .u16(0xFFFF).u16(0xFFFE).u16(3).u16(4)           // 8: vertical offsets
        .u8(0xFB)                                        // 16: thickness -5
        .u8(0x66);                                       // 17: spare
    State().files.AttachedObjectTime = 512;
    TupletObject* back = AsTuplet(RoundTrip(object, bytes));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(V(back->anchor.payload.thickness), -5);
    EXPECT_EQ(back->anchor.owner.get(), &back->text.header);
    EXPECT_EQ(V(back->spanner.endpoint.start.coarse[1]), 64) << "current files keep relative times";
}

// The MIDI-carrying marks: the text record of the object part, then the ten action
// bytes; a data-carrying action adds its length, its flag word's low byte and data.
TEST_F(TextFixtures, MidiCarryingMarks) {
    const ObjectType types[] = {ObjectType::Dynamic, ObjectType::Pedal, ObjectType::Tempo,
                                ObjectType::MidiEvent, ObjectType::NoteArticulation};
    for (ObjectType type : types) {
        ScoreObject* object = Make(type);
        FillText(AsTextObject(object), nullptr, 160);
        MidiAction* action = MidiActionOfText(object);
        action->head.values = MidiActionValues{-30, 300};
        action->flags = 0x1121;
        action->destinationTiming = 0x13;
        action->namedStaff = 2;
        action->interval = 8;
        action->controller = 7;
        HandBytes bytes;
        bytes.u8(TypeCode(type)).u8(object->subtype);  // type, subtype
        TextRecord(bytes, nullptr, 160);
        bytes.u16(0xFFE2)       // value -30
            .u16(300)           // final value
            .u16(0x1121)        // flags: enabled, kind 2, voice 1, bit 12
            .u8(0x13)           // destination 3, timing 1
            .u8(2).u8(8).u8(7); // named staff, interval, controller
        ScoreObject* back = RoundTrip(object, bytes);
        ASSERT_NE(back, nullptr) << int(TypeCode(type));
        EXPECT_EQ(V(MidiActionOfText(back)->head.values.finalValue), 300);
        EXPECT_EQ(V(MidiActionOfText(back)->interval), 8);
    }
}

// A MIDI event carrying user bytes writes its data after the ten bytes; the first
// word (the data's handle in memory) is 0.
TEST_F(TextFixtures, MidiEventWithData) {
    ScoreObject* object = Make(ObjectType::MidiEvent);
    FillText(AsTextObject(object), nullptr, 184);
    MidiAction* action = MidiActionOfText(object);
    SetMidiActionKind(action, kMidiKindData, 0);
    const uint8_t data[] = {0xF0, 0x43, 0xF7};
    int pool = 0;
    {
        ScopedPoolSet pools(doc_->pools);
        pool = SetMidiActionData(action, data, sizeof data);
    }
    ASSERT_GE(pool, 0);
    action->head.data.length = 3;
    HandBytes bytes;
    bytes.u8(25).u8(0);  // type 25, subtype 0
    TextRecord(bytes, nullptr, 184);
    bytes.u16(0)                          // 0: the handle, written as 0
        .u8(pool).u8(3)                   // 2: pool and length
        .u16(action->flags)               // 4: flags, kind 6
        .u8(0).u8(1).u8(16).u8(7)         // 6: destination and timing, staff, interval, controller
        .u8(3).u8(action->flags & 0xFF)   // length and the flag word's low byte again
        .u8(0xF0).u8(0x43).u8(0xF7);      // the data
    ScoreObject* back = RoundTrip(object, bytes);
    ASSERT_NE(back, nullptr);
    ScopedPoolSet pools(doc_->pools);
    const std::byte* read = MidiActionDataBytes(*MidiActionOfText(back));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::memcmp(read, data, sizeof data), 0);
}

// A selection record's 16 bytes are read and dropped; the next record follows.
TEST_F(TextFixtures, SelectionRecordIsSkipped) {
    ScoreObject* guide = Make(ObjectType::Guide);
    HandBytes bytes;
    bytes.u8(0).u8(0).zeros(16);  // a selection record
    bytes.bytes(EncodeObject(guide));
    ScoreObject* first = nullptr;
    EXPECT_EQ(ReadObjects(bytes, 32, 2, &first), 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(V(first->type), TypeCode(ObjectType::Guide));
    EXPECT_EQ(first->next.get(), nullptr);
}

// clang-format on

}  // namespace
}  // namespace ql
