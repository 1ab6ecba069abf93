// The marks a MusicXML note carries inside <notations> that the NIFF file writes
// on the note: articulations, the playing signs of <technical> and the ornaments,
// each as the NIFF code the importer places (an `artc` or an `ornm` chunk), and
// the arpeggio sign. What has no NIFF code is left for the reader to count.
#pragma once

#include <string_view>
#include <vector>

#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

// The parents whose children are such marks.
bool IsNoteMarkGroup(std::string_view parent);

// Adds the codes of mark `name` (a child of `parent`) to the note; `longMark` is
// its long="yes" (a long inverted mordent). False when NIFF has no code for it.
bool AddNoteMark(MxlNote& note, std::string_view parent, std::string_view name, bool longMark);

}  // namespace ql::musicxml
