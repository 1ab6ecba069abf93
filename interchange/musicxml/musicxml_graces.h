// Where grace notes stand. A grace note takes no time: the NIFF file writes it at
// the time of the note it leads to, with its place before that note. The graces
// before one note of a voice are numbered back from it (-1 the nearest); grace
// notes at the end of a voice's measure, with no note after them, follow the last
// note of their voice instead (+1 the nearest): their items move before that note,
// so that they stand at its time. The notes of a grace chord share their place. A
// direction between the graces and their note (a dynamic, words, a hairpin) does
// not part them.
#pragma once

#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

void PlaceGraceNotes(MxlScore& score);

}  // namespace ql::musicxml
