// The frame's on/off settings: a fixed table of command and the one-byte flag it
// flips, searched before any other command. A flip does nothing else: the menus
// show the flag checked as they open, and the program reads the flags where it
// acts. The playback and recording switches that also have a score window's
// command (swing, play loose, echo, metronome and countdown of recording) stay in
// that window's table (view_toggles.h).
#pragma once

#include <cstdint>
#include <span>

namespace ql {

// Two toggles of program flags that no settings key keeps.
constexpr int32_t kPromoteShapedHeads = 40213;
constexpr int32_t kTrimUnusedPages = 40199;

// The other toggles' commands, as the menus carry them.
namespace toggle {
constexpr int32_t kCachePatches = 40374;
constexpr int32_t kPolyMode = 42097;
constexpr int32_t kSendPatches = 40411;
constexpr int32_t kQuantizeMouse = 40183;
constexpr int32_t kAutoScroll = 40345;
constexpr int32_t kClipBlackAndWhite = 42082;
constexpr int32_t kUsePopupMenus = 42096;
constexpr int32_t kAutoBeam = 40419;
constexpr int32_t kCursorFocus = 40433;
constexpr int32_t kAutoSlash = 42086;
constexpr int32_t kAutoFlipAccents = 42090;
constexpr int32_t kSymmetricSlurs = 42091;
constexpr int32_t kSymmetricHairpins = 42092;
constexpr int32_t kSyncPalettes = 42094;
constexpr int32_t kAutoExtendBeats = 40425;
constexpr int32_t kShowOffPage = 42060;
constexpr int32_t kPlayCountdown = 40413;
constexpr int32_t kPlayMetronome = 40409;
constexpr int32_t kAutoRollNotes = 40346;
constexpr int32_t kSpreadSpaceChanges = 40450;
constexpr int32_t kSpaceAccidentals = 40457;
constexpr int32_t kSavePreferencesOnExit = 40344;
constexpr int32_t kVerifySave = 1451;  // no menu item
constexpr int32_t kFollowMusic = 40201;
constexpr int32_t kAutoRewind = 40424;
}  // namespace toggle

struct FrameToggle {
    int32_t command;
    uint8_t& (*flag)();
    // The item shows checked only while a MIDI output exists.
    bool needsOutput = false;
};

std::span<const FrameToggle> FrameToggles();

// Flips the flag of a toggle command (1 when it was 0, else 0); false for any other
// command.
bool RunFrameToggle(int32_t command);

}  // namespace ql
