// The view's voice masks. Every change updates the voice buttons and the view's
// toolbar and repaints the view; the voice chain follows the edit mask.
#include "core/units/voice_masks.h"

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/services/display_services.h"
#include "core/state.h"
#include "core/ui/shell_services.h"

namespace ql {
namespace {

constexpr int kHighestVoice = kVoiceCount - 1;
constexpr uint8_t kFirstVoiceBit = 0x01;

void RefreshVoiceDisplay(ScoreView* view) {
    UpdateVoiceButtons(view);
    UpdateViewToolbarButtons(view, nullptr);
    display::RepaintScoreView(view, true);
}

}  // namespace

int CurrentVoiceOf(const ScoreView& view) {
    return ActiveVoiceOfMask(view.voiceMask);
}

void SetCurrentVoiceChain(ScoreView* view) {
    view->voiceChain = view->currentCell != nullptr
                           ? GetVoiceFirstEvent(view->currentCell, CurrentVoiceOf(*view))
                           : nullptr;
}

void SetVoiceMask(ScoreView* view, int voice) {
    if (view == nullptr) return;
    if (voice >= 1 && voice <= kHighestVoice) {
        view->voiceMask = static_cast<uint8_t>(1u << voice);
    } else {
        view->voiceMask &= kFirstVoiceBit;
    }
    if (State().input.VoiceLock == 0) ApplyVoiceMask(view, voice);
    SetCurrentVoiceChain(view);
}

void ApplyVoiceMask(ScoreView* view, int voice) {
    if (view == nullptr) return;
    if (((view->voiceMask ^ view->voiceDisplayMask) & ~kFirstVoiceBit) == 0) return;
    // The repaint must not draw into a surface opened before the change: close
    // every level, and open it again (fresh, at one level) afterwards.
    bool surfaceWasOpen = static_cast<bool>(view->ViewDC);
    EndViewDrawAll(view);
    if (voice < 0 || voice > kHighestVoice) voice = 0;
    view->voiceDisplayMask = static_cast<uint8_t>(1u << voice);
    view->voiceMask = voice == 0 ? 0 : static_cast<uint8_t>(1u << voice);
    view->allVoicesShown = 0;
    RefreshVoiceDisplay(view);
    SetCurrentVoiceChain(view);
    if (surfaceWasOpen) BeginViewDraw(view);
}

void ShowAllVoices(ScoreView* view) {
    if (view == nullptr) return;
    view->allVoicesShown = 1;
    view->voiceDisplayMask = view->allVoicesDisplayMask;
    RefreshVoiceDisplay(view);
}

void ShowEditVoices(ScoreView* view) {
    if (view == nullptr) return;
    view->allVoicesShown = 0;
    view->voiceDisplayMask = view->voiceMask;
    RefreshVoiceDisplay(view);
    SetCurrentVoiceChain(view);
}

}  // namespace ql
