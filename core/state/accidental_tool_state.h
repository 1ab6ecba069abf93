// The state of the four accidental tools that the tool palette keeps and the
// accidental tool handler reads: which tool is armed, the double state of the sharp
// and flat tools, and whether the parentheses tool is switched on. One program-wide
// instance lives in the notes settings of the program state.
#pragma once

#include <cstdint>

namespace ql {

enum class AccidentalTool : uint8_t { Natural = 0, Sharp = 1, Flat = 2, Parentheses = 3 };

struct AccidentalToolState {
    AccidentalTool tool = AccidentalTool::Sharp;
    uint8_t doubled = 0;        // the sharp or flat tool writes the double sign
    uint8_t parenthesesOn = 0;  // signs set by the tools get parentheses
};

}  // namespace ql
