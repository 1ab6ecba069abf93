// The main bar's layout in the settings: keys "RBand0" .. "RBand15" of
// "ToolbarSettings", each "id,width,style". A value is read only when it is
// exactly three integers within the range of a long, separated by commas; the
// first key that is missing or does not read so ends the reading.
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

}  // namespace ql
