# Staves, measures and signatures sit on the score model and the platform layer.
ql_depends(staves core platform)
