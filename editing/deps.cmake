# editing sits on the score model and the platform layer; the tools hit-test and
# move the pointer through the display, step note and rest values through the notes
# code, load the popup menus the shell registers, and zoom to the marquee as the
# zoom area does (objects).
ql_depends(editing core platform display notes layout shell objects)
