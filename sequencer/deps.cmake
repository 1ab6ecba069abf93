# sequencer sits on the score model and the platform layer; the performance builder
# reads notes (pitch, ties) and the stored objects (repeat endings), transcription
# adds measures through the layout engine, and the builder takes the
# playback settings from the shell's options.
ql_depends(sequencer core platform notes objects layout shell staves)
