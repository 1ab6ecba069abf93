// The main bar's layout in the settings: keys "RBand0" .. "RBand15" of
// "ToolbarSettings", each "id,width,style". A value is read only when it is
// exactly three integers within the range of a long, separated by commas; the
// first key that is missing or does not read so ends the reading. Also the one
// reading of whether a band is shown and where the Main palette lives.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "shell/rebar/band_table.h"

namespace ql {

constexpr int kSavedBandKeys = 16;

struct SavedBand {
    long id = 0;
    long width = 0;
    long style = 0;
};

std::optional<SavedBand> ParseSavedBand(std::string_view text);

// The entries that read, in key order.
std::vector<SavedBand> ReadSavedBands();
// Whether "RBand0" has a value.
bool HasSavedLayout();
// Clears the sixteen keys and writes the entries as "RBand0", "RBand1", ...
void WriteSavedBands(const std::vector<SavedBand>& bands);

// Whether the Main palette sits in band 1006 ("KeepMainToolBar", default on); off,
// it floats. Storing writes "KeepMainToolBar" and "FloatMainToolBar" together, so
// the two keys never disagree.
bool MainPaletteKeptInBand();
void StoreMainPaletteKeptInBand(bool kept);

// Whether a band is to be shown: its band-shown setting, or for band 1006 whether
// the Main palette is kept in it. Unknown ids are not shown.
bool IsBandShown(int32_t id);
void SetBandShown(int32_t id, bool shown);

}  // namespace ql
