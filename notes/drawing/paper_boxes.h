// The places a drawing in the erase colours took off the paper, noted while a voice
// or a beam group is drawn away, so that what else lay there can be drawn again: the
// staff lines of every measure the places reach, and the notes' ink inside each box
// that was filled with the paper. Boxes are in the logical units of
// the context they were drawn on; one log is open at a time (a nested one takes over
// until it closes).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/types.h"

namespace ql {

class PaperBoxLog {
  public:
    PaperBoxLog();   // opens the log
    ~PaperBoxLog();  // the log open before it is open again
    PaperBoxLog(const PaperBoxLog&) = delete;
    PaperBoxLog& operator=(const PaperBoxLog&) = delete;

    // A box wholly filled with the paper: everything in it was taken away.
    void NoteFilled(const gfx::Rect& box);
    // A box inside which something was drawn in the paper colour without filling it:
    // only its reach across the measures counts.
    void NoteReached(const gfx::Rect& box);

    bool IsEmpty() const { return reachLeft_ > reachRight_; }
    // The leftmost and rightmost x that anything noted reaches (only when not empty).
    int32_t ReachLeft() const { return reachLeft_; }
    int32_t ReachRight() const { return reachRight_; }
    // The filled boxes cut into pieces that do not overlap and together cover the same
    // area, so that drawing into each piece draws no pixel twice; pieces that together
    // make one rectangle are joined, so that there are fewer to draw into.
    std::vector<gfx::Rect> DisjointFilledBoxes() const;

  private:
    void Reach(const gfx::Rect& box);

    std::vector<gfx::Rect> filled_;
    int32_t reachLeft_ = INT32_MAX;
    int32_t reachRight_ = INT32_MIN;
    PaperBoxLog* previous_;
};

// Notes into the open log, when there is one.
void NotePaperFilled(const gfx::Rect& box);
void NotePaperReached(const gfx::Rect& box);

// The parts of `box` outside `cut` (at most four, none empty).
std::vector<gfx::Rect> RectMinus(const gfx::Rect& box, const gfx::Rect& cut);

}  // namespace ql
