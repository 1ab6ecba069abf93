// The text part's class of a MIDI-carrying outer record: the text family's operations
// with a Clone that copies the whole outer record (action, data and text). The classes
// of dynamics, pedals, tempo marks, MIDI events and articulations derive from it.
#pragma once

#include "core/objects/midi_action.h"
#include "core/text/text_object.h"

namespace ql {

class MidiTextObjectClass : public TextObjectClass {
  public:
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                       PoolSet target) const override;
};

const MidiTextObjectClass& TheMidiTextObjectClass();
// Registers class id kMidiTextObjectClass (start-up; tests after resetting the table).
void RegisterMidiTextObjectClass();

}  // namespace ql
