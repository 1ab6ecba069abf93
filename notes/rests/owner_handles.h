// Releasing the hit records an object has in the selection's lists (used when a rest
// is placed among its voice's elements and when an accidental is dropped).
#pragma once

namespace ql {

struct ScoreObject;

// Unlinks and frees every record of the selection's lists A and B owned by `owner`,
// with its child chain. Nothing without a SelectionState.
void ReleaseHitRecordsOf(const ScoreObject* owner);

}  // namespace ql
