// The message of notes left out after the last measure (see notes_left_out.h).
#include "sequencer/notes_left_out.h"

#include <cstdio>

#include "core/model/grid_records.h"
#include "core/ui/modal_boxes.h"
#include "platform/ui/message_box.h"

namespace ql {

std::string NotesLeftOutText(uint32_t count) {
    char text[sizeof kNotesLeftOutFormat + 32];
    std::snprintf(text, sizeof text, kNotesLeftOutFormat, MeasureLimit, count);
    return text;
}

void ReportNotesLeftOut(uint32_t count, const char* caption) {
    if (count != 0) ModalMessageBox(NotesLeftOutText(count), caption, ui::kBoxIconExclamation);
}

}  // namespace ql
