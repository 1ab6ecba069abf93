// The score grid: staff records with their cell arrays, measure cells with four
// voices and an object list, and the lookups by staff, measure, voice and tick.
// Cells exist for measures 0..measureCount + 4 and are made on demand below 1024.
// A voice is an event chain behind a head sentinel plus an element list (rests),
// whose items tile the measure; lookups by tick allow 16 ticks of tolerance.
#pragma once

#include <cstdint>

#include "core/model/event_record.h"
#include "core/model/grid_records.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScoreObject;

// Program defaults a new cell takes (clef and key codes, time signature).
struct CellDefaults {
    uint8_t clef = 0;
    uint8_t key = 0;
    uint8_t beats = 4;
    uint8_t beatUnit = 10;
};
CellDefaults CurrentCellDefaults();

// ---- Cells ----
MeasureCell* GetOrCreateMeasureCell(StaffRecord* staff, ScoreDocument* document, int measure);
MeasureCell* AllocMeasureCell(size_t size);  // pool 5; the size is ignored
void FreeMeasureCell(MeasureCell* cell);
// Fresh cell with the program defaults and a new object list; 0 when the list head
// could not be had (the cell is then unusable and should be freed).
int InitMeasureCell(MeasureCell* cell);
int InitMeasureCellWithVoices(MeasureCell* cell, RecordHandle sentinel);
int CopyMeasureCell(MeasureCell* cell, const MeasureCell* tmpl);
void SetCellFlagBits(MeasureCell* cell, uint8_t bits, int on);
void FreeCellVoices(MeasureCell* cell, ScoreDocument* document, int detach);
void ClearMeasureCell(MeasureCell* cell, ScoreDocument* document);
void FreeMeasureCellLists(MeasureCell* cell);
ScoreObject* GetOrCreateCellObjectList(MeasureCell* cell);
void DetachCellObjectList(MeasureCell* cell, ScoreDocument* document, int free);
int IsCellEmpty(MeasureCell* cell);
// Set the clef-change count (cellWord bits 0-3) and the key-change count (bits 4-7)
// from the Clef and KeySignature objects in the cell's list, modulo 16. Deleting a
// key change recounts instead of decrementing, so the cell's key is never touched.
void RecountCellClefChanges(MeasureCell* cell);
void RecountCellKeyChanges(MeasureCell* cell);

// ---- Clef and key in force ----
// The clef code in force at a tick of the cell: the cell's own clef nibble at tick 0
// or without an object list; else the kind of the latest Clef object (type 14,
// subtype 0) whose tick is below `tick`, the first in list order among equal ticks,
// or the nibble when there is none. KeySignatureAtTick: the same with KeySignature
// objects (type 15) and the key nibble.
uint8_t ClefAtTick(const MeasureCell* cell, int tick);
uint8_t KeySignatureAtTick(const MeasureCell* cell, int tick);
// Whether the cell's list holds a Clef or KeySignature object that ClefAtTick or
// KeySignatureAtTick would read. Without one, both give the cell's nibbles at every
// tick: a walk over the notes of a cell asks once instead of at every note.
bool CellChangesSignatures(const MeasureCell* cell);

// ---- Staff records ----
StaffRecord* AllocStaffRecord();
// Builds a staff for the view's document with cells 0..measureCount + 4. When a cell
// or a list head cannot be had, the cells made are freed again (the array keeps no
// handle), the "STAFF" low-memory box is shown and the incomplete staff is returned:
// IsStaffComplete tells.
StaffRecord* ConstructStaffRecord(StaffRecord* staff, ScoreView* view);
StaffRecord* ConstructStaffRecordCopy(StaffRecord* staff, ScoreView* view, RecordHandle sentinel);
StaffRecord* ConstructStaffRecordForCount(StaffRecord* staff, ScoreView* view, int count,
                                          RecordHandle sentinel);
StaffRecord* ConstructStaffRecordFrom(StaffRecord* staff, ScoreView* view, const StaffRecord* tmpl);
bool IsStaffComplete(const StaffRecord* staff);
// Frees the cells (with their voices and lists), the cell array and the object list.
void FreeStaffRecordArrays(StaffRecord* staff);
ScoreObject* GetStaffLabelObject(StaffRecord* staff);
CellHandleArray* CellArrayOf(const StaffRecord* staff);

// ---- Elements of a voice (rests): time and length ----
uint16_t ElementTime(const ScoreObject* element);
void SetElementTime(ScoreObject* element, uint16_t time);
int ElementDurationTicks(const ScoreObject* element);
// The element's DurationCode (log2 of its plain length; 0 = none) and whether a
// tuplet or outer ratio scales it.
uint8_t ElementDurationCode(const ScoreObject* element);
bool IsElementInTuplet(const ScoreObject* element);
// Sets the element's StaffPosition (rest body byte 5).
void SetElementPosition(ScoreObject* element, int8_t position);

// ---- Voices ----
EventRecord* GetVoiceHead(MeasureCell* cell, int voice);  // null when none resolves
EventRecord* GetVoiceFirstEvent(MeasureCell* cell, int voice);
EventRecord* GetOrCreateVoiceChain(MeasureCell* cell, ScoreDocument* document, int voice);
int IsVoiceEmpty(MeasureCell* cell, int voice);
// Whether a voice (0..3) of the cell has a chain head or an element list at all: a
// voice with neither is empty without a look-up, as most cells' upper voices are.
inline bool HasVoiceLists(const MeasureCell& cell, int voice) {
    return cell.voices[voice] || cell.elementLists[voice];
}
ScoreObject* GetVoiceElementList(MeasureCell* cell, int voice);
ScoreObject* GetVoiceFirstElement(MeasureCell* cell, int voice);
ScoreObject* GetOrCreateVoiceElementList(MeasureCell* cell, int voice);
EventRecord* CountCellEvents(MeasureCell* cell);
EventRecord* FindNearestInVoices(MeasureCell* cell, int tick);
EventRecord* FindEventChainInActiveVoice(MeasureCell* cell, ScoreView* view, int tick);
EventRecord* FindInActiveVoice(MeasureCell* cell, ScoreView* view, int tick);
ScoreObject* FindVoiceElementNearTick(MeasureCell* cell, int voice, int tick);
int FindChordAtTick(MeasureCell* cell, int voice, int tick, int delta);
int FindVoiceElementAtTick(MeasureCell* cell, int voice, int tick, int delta);
int ShiftVoiceElementsFromTick(ScoreDocument* document, int staff, int measure, int voice, int tick,
                               int delta);
int TicksLeftInVoice(MeasureCell* cell, ScoreView* view, int voice);
int FindEventTimeInVoice(ScoreDocument* document, int staff, int measure, int voice, int tick);
int ScanCurrentCellVoice(ScoreView* view, int voice);
// Makes a note at `time` in a voice of the cell and links it in time and step
// order (chord and beam rules of LayoutWalkEventChain). When no record can be had:
// the low-memory box, nothing changed, null.
EventRecord* AddEventToVoice(ScoreView* view, MeasureCell* cell, int voice, uint16_t time,
                             uint8_t duration, uint8_t step);

// Zero-fills a measure record but keeps lengthTicks, width and extra; stretch := the
// program's default stretch factor; with distances given, lead and trail take their
// first two words.
void ClearMeasureRecord(MeasureRecord* record, const uint16_t* distances);

}  // namespace ql
