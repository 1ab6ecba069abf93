// The frame's toggle table and its flip.
#include "shell/program/frame_toggles.h"

#include "core/settings/program_options.h"
#include "core/state.h"
#include "editing/palette_windows.h"

namespace ql {
namespace {

// In the order the frame searches them.
const FrameToggle kToggles[] = {
    {toggle::kCachePatches, []() -> uint8_t& { return Options().CachePatches; }, true},
    {toggle::kPolyMode, []() -> uint8_t& { return Options().PolyMode; }, true},
    {toggle::kSendPatches, []() -> uint8_t& { return Options().SendPatches; }, true},
    {toggle::kQuantizeMouse, []() -> uint8_t& { return Options().QuantizeMouse; }},
    {toggle::kAutoScroll, []() -> uint8_t& { return Options().AutoScroll; }},
    {toggle::kClipBlackAndWhite, []() -> uint8_t& { return Options().ClipBlackAndWhite; }},
    {toggle::kUsePopupMenus, []() -> uint8_t& { return Options().UsePopupMenus; }},
    {toggle::kAutoBeam, []() -> uint8_t& { return State().notes.AutoBeam; }},
    {toggle::kCursorFocus, []() -> uint8_t& { return Options().IsAllowFocus; }},
    {toggle::kAutoSlash, []() -> uint8_t& { return Options().AutoSlash; }},
    {toggle::kAutoFlipAccents, []() -> uint8_t& { return State().program.AutoFlipAccents; }},
    {toggle::kSymmetricSlurs, []() -> uint8_t& { return Options().SymmetricSlurs; }},
    {toggle::kSymmetricHairpins, []() -> uint8_t& { return Options().SymmetricHairpins; }},
    {toggle::kSyncPalettes, []() -> uint8_t& { return Options().SyncPalettes; }},
    {toggle::kAutoExtendBeats, []() -> uint8_t& { return State().notes.AutoExtendMeasure; }},
    {toggle::kShowOffPage, []() -> uint8_t& { return Options().ShowOffPage; }},
    {toggle::kPlayCountdown, []() -> uint8_t& { return Options().PlayCountdown; }, true},
    {toggle::kPlayMetronome, []() -> uint8_t& { return Options().PlayMetro; }, true},
    {toggle::kAutoRollNotes, []() -> uint8_t& { return State().notes.NoteTools.autoRollNotes; }},
    {toggle::kSpreadSpaceChanges, []() -> uint8_t& { return State().layout.SpreadSpaceChanges; }},
    {toggle::kSpaceAccidentals, []() -> uint8_t& { return State().program.SpaceAccidentals; }},
    {toggle::kSavePreferencesOnExit, []() -> uint8_t& { return Options().SavePreferences; }},
    {toggle::kVerifySave, []() -> uint8_t& { return Options().Verify; }},  // "VerifySave"
    {kPromoteShapedHeads, []() -> uint8_t& { return State().notes.PromoteShapedHeads; }},
    {kTrimUnusedPages, []() -> uint8_t& { return State().files.TrimPagesOption; }},
    {toggle::kFollowMusic, []() -> uint8_t& { return Options().FollowMusic; }, true},
    {toggle::kAutoRewind, []() -> uint8_t& { return Options().IsAutoRewind; }, true},
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
        if (command == toggle::kSyncPalettes) PaletteSettings().groupMoves = flag != 0;
        return true;
    }
    return false;
}

}  // namespace ql
