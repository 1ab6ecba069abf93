// The document's prototype objects (module ITEM): one prototype object per object
// type, built when a document is created and used by tools and the file reader.
#pragma once

#include "core/memory/pool.h"

namespace ql {

struct ScoreView;
struct ScoreObject;

// Builds one prototype object per ObjectType into the prototype table (type 29
// through NewNotesHandler). Non-zero on success; 0 when a prototype could not be
// built (the caller frees what was built).
int BuildDefaultObjects(ScoreView* view, ScoreObject** prototypes, PoolSet pools);

}  // namespace ql
