# files sits on the score model and the platform layer.
ql_depends(files core platform)
