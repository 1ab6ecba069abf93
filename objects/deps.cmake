# objects sits on the score model and the platform layer; stored bodies are encoded
# with the file byte layer.
ql_depends(objects core platform files)
