// SIGTERM and SIGHUP while the program runs: the signals are blocked in every
// thread and taken by one watcher thread, which posts a message to the frame; the
// frame then writes the autosave copies of the modified scores (the files
// themselves stay as they are), closes every window without a question and ends
// with exit code 1. Nothing is done in signal context. The loss of the display
// writes the same copies.
#pragma once

#include "platform/win/messages.h"

namespace ql {

// The frame's message for a termination signal (word: the signal number).
constexpr win::Message kTerminationMessage = win::PrivateMessage(0x35);
constexpr int kTerminationExitCode = 1;

// Blocks the two signals in the calling thread and in the threads it starts later;
// call first thing in main.
void BlockTerminationSignals();
// Starts the watcher (once the frame exists); it ends with the process.
void WatchTerminationSignals();

// The frame's handling of kTerminationMessage.
void OnTerminationSignal();

// The autosave copies of every modified score (the scores' files stay as they are).
void WriteCopiesOfModifiedScores();
// The display gone (the desktop session ended): the copies are written, unless the
// program was already ending; the platform then ends the process with code 1.
void OnDisplayLost();

}  // namespace ql
