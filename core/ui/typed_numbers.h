// What the settings dialogs share: the help button, F1 and the logo answered for a
// dialog's help topic, and typed numbers read back clamped to their field's range,
// so that one OK beeps once however many fields it had to clamp.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

// The help button (998), F1 and the logo's drawing; -1 for any other message.
intptr_t CommonDialogMessage(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data,
                             uint32_t helpTopic);

// Numbers typed into a dialog's edits, read on OK.
class TypedNumbers {
  public:
    explicit TypedNumbers(platform::WindowHandle dialog) : dialog_(dialog) {}
    // The edit's number clamped to low..high; `fallback` when it holds no number.
    int32_t Read(int32_t edit, int32_t low, int32_t high, int32_t fallback);
    bool Clamped() const { return clamped_; }
    // One beep when any number was clamped.
    void BeepIfClamped() const;

  private:
    platform::WindowHandle dialog_;
    bool clamped_ = false;
};

}  // namespace ql
