# objects sits on the score model and the platform layer; stored bodies are encoded
# with the file byte layer; lines and curves are placed through the display's anchors and
# drawn across system ends through the layout's system spans; pedal marks read staff
# groups.
ql_depends(objects core platform files display layout notes staves)
