// Creating, renewing, marking and destroying score documents, and the program-wide
// document list. A document is built for a view (CreateDocument) with its two master
// pages and page 1, its measure table and staves array; DestroyDocument releases
// everything it owns. A failed allocation while building frees what was made, shows
// the low-memory report and yields null.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/score_document.h"

namespace ql {

// Ticks a measure of the default time signature lasts: beats x 2^exponent.
int DefaultMeasureTicks();

// A new, empty document (not yet in the document list), or null.
ScoreDocument* AllocDocument();
// Builds a new score in `document` for `view`; template is null or a new-score block.
// Returns the document, or null after freeing what was made (the document's pools
// are released; the caller still owns and frees the record itself).
ScoreDocument* CreateDocument(ScoreDocument* document, ScoreView* view, const NewScoreBlock* tmpl);
// Puts the new-score defaults into a document (also renews an existing one).
// Returns 0 when an allocation failed.
int InitNewDocument(ScoreDocument* document, ScoreView* view, const NewScoreBlock* tmpl);
// Releases everything the document owns and unlinks it; the record itself stays
// (FreeDocument deletes it).
void DestroyDocument(ScoreDocument* document);
// DestroyDocument, then deletes the record.
void FreeDocument(ScoreDocument* document);
// Deletes every platform object the document holds: the 64-slot object cache, the
// fonts of the 24 score fonts and of the two font references, and the measure-number
// font; every slot is cleared. A handle already deleted elsewhere is only cleared.
void ReleaseDocumentFonts(ScoreDocument* document);

// Adds to / removes from the program-wide document list.
void LinkDocument(ScoreDocument* document);
void UnlinkDocument(ScoreDocument* document);
bool IsDocumentListed(const ScoreDocument* document);

// Counts a change: ignored while playback runs or a painting guard is set
// (core/draw/painting_guard.h), so neither playback nor drawing marks the score.
void SetDocumentModified(ScoreDocument* document);
// Counts a change whatever the playback state: for transcription, so a recording is
// never lost at close.
void SetDocumentModifiedUnlocked(ScoreDocument* document);
void ClearDocumentModified(ScoreDocument* document);

// Keeps a buffer the document frees when destroyed; returns its id (index + 1).
uint32_t PushDocumentRecord(ScoreDocument* document, std::vector<uint8_t> bytes);
// The buffer of an id, or null.
std::vector<uint8_t>* DocumentRecordOf(ScoreDocument* document, uint32_t id);

// pageDistances <-> internalDistances, word by word (word 9 skipped).
void ConvertHeaderToInternal(ScoreDocument* document);
void ConvertHeaderToExternal(ScoreDocument* document);
// The stored words of the internal distances that differ from what their words read
// as; a word that reads as its distance is kept (the two-decimal words cannot hold
// every distance, and converting one back and forth would wear it down).
void ConvertChangedDistancesToExternal(ScoreDocument* document);

// The staff record of a staff number, or null.
StaffRecord* StaffRecordOf(ScoreDocument* document, int staff);
// The measure record of a measure number, or null outside the table.
MeasureRecord* MeasureRecordOf(ScoreDocument* document, int measure);
// The ticks measures `first` up to (not including) `last` last when played: a
// multi-measure rest lasts every bar it stands for. Measures outside the table count
// nothing.
int64_t PlayedTicksOfMeasures(ScoreDocument* document, int first, int last);

}  // namespace ql
