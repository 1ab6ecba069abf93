// The room on a page for imported marks (see imported_page_room.h).
#include "interchange/imported_page_room.h"

#include <algorithm>

#include "interchange/imported_text_room.h"

namespace ql {
namespace {

constexpr int32_t kColumnWidth = 512;

int32_t ColumnOf(int32_t x) {
    return x >= 0 ? x / kColumnWidth : -((-x - 1) / kColumnWidth) - 1;
}

bool Listed(const std::vector<const ScoreObject*>* list, const ScoreObject* object) {
    return list != nullptr && std::find(list->begin(), list->end(), object) != list->end();
}

}  // namespace

template <typename F>
void PageRoom::ForBoxesAcross(int32_t left, int32_t right, F f) const {
    visited_.resize(taken.size(), 0);
    ++walks_;
    for (auto at = columns_.lower_bound(ColumnOf(left)); at != columns_.end() && at->first <= ColumnOf(right); ++at)
        for (const size_t k : at->second)
            if (visited_[k] != walks_) {
                visited_[k] = walks_;
                f(k);
            }
}

void PageRoom::Take(const RecordRect& box, int owner) {
    taken.push_back(box);
    owners.push_back(owner);
    if (File(taken.size() - 1)) ForgetAnswersUnder(taken.size() - 1);
}

void PageRoom::Replace(size_t index, const RecordRect& box) {
    taken[index] = box;
    answers_.clear();
    answerColumns_.clear();
    columns_.clear();
    filed_.clear();
    for (size_t k = 0; k < taken.size(); ++k) File(k);
}

bool PageRoom::Touches(const RecordRect& box) const {
    bool touches = false;
    ForBoxesAcross(box.left, box.right, [&](size_t k) { touches = touches || BoxesOverlap(box, taken[k]); });
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

std::optional<int32_t> PageRoom::NearestFit(int32_t left, int32_t right, int32_t height, int32_t start,
                                            int32_t limit, bool up, int own) const {
    const FitQuery query{left, right, height, start, limit, up, own};
    if (const auto known = answers_.find(query); known != answers_.end()) return known->second;
    // The heights the boxes in the way take (with the clearance), in order of
    // their tops going down; going up the page is mirrored (y negated) so that
    // one walk serves both. The walk moves the box past each span it touches:
    // the first gap of its height is the nearest place, in k log k for k boxes.
    auto& spans = spans_;
    spans.clear();
    ForBoxesAcross(left, right, [&](size_t k) {
        const RecordRect& box = taken[k];
        if (box.right + clearance <= left || right <= box.left - clearance) return;
        if (own != 0 && owners[k] != 0 && owners[k] != own) return;
        const int32_t top = box.top - clearance;
        const int32_t bottom = box.bottom + clearance;
        spans.emplace_back(up ? -bottom : top, up ? -top : bottom);
    });
    std::sort(spans.begin(), spans.end());
    int32_t at = up ? -start : start;
    for (const auto& [top, bottom] : spans) {
        if (bottom <= at) continue;
        if (top >= at + height) break;
        at = bottom;
    }
    const int32_t boxTop = up ? -at - height : at;
    const bool fits = !(up ? boxTop < limit : boxTop + height > limit);
    answers_.emplace(query, fits ? std::optional<int32_t>(boxTop) : std::nullopt);
    for (int32_t c = ColumnOf(left); fits && c <= ColumnOf(right); ++c) answerColumns_[c].push_back(query);
    if (!fits) return std::nullopt;
    return boxTop;
}

bool PageRoom::File(size_t k) {
    const RecordRect& box = taken[k];
    if (!filed_.insert({box.left, box.top, box.right, box.bottom, owners[k]}).second) return false;
    for (int32_t c = ColumnOf(box.left - clearance); c <= ColumnOf(box.right + clearance); ++c)
        columns_[c].push_back(k);
    return true;
}

void PageRoom::ForgetAnswersUnder(size_t k) {
    const RecordRect& box = taken[k];
    for (auto column = answerColumns_.lower_bound(ColumnOf(box.left - clearance));
         column != answerColumns_.end() && column->first <= ColumnOf(box.right + clearance); ++column) {
        std::erase_if(column->second, [&](const FitQuery& query) {
            const auto answer = answers_.find(query);
            if (answer == answers_.end() || !answer->second) return true;  // forgotten, or asked again and full
            const auto& [left, right, height, start, limit, up, own] = query;
            const int32_t top = *answer->second;
            const bool inWay = box.right + clearance > left && right > box.left - clearance &&
                               !(own != 0 && owners[k] != 0 && owners[k] != own) &&
                               box.top - clearance < top + height && top < box.bottom + clearance;
            if (inWay) answers_.erase(answer);
            return inWay;
        });
    }
}

}  // namespace ql
