// The note-head dialog (847): the shell's own, which the note commands of the
// editor reach through RunNoteHeadDialog (core/ui/shell_services.h).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

namespace program {
intptr_t RunNoteHeadDialog(ScoreView* view, int* head);
}  // namespace program

}  // namespace ql
