// The "Tuplets" dialog (879) that sets the ratio the note tool gives the notes
// entered next, and the ratio index it arms the Notes palette's tuplet entry with.
// The tool handler itself is declared with the other object dialogs
// (objects/object_dialogs.h).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ToolRecord;

// The command value of the armed tuplet entry on the palette's record.
constexpr uint16_t kTupletEntryCommand = 60;

// The index of a pair: its place in the ratio table (3:2 is 0), else the index kept
// for its first number (8 gives 9, which reads back as no ratio).
int TupletRatioIndexOfPair(int first, int second);

// Runs the dialog; 1 on OK (numbers stored, the note tool's tuplet entry armed and,
// when given, the record set), 0 on Cancel.
int RunTupletsDialog(ScoreView* view, ToolRecord* record);

}  // namespace ql
