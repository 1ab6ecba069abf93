// The page room's nearest free place against a plain reading of its definition: a
// seeded driver takes boxes of text and staff owners, moves some, and asks for
// places up and down the page between them; every answer (kept or new) must be the
// one found by trying just beyond each box in the way, nearest first, and a box
// touches the room when it overlaps any box taken. A line's question (its staff
// key negated) passes the measure numbers' boxes.
#include "interchange/imported_page_room.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "interchange/imported_text_room.h"

namespace ql {
namespace {

// Whether the box taken at `k` stands in the way of a question with `own`.
bool PlainInWay(const PageRoom& room, size_t k, int own) {
    if (room.owners[k] == kMeasureNumberOwner) return own >= 0;
    const int staff = std::abs(own);
    return staff == 0 || room.owners[k] == 0 || room.owners[k] == staff;
}

std::optional<int32_t> PlainNearestFit(const PageRoom& room, int32_t left, int32_t right, int32_t height,
                                       int32_t start, int32_t limit, bool up, int own) {
    const int32_t c = room.clearance;
    std::vector<RecordRect> near;
    std::vector<int32_t> tops{up ? start - height : start};
    for (size_t k = 0; k < room.taken.size(); ++k) {
        const RecordRect& box = room.taken[k];
        if (box.right + c <= left || right <= box.left - c) continue;
        if (!PlainInWay(room, k, own)) continue;
        near.push_back({box.left - c, box.top - c, box.right + c, box.bottom + c});
        if (up && near.back().top < start) tops.push_back(near.back().top - height);
        if (!up && near.back().bottom > start) tops.push_back(near.back().bottom);
    }
    if (up) std::sort(tops.begin(), tops.end(), std::greater<>());
    else std::sort(tops.begin(), tops.end());
    for (const int32_t top : tops) {
        if (up ? top < limit : top + height > limit) return std::nullopt;
        const RecordRect candidate{left, top, right, top + height};
        if (std::none_of(near.begin(), near.end(), [&](const RecordRect& b) { return BoxesOverlap(b, candidate); }))
            return top;
    }
    return std::nullopt;
}

TEST(ImportedPageRoom, NearestFitIsTheNearestPlaceClearOfEveryBox) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        PageRoom room;
        room.clearance = 32;
        // A few questions asked again and again, as the texts of one time ask them.
        struct Question {
            int32_t left, right, height, start, limit;
            bool up;
            int own;
        };
        std::vector<Question> questions;
        for (int q = 0; q < 12; ++q) {
            const int32_t left = between(0, 6) * 300;
            const bool up = between(0, 1) == 1;
            const int32_t start = between(5, 15) * 150;
            questions.push_back({left, left + between(1, 8) * 100, between(1, 4) * 100, start,
                                 up ? start - between(0, 30) * 150 : start + between(0, 30) * 150, up, between(-3, 3)});
        }
        for (int step = 0; step < 400; ++step) {
            const int kind = between(0, 9);
            if (kind < 4) {
                // Boxes gather in a few columns and bands, and repeat, as texts of one time do.
                const int32_t x = between(-2, 8) * 300 + between(0, 3) * 16;
                const int32_t y = between(-10, 30) * 150;
                // Now and then one across the whole page and far past it, met by every walk.
                const int32_t reach = between(0, 40) == 0 ? 400000 : 0;
                room.Take({x - reach, y, x + between(1, 12) * 100 + reach, y + between(1, 4) * 100},
                          between(0, 5) == 0 ? kMeasureNumberOwner : between(0, 2) * between(0, 3));
            } else if (kind == 4 && !room.taken.empty()) {
                const size_t index = static_cast<size_t>(between(0, static_cast<int>(room.taken.size()) - 1));
                RecordRect moved = room.taken[index];
                moved.top += 200;
                moved.bottom += 200;
                room.Replace(index, moved);
            } else {
                const Question& q = questions[static_cast<size_t>(between(0, 11))];
                EXPECT_EQ(room.NearestFit(q.left, q.right, q.height, q.start, q.limit, q.up, q.own),
                          PlainNearestFit(room, q.left, q.right, q.height, q.start, q.limit, q.up, q.own))
                    << "step " << step;
                const RecordRect probe{q.left, q.start, q.right, q.start + q.height};
                bool touches = false;
                for (size_t k = 0; k < room.taken.size(); ++k)
                    touches = touches || ((q.own >= 0 || room.owners[k] != kMeasureNumberOwner) &&
                                          BoxesOverlap(room.taken[k], probe));
                EXPECT_EQ(room.Touches(probe, q.own), touches) << "step " << step;
            }
        }
    }
}

}  // namespace
}  // namespace ql
