// The eleven bands of the frame's main bar: each band's id, its buttons (command
// and image; the label is a string of the language chosen) and the setting that says whether it is shown; the first-run
// layout and the order used when no saved layout can be read.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "core/settings/program_options.h"
#include "platform/ui/toolbar.h"

namespace ql {

constexpr int32_t kFileBand = 1001;
constexpr int32_t kEditBand = 1002;
constexpr int32_t kMidiBand = 1003;
constexpr int32_t kViewBand = 1004;
constexpr int32_t kWindowBand = 1005;
constexpr int32_t kMainPaletteBand = 1006;
constexpr int32_t kVoicesBand = 1007;
constexpr int32_t kPagersBand = 1008;
constexpr int32_t kGoToBand = 1009;
constexpr int32_t kNotesBand = 1010;
constexpr int32_t kTextBand = 1011;
constexpr int kBandCount = 11;

// The style of a band as laid out at first: child edge, fixed bitmap and
// grip always (164), and 165 with a row break.
constexpr uint32_t kDefaultBandStyle = 164;

// A band button: its command and its image in the bar's strip.
struct BandButton {
    int32_t command = 0;
    int32_t image = 0;
};

struct BandRecord {
    int32_t id = 0;
    const char* name = "";
    // The band-shown setting; null for the Main palette's band, which follows
    // "KeepMainToolBar".
    uint8_t ProgramOptions::*shown = nullptr;
    std::span<const BandButton> buttons;
};

std::span<const BandRecord> BandTable();
const BandRecord* FindBand(int32_t id);
// A band button's label in the language now chosen: the string of its image.
std::string BandButtonLabel(const BandButton& button);

struct BandLayoutEntry {
    int32_t id = 0;
    int32_t width = 0;
    uint32_t style = 0;
};
// Written as the saved layout when none was ever saved.
std::span<const BandLayoutEntry> FirstRunLayout();
// Used when no saved entry can be read: each band's id and row break, with the
// default width.
std::span<const BandLayoutEntry> FallbackLayout();
constexpr int32_t kDefaultBandWidth = 200;

}  // namespace ql
