// Ties the score cannot keep as ties. The score ties a note to the next note of its
// pitch in its voice, starting where the first ends (or at the next barline's first
// beat); a file may tie notes further apart (another note or a rest between them,
// or a gap). Such a tie is written as a slur between the same two notes, which
// shows the same curve; the second note then sounds again, and each such tie is
// counted. A tie from or to a grace note (which stands at its note's time), and one
// from a staff of a part to another (right hand to left hand: the score ties notes
// of one staff), have no such form and are left out with a count.
#pragma once

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

inline constexpr char kTiesAsSlurs[] = "ties between notes apart (written as slurs)";
inline constexpr char kTiesOnGraceNotes[] = "ties on grace notes";
inline constexpr char kTiesAcrossStaves[] = "ties from one staff to another";

// Pairs each part's tie starts and stops in time order by pitch (the writer's
// pairing: a stop takes the open tie of its voice and pitch, else one of another
// voice; a start with a tie of its voice and pitch still open ends that one) and
// rewrites the pairs whose second note does not start where the first ends.
void TiesApartAsSlurs(MxlScore& score, ImportReport& skipped);

}  // namespace ql::musicxml
