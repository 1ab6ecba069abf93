// The frame's status bar: three text parts (0 left: notices and the voice and
// staff of the cursor; 1 middle; 2 right), notices with their beeps, and the
// descriptions of the note or rest under the cursor (core/ui/status_bar_notes.h).
// Every text is shown with a leading blank; without a status window nothing is
// sent. The bar's handle is State().dialogs.StatusWindow.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

constexpr int kStatusPartCount = 3;
// Longest texts of the two notices.
constexpr int kNoticeChars = 255;
constexpr int kLabelledNoticeChars = 127;

// String ids of the status texts.
constexpr int32_t kStrNoticeLabel = 1013;  // "Notice:"

// Creates the bar on the frame (child, visible, clipping siblings, at the bottom,
// with a size grip; id 0, empty text) and keeps it in StatusWindow.
platform::WindowHandle CreateStatusBar(platform::WindowHandle frame);
// Parts of a frame w pixels wide: q = (w - 40) >> 2; right edges 2q + 8, 3q + 16
// and w - 2 x border - vertical scroll bar; then moves the bar to the bottom.
void LayoutStatusBar(platform::WindowHandle frame);
// Shows the bar when ShowStatusBarSetting is set and returns its height; else
// hides it and returns 0.
int32_t ShowStatusBar();

// " %s" in part 0..2 (a null text shows a single blank); other parts are ignored.
void SetStatusText(int part, const char* text);
// " %s %d" in part 0..2.
void SetStatusTextNumber(int part, const char* text, int number);
// Part n + 1 gets a single blank.
void ClearStatusPart(int n);
// Parts 1 and 2 get a blank; part 0 keeps its text.
void ClearStatusBar();
// The text (at most 255 characters) in part 0, popped out, with the exclamation
// beep. A null text does nothing.
void ShowNotice(const char* text);
// "Notice: " and the text (at most 127 characters) in part 0, popped out, with
// the information beep. Returns 0.
int ShowLabelledNotice(const char* text);

}  // namespace ql
