// Where the text lines and tempo marks an import put into measures stand once the
// pages are laid out: each keeps its measure and its time, and is moved (its
// anchor's offsets) so that it stands above its staff clear of the music and of the
// texts placed before it. See the .cpp for the method.
#pragma once

#include <vector>

namespace ql {

struct ScoreView;
struct ScoreObject;

// Places every text line and tempo mark of the score's measures, page by page
// (each page's beat maps built in turn); the view's page and location are put back.
// With `only`, just those texts move; the others stay where they stand and are kept
// clear of like the music.
void PlaceImportedMeasureTexts(ScoreView* view, const std::vector<const ScoreObject*>* only = nullptr);

}  // namespace ql
