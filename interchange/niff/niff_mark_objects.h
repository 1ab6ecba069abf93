// The score objects of a NIFF import's marks, one factory per kind: text lines and
// rehearsal marks, chord symbols, tempo marks, dynamics and pedal marks (placed by
// the caller), and the accidentals, articulations, ornaments and lyrics the file
// hung on a note; then the measure numbering and the staff groups.
#pragma once

namespace ql {
struct EventRecord;
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
// in the document (needs the import's view).
void AttachNiffNoteMarks(NiffImportState& import, EventRecord* note, const NiffNoteAttachments& marks);

// The measure numbering, the numbers shown on measures and the staff groups the
// file gave, into the document.
void ApplyNiffNumberingAndGroups(NiffImportState& import);

}  // namespace ql::niff
