// The log of places taken off the paper while a voice is drawn away (see
// paper_boxes.h). The open log hangs in the drawing state, so that the glyph and tie
// drawing deep below the voice's drawing can note into it.
#include "notes/drawing/paper_boxes.h"

#include <algorithm>
#include <cstddef>

#include "core/state.h"

namespace ql {

PaperBoxLog::PaperBoxLog() : previous_(State().drawing.OpenPaperBoxLog) {
    State().drawing.OpenPaperBoxLog = this;
}

PaperBoxLog::~PaperBoxLog() {
    State().drawing.OpenPaperBoxLog = previous_;
}

void PaperBoxLog::Reach(const gfx::Rect& box) {
    reachLeft_ = std::min(reachLeft_, box.left);
    reachRight_ = std::max(reachRight_, box.right);
}

void PaperBoxLog::NoteFilled(const gfx::Rect& box) {
    if (box.IsEmpty()) return;
    filled_.push_back(box);
    Reach(box);
}

void PaperBoxLog::NoteReached(const gfx::Rect& box) {
    if (!box.IsEmpty()) Reach(box);
}

std::vector<gfx::Rect> RectMinus(const gfx::Rect& box, const gfx::Rect& cut) {
    const gfx::Rect overlap{std::max(box.left, cut.left), std::max(box.top, cut.top),
                            std::min(box.right, cut.right), std::min(box.bottom, cut.bottom)};
    if (overlap.IsEmpty()) return {box};
    // Bands above and below the overlap over the box's whole width, then the parts
    // left and right of it in the overlap's rows.
    const gfx::Rect parts[] = {{box.left, box.top, box.right, overlap.top},
                               {box.left, overlap.bottom, box.right, box.bottom},
                               {box.left, overlap.top, overlap.left, overlap.bottom},
                               {overlap.right, overlap.top, box.right, overlap.bottom}};
    std::vector<gfx::Rect> left;
    for (const gfx::Rect& part : parts)
        if (!part.IsEmpty()) left.push_back(part);
    return left;
}

namespace {

// Two pieces that together make one rectangle: side by side with the same rows, or
// one above the other with the same columns.
bool JoinsInto(const gfx::Rect& a, const gfx::Rect& b, gfx::Rect* joined) {
    const bool sideBySide = a.top == b.top && a.bottom == b.bottom && (a.right == b.left || b.right == a.left);
    const bool stacked = a.left == b.left && a.right == b.right && (a.bottom == b.top || b.bottom == a.top);
    if (!sideBySide && !stacked) return false;
    *joined = gfx::Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                        std::max(a.bottom, b.bottom)};
    return true;
}

// Joins pieces while any two make one rectangle: fewer pieces to draw into.
void JoinPieces(std::vector<gfx::Rect>& pieces) {
    for (bool joined = true; joined;) {
        joined = false;
        for (size_t i = 0; i < pieces.size() && !joined; ++i) {
            for (size_t j = i + 1; j < pieces.size(); ++j) {
                gfx::Rect both;
                if (!JoinsInto(pieces[i], pieces[j], &both)) continue;
                pieces[i] = both;
                pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(j));
                joined = true;
                break;
            }
        }
    }
}

}  // namespace

std::vector<gfx::Rect> PaperBoxLog::DisjointFilledBoxes() const {
    std::vector<gfx::Rect> pieces;
    for (const gfx::Rect& box : filled_) {
        // What of the box no earlier piece covers joins the pieces.
        std::vector<gfx::Rect> fresh{box};
        for (const gfx::Rect& piece : pieces) {
            std::vector<gfx::Rect> cut;
            for (const gfx::Rect& f : fresh) {
                const std::vector<gfx::Rect> rest = RectMinus(f, piece);
                cut.insert(cut.end(), rest.begin(), rest.end());
            }
            fresh.swap(cut);
        }
        pieces.insert(pieces.end(), fresh.begin(), fresh.end());
    }
    JoinPieces(pieces);
    return pieces;
}

void NotePaperFilled(const gfx::Rect& box) {
    if (PaperBoxLog* log = State().drawing.OpenPaperBoxLog) log->NoteFilled(box);
}

void NotePaperReached(const gfx::Rect& box) {
    if (PaperBoxLog* log = State().drawing.OpenPaperBoxLog) log->NoteReached(box);
}

}  // namespace ql
