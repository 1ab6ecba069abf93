// Object records (module ITEM): every score object of a measure cell, a page or a
// note is stored as a two-byte header (type code, subtype) and a body laid out by its
// type code and the file version. This module holds the type lists, the body
// dispatch, the list writer and counter, and the reader that builds objects from
// records. Bodies are encoded into a ByteWriter and written through the shared score
// file; they are read from it.
#pragma once

#include <cstdint>
#include <functional>

#include "files/bytes/byte_writer.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScoreObject;

// The anchoring an object list is written with.
enum class ObjectListMode : int {
    MeasureCell = 0,
    Page = 1,
    NoteAttachment = 2,
};

// Codes written by the list writer and counted by the counter.
bool IsStoredObjectType(uint8_t type);
// Codes the reader accepts: the stored ones and 0.
bool IsAcceptedObjectType(uint8_t type);

// The record of one object: its header (the subtype as given) and its body. The
// document supplies a picture's bytes. The object is not changed.
void EncodeScoreObject(ScoreObject* object, uint8_t subtype, ScoreDocument* document,
                       ByteWriter& writer);

// The number of objects from `first` along the next links that the list writer
// stores; 0 for null.
uint32_t CountStoredObjects(const ScoreObject* first);

// Writes the record of every stored object from `first` along the next links. Each
// object's subtype in memory is brought into line with the mode first (cell: 0 and 2
// kept, others 0; page: 1; note: 3), and its record holds the corrected subtype. 0 on
// success; 2 after a failed write (the byte layer's box, then "Disk write error: n").
int WriteScoreObjectList(ScoreDocument* document, ScoreObject* first, ObjectListMode mode);
// The same records, corrected the same way, appended to `writer` (the stream writer
// hands a whole list to the file in one write).
void EncodeScoreObjectList(ScoreDocument* document, ScoreObject* first, ObjectListMode mode,
                           ByteWriter& writer);

// Reads `count` records for the view. Each accepted object is built, read (with the
// conversions of the file version), given the record's type and subtype, its next
// link cleared, inserted after `tail` and made the new tail. A null tail reads and
// destroys every object (verifying or skipping a list). Only the first tie of a list
// is kept; accidentals (38) are read and dropped; a selection record (0) is skipped.
// 0 on success, else the failed step's code (item_code in file_codes.h; 1170 for a
// short record header, shown by the caller). A failed record leaves nothing behind;
// objects linked before it stay. `spans`, when given, is told where each record lay
// in the stream (offset and length; a failed one as far as it was read). `list`
// is the kind of list read: a tie takes the voice being read only on a note.
using ObjectRecordSpans = std::function<void(uint64_t offset, uint64_t length)>;
int ReadScoreObject(ScoreView* view, ScoreObject* tail, int count, const ObjectRecordSpans& spans = {},
                    ObjectListMode list = ObjectListMode::NoteAttachment);

}  // namespace ql
