// The palette buttons' faces and tooltip texts.
#include "editing/palette_faces.h"

#include <array>
#include <span>

#include "core/state.h"
#include "editing/palette_layout.h"

namespace ql {
namespace {

// The first image id of each palette's faces, in palette order.
constexpr std::array<uint16_t, kPaletteCount> kPaletteStrips = {1,   191, 15,  175, 161,
                                                                 231, 215, 75,  111, 131};

constexpr std::array<const char*, 7> kMainTips = {
    "Staff Tools", "Notes", "Graphics", "Text & Symbols", "Performance",
    "Pointer (Right Click for Toolbar)", "Zoom In/Out"};
constexpr std::array<const char*, 9> kStaffTips = {
    "Edit Staff", "Measure Ruler", "MIDI Setup", "Clef", "Key Signature", "Time Signature",
    "Staff Label", "System Bracket", "System Brace"};
constexpr std::array<const char*, 16> kNotesTips = {
    "Toggle Note/Rest", "Toggle Whole/Double", "", "", "", "", "Toggle Value", "Note Heads...",
    "Toggle Dots", "Tuplets...", "Ornaments...", "Accents...", "Parens (Accidentals)", "",
    "Toggle Sharps", "Toggle Flats"};
constexpr std::array<const char*, 10> kGraphicsTips = {
    "Slur", "Tie", "Crescendo/Decrescendo", "Repeat Ending", "8oct", "Pedal", "Rectangle",
    "Ellipse", "Line", "Paste Picture"};
constexpr std::array<const char*, 10> kTextTips = {
    "Text Line", "Text Box", "Lyric", "Rehearsal Mark", "Guitar Chord", "Font Symbol", "", "", "", ""};
constexpr std::array<const char*, 8> kPerformanceTips = {
    "Dynamics...", "", "", "MIDI Event", "Metronome Setting", "", "", ""};

std::span<const char* const> TipsOf(int palette) {
    switch (palette) {
        case kMainPalette: return kMainTips;
        case kStaffToolsPalette: return kStaffTips;
        case kNotesPalette: return kNotesTips;
        case kGraphicsPalette: return kGraphicsTips;
        case kTextSymbolsPalette: return kTextTips;
        case kPerformancePalette: return kPerformanceTips;
        default: return {};  // the pop-up palettes' entries have no tooltips
    }
}

bool InPalette(int palette, int index) {
    return palette >= 0 && palette < kPaletteCount && index >= 0 &&
           index < PaletteSpecOf(palette).buttons;
}

}  // namespace

ToolFace PaletteButtonFace(int palette, int index) {
    if (!InPalette(palette, index)) return {};
    auto image = static_cast<uint8_t>(index);
    if (palette == kStaffToolsPalette && (index == 4 || index == 5)) image = index == 4 ? 5 : 4;
    if (palette == kNotesPalette) {
        const NoteToolState& notes = State().notes.NoteTools;
        const uint8_t strip = index == 8 ? notes.dotsStrip : notes.strips[static_cast<size_t>(index)];
        return {strip, image};
    }
    return {kPaletteStrips[static_cast<size_t>(palette)], image};
}

const char* PaletteButtonTooltip(int palette, int index) {
    const std::span<const char* const> tips = TipsOf(palette);
    if (index < 0 || static_cast<size_t>(index) >= tips.size()) return "";
    return tips[static_cast<size_t>(index)];
}

}  // namespace ql
