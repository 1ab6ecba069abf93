// The text box and staff label: constructors, their pooled text and the stored
// descriptor with its text (see text_box.h).
#include "objects/text_box/text_box.h"

#include <cstring>
#include <string>

#include "core/memory/pool.h"
#include "core/model/grid_records.h"
#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "files/score_file.h"
#include "objects/object_services.h"
#include "objects/stored_classes.h"
#include "platform/gfx/objects.h"

namespace ql {
namespace {

constexpr int kFirstTextPool = 2;
constexpr int kLastTextPool = 10;
constexpr size_t kTerminatorBytes = 2;
constexpr uint8_t kLowNibble = 0x0F;
constexpr uint8_t kStoredFlagBitsFromV30 = 0x01;  // text box before version 30: bit 0 only

// Offsets of the stored descriptor.
constexpr size_t kAtLocation = 0;
constexpr size_t kAtMeasure = 6;
constexpr size_t kAtWidth = 8;
constexpr size_t kAtHeight = 10;
constexpr size_t kAtLeading = 12;
constexpr size_t kAtStyle = 14;
constexpr size_t kAtString = 16;
constexpr size_t kAtCarriedByte = 18;
constexpr size_t kAtNothing = 19;
constexpr size_t kAtLayout = 20;
constexpr size_t kAtFirstFlags = 22;
constexpr size_t kAtSecondFlags = 23;
constexpr size_t kAtTail = 24;

uint16_t StyleWord(uint8_t slot, uint16_t pool) {
    return static_cast<uint16_t>((slot << kTextBoxSlotShift) |
                                 (kTextBoxNormalTracking << kTextBoxTrackingShift) | pool);
}

void ConstructBox(ScoreObject* object, ObjectType type, ObjectSubtype subtype, uint8_t slot) {
    ConstructStoredHeader(object, type, subtype);
    TextBoxBody& body = AsTextBox(object)->body;
    body = TextBoxBody{};
    body.leading = kTextBoxDefaultLeading;
    body.style = StyleWord(slot, kEmptyTextPool);
}

char* TextOf(const TextBoxBody& body) {
    int pool = body.style & kTextBoxPoolMask;
    if (pool < kFirstTextPool || pool > kLastTextPool || body.string == 0) return nullptr;
    char* text = FindRecord<char>(pool, RecordHandle{body.string});
    // A handle that names a record of another kind is no text: it must end in its slot.
    if (text == nullptr || std::memchr(text, '\0', PoolSlotBytes(pool)) == nullptr) return nullptr;
    return text;
}

// The descriptor width of the file being read: 25 bytes before version 15 and in the
// older variant, 26 otherwise (an undecided version 15 is decided by the caller).
size_t DescriptorWidth(uint8_t version) {
    if (version >= kFullLabelFileVersion) return kStoredStaffLabelBytes;
    if (version < kAmbiguousVersion || IsOlderVersion15Variant()) return kShortStaffLabelBytes;
    return kStoredStaffLabelBytes;
}

// Reads the descriptor and the text length that follows it. An undecided version 15
// reads 26 bytes and keeps them when the length after them lies in 0..500, else
// reads again from the record's start as 25 bytes.
bool ReadDescriptorAndLength(uint8_t version, uint8_t* bytes, size_t* width, int16_t* length) {
    uint64_t start = ScoreFilePosition();
    *width = DescriptorWidth(version);
    uint8_t word[2] = {};
    bool read = ReadBodyBytes(bytes, static_cast<uint32_t>(*width)) && ReadBodyBytes(word, 2);
    *length = static_cast<int16_t>(LoadLe16(word));
    bool undecided = version == kAmbiguousVersion && IsUndecidedVersion15();
    if (!undecided || (read && *length >= 0 && *length <= kOldVariantLongestText)) return read;
    if (!SeekScoreFile(start)) return false;
    *width = kShortStaffLabelBytes;
    read = ReadBodyBytes(bytes, static_cast<uint32_t>(*width)) && ReadBodyBytes(word, 2);
    *length = static_cast<int16_t>(LoadLe16(word));
    return read;
}

// Reads `length` text bytes into a new record of the pool that fits; in the throw-away
// mode they are skipped.
int ReadText(TextBoxBody* body, int16_t length, bool keep) {
    if (length < 0 || static_cast<uint64_t>(length) > ScoreBytesLeft())
        return item_code::kTextBoxRecord;
    if (!keep)
        return SeekScoreFile(ScoreFilePosition() + static_cast<uint64_t>(length))
                   ? 0
                   : item_code::kTextBoxRecord;
    int pool = 0;
    auto* text = static_cast<char*>(
        AllocRecordBySize(static_cast<size_t>(length) + kTerminatorBytes, &pool));
    if (text == nullptr) return item_code::kTextBoxString;
    if (!ReadBodyBytes(reinterpret_cast<uint8_t*>(text), static_cast<uint32_t>(length))) {
        FreeRecord(pool, text);
        return item_code::kTextBoxString;
    }
    // A text cut short by a NUL keeps only what is shown, in the pool of that size:
    // the writer stores the shown length, so reading it back gives the same record.
    const size_t shown = strnlen(text, static_cast<size_t>(length));
    if (shown < static_cast<size_t>(length)) {
        const std::string kept(text, shown);
        FreeRecord(pool, text);
        body->string = 0;
        return SetTextBoxText(body, kept.data(), kept.size()) ? 0 : item_code::kTextBoxString;
    }
    body->style = static_cast<uint16_t>((body->style & ~kTextBoxPoolMask) | pool);
    body->string = PtrToHandle(pool, text).bits;
    return 0;
}

}  // namespace

int TextBoxSlot(const TextBoxBody& body) {
    return (body.style & kTextBoxSlotMask) >> kTextBoxSlotShift;
}

void ConstructTextBoxObject(ScoreObject* object) {
    ConstructBox(object, ObjectType::TextBox, ObjectSubtype::MeasureTimeList, kTextBoxDefaultSlot);
}

void ConstructStaffLabel(ScoreObject* object) {
    ConstructBox(object, ObjectType::Label, ObjectSubtype::StaffLabelList, kStaffLabelDefaultSlot);
    AsTextBox(object)->body.width = kStaffLabelWidth;
    AsTextBox(object)->body.height = kStaffLabelHeight;
}

void ConstructStaffLabelForRead(ScoreObject* object) {
    ConstructStaffLabel(object);
    AsTextBox(object)->body.width = kReadStaffLabelExtent;
    AsTextBox(object)->body.height = kReadStaffLabelExtent;
}

void FreeTextBoxString(TextBoxBody* body) {
    if (char* text = TextOf(*body)) FreeRecord(body->style & kTextBoxPoolMask, text);
    body->string = 0;
}

bool SetTextBoxText(TextBoxBody* body, const char* bytes, size_t length) {
    FreeTextBoxString(body);
    int pool = 0;
    auto* text = static_cast<char*>(AllocRecordBySize(length + kTerminatorBytes, &pool));
    if (text == nullptr) return false;
    if (length > 0) std::memcpy(text, bytes, length);
    body->style = static_cast<uint16_t>((body->style & ~kTextBoxPoolMask) | pool);
    body->string = PtrToHandle(pool, text).bits;
    return true;
}

void DestroyTextBox(ScoreObject* object) {
    if (object == nullptr) return;
    TextBoxBody& body = AsTextBox(object)->body;
    FreeTextBoxString(&body);
    if (body.bitmapCache != 0) gfx::DeleteObject(platform::BitmapHandle{body.bitmapCache});
    body.bitmapCache = 0;
}

ScoreObject* CloneTextBox(ScoreObject* object, PoolSet source, PoolSet target) {
    if (object == nullptr) return nullptr;
    std::string text;
    bool hasText = false;
    {
        ScopedPoolSet reading(source);
        if (const char* found = TextOf(AsTextBox(object)->body)) {
            text = found;
            hasText = true;
        }
    }
    ScopedPoolSet allocating(target);
    ScoreObject* copy = ConstructObject(object->type);
    if (copy == nullptr) return nullptr;
    TextBoxBody& body = AsTextBox(copy)->body;
    body = AsTextBox(object)->body;
    body.string = 0;
    body.bitmapCache = 0;
    if (hasText && !SetTextBoxText(&body, text.data(), text.size())) {
        FreeRecord(kTextObjectPool, copy);
        return nullptr;
    }
    copy->classId = object->classId;
    copy->subtype = object->subtype;
    return copy;
}

const char* GetTextBoxString(ScoreObject* textBox) {
    if (textBox == nullptr) return "";
    const char* text = TextOf(AsTextBox(textBox)->body);
    return text != nullptr ? text : "";
}

std::string StaffLabelText(const StaffRecord* staff) {
    const ScoreObject* head = staff != nullptr && staff->objects ? staff->objects.get() : nullptr;
    for (const ScoreObject* o = head != nullptr ? head->next.get() : nullptr; o != nullptr; o = o->next.get()) {
        if (o->type != TypeCode(ObjectType::Label)) continue;
        const char* text = TextOf(AsTextBox(o)->body);
        return text != nullptr ? text : "";
    }
    return {};
}

void EncodeStoredStaffLabel(const TextBoxBody& body, ByteWriter& writer) {
    FixedRecord record(writer, kStoredStaffLabelBytes);
    record.U32(kAtLocation, body.location.position);
    record.U8(kAtLocation + 4, body.location.classByte);
    record.U8(kAtLocation + 5, body.location.staff);
    record.U16(kAtMeasure, body.location.measure);
    record.I16(kAtWidth, static_cast<int16_t>(body.width));
    record.I16(kAtHeight, static_cast<int16_t>(body.height));
    record.I16(kAtLeading, body.leading);
    record.U16(kAtStyle, body.style);
    record.U16(kAtString, 0);
    record.U8(kAtCarriedByte, static_cast<uint8_t>(body.carriedWord));
    record.U8(kAtNothing, 0);
    record.U16(kAtLayout, body.keyboardLayout);
    record.U8(kAtFirstFlags, body.carriedFlags[0] & kLowNibble);
    record.U8(kAtSecondFlags, body.carriedFlags[1]);
    record.U16(kAtTail, 0);
}

void DecodeStoredStaffLabel(const uint8_t* bytes, size_t width, uint8_t version, bool labelRule,
                            TextBoxBody* body) {
    uint8_t full[kStoredStaffLabelBytes] = {};
    std::memcpy(full, bytes, width < sizeof full ? width : sizeof full);
    ByteReader reader(full, sizeof full);
    body->location.position = reader.U32();
    body->location.classByte = reader.U8();
    body->location.staff = reader.U8();
    body->location.measure = reader.U16();
    body->width = reader.I16();
    body->height = reader.I16();
    body->leading = reader.I16();
    body->style = reader.U16();
    reader.Skip(kAtCarriedByte - kAtString);
    body->carriedWord = reader.U8();
    reader.Skip(kAtLayout - kAtNothing);
    body->keyboardLayout = reader.U16();
    body->carriedFlags[0] = reader.U8() & kLowNibble;
    body->carriedFlags[1] = reader.U8();
    body->word24 = 0;
    body->bitmapCache = 0;
    if (version >= kLabelLayoutFileVersion) return;
    body->keyboardLayout = 0;
    body->carriedFlags[1] = 0;
    body->carriedFlags[0] &= labelRule ? 0 : kStoredFlagBitsFromV30;
}

void EncodeTextBoxBody(const TextBoxObject& object, ByteWriter& writer) {
    EncodeStoredStaffLabel(object.body, writer);
    const char* text = TextOf(object.body);
    size_t length = text != nullptr ? std::strlen(text) : 0;
    writer.U16(static_cast<uint16_t>(length));
    writer.Bytes(text, length);
}

int DecodeTextBoxBody(TextBoxObject* object, const ObjectReadContext& context) {
    uint8_t bytes[kStoredStaffLabelBytes] = {};
    size_t width = 0;
    int16_t length = 0;
    if (!ReadDescriptorAndLength(context.version, bytes, &width, &length))
        return item_code::kTextBoxRecord;
    FreeTextBoxString(&object->body);
    DecodeStoredStaffLabel(bytes, width, context.version, false, &object->body);
    object->body.string = 0;
    if (IsOlderVersion15Variant() && (length < 0 || length > kOldVariantLongestText))
        return item_code::kTextBoxVariantLength;
    return ReadText(&object->body, length, context.keep);
}

}  // namespace ql
