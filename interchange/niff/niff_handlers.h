// The chunk handlers of a NIFF import that this program converts: the writer and
// file information, defaults, fonts and the string table, text-like marks, and
// the frame of parts, pages, systems and staves. Each gets the import state
// through the reader's context; a handler returns 1 to go on, 0 to end the pass.
#pragma once

#include <cstdint>

#include "interchange/niff/niff_reader.h"

namespace ql::niff {

struct NiffImportState;
struct NiffMark;
struct NiffTagState;

// Writer, information, defaults, fonts, strings.
int CheckNiffWriter(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffInfoChunk(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffDefaults(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffFontDescription(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffStringTable(NiffChunkContext& context, const uint8_t* fixedPart);
// A font description (0 <= index < count, with a name) into a text style slot of
// the document: face, bold, italic, underline and size.
void ApplyNiffFontToStyle(NiffImportState& import, int fontIndex, int slot);

// Text-like marks.
int ReadNiffText(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffChordSymbol(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffTempo(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffRehearsalMark(NiffChunkContext& context, const uint8_t* fixedPart);

// Parts, pages, systems, staves and barlines.
int StoreNiffPart(NiffChunkContext& context, const uint8_t* fixedPart);
int SetupNiffStaves(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffPageHeader(NiffChunkContext& context, const uint8_t* fixedPart);
int BeginNiffSystem(NiffChunkContext& context, const uint8_t* fixedPart);
// The prescan's count of the systems on the first page.
int CountNiffSystem(NiffChunkContext& context, const uint8_t* fixedPart);
// After the prescan: each part gets at least the staves its staff headers name,
// the last part also those the systems hold beyond every part's, and the staff
// count follows.
void FitNiffPartsToStaves(NiffImportState& import);
int BeginNiffStaffHeader(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffStaffHeader(NiffChunkContext& context, const uint8_t* fixedPart);
int StoreNiffBarline(NiffChunkContext& context, const uint8_t* fixedPart);

// Time slices: an event slice sets the current tick, a measure start closes the
// staff's measure and finds or makes the node of its start.
int ReadNiffTimeSlice(NiffChunkContext& context, const uint8_t* fixedPart);
// Repeat barlines kept (two at most) for the next measure start's barline word.
int ReadNiffRepeat(NiffChunkContext& context, const uint8_t* fixedPart);

// Stems, notes, rests and beams: events of the open staff measure.
int BeginNiffStem(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffStem(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffNote(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffRest(NiffChunkContext& context, const uint8_t* fixedPart);
int BeginNiffBeam(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffBeam(NiffChunkContext& context, const uint8_t* fixedPart);

// Clefs, key signatures and time signatures.
int ReadNiffClef(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffKeySignature(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffTimeSignature(NiffChunkContext& context, const uint8_t* fixedPart);

// Marks on notes, dynamics and pedal marks.
int ReadNiffLyric(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffAccidental(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffArticulation(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffOrnament(NiffChunkContext& context, const uint8_t* fixedPart);
// An arpeggio sign (shape 1, a wavy line) before the chord of the last note.
int ReadNiffArpeggio(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffDynamic(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffPedal(NiffChunkContext& context, const uint8_t* fixedPart);

// Measure numbering and staff groups.
int ReadNiffMeasureNumbering(NiffChunkContext& context, const uint8_t* fixedPart);
int ReadNiffStaffGroup(NiffChunkContext& context, const uint8_t* fixedPart);
// Every part of more than one staff has a brace over its staves and no other brace
// joins them (parts in the order of the file, their staves as found).
void BraceNiffParts(NiffImportState& import);

// The data handler of chunks this program does not convert yet: counted in the
// import report under their id.
int CountUnconvertedNiffChunk(NiffChunkContext& context, const uint8_t* fixedPart);

// Whether the current staff header named a staff out of range; the chunks up to
// the next staff, system or page header are then counted and ignored.
bool SkipForNiffStaff(NiffChunkContext& context);

// Where a text-like mark goes: the placement of tag 1 in score units (its vertical
// value as NiffVerticalUnits gives it), anchored to the page when tag 3 names the
// page header; without tag 1 (and not on the page), at the current measure and tick
// with x 0 and the vertical default.
void PlaceNiffMark(NiffImportState& import, int32_t defaultVertical, NiffMark& mark);

// A vertical distance of the file on `staff` in score units: on a staff drawn at a
// reduced size first taken to full size (x 100 / its size percentage, truncated),
// then times the unit scale, truncated toward zero.
int64_t NiffVerticalUnits(const NiffImportState& import, int staff, int64_t value);

// A mark's alignment: tag 33's horizontal and vertical bytes, each 0 (or no tag)
// taking the handler's default.
void AlignNiffMark(const NiffTagState& tags, uint8_t horizontal, uint8_t vertical, NiffMark& mark);
// The font description tag 13 names when it is a valid one other than the default
// font `defaultIndex` (an index into the six defaults) names; -1 otherwise.
int NiffMarkFont(const NiffImportState& import, int defaultIndex);

// Puts the progress text in the status line and, with any number not 0, moves
// the progress to the page; true when the user cancelled.
bool ReportNiffProgress(NiffImportState& import, const char* text, int page, int system,
                        int staff);

}  // namespace ql::niff
