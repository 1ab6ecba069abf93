# editing sits on the score model and the platform layer; the tools hit-test and
# move the pointer through the display, step note and rest values through the notes
# code; the palettes' tool records name the staff and object tools, the MIDI event
# tool among them.
ql_depends(editing core platform display notes layout staves objects sequencer)
