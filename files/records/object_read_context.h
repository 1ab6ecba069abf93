// What a body decoder of an object record needs besides the bytes: the view and
// document it reads for, the file version, whether the object is kept (read into a
// list) or thrown away (a verified or skipped list), the record's subtype and the
// time of the event whose attachments are being read. Bodies are read from the
// shared score file (files/score_file.h); every decoder checks a length against
// ScoreBytesLeft before it allocates.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreView;

struct ObjectReadContext {
    ScoreView* view = nullptr;
    ScoreDocument* document = nullptr;
    uint8_t version = 0;
    uint8_t subtype = 0;
    bool keep = true;        // false: the object is destroyed after the read
    uint16_t ownerTime = 0;  // time of the owning event (attachments)
    // The list is a note's attachments: what belongs to the note's voice takes the
    // voice being read. In a cell's or a page's list every value is the file's.
    bool noteList = true;
};

// The context of the file being read now (version and owner time from the program
// state) for a view; `keep` false for the throw-away mode.
ObjectReadContext CurrentReadContext(ScoreView* view, bool keep);

// Reads `count` bytes of a record body from the score file; false on a short read.
bool ReadBodyBytes(uint8_t* out, uint32_t count);

}  // namespace ql
