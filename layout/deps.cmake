# layout sits on the score model and the platform layer, and calls the notes code
# (beat maps, accidentals), the display (linked views), the editors (focus, page
# band), the staves code (signature fields) and the shell (preferences, settings).
ql_depends(layout core platform notes display editing staves shell)
