# Notes, rests and beams sit on the score model and the platform layer; the beam
# commands redraw through the display; placed rests and accidentals respace through
# the layout engine, rests are written through the score file's byte writer;
# transposition moves chord symbols and slurs.
ql_depends(notes core platform display staves layout files objects)
