// The score objects of a NIFF import's marks, one factory per kind: text lines and
// rehearsal marks, chord symbols, tempo marks, dynamics and pedal marks (placed by
// the caller), and the accidentals, articulations, ornaments and lyrics the file
// hung on a note; then the measure numbering and the staff groups.
#pragma once

#include <cstdint>

namespace ql {
struct EventRecord;
struct ScoreDocument;
struct ScoreObject;
struct TextObject;
}  // namespace ql

namespace ql::niff {

struct NiffImportState;
struct NiffMark;
struct NiffNoteAttachments;

// The object of a mark, measured, with its style, font and hidden flag, not yet
// linked; null when the kind makes none (or nothing can be had: counted).
ScoreObject* MakeNiffMarkObject(NiffImportState& import, const NiffMark& mark);

// A text takes the style slot `style`, and the file's font description
// `fontIndex` (0 <= index < count) when its face is one of the document's face
// names: that face, bold, italic, underline and size.
void ApplyNiffTextFont(const NiffImportState& import, TextObject* text, int fontIndex, int style);

// The accidental, note bits, articulations, ornaments and lyrics of a note placed
// in the document at (staff, measure) (needs the import's view). An articulation
// without a side from the file waits for PlaceNiffNoteMarks.
void AttachNiffNoteMarks(NiffImportState& import, EventRecord* note, int staff, int measure,
                         const NiffNoteAttachments& marks);

// The document's four verse lines at one to four times the lyric line spacing
// under the staff (nothing for a spacing of 0 or less).
void SetNiffLyricLevels(ScoreDocument* document, int32_t spacing);

// Puts each articulation and ornament attached without a side from the file where
// a click would put it on its note, then moves the marks of each chord apart so none
// covers another; run once the pages are laid out.
void PlaceNiffNoteMarks(NiffImportState& import);

// The measure numbering, the numbers shown on measures and the staff groups the
// file gave, into the document.
void ApplyNiffNumberingAndGroups(NiffImportState& import);

}  // namespace ql::niff
