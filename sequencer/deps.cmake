# sequencer sits on the score model and the platform layer.
ql_depends(sequencer core platform)
