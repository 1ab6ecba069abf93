// The slur's class (type 4): creation at a click, drawing, handles and drags, keys
// (Ctrl+arrows move, "F" flips, "D" toggles dotted), thickening, cloning, and the
// Slur tool, whose main face (strip 175) makes slurs that bend upward.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/ui/tool_record.h"
#include "objects/curves/curve_objects.h"

namespace ql {

struct ScoreView;

// The private messages the Slur tool posts to the view for its two faces.
constexpr win::Message kMsgSlurFlipUp = static_cast<win::Message>(0x8002);
constexpr win::Message kMsgSlurFlipDown = static_cast<win::Message>(0x8003);
constexpr uint16_t kSlurUpwardFaceStrip = 175;

// A new slur at the view's pointer: 640 long, inset 171, bending up (height -256,
// thickness +d) or down (+256, -d). Null without staves outside page view or when
// no record can be had. The slur is inserted by its subtype.
ScoreObject* CreateSlurAtClick(ScoreView* view, bool upward);

// Whether the Slur tool's next slurs bend upward (its armed face); program-wide.
bool SlurToolMakesUpward();

intptr_t SlurToolHandler(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data);

// The slur's class (registered by the stored classes' table under type 4).
const ScoreObjectClass& TheSlurClass();

}  // namespace ql
