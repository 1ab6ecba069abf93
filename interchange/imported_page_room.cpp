// The room on a page for imported marks (see imported_page_room.h).
#include "interchange/imported_page_room.h"

#include <algorithm>

#include "interchange/imported_text_room.h"

namespace ql {
namespace {

constexpr int32_t kCellSize = 512;
// A box or question over more cells than this is met by every walk (a box) or
// not kept (an answer), instead of being filed in each.
constexpr int64_t kMostCells = 1024;

int32_t CellOf(int32_t v) {
    return v >= 0 ? v / kCellSize : -((-(v + 1)) / kCellSize) - 1;
}

uint64_t CellKey(int32_t column, int32_t row) {
    return (uint64_t{static_cast<uint32_t>(column)} << 32) | static_cast<uint32_t>(row);
}

// The cells a rectangle reaches into, its edges included (an upside-down or
// back-to-front one as if the right way round).
struct CellSpan {
    int32_t firstColumn, lastColumn, firstRow, lastRow;
    explicit CellSpan(const RecordRect& r)
        : firstColumn(CellOf(std::min(r.left, r.right))), lastColumn(CellOf(std::max(r.left, r.right))),
          firstRow(CellOf(std::min(r.top, r.bottom))), lastRow(CellOf(std::max(r.top, r.bottom))) {}
    int64_t Count() const {
        return (int64_t{lastColumn} - firstColumn + 1) * (int64_t{lastRow} - firstRow + 1);
    }
    template <typename F>
    void ForEach(F f) const {
        for (int32_t column = firstColumn; column <= lastColumn; ++column)
            for (int32_t row = firstRow; row <= lastRow; ++row) f(CellKey(column, row));
    }
};

bool Listed(const std::vector<const ScoreObject*>* list, const ScoreObject* object) {
    return list != nullptr && std::find(list->begin(), list->end(), object) != list->end();
}

}  // namespace

size_t PageRoom::FitQueryHash::operator()(const FitQuery& q) const {
    const auto& [left, right, height, start, limit, up, own] = q;
    uint64_t h = 0;
    for (const int64_t v : {int64_t{left}, int64_t{right}, int64_t{height}, int64_t{start}, int64_t{limit},
                            int64_t{up}, int64_t{own}}) {
        h = (h + static_cast<uint64_t>(v)) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 31;
    }
    return static_cast<size_t>(h);
}

template <typename F>
void PageRoom::ForBoxesIn(const RecordRect& area, F f) const {
    visited_.resize(taken.size(), 0);
    ++walks_;
    const auto meet = [&](size_t k) {
        if (visited_[k] != walks_) {
            visited_[k] = walks_;
            f(k);
        }
    };
    for (const size_t k : wide_) meet(k);
    const CellSpan span(area);
    if (span.Count() > kMostCells) {
        for (size_t k = 0; k < taken.size(); ++k) meet(k);
        return;
    }
    span.ForEach([&](uint64_t key) {
        if (const auto cell = cells_.find(key); cell != cells_.end())
            for (const size_t k : cell->second) meet(k);
    });
}

void PageRoom::Take(const RecordRect& box, int owner) {
    taken.push_back(box);
    owners.push_back(owner);
    if (File(taken.size() - 1)) ForgetAnswersUnder(taken.size() - 1);
}

void PageRoom::Replace(size_t index, const RecordRect& box) {
    taken[index] = box;
    answers_.clear();
    answerCells_.clear();
    cells_.clear();
    wide_.clear();
    filed_.clear();
    for (size_t k = 0; k < taken.size(); ++k) File(k);
}

bool PageRoom::InWayOf(size_t k, int own) const {
    if (owners[k] == kMeasureNumberOwner) return own >= 0;
    const int staff = own < 0 ? -own : own;
    return staff == 0 || owners[k] == 0 || owners[k] == staff;
}

bool PageRoom::Touches(const RecordRect& box, int own) const {
    bool touches = false;
    ForBoxesIn(box, [&](size_t k) {
        touches = touches || ((own >= 0 || owners[k] != kMeasureNumberOwner) && BoxesOverlap(box, taken[k]));
    });
    return touches;
}

bool PageRoom::TouchesOthers(size_t index, const RecordRect& box) const {
    for (size_t k = 0; k < taken.size(); ++k)
        if (k != index && BoxesOverlap(box, taken[k])) return true;
    return false;
}

bool PageRoom::Moves(const ScoreObject* object) const {
    return !Listed(&standing, object) && (only == nullptr || Listed(only, object) || Kept(object));
}

bool PageRoom::Kept(const ScoreObject* object) const {
    return Listed(kept, object);
}

std::optional<int32_t> PageRoom::WalkToFit(int32_t left, int32_t right, int32_t height, int32_t start,
                                           int32_t limit, bool up, int own) const {
    // Going down `at` is the box's top, going up its bottom. Each step gathers the
    // boxes in the way of the box at `at` (with the clearance) and moves it just
    // past all of them: every place skipped touches one of them, so the first
    // place with none in the way is the nearest.
    int32_t at = start;
    for (;;) {
        const int32_t top = up ? at - height : at;
        if (up ? top < limit : top + height > limit) return std::nullopt;
        int32_t next = at;
        ForBoxesIn({left, top - 1, right, top + std::max(height, 0) + 1}, [&](size_t k) {
            const RecordRect& box = taken[k];
            if (box.right + clearance <= left || right <= box.left - clearance) return;
            if (!InWayOf(k, own)) return;
            const int32_t spanTop = box.top - clearance;
            const int32_t spanBottom = box.bottom + clearance;
            if (spanTop >= top + height || spanBottom <= top) return;
            next = up ? std::min(next, spanTop) : std::max(next, spanBottom);
        });
        if (next == at) return top;
        at = next;
    }
}

std::optional<int32_t> PageRoom::NearestFit(int32_t left, int32_t right, int32_t height, int32_t start,
                                            int32_t limit, bool up, int own) const {
    const FitQuery query{left, right, height, start, limit, up, own};
    if (const auto known = answers_.find(query); known != answers_.end()) return known->second;
    const std::optional<int32_t> top = WalkToFit(left, right, height, start, limit, up, own);
    if (!top) {
        answers_.emplace(query, std::nullopt);
        return top;
    }
    const CellSpan cells(RecordRect{left, *top, right, *top + height});
    if (cells.Count() <= kMostCells) {
        answers_.emplace(query, top);
        cells.ForEach([&](uint64_t key) { answerCells_[key].push_back(query); });
    }
    return top;
}

bool PageRoom::File(size_t k) {
    const RecordRect& box = taken[k];
    if (!filed_.insert({box.left, box.top, box.right, box.bottom, owners[k]}).second) return false;
    const RecordRect reach{box.left - clearance, box.top - clearance, box.right + clearance,
                           box.bottom + clearance};
    const CellSpan cells(reach);
    if (cells.Count() > kMostCells)
        wide_.push_back(k);
    else
        cells.ForEach([&](uint64_t key) { cells_[key].push_back(k); });
    return true;
}

void PageRoom::ForgetAnswersUnder(size_t k) {
    const RecordRect& box = taken[k];
    const RecordRect reach{box.left - clearance, box.top - clearance, box.right + clearance,
                           box.bottom + clearance};
    const CellSpan cells(reach);
    if (cells.Count() > kMostCells) {
        std::erase_if(answers_, [](const auto& answer) { return answer.second.has_value(); });
        answerCells_.clear();
        return;
    }
    cells.ForEach([&](uint64_t key) {
        const auto cell = answerCells_.find(key);
        if (cell == answerCells_.end()) return;
        std::erase_if(cell->second, [&](const FitQuery& query) {
            const auto answer = answers_.find(query);
            if (answer == answers_.end() || !answer->second) return true;  // forgotten, or asked again and full
            const auto& [left, right, height, start, limit, up, own] = query;
            const int32_t top = *answer->second;
            const bool inWay = box.right + clearance > left && right > box.left - clearance &&
                               InWayOf(k, own) &&
                               box.top - clearance < top + height && top < box.bottom + clearance;
            if (inWay) answers_.erase(answer);
            return inWay;
        });
    });
}

}  // namespace ql
