// Copying one staff's measure cell into another cell, of the same document or of
// another one: the notes and rests of the voices a mask allows, with their beams
// and attachments, and the cell's objects. The block paste, the staff copy and
// Extract Part all copy cells through this one module.
#pragma once

#include <cstdint>

#include "core/memory/pool.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct MeasureCell;
struct ScoreObject;
struct EventRecord;
struct FaceNameEntry;

// Where one cell copy reads and writes. Handles of the source resolve in
// `fromSet`, new records come from `toSet`; `view` is a view on `to` (clones take
// it). Borrowed for the call only.
struct CellCopySides {
    ScoreDocument* from = nullptr;
    ScoreDocument* to = nullptr;
    PoolSet fromSet;
    PoolSet toSet;
    ScoreView* view = nullptr;
    uint8_t voiceMask = 0;  // voices copied, bit v for voice v; 0 = all four
};

// Every kind of event and object a cell holds is copied by its class: notes with
// their attachments (ties, lyrics, marks), rests, texts, clef and key changes. A
// text-family object whose own font names a face of the source's face table names
// the same face in the destination's table (added there when missing). A copy that
// cannot be had whole (no record left) leaves out what could not be copied, copies
// the rest and gives 0; the caller says so.

// Copies the source cell's voices the mask selects into the destination's voices
// that hold neither events nor rests. A voice whose head cannot be made (only the
// document's shared sentinel is left) is refused. 1, or 0 when something could not
// be copied (every voice is tried).
int CopyCellVoicesBetween(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest);
// Appends clones of the source cell's measure objects to the destination's list
// and recounts its clef and key changes. 1, or 0 when something could not be copied.
int CopyCellObjectsBetween(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest);
// Both of the above: the voices, then the objects also when a voice failed.
int CopyCellContentsBetween(const CellCopySides& sides, MeasureCell* source, MeasureCell* dest);

// Appends clones of the objects after the list head `sourceList` (source side)
// to the end of the list at `destList` (destination side): a cell's measure
// objects, a staff's labels. 1, or 0 when something could not be copied.
int CopyObjectListBetween(const CellCopySides& sides, ScoreObject* sourceList, ScoreObject* destList);

// One object of the source side cloned for the destination by its class's copy;
// a text-family object's own font names its face in the destination's table. Not
// linked anywhere. Null when a record could not be had.
ScoreObject* CloneObjectBetween(const CellCopySides& sides, ScoreObject* object);

// The attachments of `copy`, an event cloned from `original` (source side, read
// in `fromSet`) into `to` (current), name their own fonts' faces by `to`'s table:
// each face of `fromFaces`, the source's table, is looked up there, and added
// when missing. Copy Notes keeps the table of the score it copied from for this.
void TakeAttachmentFacesFrom(const FaceNameEntry* fromFaces, ScoreDocument* to, PoolSet fromSet,
                             const EventRecord* original, const EventRecord* copy);

// Extract Part's copy: the voices allowed by `voiceMask` (0 = all) and by the
// program's voice filter, then the cell's objects. 1, or 0 when something could
// not be copied (the rest is copied).
int CopyCellBetweenDocuments(ScoreDocument* source, ScoreDocument* destination, PoolSet sourceSet,
                             PoolSet destinationSet, MeasureCell* sourceCell, MeasureCell* destinationCell,
                             uint8_t voiceMask, ScoreView* view = nullptr);

// A copy of some voices only (`mask` not 0) beams the copied notes of those voices
// again, as note entry would: the view (on the destination) moves to the cell and
// every chord head without beam links is auto-beamed.
void RebeamCopiedVoices(ScoreView* view, uint8_t mask, int staff, int measure);

}  // namespace ql
