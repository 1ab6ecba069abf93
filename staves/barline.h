// Barlines as the user edits them. A barline is not a stored object: the measure
// table keeps, with measure m, the barline between m - 1 and m (its type in the low
// nibble of the barline byte, the type drawn at a system's start in the high nibble,
// the repeat count and the hide bits). A barline the user points at is named by the
// measure after it and by where it stands in its system.
//
// "Both repeats" (7) on a barline drawn twice (closing one system and opening the
// next) splits when one copy changes: the closing copy left behind becomes an end
// repeat (6), the opening copy a start repeat (5).
#pragma once

#include <cstdint>

#include "platform/win/keys.h"

namespace ql {

struct ScoreView;
struct ScoreDocument;

struct BarlineRef {
    int measure = 0;             // the measure after the barline (count + 1: the final one)
    bool atSystemStart = false;  // the barline opens its system
    bool closesSystem = false;   // the barline closes its system (drawn again at the next start)
};

// The type shown for the barline: the system-start nibble at a system start, else
// the barline nibble.
int BarlineTypeShown(ScoreDocument* document, const BarlineRef& barline);
// Sets the type of the copy the barline is, splitting "Both repeats" as above.
void SetBarlineTypeAt(ScoreDocument* document, const BarlineRef& barline, int type);
// The hide bit of the copy: bit 6 at a system start, bit 1 elsewhere.
uint8_t BarlineHideBit(const BarlineRef& barline);

// The one-key commands on a barline, in one undoable edit: B, D, E, L, R, S, T set
// the type; H toggles the barline's own hide bit; End ends the piece's music here
// with a final (or end-repeat) barline; with Ctrl it also cuts the score there
// (page view, after asking when music follows), and in the scroll view shows only
// "Use Page view". 1 when the key was a barline command, 0 for other keys.
int BarlineKey(ScoreView* view, const BarlineRef& barline, win::Key key, bool ctrl);

inline constexpr char kUsePageViewNotice[] = "Use Page view";

}  // namespace ql
