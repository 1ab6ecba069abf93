# Libraries the score model calls into: the platform layer and the neighbour
# subsystems whose services it uses (the calls run both ways).
ql_depends(core platform notes staves layout display files objects editing sequencer interchange shell)
