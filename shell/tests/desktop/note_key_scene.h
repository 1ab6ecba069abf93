// The scene of the scenarios that press keys on an entered note: a new one-staff
// score with the Notes tool armed and its staff read from the picture, notes entered
// by clicks, a note chosen by a click on its head, and the runs of new ink along a
// row between two pictures (where heads stand).
#pragma once

#include <optional>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"

namespace ql::desktop {

// Columns of a row, from one to one past the last.
struct Columns {
    int left = 0;
    int right = 0;
    int Middle() const { return (left + right) / 2; }
};

class NoteKeyScene : public MusicBesidePalettes {
  protected:
    // A new score with the Notes tool armed, its empty picture and its staff lines
    // read; false when any of it did not come.
    bool OpenBlankScoreWithNotesTool() {
        const std::optional<ShownWindow> main = NewScoreWithNotesTool();
        if (!main) return false;
        main_ = *main;
        empty_ = SettledScreen();
        left_ = MusicLeft();
        right_ = MusicRight();
        lines_ = StaffLinesBesidePalettes(empty_);
        if (lines_.size() < 5) return false;
        space_ = lines_[2] - lines_[1];
        return true;
    }
    void PointerAside() { ParkPointer(main_); }
    // Enters a note at a point with the armed Notes tool and lets the picture settle.
    void EnterAt(int x, int y) {
        x_.MovePointer(x, y - 6);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        x_.Settle(Millis{800});
    }
    // One note entered at three eighths of the music's width on `row`, the pointer
    // then moved aside: the settled picture and the new head's columns on the row
    // (none when the click did not give exactly one head).
    std::optional<Columns> EnterOneHead(int row, ScreenPicture& entered) {
        EnterAt(left_ + (right_ - left_) * 3 / 8, row);
        PointerAside();
        entered = SettledScreen();
        const std::vector<Columns> heads = NewInkRuns(empty_, entered, left_, right_, row);
        if (heads.size() != 1) return std::nullopt;
        return heads[0];
    }
    // Chooses the note whose head is at (x, y) by a click on it.
    void ChooseAt(int x, int y) {
        x_.MovePointer(x + 30, y + 20);
        x_.Settle(Millis{300});
        x_.MovePointer(x, y);
        x_.Settle(Millis{500});
        x_.Click(x, y);
        x_.Settle(Millis{500});
    }
    // The heads on the row once the screen has settled, as new ink against the empty
    // score.
    std::vector<Columns> HeadsNow(int row) const {
        return NewInkRuns(empty_, SettledScreen(), left_, right_, row);
    }
    // Two eighths entered by clicks on the row at `x0` and `spaces` staff spaces right
    // of it, the pointer then moved aside: their heads (none when the clicks did not
    // give two).
    std::vector<Columns> EnterTwoEighths(int row, int x0, int spaces) {
        EnterAt(x0, row);
        EnterAt(x0 + spaces * space_, row);
        PointerAside();
        std::vector<Columns> heads = HeadsNow(row);
        if (heads.size() != 2) heads.clear();
        return heads;
    }
    // The runs of new ink along a row between two pictures, left to right.
    static std::vector<Columns> NewInkRuns(const ScreenPicture& before, const ScreenPicture& after, int left,
                                           int right, int row) {
        std::vector<Columns> runs;
        int start = -1;
        for (int x = left; x <= right; ++x) {
            const bool ink = x < right && IsDarkPixel(after.At(x, row)) && IsWhite(before.At(x, row));
            if (ink && start < 0) start = x;
            if (!ink && start >= 0) {
                if (x - start > 3) runs.push_back({start, x});
                start = -1;
            }
        }
        return runs;
    }

    ShownWindow main_{};
    ScreenPicture empty_{};
    int left_ = 0;
    int right_ = 0;
    std::vector<int> lines_;  // the staff lines' rows, top first
    int space_ = 0;
};

}  // namespace ql::desktop
