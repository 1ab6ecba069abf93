// The room on a page that the imported marks are placed in (imported_text_places):
// every box a mark must not touch, with the clearance a box wants around it, and
// the nearest place above or below a point where a box of a given size touches
// none. Boxes are filed by the cells of a grid over the page (a column and a row
// each), so a question looks only at those near the place it asks about: the
// nearest place is found by moving past the boxes in the way, a few cells at a
// time, and a text among thousands at one time costs about what one among few
// does. The answers are kept until a new box stands in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/objects/class_table.h"

namespace ql {

struct ScoreObject;

// The owner of a measure number's box. The number lifts itself over the lines and
// curves under it, so a line (asked about with its staff key negated) passes it;
// every other mark keeps clear of it.
constexpr int kMeasureNumberOwner = -1;

class PageRoom {
  public:
    std::vector<RecordRect> taken;  // read only: Take and Replace change it
    std::vector<int> owners;  // per box: the staff whose music it is (a staff key), 0 for a text
    int32_t clearance = 0;    // set before the first box is taken
    const std::vector<const ScoreObject*>* only = nullptr;  // the texts that move; all when null
    const std::vector<const ScoreObject*>* kept = nullptr;  // those that move only when in the way
    std::vector<const ScoreObject*> standing;               // kept where they stand

    void Take(const RecordRect& box, int owner = 0);
    // Moves the box taken at `index` (a dynamic onto its hairpin's line).
    void Replace(size_t index, const RecordRect& box);
    // With a negative `own` (a line's), the measure numbers are not in the way.
    bool Touches(const RecordRect& box, int own = 0) const;
    // Whether the box taken at `index` would touch another box when it stood at `box`.
    bool TouchesOthers(size_t index, const RecordRect& box) const;
    // Whether a text moves: all, or those listed to move, or kept unless in the way.
    bool Moves(const ScoreObject* object) const;
    // Whether a text is kept where it stands unless that is in the way.
    bool Kept(const ScoreObject* object) const;

    // The top of a box of `height` over left..right that touches nothing, as near
    // `start` as can be: going up, its bottom at `start` or higher and its top not
    // above `limit`; going down, its top at `start` or lower and its bottom not
    // below `limit`. With `own` (a staff key) only that staff's music and the texts
    // are in the way: the staves beyond are the layout's to move away; with the key
    // negated (a line's) the measure numbers are not in the way either. None when
    // there is no such place.
    std::optional<int32_t> NearestFit(int32_t left, int32_t right, int32_t height, int32_t start,
                                      int32_t limit, bool up, int own = 0) const;

  private:
    // One box of each place and owner, by the cells it reaches into (with the
    // clearance): the texts of one time that find no room, standing on one another,
    // are in the way once. A box over very many cells is in `wide_` instead, met by
    // every walk.
    using BoxKey = std::tuple<int32_t, int32_t, int32_t, int32_t, int>;
    std::unordered_map<uint64_t, std::vector<size_t>> cells_;
    std::vector<size_t> wide_;
    std::set<BoxKey> filed_;
    mutable std::vector<size_t> visited_;  // per box: the last walk that met it
    mutable size_t walks_ = 0;
    // The answers of NearestFit, by question. A box taken later only takes room: a
    // question without a place stays without, and a place stays the nearest while
    // no new box stands in it (those in its way are forgotten as each box comes).
    using FitQuery = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, bool, int>;
    struct FitQueryHash {
        size_t operator()(const FitQuery& q) const;
    };
    mutable std::unordered_map<FitQuery, std::optional<int32_t>, FitQueryHash> answers_;
    mutable std::unordered_map<uint64_t, std::vector<FitQuery>> answerCells_;  // the places found, by cell

    // Whether the box taken at `k` is in the way of a question with `own` (NearestFit).
    bool InWayOf(size_t k, int own) const;
    // Files the box taken at `k` by its cells; false when one like it is there.
    bool File(size_t k);
    // Forgets the places found that the box taken at `k` stands in.
    void ForgetAnswersUnder(size_t k);
    // Calls `f` once with each box that may reach into left..right, top..bottom.
    template <typename F>
    void ForBoxesIn(const RecordRect& area, F f) const;
    // The nearest top going down (`up` false) or bottom going up from `start` at
    // which a box of `height` over left..right meets no box in the way, or none
    // past `limit` (as NearestFit).
    std::optional<int32_t> WalkToFit(int32_t left, int32_t right, int32_t height, int32_t start,
                                     int32_t limit, bool up, int own) const;
};

}  // namespace ql
