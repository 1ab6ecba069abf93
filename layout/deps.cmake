# layout sits on the score model and the platform layer.
ql_depends(layout core platform)
