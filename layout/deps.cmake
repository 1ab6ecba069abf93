# layout sits on the score model and the platform layer, and calls the notes code
# (beat maps, accidentals), the display (linked views) and the staves code.
ql_depends(layout core platform notes display staves)
