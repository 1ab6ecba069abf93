// The Rest: a score object of its own (type 45, pool 8) in the tick-sorted element
// list of one voice of a measure cell, beside the voice's chain of notes. Its 10-byte
// body is also its form in the score file. This module owns the rest's default
// vertical place by duration and by which voices are in use, placing a rest with the
// rest tool, changing its length, dots and place, drawing it (glyph, dots, ledger
// line, the whole-measure rest of an empty measure), dragging it, turning it into a
// note and writing a voice's rests.
//
// A voice's element list starts at a head Rest whose tick is 65535; the head is never
// drawn, placed or written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/model/geometry.h"
#include "core/objects/class_table.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct EventRecord;
struct MeasureCell;

#pragma pack(push, 1)
// The rest body, little-endian as stored.
struct RestBody {
    uint16_t tick;          // within the measure
    int8_t xOffset;         // horizontal offset, units of 16 logical units
    uint8_t code;           // DurationCode 4..13
    int8_t fineY;           // fine vertical offset, logical units (0 for codes 11..13)
    int8_t position;        // StaffPosition (even for codes 11..13)
    uint8_t tupletKind;     // 0 none, 1 fixed ratio, 2 free ratio
    uint8_t tupletValue;    // kind 1: ratio index; kind 2: first << 4 | second
    uint8_t extraRatio;     // low nibble multiplier, high nibble divisor; 0 none
    uint8_t flags;          // kRest* bits
};
#pragma pack(pop)
constexpr uint32_t kRestBodyBytes = 10;
static_assert(sizeof(RestBody) == kRestBodyBytes);

// Flag byte bits.
constexpr uint8_t kRestDotsMask = 0x03;
constexpr uint8_t kRestHidden = 0x04;
constexpr uint8_t kRestSizeMask = 0x30;
constexpr int kRestSizeShift = 4;
constexpr int kRestMaxDots = 3;

// The tick of a voice-list head.
constexpr uint16_t kRestListHeadTick = 0xFFFF;

// Music-font codes: the rest of code c is kRestGlyphBase + c; the dot; the
// whole-measure rests.
constexpr int kRestGlyphBase = 124;
constexpr int kAugmentationDotGlyph = 139;
constexpr int kWholeMeasureRestGlyph = 136;
constexpr int kDoubleWholeMeasureRestGlyph = 137;

// Body access (null for an object that is not a Rest).
RestBody* RestBodyOf(ScoreObject* rest);
const RestBody* RestBodyOf(const ScoreObject* rest);
int RestDots(const RestBody& body);
int RestSize(const RestBody& body);
bool IsRestHidden(const RestBody& body);
// The rest's tuplet numbers, read as a note's are (ReadTupletNumbers): 0 without a ratio.
int GetRestTupletNumerator(const RestBody& body);
int GetRestTupletDenominator(const RestBody& body);
int GetRestNestedNumerator(const RestBody& body);
int GetRestNestedDenominator(const RestBody& body);

// Registers the Rest class and the constructor of type 45.
void RegisterRestClass();

// The default constructor on a record: root construction, type 45, subtype 0, body
// zero. AllocRestRecord allocates from pool 8 and constructs (null when exhausted);
// FreePool8Record gives a record back.
void ConstructRest(ScoreObject* record);
ScoreObject* AllocRestRecord();
void FreePool8Record(ScoreObject* record);
// The rest's destructor: drops the drag image it owns, then frees the record. Release
// by type code comes here for type 45; the caller has unlinked the rest.
void DestroyRest(ScoreObject* rest);
// Copies the whole body, type and subtype; links cleared.
void CopyRestFrom(ScoreObject* rest, const ScoreObject* other);

// ---- Voice lists ----
// Tick-sorted insertion (equal ticks keep their order of insertion). A head whose
// tick is not 65535 inserts nothing; false then.
bool InsertIntoVoiceList(ScoreObject* head, ScoreObject* object);
// Frees every rest linked after the given one (from the end) and clears its next link.
void DeleteRestChain(ScoreObject* rest);

// ---- Making rests ----
// A pool-8 Rest filled from a rest event record and inserted into the element list of
// the first voice of the view's voice mask (voice 0 when the mask is empty or above
// 15); null when no record can be had.
ScoreObject* NewRestInActiveVoice(ScoreView* view, const EventRecord* event);
// A Rest of that tick, code and dots (0..3) at the default place, inserted into the
// voice's list of the view's current cell; null when no record can be had.
ScoreObject* NewRestFromImport(ScoreView* view, int voice, int tick, int code, int dots);
// Copies the rest fields of an event record; then, when only voice 0 of the current
// cell is in use or the code is 11..13, the position becomes the single-voice default.
void InitRestFromEvent(ScoreView* view, ScoreObject* rest, const EventRecord* event);

// ---- Places and lengths ----
// The default StaffPosition of a rest of `code` in `voice` (0..3) of the cell, by which
// voices are in use; 0 for a voice above 3 or a code outside 4..13.
int RestStaffOffset(MeasureCell* cell, int code, int voice);
// The same by the other voices that have a note or a shown rest over the rest's
// ticks [tick, tick + ticks), and the single-voice place where none has: the rests
// of two voices move apart only where both sound.
int RestStaffOffsetOver(MeasureCell* cell, int code, int voice, int tick, int ticks);
// The rest's length in ticks (code, dots, tuplet and extra ratio).
int RestDurationTicks(const ScoreObject* rest);
// The horizontal offset in logical units (offset x 16).
int GetRestXOffset(const ScoreObject* rest);

// ---- Editing ----
// One code longer (step > 0) or shorter; only on the selection's current rest. 1 when
// the code changed.
int StepRestDuration(ScoreView* view, ScoreObject* rest, int step);
// Cycles the dots 0, 1, 2, 3, 0 moving the later elements by the change of length;
// 1 when the dots changed.
int CycleRestDots(ScoreView* view, ScoreObject* rest);

// ---- Geometry and drawing ----
// The rest's anchor on the page in the view's current measure and staff.
LogicalPoint ComputeRestGeometry(ScoreView* view, ScoreObject* rest);
// The box its glyph is drawn in, at its place in the view's current cell.
RecordRect RestInkBox(ScoreView* view, ScoreObject* rest);
// Whether its glyph box meets the rectangle.
bool RestIntersectsRect(ScoreView* view, ScoreObject* rest, const RecordRect& rect);
// Draws the whole-measure rest of the current cell when it has no rests.
void DrawMeasureRest(ScoreView* view);
// Takes that rest off the surface: the glyph's ink box, soft edges included, is
// filled with the paper (the staff lines under it are the caller's to draw again);
// a multi-measure rest is drawn over in the colours in force.
void EraseMeasureRest(ScoreView* view);

// ---- File ----
// Writes the 10-byte body of every rest of the voice list, in list order, through the
// score file's byte writer: 0 when done, 2 on a write error.
int WriteVoiceRests(MeasureCell* cell, int voice);

}  // namespace ql
