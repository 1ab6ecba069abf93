// Internals shared by the note-entry files: the guard that switches "SpaceAccidentals"
// off for one respacing call, and the respacing call itself.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

namespace entry {

// "SpaceAccidentals" off while it lives; the old value comes back on every path.
class SpaceAccidentalsOff {
  public:
    SpaceAccidentalsOff();
    ~SpaceAccidentalsOff();
    SpaceAccidentalsOff(const SpaceAccidentalsOff&) = delete;
    SpaceAccidentalsOff& operator=(const SpaceAccidentalsOff&) = delete;

  private:
    uint8_t saved_;
};

// RefreshMeasureWidths (no spread, redraw) with accidental spacing off; non-zero when
// the widths changed.
int RespaceForEntry(ScoreView* view);

}  // namespace entry

}  // namespace ql
