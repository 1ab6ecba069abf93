// The program's own cursors, drawn at start-up and registered in its bundle: the
// arrow, the tool arrow, the handle, resize and move pointers, the box crosshair
// and the zoom magnifiers that show the view's level.
#pragma once

#include <cstdint>

#include "core/draw/view_metrics.h"
#include "platform/sys/resources.h"

namespace ql {

constexpr int32_t kArrowCursorId = 365;
constexpr int32_t kToolArrowCursorId = 381;
constexpr int32_t kHandleCursorId = 382;
constexpr int32_t kResizeDownRightCursorId = 383;  // corners top left and bottom right
constexpr int32_t kMoveCursorId = 384;
constexpr int32_t kResizeDownLeftCursorId = 385;  // corners top right and bottom left
constexpr int32_t kResizeUpDownCursorId = 399;
constexpr int32_t kResizeLeftRightCursorId = 402;
constexpr int32_t kBoxCrosshairCursorId = kBoxCursorId;

// Adds the cursors to `bundle`; cursors the bundle already has are kept.
void AddProgramCursors(sys::ResourceBundle& bundle);

// Adds them to the registered program bundle (creating it when none is set).
void RegisterProgramCursors();

}  // namespace ql
