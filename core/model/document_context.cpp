// Making one document current for one call and bringing back what was current.
#include "core/model/document_context.h"

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"

namespace ql {
namespace {

// The listed document whose pools these are, or null (the static set, a set of no
// document, or none).
ScoreDocument* OwnerOfPools(PoolSet pools) {
    if (!pools || pools.IsStatic()) return nullptr;
    for (ScoreDocument* d = State().documents.FirstDocument; d != nullptr; d = d->nextDocument)
        if (PoolSet(d->pools) == pools) return d;
    return nullptr;
}

}  // namespace

KeptDocumentContext::KeptDocumentContext()
    : pools_(CurrentPoolSet()),
      poolsOwner_(OwnerOfPools(pools_)),
      document_(State().documents.CurrentDocument),
      documentListed_(IsDocumentListed(document_)),
      activeView_(State().documents.ActiveView),
      viewListed_(IsViewListed(activeView_)) {}

KeptDocumentContext::~KeptDocumentContext() {
    if (dismissed_) return;
    DocumentGlobals& documents = State().documents;
    const bool poolsGone = poolsOwner_ != nullptr && !IsDocumentListed(poolsOwner_);
    SetCurrentPoolSet(poolsGone ? PoolSet{} : pools_);
    documents.CurrentDocument = documentListed_ && !IsDocumentListed(document_) ? nullptr : document_;
    documents.ActiveView = viewListed_ && !IsViewListed(activeView_) ? nullptr : activeView_;
}

ScopedDocumentContext::ScopedDocumentContext(ScoreDocument* document) {
    if (document == nullptr || !IsDocumentListed(document)) {
        kept_.Dismiss();
        return;
    }
    document_ = document;
    activeView_ = State().documents.ActiveView;
    SetCurrentPoolSet(document->pools);
    State().documents.CurrentDocument = document;
}

ScopedDocumentContext::ScopedDocumentContext(const ScoreView* view)
    : ScopedDocumentContext(IsValidView(view) ? view->document : nullptr) {}

ScopedDocumentContext::~ScopedDocumentContext() {
    if (document_ == nullptr) return;
    const DocumentGlobals& documents = State().documents;
    const PoolSet current = CurrentPoolSet();
    // Freeing the document clears what was current; anything else that differs
    // from what this scope made current was chosen by the call.
    const bool cleared = !current && documents.CurrentDocument == nullptr &&
                         (documents.ActiveView == nullptr || documents.ActiveView == activeView_);
    const bool unchanged = current == PoolSet(document_->pools) && documents.CurrentDocument == document_ &&
                           documents.ActiveView == activeView_;
    if (!unchanged && !cleared) kept_.Dismiss();
}

}  // namespace ql
