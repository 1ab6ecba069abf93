# sequencer sits on the score model and the platform layer; the performance builder
# reads notes (pitch, ties) and the stored objects (repeat endings), and
# transcription adds measures through the layout engine.
ql_depends(sequencer core platform notes objects layout staves)
