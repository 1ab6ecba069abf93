// Text objects: construction, the pooled string, copies across pool sets, the
// destructor and the class registration. The string is a record of the pool that
// fits its length + 1 (PoolForSize), named by pool number and handle in the body.
#include "core/text/text_object.h"

#include <cstring>

#include "core/draw/gdi_cache.h"
#include "core/services/display_services.h"
#include "core/state.h"
#include "platform/gfx/objects.h"

namespace ql {
namespace {

constexpr int kFirstStringPool = 2;
constexpr int kLastStringPool = 10;
inline constexpr char kEmptyStringReplacement[] = "?";

// A copy of `value` in a new record of the current set; null when none fits.
char* AllocStringRecord(const char* value, int* poolOut) {
    size_t length = std::strlen(value);
    auto* record = static_cast<char*>(AllocRecordBySize(length + 1, poolOut));
    if (record != nullptr) std::memcpy(record, value, length + 1);
    return record;
}

void StoreString(TextObject* text, char* record, int pool) {
    text->body.stringPool = static_cast<uint16_t>(pool);
    text->body.string = PtrToHandle(pool, record).bits;
}

void DeleteCaches(TextObject* text) {
    ReleaseTextObjectFont(text, State().documents.CurrentDocument);
    if (text->body.bitmapCache != 0)
        gfx::DeleteObject(platform::BitmapHandle{text->body.bitmapCache});
    text->body.bitmapCache = 0;
}

void ConstructTextRecord(ScoreObject* record) {
    ConstructTextObject(AsTextObject(record));
}

}  // namespace

void ReleaseTextObjectFont(TextObject* text, ScoreDocument* document) {
    if (text->body.fontCache == 0) return;
    platform::FontHandle font{text->body.fontCache};
    if (document != nullptr)
        DeleteCachedGdiObject(document, font);
    else
        gfx::DeleteObject(font);
    text->body.fontCache = 0;
}

char* TextObjectString(const TextObject* text) {
    if ((text->body.flags & kTextOwnsString) == 0) return nullptr;
    int pool = text->body.stringPool;
    if (pool < kFirstStringPool || pool > kLastStringPool) return nullptr;
    char* string = FindRecord<char>(pool, RecordHandle{text->body.string});
    // A stale handle may name a live record of another kind: a string must end
    // inside its own slot, or it is not this object's string.
    if (string == nullptr || std::memchr(string, '\0', PoolSlotBytes(pool)) == nullptr)
        return nullptr;
    return string;
}

void ConstructTextObject(TextObject* text) {
    ConstructScoreObject(&text->header);
    text->header.classId = kTextObjectClass;
    text->header.type = TypeCode(ObjectType::ImageText);
    text->header.subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    std::memset(&text->body, 0, sizeof text->body);
    text->body.style = kDefaultTextStyle;
}

void ConstructTextObjectForView(TextObject* text, ScoreView* view) {
    ConstructTextObject(text);
    if (view != nullptr && display::PlacesOnPage(view))
        text->header.subtype = SubtypeCode(ObjectSubtype::PageList);
}

TextObject* CopyTextObjectString(const char* source) {
    auto* text = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
    if (text == nullptr) return nullptr;
    ConstructScoreObject(&text->header);
    text->header.classId = kTextObjectClass;
    std::memset(&text->body, 0, sizeof text->body);
    if (source != nullptr && source[0] != '\0') {
        int pool = 0;
        if (char* copy = AllocStringRecord(source, &pool)) {
            StoreString(text, copy, pool);
            text->body.flags |= kTextOwnsString;
        }
    }
    return text;
}

void CopyConstructTextObject(TextObject* text, const TextObject* source) {
    text->body = source->body;
    text->body.fontCache = 0;
    text->body.bitmapCache = 0;
    if ((source->body.flags & kTextOwnsString) == 0) return;
    const char* string = TextObjectString(source);
    int pool = 0;
    char* copy = AllocStringRecord(string != nullptr ? string : kMissingStringCopy, &pool);
    if (copy == nullptr) {
        text->body.flags &= static_cast<uint16_t>(~kTextOwnsString);
        text->body.string = kUncopiedStringCharacter;
        return;
    }
    StoreString(text, copy, pool);
}

int CopyTextObjectBody(TextObject* target, const TextObjectBody& source, PoolSet sourceSet,
                       PoolSet targetSet) {
    TextObjectBody& body = target->body;
    body = source;
    body.fontCache = 0;
    body.bitmapCache = 0;
    if ((source.flags & kTextOwnsString) == 0) return 1;
    std::string string = kMissingStringCopy;
    {
        ScopedPoolSet reading(sourceSet);
        TextObject probe{};
        probe.body = source;
        if (const char* found = TextObjectString(&probe)) string = found;
    }
    ScopedPoolSet writing(targetSet);
    int pool = 0;
    char* copy = AllocStringRecord(string.c_str(), &pool);
    if (copy == nullptr) {
        body.flags &= static_cast<uint16_t>(~kTextOwnsString);
        body.string = kUncopiedStringCharacter;
        return 0;
    }
    StoreString(target, copy, pool);
    return 1;
}

void DestroyTextObject(TextObject* text) {
    text->header.classId = kTextObjectClass;
    DeleteCaches(text);
    if ((text->body.flags & kTextOwnsString) == 0) return;
    if (State().program.ShutdownFlag != 0) return;
    // Only a string that resolves to a live record of its pool is freed.
    if (char* string = TextObjectString(text)) FreeRecord(text->body.stringPool, string);
    text->body.flags &= static_cast<uint16_t>(~kTextOwnsString);
    text->body.string = 0;
}

int SetTextObjectString(TextObject* text, const char* value) {
    if (value == nullptr) return -1;
    if (value[0] == '\0') value = kEmptyStringReplacement;
    size_t length = std::strlen(value);
    int pool = PoolForSize(length + 1);
    char* old = TextObjectString(text);
    if (old != nullptr && pool == text->body.stringPool && length + 1 <= PoolSlotBytes(pool)) {
        std::memmove(old, value, length + 1);
        return pool;
    }
    char* copy = AllocStringRecord(value, &pool);
    if (copy == nullptr) return -1;
    if (old != nullptr) FreeRecord(text->body.stringPool, old);
    StoreString(text, copy, pool);
    return pool;
}

std::byte* TextObjectClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}
uint32_t TextObjectClass::GetBodySize(const ScoreObject*) const {
    return kTextBodyBytes;
}

