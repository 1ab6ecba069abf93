// The Accidental's fields in its text body: the horizontal offset is the note-anchor
// x word of the location (bytes 4-5, as every note-attached text object keeps its x
// offset from the note), the glyph the body's single character, the parentheses the
// two frame bits and the moved-by-hand mark the top bit of the flag word.
#include <cstddef>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/text/text_object.h"
#include "notes/accidentals/accidental_layout.h"

namespace ql {

namespace {

constexpr size_t kOffsetAt = offsetof(TextObjectBody, location) + offsetof(ObjectLocation, classByte);
static_assert(offsetof(ObjectLocation, staff) == offsetof(ObjectLocation, classByte) + 1);

TextObject* TextOf(ScoreObject* accidental) {
    if (accidental == nullptr || accidental->type != TypeCode(ObjectType::Accidental))
        return nullptr;
    return AsTextObject(accidental);
}
const TextObject* TextOf(const ScoreObject* accidental) {
    return TextOf(const_cast<ScoreObject*>(accidental));
}

}  // namespace

ScoreObject* AccidentalOfNote(const EventRecord& note) {
    ScoreObject* first = GetEventAttachment(&note);
    return TextOf(first) != nullptr ? first : nullptr;
}

bool IsAccidentalPlacedByHand(const ScoreObject* accidental) {
    const TextObject* text = TextOf(accidental);
    return text != nullptr && (text->body.flags & kAccidentalPlacedByHand) != 0;
}

int AccidentalParentheses(const ScoreObject* accidental) {
    const TextObject* text = TextOf(accidental);
    if (text == nullptr) return 0;
    return (text->body.flags & kAccidentalParenthesesMask) >> kAccidentalParenthesesShift;
}

void SetAccidentalParentheses(ScoreObject* accidental, int value) {
    TextObject* text = TextOf(accidental);
    if (text == nullptr) return;
    const auto bits = static_cast<uint16_t>((value << kAccidentalParenthesesShift) &
                                            kAccidentalParenthesesMask);
    text->body.flags =
        static_cast<uint16_t>((text->body.flags & ~kAccidentalParenthesesMask) | bits);
}

bool IsAccidentalWide(const ScoreObject* accidental) {
    return AccidentalParentheses(accidental) != 0;
}

bool IsAccidentalHidden(const ScoreObject* accidental) {
    const TextObject* text = TextOf(accidental);
    return text != nullptr && (text->body.flags & kTextHidden) != 0;
}

int AccidentalGlyph(const ScoreObject* accidental) {
    const TextObject* text = TextOf(accidental);
    if (text == nullptr || (text->body.flags & kTextOwnsString) != 0) return 0;
    return text->body.string;
}

int AccidentalStyle(const ScoreObject* accidental) {
    const TextObject* text = TextOf(accidental);
    return text != nullptr ? text->body.style : 0;
}

int16_t AccidentalOffset(const ScoreObject* accidental) {
    const TextObject* text = TextOf(accidental);
    if (text == nullptr) return 0;
    return LoadField<int16_t>(reinterpret_cast<const std::byte*>(&text->body) + kOffsetAt);
}

void SetAccidentalOffset(ScoreObject* accidental, int16_t offset) {
    TextObject* text = TextOf(accidental);
    if (text != nullptr) StoreField<int16_t>(reinterpret_cast<std::byte*>(&text->body) + kOffsetAt, offset);
}

}  // namespace ql
