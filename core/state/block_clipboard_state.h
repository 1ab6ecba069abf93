// The block clipboard's program-wide state, kept in the program state so that a
// reset of the program forgets it: the block source (a range of staves and
// measures of an open document, with the voice mask taken at copy time), the head
// of the captured notes (records of the static block pools) and the single-staff
// measure remembered for Shift+Insert (and the document it is in).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct CaptureRecord;

struct BlockSource {
    // Borrowed; null while no block is held. The document list owns it, and
    // DestroyDocument clears this field when the document goes.
    ScoreDocument* document = nullptr;
    uint8_t firstStaff = 0;
    uint8_t lastStaff = 0;
    uint8_t voiceMask = 0;  // the source view's edit mask at copy time
    int16_t firstMeasure = 0;
    int16_t lastMeasure = 0;
};

struct BlockClipboardState {
    BlockSource source;
    // Head of the capture chain (static pool 8); null when nothing is captured.
    CaptureRecord* captured = nullptr;
    // The document, staff and measure marked for a single-staff copy; -1 when none.
    // Borrowed like the block source's document, and dropped with it.
    ScoreDocument* markedDocument = nullptr;
    int16_t markedStaff = -1;
    int16_t markedMeasure = -1;
};

// Forgets the block source when it was copied from `document` (the document goes).
void DropBlockSourceOf(const ScoreDocument* document);

// The single-staff copy of Ctrl+Shift+Insert: the view's staff and measure are
// remembered, and a later paste copies that measure of that staff to the view's
// current staff and measure (PasteMarkedStaffBlock, core/ui/block_edit_services.h)
// and forgets the mark.
void MarkStaffBlock(ScoreView* view);
bool StaffBlockMarked();

}  // namespace ql
