// Where the text lines, tempo marks, chord symbols, dynamics, hairpins and the marks
// of MIDI channel messages an import put into measures stand once the pages are
// laid out: each keeps its measure and
// its time, and is moved (its anchor's offsets) so that it stands on its side of
// its staff clear of the music and of the marks placed before it. See the .cpp for
// the method.
#pragma once

#include <vector>

namespace ql {

struct ScoreView;
struct ScoreObject;

// Places every text line, tempo mark, chord symbol, dynamic, hairpin, pedal mark and
// MIDI event mark of the score's measures, page by page (each page's beat maps built
// in turn, as a page view shows them); the view's page and location are put back.
// With `only`, just those texts move; the others stay where they stand and are kept
// clear of like the music. The texts in `kept` (placed by the file) stay where they
// stand when that is clear of the music, of the page's texts and of the kept texts
// before them, and move like those in `only` when it is not.
void PlaceImportedMeasureTexts(ScoreView* view,
                               const std::vector<const ScoreObject*>* only = nullptr,
                               const std::vector<const ScoreObject*>* kept = nullptr);

}  // namespace ql
