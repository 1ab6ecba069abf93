# objects sits on the score model and the platform layer.
ql_depends(objects core platform)
