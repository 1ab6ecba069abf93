// The view's voice masks (module UNITS): which of the four voices are entered
// (the edit mask, ScoreView::voiceMask) and which are drawn (the display mask).
// Bit v of a mask stands for voice v + 1; voices are numbered 0..3 here.
#pragma once

namespace ql {

struct ScoreView;

// Edit mask := 1 << voice for voices 1..3; for voice 0 only bit 0 of the old edit
// mask stays. Unless the program-wide voice lock is set, ApplyVoiceMask follows.
// Then the current voice chain is set.
void SetVoiceMask(ScoreView* view, int voice);

// Makes one voice the only one drawn and entered (edit mask 0 for voice 0, which
// enters voice 1); nothing when edit and display masks differ at most in bit 0.
// A voice above 3 counts as 0. An open drawing surface is closed for the repaint
// and opened again, at one level, afterwards.
void ApplyVoiceMask(ScoreView* view, int voice);

// Draws every voice of the all-voices display mask.
void ShowAllVoices(ScoreView* view);

// Draws the voices of the edit mask again.
void ShowEditVoices(ScoreView* view);

// The voice (0..3) entered by the view: the lowest set bit of the edit mask when
// it is 1..15, else voice 0.
int CurrentVoiceOf(const ScoreView& view);

// view.voiceChain := the first event of the current voice in the current cell.
void SetCurrentVoiceChain(ScoreView* view);

}  // namespace ql
