// The mixer's owner-drawn buttons: STOP, PLAY, Setup and each staff's solo and
// mute, drawn from the pictures of the strip 480.png in the program folder's
// tool_faces/ (made at build time). Solo and mute show their "on" picture from the
// document's flags, and while pressed; Setup is not drawn during a run, nor are
// the buttons of faders beyond the staff count.
#pragma once

#include <cstdint>

#include "platform/win/messages.h"

namespace ql {

struct MixerWindow;

// The pictures of the strip, in its order.
enum class MixerButtonFace : uint8_t { Stop, Play, Setup, SoloOff, SoloOn, MuteOff, MuteOn, None };
constexpr uint16_t kMixerButtonStrip = 480;

// The picture of a button by its control id; None for one not drawn.
MixerButtonFace MixerButtonFaceOf(const MixerWindow* mixer, int32_t controlId, bool pressed);

// Draws a button's picture (a DrawItem of the mixer window); true when it drew.
bool DrawMixerButton(const MixerWindow* mixer, const win::DrawItemInfo& item);

}  // namespace ql
