// The classes of the stored object types and of the run-time types whose prototypes
// a document keeps, registered in the class table by type code with the pool and
// constructor the reader makes them with. Ties, articulations, clefs and key
// signatures and the text family (text lines, text boxes, staff labels, lyrics) have
// their classes registered by their own code from here. The types owned by the
// notes (accidental 38, rest 45, notes handler 29), staves (staff element 13,
// barline handler 27) and editing (marquee 0) code register themselves apart.
#pragma once

#include <cstdint>

#include "core/constants.h"

namespace ql {

struct ScoreObject;

// Registers every class and type-code constructor of this folder (start-up; tests
// after resetting the class table).
void RegisterStoredObjectClasses();

// The header part of every constructor here: the root constructor, then the type's
// class id, type code and subtype.
void ConstructStoredHeader(ScoreObject* object, ObjectType type, ObjectSubtype subtype);

}  // namespace ql
