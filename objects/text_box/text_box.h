// TextBoxObject (type 6) and StaffLabel (type 28): a box of text laid out in a
// rectangle, 62-byte records of pool 8. Their body (36 bytes): location, width and
// height, leading percentage, the style word (bits 0-3 the string's pool, 4-5
// alignment, 6-7 leading mode, 8-10 tracking, 11-15 the quick-font slot), the string
// handle, the keyboard-layout word, a 32-bit word and the cached bitmap (run time),
// then a 16-bit word and two flag bytes that copies carry unchanged.
//
// Both are stored through the 26-byte StoredStaffLabel (a text box as an object
// record, a staff label with its staff), followed by the text's length and bytes.
// The text is kept as bytes in the object's code page, without conversion. A body
// without a string shows an empty text.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/memory/pool.h"
#include "core/objects/score_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"

namespace ql {

#pragma pack(push, 1)
struct TextBoxBody {
    ObjectLocation location;
    int32_t width;
    int32_t height;
    int16_t leading;          // "% of Font size"
    uint16_t style;           // kTextBox* fields
    uint16_t string;          // RecordHandle of the string in the pool of bits 0-3
    uint16_t keyboardLayout;  // layout last used to type the text
    uint32_t word24;          // not stored; 0 after reading
    uint32_t bitmapCache;     // platform bitmap handle bits (run time)
    uint16_t carriedWord;     // its low byte is stored
    uint8_t carriedFlags[2];  // the first one's low four bits and the second are stored
};
struct TextBoxObject {
    ScoreObject header;
    TextBoxBody body;
};
#pragma pack(pop)

constexpr uint32_t kTextBoxBodyBytes = 36;
static_assert(sizeof(TextBoxBody) == kTextBoxBodyBytes);
static_assert(sizeof(TextBoxObject) == 62);
static_assert(std::is_trivially_copyable_v<TextBoxObject>);

// Fields of the style word.
constexpr uint16_t kTextBoxPoolMask = 0x000F;
constexpr uint16_t kTextBoxTrackingMask = 0x0700;
constexpr int kTextBoxTrackingShift = 8;
constexpr uint16_t kTextBoxSlotMask = 0xF800;
constexpr int kTextBoxSlotShift = 11;
constexpr uint8_t kTextBoxNormalTracking = 2;
constexpr int16_t kTextBoxDefaultLeading = 14;
constexpr uint8_t kTextBoxDefaultSlot = 4;
constexpr uint8_t kStaffLabelDefaultSlot = 14;
constexpr uint16_t kEmptyTextPool = 2;  // a new box's (empty) text
constexpr int32_t kStaffLabelWidth = -640;
constexpr int32_t kStaffLabelHeight = -384;
constexpr int32_t kReadStaffLabelExtent = 512;

// The stored descriptor.
constexpr size_t kStoredStaffLabelBytes = 26;
constexpr size_t kShortStaffLabelBytes = 25;  // before version 16 (one byte shorter)
constexpr uint8_t kFullLabelFileVersion = 16;
constexpr uint8_t kLabelLayoutFileVersion = 30;
// The longest text the older version-15 variant may hold.
constexpr int kOldVariantLongestText = 500;

inline TextBoxObject* AsTextBox(ScoreObject* object) {
    return reinterpret_cast<TextBoxObject*>(object);
}
inline const TextBoxObject* AsTextBox(const ScoreObject* object) {
    return reinterpret_cast<const TextBoxObject*>(object);
}

int TextBoxSlot(const TextBoxBody& body);

// A new text box: slot 4, left, automatic leading, tracking 2, leading 14, an empty
// text; subtype 0.
void ConstructTextBoxObject(ScoreObject* object);
// A new staff label: subtype 4, slot 14, tracking 2, leading 14, -640 x -384.
void ConstructStaffLabel(ScoreObject* object);
// The staff label the reader builds: as above, 512 x 512.
void ConstructStaffLabelForRead(ScoreObject* object);

// Frees the body's string (when it resolves to a live record of its pool) and
// leaves the body without one.
void FreeTextBoxString(TextBoxBody* body);
// Gives the body a copy of `bytes` (length bytes, then two NULs) in the pool that
// fits; false when no record can be had (the body then has none).
bool SetTextBoxText(TextBoxBody* body, const char* bytes, size_t length);

// A copy of a text box or staff label in `target`: the body, with its text read in
// `source` and given its own record in `target`, and no cached bitmap; not linked.
// Null (nothing left behind) when a record cannot be had.
ScoreObject* CloneTextBox(ScoreObject* object, PoolSet source, PoolSet target);

// ---- File form ----

// The 26 bytes of the descriptor, from the body.
void EncodeStoredStaffLabel(const TextBoxBody& body, ByteWriter& writer);
// The descriptor's fields into `body` from `width` (25 or 26) bytes; fields not stored
// read as 0, and before version 30 so do the keyboard-layout word and the flag bits
// the label reader drops (`labelRule`: bits 0-3 of byte 22, else bits 1-3). The pool
// bits and the string handle are left for the caller.
void DecodeStoredStaffLabel(const uint8_t* bytes, size_t width, uint8_t version, bool labelRule,
                            TextBoxBody* body);

// A text box's record body: the descriptor, the text length, the text.
void EncodeTextBoxBody(const TextBoxObject& object, ByteWriter& writer);
// Reads it back from the score file (descriptor width by version and variant).
int DecodeTextBoxBody(TextBoxObject* object, const ObjectReadContext& context);

}  // namespace ql
