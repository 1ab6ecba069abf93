// The stored form of a text object: 24 bytes little-endian, then, for an owned
// string, its u16 length and bytes without terminator. Written and read field by
// field. Files before version 30 hold no extra word; before version 11 the flags
// word kept bit 12 and up two places lower (at bit 10).
//
// Bytes 22-23 hold the character itself when the object shows one character (kept
// on reading), and 0 when it owns a string: the string's handle means nothing in a
// file. The writer never changes the object: a string that cannot be found is
// written as no string (flag 0 clear, no length).
#include <array>
#include <cstring>

#include "core/services/file_services.h"
#include "core/state.h"
#include "core/text/text_object.h"

namespace ql {
namespace {

constexpr uint16_t kLowByte = 0xFF;
constexpr int kByteBits = 8;
// Version-11 conversion: bits 0-9 and 11 stay, bit 10 and up move two places up.
constexpr uint16_t kOldFlagsKept = 0x0BFF;
constexpr int kOldFlagsShift = 10;
constexpr int kNewFlagsShift = 12;
// Longest string a record can hold: the largest pool slot less its terminator.
constexpr int kLongestStoredString = 2046;

struct Record {
    std::array<uint8_t, kTextRecordBytes> bytes{};
    void Put16(size_t at, uint16_t v) {
        bytes[at] = static_cast<uint8_t>(v & kLowByte);
        bytes[at + 1] = static_cast<uint8_t>(v >> kByteBits);
    }
    void Put32(size_t at, uint32_t v) {
        Put16(at, static_cast<uint16_t>(v));
        Put16(at + 2, static_cast<uint16_t>(v >> (2 * kByteBits)));
    }
    uint16_t Get16(size_t at) const {
        return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << kByteBits));
    }
    uint32_t Get32(size_t at) const {
        return Get16(at) | (static_cast<uint32_t>(Get16(at + 2)) << (2 * kByteBits));
    }
};

// Offsets of the stored fields.
constexpr size_t kAtPosition = 0;
constexpr size_t kAtClassByte = 4;
constexpr size_t kAtStaff = 5;
constexpr size_t kAtMeasure = 6;
constexpr size_t kAtFlags = 8;
constexpr size_t kAtSize = 10;
constexpr size_t kAtStyle = 12;
constexpr size_t kAtCharset = 13;
constexpr size_t kAtWidth = 14;
constexpr size_t kAtHeight = 16;
constexpr size_t kAtExtra = 20;
constexpr size_t kAtString = 22;

Record Encode(const TextObjectBody& body) {
    Record r;
    r.Put32(kAtPosition, body.location.position);
    r.bytes[kAtClassByte] = body.location.classByte;
    r.bytes[kAtStaff] = body.location.staff;
    r.Put16(kAtMeasure, body.location.measure);
    r.Put16(kAtFlags, body.flags);
    r.Put16(kAtSize, static_cast<uint16_t>(body.size));
    r.bytes[kAtStyle] = body.style;
    r.bytes[kAtCharset] = body.charset;
    r.Put16(kAtWidth, static_cast<uint16_t>(body.width));
    r.Put16(kAtHeight, static_cast<uint16_t>(body.height));
    r.Put16(kAtExtra, body.extra);
    r.Put16(kAtString, (body.flags & kTextOwnsString) != 0 ? 0 : body.string);
    return r;
}

uint16_t ConvertOldFlags(uint16_t flags) {
    return static_cast<uint16_t>((flags & kOldFlagsKept) +
                                 ((flags >> kOldFlagsShift) << kNewFlagsShift));
}

void Decode(const Record& r, uint8_t version, TextObjectBody* body) {
    body->location.position = r.Get32(kAtPosition);
    body->location.classByte = r.bytes[kAtClassByte];
    body->location.staff = r.bytes[kAtStaff];
    body->location.measure = r.Get16(kAtMeasure);
    uint16_t flags = r.Get16(kAtFlags);
    body->flags = version < kCurrentFlagsFileVersion ? ConvertOldFlags(flags) : flags;
    body->size = static_cast<int16_t>(r.Get16(kAtSize));
    body->style = r.bytes[kAtStyle];
    body->charset = r.bytes[kAtCharset];
    body->width = r.Get16(kAtWidth);
    body->height = r.Get16(kAtHeight);
    body->extra = version < kExtraWordFileVersion ? 0 : r.Get16(kAtExtra);
    body->string = (body->flags & kTextOwnsString) != 0 ? 0 : r.Get16(kAtString);
    body->stringPool = 0;
    body->fontCache = 0;
    body->bitmapCache = 0;
}

}  // namespace

