# shell sits on every layer below it: it starts the program, fills the service
# tables of the layers below and runs the frame, its menus and dialogs.
ql_depends(shell core platform notes staves layout display objects files editing sequencer interchange)
