// The frame's toggle table and its flip.
#include "shell/program/frame_toggles.h"

#include "core/state.h"
#include "editing/palette_windows.h"
#include "shell/program_options.h"

namespace ql {
namespace {

constexpr int32_t kSyncPalettes = 42094;

// In the order the frame searches them.
const FrameToggle kToggles[] = {
    {40374, []() -> uint8_t& { return Options().CachePatches; }, true},
    {42097, []() -> uint8_t& { return Options().PolyMode; }, true},
    {40411, []() -> uint8_t& { return Options().SendPatches; }, true},
    {40183, []() -> uint8_t& { return Options().QuantizeMouse; }},
    {40345, []() -> uint8_t& { return Options().AutoScroll; }},
    {42082, []() -> uint8_t& { return Options().ClipBlackAndWhite; }},
    {42096, []() -> uint8_t& { return Options().UsePopupMenus; }},
    {40419, []() -> uint8_t& { return State().notes.AutoBeam; }},
    {40433, []() -> uint8_t& { return Options().IsAllowFocus; }},
    {42086, []() -> uint8_t& { return Options().AutoSlash; }},
    {42090, []() -> uint8_t& { return State().program.AutoFlipAccents; }},
    {42091, []() -> uint8_t& { return Options().SymmetricSlurs; }},
    {42092, []() -> uint8_t& { return Options().SymmetricHairpins; }},
    {kSyncPalettes, []() -> uint8_t& { return Options().SyncPalettes; }},
    {40425, []() -> uint8_t& { return Options().AutoExtendBeats; }},
    {42060, []() -> uint8_t& { return Options().ShowOffPage; }},
    {40413, []() -> uint8_t& { return Options().PlayCountdown; }, true},
    {40409, []() -> uint8_t& { return Options().PlayMetro; }, true},
    {40346, []() -> uint8_t& { return Options().AutoRollNotes; }},
    {40450, []() -> uint8_t& { return State().layout.SpreadSpaceChanges; }},
    {40457, []() -> uint8_t& { return State().program.SpaceAccidentals; }},
    {40344, []() -> uint8_t& { return Options().SavePreferences; }},
    {1451, []() -> uint8_t& { return Options().Verify; }},  // no menu item; "VerifySave"
    {kPromoteShapedHeads, []() -> uint8_t& { return State().notes.PromoteShapedHeads; }},
    {kTrimUnusedPages, []() -> uint8_t& { return State().files.TrimPagesOption; }},
    {40201, []() -> uint8_t& { return Options().FollowMusic; }, true},
    {40424, []() -> uint8_t& { return Options().IsAutoRewind; }, true},
};

}  // namespace

std::span<const FrameToggle> FrameToggles() {
    return kToggles;
}

bool RunFrameToggle(int32_t command) {
    for (const FrameToggle& toggle : kToggles) {
        if (toggle.command != command) continue;
        uint8_t& flag = toggle.flag();
        flag = flag != 0 ? 0 : 1;
        // The palettes keep their own copy of the setting.
        if (command == kSyncPalettes) PaletteSettings().groupMoves = flag != 0;
        return true;
    }
    return false;
}

}  // namespace ql
