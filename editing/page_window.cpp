// The page-button band's window arithmetic.
#include "editing/page_window.h"

#include <algorithm>

namespace ql {

int LowestFirstPage(bool facing) {
    return facing ? kLeftMasterIndex : kRightMasterIndex;
}

PageWindow FitPageWindow(PageWindow window, int wanted, int pageCount, int current) {
    wanted = std::clamp(wanted, 1, kPageButtonCount);
    const int last = std::max(pageCount - 1, kRightMasterIndex);
    current = std::clamp(current, kLeftMasterIndex, last);
    int first = window.first;
    if (current < first) first = current;
    if (current > first + wanted - 1) first = current - wanted + 1;
    first = std::clamp(first, kLeftMasterIndex, last);
    return {first, std::clamp(last - first + 1, 1, wanted)};
}

PageTurn TurnPageWindow(PageWindow window, int wanted, int pageCount, bool forward, bool ctrl,
                        bool facing) {
    const int last = std::max(pageCount - 1, kRightMasterIndex);
    if (forward) {
        if (window.first >= last) return {window, std::nullopt};
        const PageWindow turned = FitPageWindow({window.first + 1, window.visible}, wanted, pageCount,
                                                window.first + 1);
        return {turned, turned.first + turned.visible - 1};
    }
    const int lowest = ctrl ? kLeftMasterIndex : LowestFirstPage(facing);
    if (window.first <= lowest) return {window, std::nullopt};
    const PageWindow turned = FitPageWindow({window.first - 1, window.visible}, wanted, pageCount,
                                            window.first - 1);
    return {turned, turned.first};
}

bool CanTurnBack(PageWindow window, bool facing) {
    return window.first > LowestFirstPage(facing);
}

}  // namespace ql
