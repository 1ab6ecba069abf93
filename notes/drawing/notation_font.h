// Size classes of the music font while notes are drawn: the normal class uses the
// staff-scaled music font in force; petite and grace notes (flags bits 4-5) use the
// 75 % and 65 % fonts with beam metrics and head widths of their own. One state is
// current per program (State().notes.NotationFont); a switch saves it into the
// caller's area and the restore puts it back, so nested switches are cheap and a
// switch to the class in force does nothing.
//
// Values per class (scaled() = the staff scale of the view, used when above 0):
//   normal: beam thickness scaled(document beam width); beam separation the
//     document's, unscaled; head widths and dot gap the view's scaled metrics;
//     quarter width scaled(black width / 4), 1 when below 2.
//   petite: beam thickness 0.75 x the normal class's, at least two device pixels;
//     separation 0.75 x the document's, at least 1; widths from the view's 75 % head
//     widths, scaled; quarter width at least 1.
//   grace: beam thickness 0.65 x the document's beam width (unscaled), at least two
//     device pixels; separation 0.65 x the document's; the 65 % head widths.
// The document's own metrics are never written: the beam separation of a class
// lives in the state, where beam drawing reads it.
#pragma once

#include "core/state/notation_font_state.h"

namespace ql {

struct ScoreView;

// 1.0, 0.75 or 0.65 by size class (1.0 for a class outside 0..2).
double SizeClassFactor(int sizeClass);
// The state a class would have in the view now (font and metrics).
NotationFontState ComputeNotationFontState(const ScoreView* view, int sizeClass);
// The current state.
const NotationFontState& CurrentNotationFont();

// Makes the normal class of the staff in force current without counting a switch:
// every drawing entry point calls it after the staff's fonts are selected.
void EstablishNotationFont(ScoreView* view);

// 1 when it switched; 0 when the class is already current (a class outside 0..2
// counts as current). The current state is copied into `save` either way.
int SelectNotationFont(ScoreView* view, int sizeClass, NotationFontState* save);
// Selects the saved font back and makes the saved state current again.
void RestoreNotationFont(ScoreView* view, const NotationFontState* save);
// With a font and non-zero beam metrics: the head widths go into the view's scaled
// metrics, the state becomes current and its font is selected into the view's
// context and its companion (the font replaced is kept as its previous font).
void ApplyNotationFontState(ScoreView* view, const NotationFontState& state);

// Selects a class for one scope and restores the previous one on every path.
class ScopedNotationFont {
  public:
    ScopedNotationFont(ScoreView* view, int sizeClass)
        : view_(view), switched_(SelectNotationFont(view, sizeClass, &saved_) != 0) {}
    ~ScopedNotationFont() {
        if (switched_) RestoreNotationFont(view_, &saved_);
    }
    ScopedNotationFont(const ScopedNotationFont&) = delete;
    ScopedNotationFont& operator=(const ScopedNotationFont&) = delete;

  private:
    ScoreView* view_;
    NotationFontState saved_{};
    bool switched_;
};

}  // namespace ql
