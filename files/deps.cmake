# files sits on the score model and the platform layer; it stores the bodies of the
# score objects (objects), the rests of the notes code (notes), the spacing lists of
# the layout engine (layout), and reports write errors through the shell's
# system-error box (shell); a loaded score reopens the MIDI ports (sequencer); the
# file commands hand non-native files to the imports (interchange).
ql_depends(files core platform objects notes layout display shell sequencer interchange)
