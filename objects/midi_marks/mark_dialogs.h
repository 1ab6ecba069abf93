// The dialogs of the placed marks: 815 "Dynamic Marking", 839 "Pedal Controller",
// 876 "Tempo Marking", each editing a scratch copy (the document's prototype of the
// mark's type) and copying it into the mark on OK when the stored forms differ.
// Each Run function ends with 2 at once when there is no active view.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ScoreObject;

constexpr int kDynamicDialogId = 815;
constexpr int kPedalDialogId = 839;
constexpr int kTempoDialogId = 876;

// Runs the mark's dialog on `mark` in `view`; the dialog's result (1 OK, 2 nothing
// changed or cancelled).
int RunDynamicDialog(ScoreView* view, ScoreObject* mark);
int RunPedalDialog(ScoreView* view, ScoreObject* mark);
int RunTempoDialog(ScoreView* view, ScoreObject* mark);

intptr_t DynamicDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                           intptr_t data);
intptr_t PedalDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                         intptr_t data);
intptr_t TempoDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                         intptr_t data);

// Whether the scratch copy would be stored as the mark is: the text records (with the
// string bytes) and the action bytes compared; run-time fields never count.
bool MarkStoresSame(ScoreObject* scratch, ScoreObject* mark);

}  // namespace ql
