// Object lists: doubly linked chains of score objects behind a bare root object,
// where an object's subtype says which list holds it (0 and 2 the measure cell's
// list, 1 the page list, 3 a note's attachment chain, 4 the staff's label list),
// and the release of an object by its type code. Callers unlink before releasing;
// nothing is released while the program shuts down, and prototypes never are.
#pragma once

#include <cstddef>

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScoreObject;
struct EventRecord;

// A record of pool 6 of the current set, whatever the size (callers pass up to 32).
ScoreObject* AllocPool6Record(size_t size);
// A new list head (a root object of type 1, links cleared), or null after the
// low-memory box.
ScoreObject* AllocRootObject();
// `count` new list heads at once into `heads`, the same records in the same order as
// `count` calls of AllocRootObject would make. All or none: on a shortfall the heads
// made are freed again, the low-memory box is shown and false returned.
bool AllocRootObjectRun(int count, ScoreObject** heads);

// Inserts the chain that starts at `object` right after `anchor`.
void InsertObjectAfter(ScoreObject* anchor, ScoreObject* object);
// Inserts the chain that starts at `first` right before `anchor`.
void InsertChainBefore(ScoreObject* anchor, ScoreObject* first);
// Joins the object's neighbours and clears its links.
void UnlinkObject(ScoreObject* object);

// The head of the view's page object list: the view's own list, else the current
// page's margin object, which heads the page's objects.
ScoreObject* PageObjectListOf(ScoreView* view);
// Marks the document modified and links the object where its subtype says, at the
// view's current location.
void InsertObjectBySubtype(ScoreView* view, ScoreObject* object);
// Appends the object to the note's attachment chain; 1 when it was linked, else 0
// (the caller then frees the object).
int AttachObjectToNote(ScoreView* view, EventRecord* event, ScoreObject* object);

// Runs the type's clean-up and frees the record to the type's pool.
void ReleaseObjectByType(ScoreDocument* document, ScoreObject* object);
// ReleaseObjectByType with the document of the active view.
void ReleaseObject(ScoreObject* object);
// Releases every member of a list and empties it; the head stays.
void ReleaseObjectChain(ScoreObject* head, ScoreDocument* document);

}  // namespace ql
