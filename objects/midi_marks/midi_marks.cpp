// Constructors and stored bodies of the MIDI-carrying marks (see midi_marks.h).
#include "objects/midi_marks/midi_marks.h"

#include "core/text/text_object.h"
#include "files/records/file_codes.h"
#include "files/records/text_record_io.h"
#include "objects/stored_classes.h"

namespace ql {
namespace {

constexpr uint8_t kDestinationThisStaff = 0;
constexpr uint8_t kDestinationAllStaves = 1;
constexpr uint16_t kLowNibble = 0x000F;

static_assert(kMidiTextObjectOffset == offsetof(MidiTextRecord, text));

TextObject& TextPart(ScoreObject* object) {
    return *AsTextObject(object);
}

// The action and the text object of an outer record, with the mark's class and type.
void ConstructMark(ScoreObject* object, ObjectType type) {
    MidiAction* action = MidiActionOfText(object);
    ConstructMidiAction(action);
    ConstructTextObject(AsTextObject(object));
    ConstructStoredHeader(object, type, ObjectSubtype::MeasureTimeList);
    TextPart(object).body.style = kMarkStyle;
    TextPart(object).body.flags |= kTextMusicGlyph;
}

void SetKind(MidiAction* action, uint8_t kind) {
    action->flags =
        static_cast<uint16_t>((action->flags & ~kMidiKindMask) | (kind << kMidiKindShift));
}

void ConvertDynamic(ScoreObject* object, uint8_t version) {
    MidiAction* action = MidiActionOfText(object);
    TextObjectBody& body = TextPart(object).body;
    if (version < kDynamicSwapFileVersion) {
        uint8_t destination = action->destinationTiming & kLowNibble;
        uint8_t swapped = destination == kDestinationThisStaff   ? kDestinationAllStaves
                          : destination == kDestinationAllStaves ? kDestinationThisStaff
                                                                 : destination;
        action->destinationTiming =
            static_cast<uint8_t>((action->destinationTiming & ~kLowNibble) | swapped);
    }
    constexpr uint16_t kGlyphInOwnFont = kTextMusicGlyph | kTextOwnFont;
    if (version >= kDynamicSizeFileVersion && (body.flags & kGlyphInOwnFont) == kGlyphInOwnFont)
        body.size = kDynamicGlyphSize;
}

}  // namespace

void ConstructDynamicForRead(ScoreObject* object) {
    ConstructMark(object, ObjectType::Dynamic);
    MidiAction* action = MidiActionOfText(object);
    action->flags = kDynamicReadFlags;
    action->controller = kDynamicController;
}

void ConstructPedalForRead(ScoreObject* object) {
    ConstructMark(object, ObjectType::Pedal);
}

void ConstructTempoForRead(ScoreObject* object) {
    ConstructMark(object, ObjectType::Tempo);
    MidiAction* action = MidiActionOfText(object);
    action->flags = kTempoReadFlags;
    action->destinationTiming &= kMidiDestinationMask;
    TextPart(object).body.string = kTempoSymbol;
    TextPart(object).body.flags = kTempoReadTextFlags;
}

void ConstructMidiEventForRead(ScoreObject* object) {
    ConstructMark(object, ObjectType::MidiEvent);
    MidiAction* action = MidiActionOfText(object);
    action->flags |= kMidiFlagEnabled;
    SetKind(action, kMidiEventKind);
    action->head.values.value = kMidiEventValue;
    action->head.values.finalValue = kMidiEventFinalValue;
    action->controller = kMidiEventController;
    TextPart(object).body.string = kMidiEventSymbol;
}

void ConstructArticulationForRead(ScoreObject* object) {
    ConstructMark(object, ObjectType::NoteArticulation);
    constexpr uint16_t kCleared = kTextOwnsString | kTextYFromStaff;
    TextPart(object).body.flags &= static_cast<uint16_t>(~kCleared);
    object->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
}

void ConstructPlainMidiText(ScoreObject* object) {
    ConstructMidiAction(MidiActionOfText(object));
    ConstructTextObject(AsTextObject(object));
    object->classId = kMidiTextObjectClass;
    object->type = TypeCode(ObjectType::MidiImage);
}

void EncodeMidiMarkBody(ScoreObject* object, ByteWriter& writer) {
    EncodeMidiTextRecord(object, writer);
}

int DecodeMidiMarkBody(ScoreObject* object, const ObjectReadContext& context) {
    if (!DecodeMidiTextRecord(object)) return item_code::kMidiRecord;
    if (object->type == TypeCode(ObjectType::Dynamic)) ConvertDynamic(object, context.version);
    return 0;
}

}  // namespace ql
