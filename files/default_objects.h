// The document's prototype objects (module ITEM): one complete object per type code
// that tools, dialogs (as scratch copies) and the file reader build from. They live
// in the document's pools, are never in a list, never written, and go with the
// document's pools when it is destroyed.
#pragma once

#include "core/memory/pool.h"

namespace ql {

struct ScoreView;
struct ScoreObject;

// Fills the prototype table (index = type code) in `pools`: entries 16 and 23 become
// null; 2, 3 and 44 plain text objects, 20 a plain MIDI-carrying record; every other
// listed code through its registered class (a code whose class is not registered in
// this build keeps a null entry); unlisted entries are left as they were. 1 on
// success; 0 when a record could not be had (the caller frees what was built with
// the pools).
int BuildDefaultObjects(ScoreView* view, ScoreObject** prototypes, PoolSet pools);

}  // namespace ql
