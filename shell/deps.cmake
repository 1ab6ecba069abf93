# shell sits on the score model and the platform layer; the program opens scores
# through the file reader (files), paints them through the display, and moves page
# views through the layout engine.
ql_depends(shell core platform files display layout notes)
