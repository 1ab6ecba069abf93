# Notes, rests and beams sit on the score model and the platform layer; the beam
# commands redraw through the display; note drawing uses the staff-size scaling;
# placed rests and accidentals respace through the layout engine, rests are written
# through the score file's byte writer, and the tools reach the selection engine;
# transposition moves chord symbols and slurs; an articulation's MIDI is edited in
# the sequencer's MIDI event dialog.
ql_depends(notes core platform display staves layout files editing objects sequencer)
