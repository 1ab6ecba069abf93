// The objects of the stream fixtures' full score (see stream_fixture_objects.h). Each
// object is built through the class table and its stored fields set; its record is
// written here from the record tables, one field per line.
#include <cstring>

#include "core/model/document.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "files/tests/stream/stream_fixture_objects.h"
#include "objects/chord/chord_symbol.h"
#include "objects/curves/curve_objects.h"
#include "objects/graphics/graphic_object.h"
#include "objects/guide/guide_line.h"
#include "objects/hairpin/hairpin.h"
#include "objects/margin/margin_object.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/picture/picture_object.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_box/text_box.h"

namespace ql::testing_files {
namespace {

// clang-format off

// The pool a MIDI event's three data bytes take.
constexpr uint8_t kShortDataPool = 2;
// A MIDI event's flag word: enabled, kind 6 (pooled data), voice 1, bit 12.
constexpr uint16_t kMidiEventDataFlags = 0x1161;

const char* StringOf(uint8_t type) {
    switch (type) {
        case 18: return "Andante";
        case 50: return "la";
        case 48: return "1.";
        default: return nullptr;
    }
}

// A text body: location, flags, size, style, charset, extents, keyboard word; its
// text, or the character `code` when the type has none.
bool FillText(TextObject* text, const char* string, uint16_t code) {
    text->body.location = ObjectLocation{0x00100020, 3, 1, 7};
    text->body.flags = 0x8080;
    text->body.size = -160;
    text->body.style = 5;
    text->body.charset = 2;
    text->body.width = 0x10400;
    text->body.height = 300;
    text->body.extra = 0x0409;
    if (string == nullptr) {
        text->body.string = code;
        return true;
    }
    if (SetTextObjectString(text, string) < 0) return false;
    text->body.flags |= kTextOwnsString;
    return true;
}

void TextRecord(HandBytes& e, const char* string, uint16_t code) {
    e.u32(0x00100020).u8(3).u8(1).u16(7)                 // 0: location
        .u16(string != nullptr ? 0x8081 : 0x8080)        // 8: flags (bit 0: owns a string)
        .u16(0xFF60)                                     // 10: size -160
        .u8(5)                                           // 12: style
        .u8(2)                                           // 13: character set
        .u16(0x0400)                                     // 14: width, low half
        .u16(300)                                        // 16: height
        .u16(0)                                          // 18: 0
        .u16(0x0409)                                     // 20: keyboard layout
        .u16(string != nullptr ? 0 : code);              // 22: the character, or 0
    if (string == nullptr) return;
    e.u16(static_cast<uint32_t>(std::strlen(string)))    // the text's length
        .text(string, std::strlen(string));              // its bytes, no NUL
}

const SpannerEndpoint kEndpoint{AnchorPoint{{0, 64}, 10, -20}, AnchorPoint{{1, 128}, 30, -40}, 96, -96, 1, 0x10};

void EndpointRecord(HandBytes& e) {
    e.u16(0).u16(64).u16(10).u16(0xFFEC)                 // 0: start anchor
        .u16(1).u16(128).u16(30).u16(0xFFD8)             // 8: end anchor
        .u16(96).u16(0xFFA0)                             // 16: start and end hooks
        .u8(1).u8(0x10);                                 // 20: line width, style
}

void SetAction(MidiAction* action) {
    action->head.values = MidiActionValues{-30, 300};
    action->flags = 0x1121;
    action->destinationTiming = 0x13;
    action->namedStaff = 2;
    action->interval = 8;
    action->controller = 7;
}

const uint8_t kActionData[] = {0xF0, 0x43, 0xF7};
const uint8_t kPictureData[] = {1, 2, 3, 4, 5};

bool SetMidiEventData(ScoreObject* object) {
    MidiAction* action = MidiActionOfText(object);
    SetMidiActionKind(action, kMidiKindData, 0);
    if (SetMidiActionData(action, kActionData, sizeof kActionData) < 0) return false;
    action->head.data.length = sizeof kActionData;
    action->flags = kMidiEventDataFlags;
    action->destinationTiming = 0;
    action->namedStaff = 1;
    action->interval = 16;
    action->controller = 7;
    return true;
}

void SetSlur(ScoreObject* object) {
    SlurBody& body = AsSlur(object)->body;
    body.points[0] = AnchorPoint{{1, 0x0200}, -3, 4};
    body.points[1] = AnchorPoint{{2, 0x0300}, 5, -6};
    body.points[2] = AnchorPoint{{3, 0x0400}, 7, 8};
    body.points[3] = AnchorPoint{{4, 0x0500}, -9, 10};
    const int8_t inner[] = {-1, 2, -3, 4};
    std::memcpy(body.inner, inner, sizeof inner);
    body.flags = 0x1231;
}

void SetTie(ScoreObject* object) {
    TieBody& tie = AsTie(object)->body;
    tie.controlInset = -100;
    tie.controlRise = 200;
    tie.startDx = 1;
    tie.startDy = -2;
    tie.endDx = 3;
    tie.endDy = -4;
    tie.shape = 0x2105;
}

bool SetTextBox(ScoreObject* object) {
    TextBoxBody& box = AsTextBox(object)->body;
    box.location = ObjectLocation{0x01020304, 5, 6, 0x0708};
    box.width = 0x12345;
    box.height = -20;
    box.leading = 14;
    box.keyboardLayout = 0x0409;
    box.word24 = 0xDEADBEEF;  // not stored
    box.carriedWord = 0xAB12;
    box.carriedFlags[0] = 0xF3;
    box.carriedFlags[1] = 0x44;
    if (!SetTextBoxText(&box, "Solo", 4)) return false;
    box.style = static_cast<uint16_t>((9 << 11) | (3 << 8) | (1 << 4) | (box.style & kTextBoxPoolMask));
    return true;
}

void SetHairpin(ScoreObject* object) {
    HairpinObject* hairpin = AsHairpin(object);
    hairpin->action.head.values.value = -5;
    hairpin->action.head.values.finalValue = 40;
    hairpin->action.flags = kHairpinFlags;
    hairpin->points[0] = AnchorPoint{{1, 2}, 3, 4};
    hairpin->points[1] = AnchorPoint{{5, 6}, 7, 8};
    hairpin->points[2] = AnchorPoint{{9, 10}, 11, -12};
    hairpin->direction = 0;
    hairpin->lineWidth = 16;
    hairpin->reserved[0] = 0x55;
    hairpin->reserved[1] = 0x66;
}

void SetGraphic(ScoreObject* object) {
    GraphicBody& body = AsGraphicObject(object)->body;
    body.location = ObjectLocation{0xA0B0C0D0, 1, 2, 300};
    body.width = -70000;
    body.height = 513;
    body.colour = 1;
    body.style = 2;
    body.penWidth = 7;
    body.spare = 0x99;  // not stored
}

bool SetPicture(ScoreDocument* document, ScoreObject* object) {
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
    picture->data = PushDocumentRecord(document, std::vector<uint8_t>(std::begin(kPictureData), std::end(kPictureData)));
    picture->body.dataSize = sizeof kPictureData;
    return true;
}

void SetRepeatEnding(ScoreObject* object) {
    RepeatEndingObject* ending = AsRepeatEnding(object);
    ending->spanner.endpoint = kEndpoint;
    ending->span = 3;
    ending->passes[0] = 1;
    ending->passes[1] = 3;
    ending->passes[2] = 0;
    ending->passes[3] = 0;
    ending->further[0] = 9;
    ending->further[1] = 0;
}

void SetChord(ScoreObject* object) {
    AsChordSymbol(object)->chord = ChordFields{5, 1, 4, 2, 1, 6, 1, 0, {0xAA, 0xBB}};
}

void SetMargin(ScoreObject* object) {
    MarginBody& margin = AsMarginObject(object)->body;
    const int32_t distances[] = {768, 2560, -1, 1024};
    const uint32_t words[] = {0x0100, 0, 0, 0x0750};
    std::memcpy(margin.distances, distances, sizeof distances);
    std::memcpy(margin.words, words, sizeof words);
}

// The type's own fields, after its text part has been filled.
bool SetOwnFields(ScoreDocument* document, ScoreObject* object, uint8_t type) {
    switch (type) {
        case 4: SetSlur(object); return true;
        case 5: SetTie(object); return true;
        case 6: return SetTextBox(object);
        case 7: SetHairpin(object); return true;
        case 8: case 9: case 10: SetGraphic(object); return true;
        case 21: case 22: case 24: case 26: SetAction(MidiActionOfText(object)); return true;
        case 25: return SetMidiEventData(object);
        case 33: SetMargin(object); return true;
        case 39: SetChord(object); return true;
        case 46: AsWickette(object)->spanner.endpoint = kEndpoint; return true;
        case 47: case 49: AsTextSpanner(object)->spanner.endpoint = kEndpoint; return true;
        case 48: SetRepeatEnding(object); return true;
        case 51:
            AsTuplet(object)->spanner.endpoint = kEndpoint;
            AsTuplet(object)->anchor.payload = AnchorPayload{{0, 100, 200, 300}, {-1, -2, 3, 4}, -5, 0x66};
            return true;
        case 52:
            AsGuideLine(object)->body.orientation = 1;
            AsGuideLine(object)->body.position = -30000;
            return true;
        case 53: return SetPicture(document, object);
        default: return true;
    }
}

// The text code of the types whose text part shows one character.
uint16_t CodeOf(uint8_t type) {
    switch (type) {
        case 39: return 92;
        case 47: case 49: return 229;
        case 51: return '3';
        case 25: return 184;
        case 21: case 22: case 24: case 26: return 160;
        default: return ':' + 4;
    }
}

bool HasTextPart(uint8_t type) {
    switch (type) {
        case 14: case 15: case 18: case 21: case 22: case 24: case 25: case 26:
        case 39: case 47: case 48: case 49: case 50: case 51:
            return true;
        default:
            return false;
    }
}

TextObject* TextPartOf(ScoreObject* object, uint8_t type) {
    switch (type) {
        case 39: return &AsChordSymbol(object)->text;
        case 48: return &AsRepeatEnding(object)->text;
        case 51: return &AsTuplet(object)->text;
        default: return AsTextObject(object);
    }
}

// ---- Records ----

void ActionBytes(HandBytes& e) {
    e.u16(0xFFE2)                                        // value -30
        .u16(300)                                        // final value
        .u16(0x1121)                                     // flags: enabled, kind 2, voice 1, bit 12
        .u8(0x13)                                        // destination 3, timing 1
        .u8(2).u8(8).u8(7);                              // named staff, interval, controller
}

void MidiEventDataBytes(HandBytes& e) {
    e.u16(0)                                             // 0: the data's handle, written as 0
        .u8(kShortDataPool).u8(3)                        // 2: its pool and length
        .u16(kMidiEventDataFlags)                        // 4: flags, kind 6
        .u8(0).u8(1).u8(16).u8(7)                        // 6: destination and timing, staff, interval, controller
        .u8(3).u8(kMidiEventDataFlags & 0xFF)            // the length, the flag word's low byte again
        .u8(0xF0).u8(0x43).u8(0xF7);                     // the data
}

void SlurBytes(HandBytes& e) {
    e.u16(1).u16(0x0200).u16(0xFFFD).u16(4)              // 0: P0 words, x -3, y 4
        .u16(2).u16(0x0300).u16(5).u16(0xFFFA)           // 8: P1
        .u16(3).u16(0x0400).u16(7).u16(8)                // 16: P2
        .u16(4).u16(0x0500).u16(0xFFF7).u16(10)          // 24: P3
        .u8(0xFF).u8(2).u8(0xFD).u8(4)                   // 32: dx1 dy1 dx2 dy2
        .u16(0x1231);                                    // 36: flags (style 1)
}

void TieBytes(HandBytes& e) {
    e.u16(0xFF9C)                                        // 0: control inset -100
        .u16(200)                                        // 2: control rise
        .u8(1).u8(0xFE)                                  // 4: start dx, dy
        .u8(3).u8(0xFC)                                  // 6: end dx, dy
        .u16(0x2105);                                    // 8: shape: voice 2, dashed, thickness 5
}

void TextBoxBytes(HandBytes& e) {
    e.u32(0x01020304).u8(5).u8(6).u16(0x0708)            // 0: location
        .u16(0x2345)                                     // 8: width, low half
        .u16(0xFFEC)                                     // 10: height -20
        .u16(14)                                         // 12: leading
        .u16((9 << 11) | (3 << 8) | (1 << 4) | kShortTextPool)  // 14: style word with the text's pool
        .u16(0)                                          // 16: no handle
        .u8(0x12)                                        // 18: low byte of the carried word
        .u8(0)                                           // 19: nothing
        .u16(0x0409)                                     // 20: keyboard layout
        .u8(0x03)                                        // 22: low four bits of the first flag byte
        .u8(0x44)                                        // 23: the second flag byte
        .u16(0)                                          // 24: zero
        .u16(4)                                          // the text's length
        .text("Solo", 4);                                // the text
}

void HairpinBytes(HandBytes& e) {
    e.u16(0xFFFB)                                        // 0: from -5
        .u16(40)                                         // 2: to
        .u16(kHairpinFlags)                              // 4: flags: enable, key velocity, all voices, kind 0
        .u8(0x10)                                        // 6: destination 0, timing 1
        .u8(1)                                           // 7: named staff
        .u8(16)                                          // 8: interval
        .u8(0)                                           // 9: controller
        .u16(1).u16(2).u16(3).u16(4)                     // 10: first anchor
        .u16(5).u16(6).u16(7).u16(8)                     // 18: second
        .u16(9).u16(10).u16(11).u16(0xFFF4)              // 26: third
        .u8(0)                                           // 34: diminuendo
        .u8(16)                                          // 35: line width
        .u8(0x55).u8(0x66);                              // 36: reserved
}

void GraphicBytes(HandBytes& e) {
    e.u32(0xA0B0C0D0)                                    // 0: location word 0
        .u8(1).u8(2).u16(300)                            // 4: location word 1
        .u16(static_cast<uint16_t>(-70000 & 0xFFFF))     // 8: width, low half
        .u16(513)                                        // 10: height
        .u8(1).u8(2).u8(7)                               // 12: colour, style, pen width
        .u8(0);                                          // 15: reserved
}

void MarginBytes(HandBytes& e) {
    e.u16(768).u16(2560).u16(0xFFFF).u16(1024)           // 0: left, top, right -1, bottom
        .u16(0x0100).u16(0).u16(0).u16(0x0750);          // 8: the four words
}

void PictureBytes(HandBytes& e) {
    e.u32(0x11223344)                                    // 0: location word 0
        .u32(0x00020000)                                 // 4: location word 1 (measure 2)
        .u16(800).u16(600)                               // 8: width, height
        .u16(8)                                          // 12: format
        .u8(0x2F)                                        // 14: flags 0-3 and 5
        .u8(0)                                           // 15: 0
        .zeros(6)                                        // 16: 0
        .u32(5)                                          // 22: data length
        .u32(0).u32(40).u32(30).u32(120)                 // 26: type, width, height, row bytes
        .u32(0x00180001)                                 // 42: planes, bits per pixel
        .u32(0)                                          // 46: the bits word
        .bytes({1, 2, 3, 4, 5});                         // the data
}

void ChordBytes(HandBytes& e) {
    e.u8(5)                                              // quality
        .u8(1)                                           // root D
        .u8(4)                                           // bass G
        .u8(2)                                           // root flat
        .u8(1)                                           // bass sharp
        .u8(6)                                           // name style
        .u8(1)                                           // name shown
        .u8(0)                                           // diagram hidden
        .u8(0xAA).u8(0xBB);                              // reserved
}

void RepeatEndingTail(HandBytes& e) {
    e.u16(3)                                             // span
        .u8(1).u8(3).u8(0).u8(0)                         // passes
        .u8(9).u8(0);                                    // further bytes
}

void TupletTail(HandBytes& e) {
    e.u16(0).u16(100).u16(200).u16(300)                  // 0: control point times
        .u16(0xFFFF).u16(0xFFFE).u16(3).u16(4)           // 8: vertical offsets
        .u8(0xFB)                                        // 16: thickness -5
        .u8(0x66);                                       // 17: spare
}

// clang-format on

}  // namespace

ScoreObject* MakeFixtureObject(ScoreDocument* document, uint8_t type) {
    ScoreObject* object = ConstructObject(type);
    return object != nullptr && FillFixtureObject(document, object) ? object : nullptr;
}

bool FillFixtureObject(ScoreDocument* document, ScoreObject* object) {
    const uint8_t type = object->type;
    if (HasTextPart(type) && !FillText(TextPartOf(object, type), StringOf(type), CodeOf(type))) return false;
    return SetOwnFields(document, object, type);
}

void FixtureObjectRecord(HandBytes& e, uint8_t type, uint8_t subtype) {
    e.u8(type).u8(subtype);  // type, the subtype of the list's mode
    if (HasTextPart(type)) TextRecord(e, StringOf(type), CodeOf(type));
    switch (type) {
        case 4: return SlurBytes(e);
        case 5: return TieBytes(e);
        case 6: return TextBoxBytes(e);
        case 7: return HairpinBytes(e);
        case 8: case 9: case 10: return GraphicBytes(e);
        case 21: case 22: case 24: case 26: return ActionBytes(e);
        case 25: return MidiEventDataBytes(e);
        case 33: return MarginBytes(e);
        case 39: return ChordBytes(e);
        case 46: case 47: case 49: return EndpointRecord(e);
        case 48: EndpointRecord(e); return RepeatEndingTail(e);
        case 51: EndpointRecord(e); return TupletTail(e);
        case 52: e.u8(1).u8(0).u16(0x8AD0); return;  // horizontal, reserved, position -30000
        case 53: return PictureBytes(e);
        default: return;
    }
}

}  // namespace ql::testing_files
