// Reading and writing the kind of a clef object, the key code of a key-signature
// object and the tick of either, through the text body both classes are made of.
#include "core/model/signature_fields.h"

#include "core/text/text_object.h"

namespace ql {

namespace {

constexpr uint32_t kTickShift = 16;              // the tick is the position's upper half
constexpr uint32_t kMeasureOffsetMask = 0xFFFF;  // the lower half: measure offset

}  // namespace

uint8_t ClefKindOfObject(const ScoreObject* object) {
    return object != nullptr ? AsTextObject(object)->body.charset : 0;
}

uint8_t KeyCodeOfObject(const ScoreObject* object) {
    return object != nullptr ? AsTextObject(object)->body.charset : 0;
}

uint16_t SignatureTickOfObject(const ScoreObject* object) {
    if (object == nullptr) return 0;
    return static_cast<uint16_t>(AsTextObject(object)->body.location.position >> kTickShift);
}

void SetClefKindOfObject(ScoreObject* object, uint8_t kind) {
    if (object == nullptr) return;
    TextObject* text = AsTextObject(object);
    text->body.charset = kind;
    text->body.string = static_cast<uint16_t>(kClefGlyphBase + kind);
}

void SetKeyCodeOfObject(ScoreObject* object, uint8_t key) {
    if (object != nullptr) AsTextObject(object)->body.charset = key;
}

void SetSignatureTickOfObject(ScoreObject* object, uint16_t tick) {
    if (object == nullptr) return;
    ObjectLocation& location = AsTextObject(object)->body.location;
    const uint32_t position = location.position;  // packed: read and written by value
    location.position =
        (position & kMeasureOffsetMask) | (static_cast<uint32_t>(tick) << kTickShift);
}

}  // namespace ql