int32_t TextObjectClass::GetAnchorWord(const ScoreObject* object) const {
    constexpr int kUpperHalfShift = 16;
    return static_cast<int32_t>(AsTextObject(object)->body.location.position >> kUpperHalfShift);
}

ScoreObject* TextObjectClass::Clone(ScoreObject* object, ScoreView*, PoolSet source,
                                    PoolSet target) const {
    ScopedPoolSet allocating(target);
    auto* copy = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
    if (copy == nullptr) return nullptr;
    ConstructTextObject(copy);
    CopyTextObjectBody(copy, AsTextObject(object)->body, source, target);
    copy->header.type = object->type;
    copy->header.subtype = object->subtype;
    return &copy->header;
}

const TextObjectClass& TheTextObjectClass() {
    static const TextObjectClass instance;
    return instance;
}

const TextObjectClass& TextClassOf(const ScoreObject* object) {
    const auto* text = dynamic_cast<const TextObjectClass*>(&ClassOf(object));
    return text != nullptr ? *text : TheTextObjectClass();
}

void RegisterTextObjectClasses() {
    RegisterObjectClass(kTextObjectClass, &TheTextObjectClass());
    RegisterObjectType(TypeCode(ObjectType::ImageText), {kTextObjectPool, &ConstructTextRecord});
}

}  // namespace ql
