# shell sits on the score model and the platform layer.
ql_depends(shell core platform)
