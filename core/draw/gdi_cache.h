// The document's cache of 64 drawing objects (fonts made for text objects). An
// object goes into the first free slot; a full cache does not take it, and the
// object stays usable and belongs to whoever made it. Nothing is ever evicted.
// Deleting through the cache deletes the object whether or not it was cached.
#pragma once

#include "core/model/score_document.h"
#include "platform/handles.h"

namespace ql {

// Stores the object in the first free slot; false when the cache is full or the
// handle is null (the object is then not cached).
bool CacheGdiObject(ScoreDocument* document, platform::AnyObjectHandle object);
// Clears the first slot holding the handle and deletes the object in every case.
void DeleteCachedGdiObject(ScoreDocument* document, platform::AnyObjectHandle object);
// Deletes every cached object and clears its slot.
void DeleteAllCachedGdiObjects(ScoreDocument* document);
// Number of slots in use.
int CachedGdiObjectCount(const ScoreDocument* document);

}  // namespace ql
