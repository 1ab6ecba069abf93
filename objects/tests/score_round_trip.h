// A score written by the writer and read back by the reader, in memory: what the
// object tests compare after their edits.
#pragma once

#include "files/read/score_reader.h"

namespace ql::testing {

// The load (its document null when the reader failed); a failure of either side
// fails the running test, and a read that had to recover is one too. The caller
// frees the load.
ScoreLoad WriteAndReadBack(ScoreDocument* document, ScoreView* view);

}  // namespace ql::testing
