// The progress dialog of long operations (file import, formatting, transcription):
// a modeless dialog 501 with a progress bar and a Cancel button that asks for
// confirmation. The operation polls it: Begin and Step return the cancel request,
// and the operation stops when it is non-zero. While the dialog is open the frame
// is disabled. A quit request taken while pumping is kept and posted again when
// the operation ends the dialog, so the program still quits afterwards.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

constexpr int32_t kProgressDialogId = 501;
constexpr int32_t kProgressBarId = 3145;
constexpr int32_t kStrFormattingData = 1477;  // "Formatting data..."
constexpr int32_t kStrFormatPosition = 1308;  // " Page %d  System %d  Staff %d "
constexpr int32_t kStrConfirmCancel = 1479;   // "Are you sure you want to cancel?"
// PumpPendingMessages' result when it took a quit request.
constexpr int kPumpTookQuit = 18;

// Dispatches every waiting message (the progress dialog's through its dialog
// handling) until the queue is empty or a quit request is taken. Returns 18 when
// a quit was taken (kept for the end of the running operation, or posted again at
// once when none runs), else 0.
int PumpPendingMessages();

// Opens the dialog (or, when open, only resets its range and caption), keeping
// the cancel request of an open dialog. Returns the cancel request.
int32_t BeginProgressDialog(int32_t low, int32_t high, const char* caption);
// Moves the bar and pumps messages; returns the cancel request.
int32_t StepProgressDialog(int32_t position);
// Enables the frame, destroys the dialog, clears the cancel request and posts a
// quit request taken meanwhile.
void EndProgressDialog();

// The procedure of dialog 501.
intptr_t ProgressDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word,
                            intptr_t data);

// Re-formats a whole imported score page by page with progress, running the
// transcription clean-up on every voice of voiceMask; the progress dialog is left
// for the caller to close. Returns the cancel request.
int32_t FormatImportedScore(ScoreView* view, uint8_t voiceMask);

// How many systems of staffCount staves fit the page below the view's origin:
// h = max(staffCount x 1152 - 640, 512); (pageBottom - scrollY + 1 - h) / (h + 1536)
// + 1 when positive, else 1.
int EstimateSystemsPerPage(int32_t pageBottom, int32_t scrollY, int staffCount);
// The same with the view's PageBottom and ScrollY.
int EstimateSystemsPerPage(ScoreView* view, int staffCount);

}  // namespace ql
