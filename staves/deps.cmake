# Staves, measures and signatures sit on the score model and the platform layer;
# measure edits re-place systems and rebuild beat maps (layout, notes) and redraw the
# linked views (display).
ql_depends(staves core platform notes layout display)
