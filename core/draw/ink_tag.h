// What a paint is drawing at the moment, for readers of the drawn ink (the engraving
// check, display/engraving_check.h): the painter's stage (the staff grid and its
// staff lines and barlines, the notes of a measure, the screen's margin guides and
// page edges, which do not print), the score object whose
// operation draws, and, in the notes, the part of a note being drawn with the chord,
// beam group and voice it belongs to. Set by scopes around the drawing; reading
// them costs nothing when no one listens.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreObject;
struct EventRecord;

enum class InkStage : uint8_t {
    None = 0,
    StaffGrid = 1,
    Notes = 2,
    MeasureNumber = 3,
    StaffLines = 4,
    Barlines = 5,
    Guides = 6
};

// The part of a note being drawn.
enum class InkPiece : uint8_t { None, Head, Stem, Flag, Beam, Ledger, NoteMark };

// The note part being drawn and what it belongs to: the first note of its chord,
// the first of its beam group (null outside a group) and its voice (-1 for none);
// `stemDue` when the chord's value and heads take a stem the score shows (a half
// note or shorter whose stem is not hidden, grace and cue notes alike).
struct InkNote {
    InkPiece piece = InkPiece::None;
    const EventRecord* chord = nullptr;
    const EventRecord* group = nullptr;
    int voice = -1;
    bool stemDue = false;
};

InkStage CurrentInkStage();
const ScoreObject* CurrentInkObject();
InkNote CurrentInkNote();

class InkStageScope {
  public:
    explicit InkStageScope(InkStage stage);
    ~InkStageScope();
    InkStageScope(const InkStageScope&) = delete;
    InkStageScope& operator=(const InkStageScope&) = delete;

  private:
    InkStage kept_;
};

class InkObjectScope {
  public:
    explicit InkObjectScope(const ScoreObject* object);
    ~InkObjectScope();
    InkObjectScope(const InkObjectScope&) = delete;
    InkObjectScope& operator=(const InkObjectScope&) = delete;

  private:
    const ScoreObject* kept_;
};

// Sets one field of the current note while it lives.
class InkNoteScope {
  public:
    static InkNoteScope Piece(InkPiece piece);
    static InkNoteScope Chord(const EventRecord* first);
    static InkNoteScope Group(const EventRecord* first);
    static InkNoteScope Voice(int voice);
    static InkNoteScope StemDue(bool due);
    ~InkNoteScope();
    InkNoteScope(const InkNoteScope&) = delete;
    InkNoteScope& operator=(const InkNoteScope&) = delete;

  private:
    explicit InkNoteScope(const InkNote& note);
    InkNote kept_;
};

}  // namespace ql
