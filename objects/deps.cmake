# objects sits on the score model and the platform layer; stored bodies are encoded
# with the file byte layer; lines and curves are placed through the display's anchors and
# drawn across system ends through the layout's system spans; text dialogs come
# from the shell's resources; tools hand mouse messages to the editing framework;
# pedal marks read staff groups; the marks' dialogs open the sequencer's action dialogs.
ql_depends(objects core platform files display layout notes shell editing staves sequencer)
