// The mixer buttons' pictures (see mixer_buttons.h).
#include "sequencer/mixer_buttons.h"

#include <algorithm>
#include <string>

#include "core/model/score_document.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"
#include "sequencer/mixer_window.h"
#include "sequencer/playback.h"

namespace ql {
namespace {

constexpr int kFaceWidth = 48;
constexpr int kFaceHeight = 14;
constexpr char kFaceFolder[] = "tool_faces";

// The strip, loaded on first use and again when the window layer that made it
// has gone (its handle no longer answers).
platform::BitmapHandle& LoadedStrip() {
    static platform::BitmapHandle strip;
    return strip;
}

platform::BitmapHandle Strip() {
    platform::BitmapHandle& strip = LoadedStrip();
    gfx::BitmapInfo info;
    if (strip && gfx::GetBitmapInfo(strip, &info)) return strip;
    const auto path = sys::ProgramFolder() / kFaceFolder / (std::to_string(kMixerButtonStrip) + ".png");
    strip = gfx::LoadPng(path.string());
    return strip;
}

bool StaffFlag(const MixerWindow* mixer, int staff, bool mute) {
    const StaffMix& mix = mixer->view->document->staffMix[staff];
    return (mute ? mix.mute : mix.solo) != 0;
}

}  // namespace

MixerButtonFace MixerButtonFaceOf(const MixerWindow* mixer, int32_t controlId, bool pressed) {
    if (mixer == nullptr) return MixerButtonFace::None;
    if (controlId == kMixerStop) return MixerButtonFace::Stop;
    if (controlId == kMixerPlay) return MixerButtonFace::Play;
    if (controlId == kMixerSetup) return IsPlaybackRunning() ? MixerButtonFace::None : MixerButtonFace::Setup;
    const bool solo = controlId > kMixerSoloBase && controlId <= kMixerSoloBase + kMixerStaffFaders;
    const bool mute = controlId > kMixerMuteBase && controlId <= kMixerMuteBase + kMixerStaffFaders;
    if (!solo && !mute) return MixerButtonFace::None;
    const int staff = StaffOfFader(mixer, controlId - (solo ? kMixerSoloBase : kMixerMuteBase));
    if (staff < 1 || staff > MixerStaffCount(mixer)) return MixerButtonFace::None;
    const bool on = pressed || StaffFlag(mixer, staff, mute);
    if (solo) return on ? MixerButtonFace::SoloOn : MixerButtonFace::SoloOff;
    return on ? MixerButtonFace::MuteOn : MixerButtonFace::MuteOff;
}

bool DrawMixerButton(const MixerWindow* mixer, const win::DrawItemInfo& item) {
    if (!item.dc) return false;
    const bool pressed = (item.state & win::kItemStateSelected) != 0;
    const MixerButtonFace face = MixerButtonFaceOf(mixer, item.controlId, pressed);
    const gfx::Rect r = item.rect;
    gfx::FillRect(item.dc, r, gfx::GetStockBrush(gfx::StockBrush::LightGrey));
    const platform::BitmapHandle strip = face != MixerButtonFace::None ? Strip() : platform::BitmapHandle{};
    if (!strip) return face == MixerButtonFace::None;
    // The face's middle, as much of it as the button holds, centred in the button.
    const int width = std::min(r.right - r.left, kFaceWidth);
    const int height = std::min(r.bottom - r.top, kFaceHeight);
    const int sourceX = static_cast<int>(face) * kFaceWidth + (kFaceWidth - width) / 2;
    const int sourceY = (kFaceHeight - height) / 2;
    const platform::DcHandle memory = gfx::CreateMemoryContext(item.dc);
    if (!memory) return false;
    const platform::BitmapHandle old = gfx::SelectObject(memory, strip);
    const bool drawn = gfx::BitBlit(item.dc, {r.left + (r.right - r.left - width) / 2, r.top + (r.bottom - r.top - height) / 2},
                                    {width, height}, memory, {sourceX, sourceY}, gfx::RasterOp::SourceCopy);
    gfx::SelectObject(memory, old);
    gfx::DeleteContext(memory);
    return drawn;
}

}  // namespace ql
