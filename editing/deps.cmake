# editing sits on the score model and the platform layer.
ql_depends(editing core platform)
