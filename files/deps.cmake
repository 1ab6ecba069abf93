# files sits on the score model and the platform layer; it stores the bodies of the
# score objects (objects), the rests of the notes code (notes) and the spacing lists
# of the layout engine (layout).
ql_depends(files core platform objects notes layout display)
