// Selection feedback: the focused object's handles and outline drawn in XOR over
// the score, so that drawing the same figure again removes it without a repaint.
// XOR reaches only the view's window surface (its retained backing store); print
// and recording surfaces never receive feedback, and strokes are not anti-aliased,
// so that two draws give back every pixel.
#pragma once

namespace ql {

struct ScoreView;
struct HitRecord;
struct ScoreObject;

// True when the view's open surface may take feedback: its own window context, not
// a print job or a recording.
bool CanDrawFeedback(const ScoreView* view);

// The XOR drawing state: all view drawing closed and one level opened, feedback
// pen and brush, raster operation XOR-pen, transparent background, feedback text
// colour; the selection's drag offset 0. False when the view has no surface.
bool SetupFeedbackState(ScoreView* view);

// Draws one record by its shape (outline, handle square, ellipse, owner-drawn).
void DrawHitRecordFeedback(ScoreView* view, HitRecord* record);
// Draws every record of the focused chain that belongs to the focused object.
void DrawFocusHandles(ScoreView* view);
// Edit mode 1 or more: the handles, then the object's DrawTracking.
void ShowFocusFeedback(ScoreView* view);
// The handles, then the object's EraseTracking.
void HideFocusFeedback(ScoreView* view);

// Redraws the owners of the selection list's records that overlap the object's
// handles (not an Accidental, Measure or Staff): a note by its note redraw, a Measure
// or Staff by invalidating the overlap, any other by its own drawing. The view's
// location comes back.
void RedrawOverlapping(ScoreView* view, ScoreObject* object);
// Draws the object in the other views of its score (a page object only in those in
// page view), each at this view's staff and measure: mode 1 draws it and then its
// selected form, mode 0 nothing. This view is active again at the end, its drawing
// reopened with the XOR state (mode 0) or the drawing state it had (mode 1).
void RedrawInLinkedViews(ScoreView* view, ScoreObject* object, int mode);

}  // namespace ql
