// The mixer state of the staves (mute, solo, key-velocity offset). The document
// keeps it by staff number (ScoreDocument::staffMix) for the mixer, the staff keys
// and the player, but it belongs to the staff, not to the number: an edit that
// renumbers staves (inserting, removing or exchanging them, undo and redo of such
// an edit) takes each staff's mix along through its staff record, whose arena
// reference stays the same while the staff lives. The mix is run-time state of the
// open score: score files do not hold it, and a score read from a file has none.
#pragma once

#include <vector>

#include "core/memory/ref32.h"
#include "core/model/score_document.h"

namespace ql {

// The mix of one staff, named by its record.
struct StaffMixEntry {
    Ref32<StaffRecord> staff{};
    StaffMix mix;
};
using StaffMixByRecord = std::vector<StaffMixEntry>;

// The mix of staves 1..count, each named by its record.
StaffMixByRecord StaffMixByStaffRecord(const ScoreDocument& document);

// Gives each staff 1..count the mix its record has in `before`, else in `kept`,
// else none, and clears the numbers past the count. Returns the entries of both
// whose records are no staves of the document now: a staff an undo took away keeps
// its mix there for the redo that brings it back.
StaffMixByRecord PlaceStaffMixByRecord(ScoreDocument& document, const StaffMixByRecord& before,
                                       const StaffMixByRecord& kept = {});

// Scope guard of an edit that renumbers staves: the mix by record is noted on
// construction and placed again on destruction (a new staff starts with none).
class StaffMixFollowsStaves {
  public:
    explicit StaffMixFollowsStaves(ScoreDocument& document)
        : document_(document), before_(StaffMixByStaffRecord(document)) {}
    ~StaffMixFollowsStaves() { PlaceStaffMixByRecord(document_, before_); }
    StaffMixFollowsStaves(const StaffMixFollowsStaves&) = delete;
    StaffMixFollowsStaves& operator=(const StaffMixFollowsStaves&) = delete;

  private:
    ScoreDocument& document_;  // borrowed; outlives the guard
    const StaffMixByRecord before_;
};

}  // namespace ql
