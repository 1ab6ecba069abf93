// The MIDI event object (type 25): a text-family mark, 14 bytes into a pool-9 record
// whose MidiAction is the one MIDI message (or transition) it sends when playback
// reaches it. Placed by the MIDI event tool at a click (on a note, by time in the
// measure, or on the page), edited through the "MIDI Event" dialog, stepped with
// Ctrl and the keypad, and drawn as its symbol by the text family.
#pragma once

#include <cstdint>

#include "core/objects/midi_action_text.h"
#include "core/ui/midi_services.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct ToolRecord;

constexpr uint8_t kMidiEventInterval = 32;        // a new object's transition length
constexpr uint16_t kMidiEventTextFlags = 0x0080;  // display: the symbol in the music font
constexpr uint16_t kMidiEventOnNote = 0x0040;     // display: attached to a note

class MidiEventObjectClass final : public MidiTextObjectClass {
  public:
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    void StepValue(ScoreObject* object, ScoreView* view, int step) const override;
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
};

const MidiEventObjectClass& TheMidiEventObjectClass();

// The defaults of an object made for a view (the reader's constructor, then kind 3
// with MIDI enabled, value 64, final value 65, interval 32, controller 7, style 3,
// symbol 184); subtype 1 when the view's page is a master page, else 0.
void ConstructMidiEventObject(ScoreObject* object, ScoreView* view);
// A copy in pool 9 of `target` with its own data bytes; null when no record.
ScoreObject* CloneMidiEventObject(ScoreObject* object, PoolSet source, PoolSet target);
// A new object at the view's pointer, after dialog 830 ended with OK; null when
// cancelled (nothing is left behind), without staves, or when no record can be had.
ScoreObject* CreateMidiEventAtClick(ScoreView* view);
// Dialog 830 on the object; 1 when it ended with OK (and changed the object).
int EditMidiEventObject(ScoreObject* object, ScoreView* view);
// "P" edits the message value; keypad plus and minus with Ctrl step it (the text
// style without Ctrl). A data-carrying action only beeps. 1 when the key was taken.
int MidiEventObjectOnKey(ScoreObject* object, ScoreView* view, uint32_t key);

// Dialog 830 "MIDI Event" on a MIDI-carrying object, OpenMidiEventDialog, and the
// class's registration are in core/ui/midi_services.h.

// The tool of the Performance palette's "MIDI Event" button.
intptr_t MidiEventToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle window, win::Message message, uint32_t word,
                              intptr_t data);

}  // namespace ql
