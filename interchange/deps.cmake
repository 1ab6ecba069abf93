# interchange sits on the score model and the platform layer.
ql_depends(interchange core platform shell staves layout objects display editing sequencer)
