// Where the text lines and tempo marks an import put into measures stand once the
// pages are laid out: each keeps its measure and its time, and is moved (its
// anchor's offsets) so that it stands above its staff clear of the music and of the
// texts placed before it. See the .cpp for the method.
#pragma once

namespace ql {

struct ScoreView;

// Places every text line and tempo mark of the score's measures, page by page
// (each page's beat maps built in turn); the view's page and location are put back.
void PlaceImportedMeasureTexts(ScoreView* view);

}  // namespace ql
