// The band table: our own button sets for the eleven bands (the images are the
// strips of toolbar_art), the first-run layout and the fallback order.
#include "shell/rebar/band_table.h"

#include "core/core_strings.h"
#include "core/ui/string_ids.h"
#include "shell/program/program_ids.h"

namespace ql {
namespace {

using Button = BandButton;

// Image indexes run through every band's buttons in table order, so one strip of
// images serves all bands, and each button's label is the string of its image
// (BandButtonLabel). Images 28 and 29 are unused: the Pagers band holds the page
// buttons and their arrows (editing/page_band.h), not buttons of its own.
const Button kFileButtons[] = {{cmd::kFileNew, 0}, {cmd::kFileOpen, 1}, {cmd::kFileSave, 2}, {cmd::kFilePrint, 3}};
const Button kEditButtons[] = {{57643, 4}, {57644, 5}, {57635, 6}, {57634, 7}, {57637, 8}, {57632, 9}};
const Button kMidiButtons[] = {{42035, 10}, {42036, 11}, {42037, 12}, {42038, 13}};
const Button kViewButtons[] = {{40146, 14}, {40147, 15}, {40149, 16}, {40151, 17}, {40405, 18}, {40350, 19}};
const Button kWindowButtons[] = {{cmd::kOpenView, 20}, {cmd::kNextView, 21}, {cmd::kTileVertically, 22},
                                 {cmd::kTileHorizontally, 23}};
const Button kVoiceButtons[] = {{42039, 24}, {42040, 25}, {42041, 26}, {42042, 27}};
const Button kGoToButtons[] = {{42043, 30}, {42044, 31}};
const Button kNoteButtons[] = {{40161, 32}, {40352, 33}, {40162, 34}, {40163, 35}, {40454, 36}};
const Button kTextButtons[] = {{40220, 37}, {40221, 38}, {40222, 39}, {40223, 40}, {40224, 41}, {40226, 42}};

const BandRecord kBands[kBandCount] = {
    {kFileBand, "File", &ProgramOptions::FileToolbar, kFileButtons},
    {kEditBand, "Edit", &ProgramOptions::EditToolbar, kEditButtons},
    {kMidiBand, "MIDI", &ProgramOptions::CDToolbar, kMidiButtons},
    {kViewBand, "View", &ProgramOptions::ViewToolbar, kViewButtons},
    {kWindowBand, "Window", &ProgramOptions::WinToolbar, kWindowButtons},
    {kMainPaletteBand, "Main", nullptr, {}},
    {kVoicesBand, "Voices", &ProgramOptions::VoxToolbar, kVoiceButtons},
    {kPagersBand, "Pagers", &ProgramOptions::PageToolbar, {}},
    {kGoToBand, "Go To", &ProgramOptions::LRToolbar, kGoToButtons},
    {kNotesBand, "Notes", &ProgramOptions::NoteToolbar, kNoteButtons},
    {kTextBand, "Text", &ProgramOptions::TextToolbar, kTextButtons},
};

constexpr uint32_t kBreakStyle = kDefaultBandStyle | 1;

const BandLayoutEntry kFirstRun[kBandCount] = {
    {kFileBand, 182, kDefaultBandStyle},   {kEditBand, 314, kDefaultBandStyle},
    {kVoicesBand, 108, kDefaultBandStyle}, {kWindowBand, 163, kDefaultBandStyle},
    {kMidiBand, 245, kDefaultBandStyle},   {kGoToBand, 162, kDefaultBandStyle},
    {kTextBand, 209, kDefaultBandStyle},   {kNotesBand, 225, kDefaultBandStyle},
    {kMainPaletteBand, 371, kBreakStyle},  {kViewBand, 324, kDefaultBandStyle},
    {kPagersBand, 321, kDefaultBandStyle},
};

const BandLayoutEntry kFallback[kBandCount] = {
    {kFileBand, kDefaultBandWidth, kDefaultBandStyle},   {kEditBand, kDefaultBandWidth, kDefaultBandStyle},
    {kViewBand, kDefaultBandWidth, kBreakStyle},         {kTextBand, kDefaultBandWidth, kDefaultBandStyle},
    {kNotesBand, kDefaultBandWidth, kDefaultBandStyle},  {kGoToBand, kDefaultBandWidth, kDefaultBandStyle},
    {kWindowBand, kDefaultBandWidth, kDefaultBandStyle}, {kMainPaletteBand, kDefaultBandWidth, kBreakStyle},
    {kVoicesBand, kDefaultBandWidth, kDefaultBandStyle}, {kMidiBand, kDefaultBandWidth, kDefaultBandStyle},
    {kPagersBand, kDefaultBandWidth, kDefaultBandStyle},
};

}  // namespace

std::span<const BandRecord> BandTable() {
    return kBands;
}

const BandRecord* FindBand(int32_t id) {
    for (const BandRecord& band : kBands)
        if (band.id == id) return &band;
    return nullptr;
}

std::span<const BandLayoutEntry> FirstRunLayout() {
    return kFirstRun;
}

std::span<const BandLayoutEntry> FallbackLayout() {
    return kFallback;
}

std::string BandButtonLabel(const BandButton& button) {
    return ProgramString(kStrFirstBandLabel + button.image);
}

}  // namespace ql
