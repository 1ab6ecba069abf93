// What the score model asks of the object kinds the music layer implements: their
// destructors on release (text boxes, tuplets, pictures, areas, notes handlers,
// rests), the document's repeat-ending list, the default objects of a new document,
// the tie metrics read with one, a lyric's in-place entry and a clef change put in
// its measure. The music layer fills the table when the program starts
// (objects/score_object_services_install.h); until then, as in a program built
// without it, each call does nothing and gives 0: no object is taken apart beyond
// its record, no new document is made (it has no default objects), no lyric entry
// starts (kNoLyricEntry) and no clef change is put in.
//
// The calls are in namespace `objects`, under the names the music layer gives them.
#pragma once

#include "core/memory/pool.h"

namespace ql {

struct ScoreDocument;
struct ScoreObject;
struct ScoreView;

struct ScoreObjectServices {
    void (*destroyTextBox)(ScoreObject* object) = nullptr;
    void (*destroyTupletBody)(ScoreObject* object) = nullptr;
    void (*destroyPicture)(ScoreObject* object) = nullptr;
    void (*freeArea)(ScoreObject* object) = nullptr;
    void (*destroyNotesHandler)(ScoreObject* object) = nullptr;
    void (*destroyRest)(ScoreObject* rest) = nullptr;
    void (*freeRepeatEndingList)(ScoreDocument* document) = nullptr;
    int (*buildDefaultObjects)(ScoreView* view, ScoreObject** prototypes, PoolSet pools) = nullptr;
    int (*correctTieCurveHeight)(ScoreDocument* document) = nullptr;
    int (*editLyricInPlace)(ScoreObject* object, ScoreView* view) = nullptr;
    int (*insertClefInMeasure)(ScoreView* view, ScoreObject* clef) = nullptr;
};

void SetScoreObjectServices(const ScoreObjectServices& services);

namespace objects {

// What EditLyricInPlace gives when no entry was started.
constexpr int kNoLyricEntry = 2;

// The destructors that release by type code calls (the caller has unlinked the
// object): a text box (types 6 and 28), a tuplet's body, a picture's cached bitmap,
// an area element (back to pool 1), a notes handler and a rest (each with its
// record).
void DestroyTextBox(ScoreObject* object);
void DestroyTupletBody(ScoreObject* object);
void DestroyPicture(ScoreObject* object);
void FreeArea(ScoreObject* object);
void DestroyNotesHandler(ScoreObject* object);
void DestroyRest(ScoreObject* rest);
// Frees the document's repeat-ending list; it is rebuilt on demand.
void FreeRepeatEndingList(ScoreDocument* document);
// Fills the prototype table (index = type code) in `pools`. 1 on success; 0 when a
// record could not be had (the caller frees what was built with the pools).
int BuildDefaultObjects(ScoreView* view, ScoreObject** prototypes, PoolSet pools);
// Replaces a damaged curve height in the document's tie metrics; 1 when it changed.
int CorrectTieCurveHeight(ScoreDocument* document);
// In-place text entry with a caret; kNoLyricEntry when nothing was started.
int EditLyricInPlace(ScoreObject* object, ScoreView* view);
// Puts a clef change in its measure; 1 when done, 0 when refused.
int InsertClefInMeasure(ScoreView* view, ScoreObject* clef);

}  // namespace objects
}  // namespace ql
