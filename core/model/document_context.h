// Which document the program works on: a document's record pools and the program's
// current document (and the active view) made current for exactly one call, and
// what was current before brought back when the call ends. Every path that reaches
// a document from outside (a window procedure, a timer, a command on the active
// view, an autosave) runs inside one of these, so one score never sees another's
// records.
#pragma once

#include "core/memory/pool.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;

// Keeps the current pool set, current document and active view, and puts them back
// on every path. What the call freed is not brought back: a document that left the
// program's list meanwhile leaves no current document (and its pools no current
// set), a view that left it no active view.
class KeptDocumentContext {
  public:
    KeptDocumentContext();
    ~KeptDocumentContext();
    KeptDocumentContext(const KeptDocumentContext&) = delete;
    KeptDocumentContext& operator=(const KeptDocumentContext&) = delete;

    // The call's own choice of what is current stands: nothing is put back.
    void Dismiss() { dismissed_ = true; }

  private:
    PoolSet pools_;
    ScoreDocument* poolsOwner_;  // the listed document whose pools were current, or null
    ScoreDocument* document_;
    bool documentListed_;
    ScoreView* activeView_;
    bool viewListed_;
    bool dismissed_ = false;
};

// Makes a document current for one scope (the active view stays the user's). When
// the scope ends, what was current before comes back, unless the call made another
// document or view current itself (activating a window, opening or making a score):
// that choice stands. A call that freed the document it ran on gets the earlier
// state back. A null or unlisted document, or a view without one, changes nothing.
class ScopedDocumentContext {
  public:
    explicit ScopedDocumentContext(ScoreDocument* document);
    explicit ScopedDocumentContext(const ScoreView* view);
    ~ScopedDocumentContext();
    ScopedDocumentContext(const ScopedDocumentContext&) = delete;
    ScopedDocumentContext& operator=(const ScopedDocumentContext&) = delete;

  private:
    KeptDocumentContext kept_;
    ScoreDocument* document_ = nullptr;
    ScoreView* activeView_ = nullptr;
};

}  // namespace ql
