# display sits on the score model and the platform layer.
ql_depends(display core platform)
