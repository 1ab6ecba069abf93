// The band table: our own button sets for the eleven bands (the images are the
// strips of toolbar_art), the first-run layout and the fallback order.
#include "shell/rebar/band_table.h"

#include "shell/program/program_ids.h"

namespace ql {
namespace {

using Button = ui::ToolbarButtonSpec;

// Image indexes run through every band's buttons in table order, so one strip of
// images serves all bands.
const Button kFileButtons[] = {{cmd::kFileNew, 0, "New"},
                               {cmd::kFileOpen, 1, "Open"},
                               {cmd::kFileSave, 2, "Save"},
                               {cmd::kFilePrint, 3, "Print"}};
const Button kEditButtons[] = {{57643, 4, "Undo"}, {57644, 5, "Redo"},  {57635, 6, "Cut"},
                               {57634, 7, "Copy"}, {57637, 8, "Paste"}, {57632, 9, "Clear"}};
const Button kMidiButtons[] = {{42035, 10, "Play"}, {42036, 11, "Record"}, {42037, 12, "Stop"}, {42038, 13, "Pause"}};
const Button kViewButtons[] = {{40146, 14, "Scroll"}, {40147, 15, "Page"},    {40149, 16, "Ruler"},
                               {40151, 17, "Margins"}, {40405, 18, "Hidden"}, {40350, 19, "Layout"}};
const Button kWindowButtons[] = {{cmd::kOpenView, 20, "View"},
                                 {cmd::kNextView, 21, "Next"},
                                 {cmd::kTileVertically, 22, "Tile"},
                                 {cmd::kTileHorizontally, 23, "Stack"}};
const Button kVoiceButtons[] = {{42039, 24, "Voice 1"}, {42040, 25, "Voice 2"}, {42041, 26, "Voice 3"}, {42042, 27, "Voice 4"}};
const Button kPagerButtons[] = {{42030, 28, "Previous"}, {42031, 29, "Next"}};
const Button kGoToButtons[] = {{42043, 30, "First"}, {42044, 31, "Last"}};
const Button kNoteButtons[] = {{40161, 32, "Respell"}, {40352, 33, "Flip"},  {40162, 34, "Up"},
                               {40163, 35, "Down"},    {40454, 36, "Rest"}};
const Button kTextButtons[] = {{40220, 37, "Larger"}, {40221, 38, "Smaller"}, {40222, 39, "Bold"},
                               {40223, 40, "Italic"}, {40224, 41, "Under"},   {40226, 42, "Gray"}};

const BandRecord kBands[kBandCount] = {
    {kFileBand, "File", &ProgramOptions::FileToolbar, kFileButtons},
    {kEditBand, "Edit", &ProgramOptions::EditToolbar, kEditButtons},
    {kMidiBand, "MIDI", &ProgramOptions::CDToolbar, kMidiButtons},
    {kViewBand, "View", &ProgramOptions::ViewToolbar, kViewButtons},
    {kWindowBand, "Window", &ProgramOptions::WinToolbar, kWindowButtons},
    {kMainPaletteBand, "Main", nullptr, {}},
    {kVoicesBand, "Voices", &ProgramOptions::VoxToolbar, kVoiceButtons},
    {kPagersBand, "Pagers", &ProgramOptions::PageToolbar, kPagerButtons},
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

}  // namespace ql
