// The status line a save or a load shows while it walks the music of a score:
// the staff and measure reached, every 16 measures, in the status bar's first part.
#pragma once

namespace ql {

// Shows "Staff: s  Measure m" when m is a multiple of 16 and a status bar is up.
void ShowMusicProgress(int staff, int measure);

}  // namespace ql
