// The document's 64-slot object cache.
#include "core/draw/gdi_cache.h"

#include "platform/gfx/objects.h"

namespace ql {

bool CacheGdiObject(ScoreDocument* document, platform::AnyObjectHandle object) {
    if (!document || !object) return false;
    for (uint32_t& slot : document->gdiCache) {
        if (slot != 0) continue;
        slot = object.bits;
        return true;
    }
    return false;
}

void DeleteCachedGdiObject(ScoreDocument* document, platform::AnyObjectHandle object) {
    if (!object) return;
    if (document) {
        for (uint32_t& slot : document->gdiCache) {
            if (slot != object.bits) continue;
            slot = 0;
            break;
        }
    }
    gfx::DeleteObject(object);
}

void DeleteAllCachedGdiObjects(ScoreDocument* document) {
    if (!document) return;
    for (uint32_t& slot : document->gdiCache) {
        if (slot == 0) continue;
        gfx::DeleteObject(platform::AnyObjectHandle{slot});
        slot = 0;
    }
}

int CachedGdiObjectCount(const ScoreDocument* document) {
    int count = 0;
    for (uint32_t slot : document->gdiCache) count += slot != 0 ? 1 : 0;
    return count;
}

}  // namespace ql
