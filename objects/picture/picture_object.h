// PictureObject (type 53, pool 9): a picture pasted on a page. Its body (54 bytes,
// location to the end of the bitmap description) is followed by the run-time cache
// (a bitmap handle and its size) and the id of the picture's bytes, a buffer the
// document owns (ScoreDocument::ownedRecords, id = index + 1): the picture's
// destructor deletes only its cache. Stored as a 50-byte fixed part (extents as their
// low halves, the flag bits 0-3 and 5, the data length, the six description words
// with the bits word 0) and then the data bytes. A length larger than the bytes left
// fails the record before anything is allocated; in the throw-away mode the bytes are
// skipped, never allocated.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/objects/score_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"

namespace ql {

constexpr int kPictureDescriptionWords = 6;

#pragma pack(push, 1)
struct PictureBody {
    ObjectLocation location;
    int32_t width;    // at least 8
    int32_t height;   // at least 8
    uint16_t format;  // clipboard format: 14 enhanced metafile, 8 DIB, 2 bitmap
    uint8_t flags;    // kPicture* bits
    uint8_t cacheZoom;
    uint8_t reserved[6];
    uint32_t dataSize;
    uint32_t description[kPictureDescriptionWords];  // type, width, height, row bytes,
                                                     // planes and bits per pixel, bits
};
struct PictureObject {
    ScoreObject header;
    PictureBody body;
    uint32_t cache;  // platform bitmap handle bits; 0 none
    uint32_t data;   // id of the document's buffer of the picture bytes; 0 none
    int32_t cacheWidth;
    int32_t cacheHeight;
};
#pragma pack(pop)

constexpr uint32_t kPictureBodyBytes = 54;
static_assert(sizeof(PictureBody) == kPictureBodyBytes);
static_assert(sizeof(PictureObject) == 96);
static_assert(std::is_trivially_copyable_v<PictureObject>);

constexpr uint8_t kPictureKeepRatio = 0x01;
constexpr uint8_t kPictureColour = 0x02;
constexpr uint8_t kPictureOpaque = 0x04;
constexpr uint8_t kPictureHidden = 0x08;
constexpr uint8_t kPicturePrinterCache = 0x10;
constexpr uint8_t kPictureBlackAndWhite = 0x20;
constexpr uint8_t kPictureFocusedCache = 0x40;  // the cache shows the focused look; never stored
constexpr uint8_t kPictureStoredFlags = 0x2F;  // bits 0-3 and 5
constexpr int kPictureBitsWord = 5;            // the description's pointer, never stored

constexpr size_t kPictureFixedBytes = 50;
constexpr uint8_t kPictureColourFileVersion = 26;

inline PictureObject* AsPicture(ScoreObject* object) {
    return reinterpret_cast<PictureObject*>(object);
}
inline const PictureObject* AsPicture(const ScoreObject* object) {
    return reinterpret_cast<const PictureObject*>(object);
}

void ConstructPictureObject(ScoreObject* object);
// True for a colour picture that is not shown in black and white.
bool IsColourPicture(const PictureBody& body);

// The fixed part and the bytes of the document's buffer (length 0 without one).
void EncodePictureBody(const PictureObject& object, ScoreDocument* document, ByteWriter& writer);
// Reads both back; a kept picture's bytes become a buffer of the context's document.
int DecodePictureBody(PictureObject* object, const ObjectReadContext& context);

}  // namespace ql
