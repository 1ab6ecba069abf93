// Working in two documents at once: records come from the current pool set and
// the current document, so a copy from one score into another switches both to
// the side it reads or allocates on. One scope object does the switching and puts
// both back when it ends, on every path out (exceptions included).
#pragma once

#include "core/memory/pool.h"
#include "core/state.h"

namespace ql {

struct ScoreDocument;

class ScopedDocumentSwitch {
  public:
    ScopedDocumentSwitch(ScoreDocument* source, PoolSet sourceSet, ScoreDocument* destination,
                         PoolSet destinationSet)
        : source_(source), destination_(destination), sourceSet_(sourceSet), destinationSet_(destinationSet),
          savedSet_(CurrentPoolSet()), savedDocument_(State().documents.CurrentDocument) {}
    ~ScopedDocumentSwitch() { Switch(savedDocument_, savedSet_); }
    ScopedDocumentSwitch(const ScopedDocumentSwitch&) = delete;
    ScopedDocumentSwitch& operator=(const ScopedDocumentSwitch&) = delete;

    // Reading the source / allocating in the destination.
    void ToSource() { Switch(source_, sourceSet_); }
    void ToDestination() { Switch(destination_, destinationSet_); }

  private:
    static void Switch(ScoreDocument* document, PoolSet set) {
        SetCurrentPoolSet(set);
        State().documents.CurrentDocument = document;
    }

    ScoreDocument* source_;
    ScoreDocument* destination_;
    PoolSet sourceSet_;
    PoolSet destinationSet_;
    PoolSet savedSet_;
    ScoreDocument* savedDocument_;
};

}  // namespace ql
