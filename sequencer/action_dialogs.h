// The dialogs that edit a MidiAction, each on a copy committed only on OK: "MIDI
// Message" (832), "Set Transition" (853) and "Set MIDI Output Destination" (838);
// the MIDI event dialog and the marks' dialogs open them on their scratch action.
// Also the pieces they are built from: the user-bytes text reader, the text a
// message's bytes are shown as, and the default envelope of a transition.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui/midi_services.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;
struct MidiAction;

constexpr int kOutputDestinationDialogId = 838;
constexpr int kSetTransitionDialogId = 853;
constexpr int kMidiMessageDialogId = 832;

// Message kinds (flags bits 4-7) and the action bits the dialogs set.
constexpr uint8_t kMidiKindNote = 0;
constexpr uint8_t kMidiKindKeyPressure = 1;
constexpr uint8_t kMidiKindController = 2;
constexpr uint8_t kMidiKindPatch = 3;
constexpr uint8_t kMidiKindChannelPressure = 4;
constexpr uint8_t kMidiKindPitchWheel = 5;
constexpr uint8_t kMidiKindUserBytes = 6;
constexpr uint16_t kMidiFlagSystemExclusive = 0x0002;
constexpr uint16_t kMidiFlagTimbres = 0x0008;
constexpr int kMidiRemoteMaskShift = 12;
constexpr uint8_t kTimingSingle = 0;
constexpr uint8_t kTimingLinear = 1;
constexpr uint8_t kTimingEnvelope = 2;

// The user-bytes text: at most 256 characters are read, capitals count as small
// letters, blanks are skipped, and the first other character that is not a
// hexadecimal digit ends the reading. Digits pair into bytes high nibble first; an
// odd last digit gives a byte whose low nibble is 0. At most 128 bytes.
constexpr size_t kUserBytesTextLimit = 256;
constexpr size_t kUserBytesMax = 128;
std::vector<uint8_t> ReadUserBytes(std::string_view text);
// Each byte as two small hexadecimal digits and a blank.
std::string FormatUserBytes(const std::byte* bytes, size_t count);

// Fills the message fields of dialog 832 from an action: its kind's fields, the
// others cleared, the user bytes as FormatUserBytes shows them.
void ShowMidiMessageBytes(platform::WindowHandle dialog, const MidiAction& action);

// The envelope a transition gets when it is switched to one: start = the action's
// value, scale 127 (16,384 for a pitch wheel), the seven default points. Stored as
// the action's pooled data with timing 2. False (nothing changed) for user bytes and
// system exclusive, which cannot carry an envelope, or when no record can be had.
bool MakeDefaultEnvelope(MidiAction* action);
inline constexpr const char* kCantMixText = "Can't mix SysEx and EG types.";

// Runs its dialog on a copy of `action` and writes the copy back on OK: 1 OK, 2
// cancelled (the action unchanged). EditOutputDestination and EditTransition,
// which the marks' dialogs open too, are in core/ui/midi_services.h.
int EditMidiMessage(ScoreView* view, MidiAction* action);

}  // namespace ql
