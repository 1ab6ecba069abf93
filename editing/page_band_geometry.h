// Where the page-button band puts its page buttons and its two arrows: in a row
// (or a column when vertical), the "Previous Page" arrow before the first page
// button and the "Next Page" arrow after the last visible one, and the client size
// that holds them. Constant arithmetic, shared with the desktop scenarios.
#pragma once

namespace ql {

struct BandCell {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

namespace page_band {
constexpr int kMargin = 4;
constexpr int kButtonWidth = 17;
constexpr int kButtonHeight = 22;
constexpr int kArrowWidth = 8;
constexpr int kArrowHeight = 15;
constexpr int kArrowGap = 3;
constexpr int kStep = 1;  // between page buttons
}  // namespace page_band

// The page button `index` (0 ..), after the previous arrow.
constexpr BandCell PageButtonCell(int index, bool vertical) {
    using namespace page_band;
    if (vertical) {
        const int top = kMargin + kArrowHeight + kArrowGap;
        return {kMargin, top + index * (kButtonHeight + kStep), kButtonWidth, kButtonHeight};
    }
    const int left = kMargin + kArrowWidth + kArrowGap;
    return {left + index * (kButtonWidth + kStep), kMargin, kButtonWidth, kButtonHeight};
}

// The previous (next = false) or next arrow around `visible` page buttons.
constexpr BandCell ArrowCell(bool next, int visible, bool vertical) {
    using namespace page_band;
    if (vertical) {
        const int x = kMargin + (kButtonWidth - kArrowWidth) / 2;
        const int y = next ? PageButtonCell(visible, true).y + kArrowGap - kStep : kMargin;
        return {x, y, kArrowWidth, kArrowHeight};
    }
    const int y = kMargin + (kButtonHeight - kArrowHeight) / 2;
    const int x = next ? PageButtonCell(visible, false).x + kArrowGap - kStep : kMargin;
    return {x, y, kArrowWidth, kArrowHeight};
}

// The client size of the band around `visible` page buttons.
constexpr BandCell BandClientCell(int visible, bool vertical) {
    const BandCell next = ArrowCell(true, visible, vertical);
    return {0, 0, vertical ? PageButtonCell(0, true).x + page_band::kButtonWidth + page_band::kMargin
                           : next.x + next.width + page_band::kMargin,
            vertical ? next.y + next.height + page_band::kMargin
                     : PageButtonCell(0, false).y + page_band::kButtonHeight + page_band::kMargin};
}

}  // namespace ql