int WriteTextObjectString(TextObject* text, int (*write)(const void*, uint32_t)) {
    const char* string = TextObjectString(text);
    Record record = Encode(text->body);
    // A string that cannot be found is not written, and neither is its length.
    if (string == nullptr)
        record.Put16(kAtFlags, static_cast<uint16_t>(text->body.flags & ~kTextOwnsString));
    if (!write(record.bytes.data(), kTextRecordBytes)) return 0;
    if (string == nullptr) return kTextWriteResultBase;
    size_t length = std::strlen(string);
    uint8_t prefix[2] = {static_cast<uint8_t>(length & kLowByte),
                         static_cast<uint8_t>(length >> kByteBits)};
    if (!write(prefix, sizeof prefix)) return 0;
    if (length > 0 && !write(string, static_cast<uint32_t>(length))) return 0;
    return static_cast<int>(length) + kTextWriteResultBase;
}

int WriteTextObjectString(TextObject* text) {
    return WriteTextObjectString(text, &files::WriteScoreBytes);
}

int ReadTextObjectString(TextObject* text, ScoreByteReader read) {
    Record record;
    if (!read(record.bytes.data(), kTextRecordBytes)) return 0;
    Decode(record, State().files.FileVersion, &text->body);
    if ((text->body.flags & kTextOwnsString) == 0) return kTextReadResult;
    uint8_t prefix[2] = {};
    if (!read(prefix, sizeof prefix)) return 0;
    auto length = static_cast<int16_t>(prefix[0] | (prefix[1] << kByteBits));
    if (length < 0 || length > kLongestStoredString) return 0;
    if (length == 0) {
        text->body.flags &= static_cast<uint16_t>(~kTextOwnsString);
        return kTextReadResult;
    }
    if (!read.CanHold(static_cast<uint64_t>(length))) {
        text->body.flags &= static_cast<uint16_t>(~kTextOwnsString);
        return 0;
    }
    int pool = 0;
    auto* string = static_cast<char*>(AllocRecordBySize(static_cast<size_t>(length) + 2, &pool));
    if (string == nullptr) {
        text->body.flags &= static_cast<uint16_t>(~kTextOwnsString);
        return 0;
    }
    if (!read(string, static_cast<uint32_t>(length))) {
        FreeRecord(pool, string);
        text->body.flags &= static_cast<uint16_t>(~kTextOwnsString);
        return 0;
    }
    string[length] = '\0';
    string[length + 1] = '\0';
    // A string cut short by a NUL keeps only what is shown, in the pool of that size
    // (none when nothing is shown): the writer stores the shown length, so reading
    // the written record back gives the same record.
    const size_t shown = strnlen(string, static_cast<size_t>(length));
    if (shown < static_cast<size_t>(length)) {
        int keptPool = 0;
        auto* kept = shown == 0 ? nullptr : static_cast<char*>(AllocRecordBySize(shown + 2, &keptPool));
        if (kept != nullptr) {
            std::memcpy(kept, string, shown);
            kept[shown] = kept[shown + 1] = '\0';
        }
        FreeRecord(pool, string);
        if (kept == nullptr) {
            text->body.flags &= static_cast<uint16_t>(~kTextOwnsString);
            return shown == 0 ? kTextReadResult : 0;
        }
        string = kept;
        pool = keptPool;
    }
    text->body.stringPool = static_cast<uint16_t>(pool);
    text->body.string = PtrToHandle(pool, string).bits;
    return kTextReadResult;
}

int ReadTextObjectString(TextObject* text) {
    return ReadTextObjectString(text, ScoreFileReader());
}

}  // namespace ql
