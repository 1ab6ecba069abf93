# display sits on the score model and the platform layer; font sizes come from the
# layout engine's staff-size units.
ql_depends(display core platform layout staves)
