// Filling the boxes around lines and quadrilaterals with the paper (see
// shape_paper.h). A quadrilateral is cut across its length into n boxes, n being
// how many times its thickness its slope climbs (at most kMaxQuadBoxes): a level
// beam is one box, a steep one a staircase that hugs it.
#include "notes/drawing/shape_paper.h"

#include <algorithm>
#include <cstdlib>

#include "notes/drawing/paper_boxes.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

constexpr int kMaxQuadBoxes = 32;

int32_t Between(int32_t from, int32_t to, int i, int n) {
    return static_cast<int32_t>(from + (int64_t{to} - from) * i / n);
}

}  // namespace

bool WidenedPaperRect(platform::DcHandle dc, gfx::Point a, gfx::Point b, gfx::Rect* out) {
    if (!dc || out == nullptr) return false;
    gfx::Point corners[2] = {a, b};
    if (!gfx::LogicalToDevice(dc, corners, 2)) return false;
    gfx::Point device[2] = {{std::min(corners[0].x, corners[1].x) - 1, std::min(corners[0].y, corners[1].y) - 1},
                            {std::max(corners[0].x, corners[1].x) + 2, std::max(corners[0].y, corners[1].y) + 2}};
    if (!gfx::DeviceToLogical(dc, device, 2)) return false;
    *out = gfx::Rect{std::min(device[0].x, device[1].x), std::min(device[0].y, device[1].y),
                     std::max(device[0].x, device[1].x), std::max(device[0].y, device[1].y)};
    return true;
}

bool FillBoxWithPaper(platform::DcHandle dc, gfx::Point a, gfx::Point b) {
    gfx::Rect paper;
    if (!WidenedPaperRect(dc, a, b, &paper)) return false;
    gfx::FillRect(dc, paper, gfx::GetStockBrush(gfx::StockBrush::White));
    NotePaperFilled(paper);
    return true;
}

void FillQuadWithPaper(platform::DcHandle dc, const gfx::Point corners[4]) {
    const gfx::Point& a0 = corners[0];
    const gfx::Point& a1 = corners[1];
    const gfx::Point& b0 = corners[3];
    const gfx::Point& b1 = corners[2];
    const int64_t thick = std::max<int64_t>(
        {std::abs(int64_t{b0.y} - a0.y), std::abs(int64_t{b1.y} - a1.y), 1});
    const int64_t climb = std::max(std::abs(int64_t{a1.y} - a0.y), std::abs(int64_t{b1.y} - b0.y));
    const int n = static_cast<int>(std::clamp<int64_t>(climb / thick + 1, 1, kMaxQuadBoxes));
    for (int i = 0; i < n; ++i) {
        const gfx::Point edge[4] = {{Between(a0.x, a1.x, i, n), Between(a0.y, a1.y, i, n)},
                                    {Between(a0.x, a1.x, i + 1, n), Between(a0.y, a1.y, i + 1, n)},
                                    {Between(b0.x, b1.x, i, n), Between(b0.y, b1.y, i, n)},
                                    {Between(b0.x, b1.x, i + 1, n), Between(b0.y, b1.y, i + 1, n)}};
        gfx::Point low = edge[0];
        gfx::Point high = edge[0];
        for (const gfx::Point& p : edge) {
            low = gfx::Point{std::min(low.x, p.x), std::min(low.y, p.y)};
            high = gfx::Point{std::max(high.x, p.x), std::max(high.y, p.y)};
        }
        FillBoxWithPaper(dc, low, high);
    }
}

}  // namespace ql
