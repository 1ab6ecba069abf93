// The Measure Numbers dialog (863): style (none, each system, every n measures),
// the interval and measure kind, alignment, the two offsets ("%d.%s" texts, see
// measure_number_offsets.h) and showing numbering changes. OK stores them into the
// document's measure-number settings and redraws its views; with "Save
// preferences after closing dialog" they also become the program's defaults and
// are written to the settings. "Select font..." chooses the default measure-number
// font in the font chooser and writes it to the settings ("DefMeasNumFont"); on OK
// its face becomes the score's own measure-number face, drawn at the height and in
// the style of the measure-number quick font.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// Stored style values of the three radios.
constexpr uint8_t kMeasureNumbersNone = 0;
constexpr uint8_t kMeasureNumbersEachSystem = 1;
constexpr uint8_t kMeasureNumbersEvery = 2;

// The dialog's result: 1 after OK, 2 after Cancel, -1 without a template.
intptr_t RunMeasureNumbersDialog(ScoreView* view);

}  // namespace ql
