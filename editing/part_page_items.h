// The page items a part takes from its score: page-anchored texts of the master
// pages and of page one, by the program run's two options.
#pragma once

namespace ql {

struct ScoreView;

// Clones the texts anchored on the source's master pages (when "Copy Master Page
// items" is on) and on its page one (when "Copy page one items" is on) onto the
// same pages of the part; with page-one items on and `copyPageNumber`, the part's
// first page also takes the source's first page number. The number of texts the
// part could not take (no record) is returned.
int CopyPartPageItems(ScoreView* sourceView, ScoreView* partView, bool copyPageNumber);

}  // namespace ql
