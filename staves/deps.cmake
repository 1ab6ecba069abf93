# Staves, measures and signatures sit on the score model and the platform layer;
# measure edits re-place systems and rebuild beat maps (layout, notes), redraw the
# linked views (display), read the program's settings (shell) and end the focus on
# an object they remove (editing).
ql_depends(staves core platform notes layout display shell editing sequencer)
