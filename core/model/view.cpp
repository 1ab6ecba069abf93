// Score views: records, galley pages, activation and the view list.
#include "core/model/view.h"

#include <algorithm>
#include <new>

#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/selection_state.h"
#include "core/services/display_services.h"
#include "core/services/layout_services.h"
#include "core/state.h"
#include "core/draw/gdi_cache.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/ui/selection_services.h"
#include "core/ui/tool_services.h"
#include "core/units/page_units.h"
#include "platform/win/mdi.h"
#include "platform/win/window.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

constexpr int32_t kNewViewZoomStep = 5;
constexpr int32_t kUnsetMarker = -1;
constexpr uint8_t kSelectionMarkerByte = 0xFF;
constexpr int kSelectionMarkerA = 2;
constexpr int kSelectionMarkerB = 3;
constexpr uint8_t kSingleStaffLeftBarFlag = kMeasureLeftBarHidden;

void ResetOrigins(ScoreView* view) {
    for (int i = 0; i < 2; ++i) {
        view->pageOrigin[i] = kLogicalOrigin;
        view->scrollOrigin[i] = kLogicalOrigin;
    }
}

// A galley page with one system; null when a record could not be had.
ScorePage* NewGalleyPage(ScoreView* view, ScoreSystem** systemOut) {
    ScorePage* page = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
    if (page == nullptr) return nullptr;
    ScoreSystem* system = AllocSystemRecord(sizeof(ScoreSystem));
    if (system != nullptr) {
        ScoreSystem* savedGalley = view->galleySystem;
        view->galleySystem = nullptr;  // spaced offsets, not copied ones
        ConstructSystemRecord(system, view);
        view->galleySystem = savedGalley;
    }
    if (system == nullptr || !HasSystemArrays(system)) {
        if (system != nullptr) FreeSystemRecord(system);
        FreePageRecord(page);
        return nullptr;
    }
    system->firstMeasure = 1;
    system->lastMeasure = 1;
    system->x = kGalleySystemX;
    system->y = kGalleySystemY;
    page->firstSystem = Ref32<ScoreSystem>::To(system);
    page->systemCount = 1;
    *systemOut = system;
    return page;
}

void CopyGalleyArrays(ScoreView* view, const ScoreView* tmpl) {
    const ScoreSystem* source = tmpl->galleySystem;
    ScoreSystem* target = view->galleySystem;
    if (source == nullptr || !HasSystemArrays(source) || !HasSystemArrays(target)) return;
    target->firstMeasure = source->firstMeasure;
    target->lastMeasure = source->lastMeasure;
    const int staffCount = view->document != nullptr ? view->document->header.staffCount : 0;
    for (int k = 0; k <= staffCount; ++k) {
        StaffOffsetsOf(target)[k] = StaffOffsetsOf(source)[k];
        StaffFlagsOf(target)[k] = StaffFlagsOf(source)[k];
    }
    if (tmpl->currentPage == tmpl->galleyPage && tmpl->currentSystem == tmpl->galleySystem) {
        view->currentPage = view->galleyPage;
        view->currentSystem = view->galleySystem;
    }
}

// A copy owns none of the source's drawing state: its contexts, nesting depth and
// note-head bitmaps belong to the source window.
void ForgetDrawingState(ScoreView* view) {
    view->ViewDC = {};
    view->ViewMemoryDC = {};
    view->ViewMirrorDC = {};
    view->DrawDepth = 0;
    for (platform::BitmapHandle& bitmap : view->glyphBitmaps) bitmap = {};
}

// The three platform objects the view owns.
void DeleteViewObjects(ScoreView* view) {
    for (uint32_t& bits : view->gdiObjects) {
        if (bits != 0) gfx::DeleteObject(platform::AnyObjectHandle(bits));
        bits = 0;
    }
}

// The set-up of a view's first activation.
void CompleteFirstActivation(ScoreView* view) {
    ScoreDocument* document = view->document;
    const ScoreHeader& header = document->header;
    view->fontSize = FontSizeValue(header.pageGeometry.staffSize, header.fontSizeSetting);
    ResetOrigins(view);
    view->pageView = 1;
    view->currentPage = document->firstPage;
    view->currentSystem =
        document->firstPage != nullptr ? document->firstPage->firstSystem.get() : nullptr;
    HideAllPalettes();
    LayoutPagersToolbar(view);
    InitViewMetrics(view);
    layout::BuildInitialScoreLayout(view);
    layout::FormatMeasures(view, view->currentPage);
    if (header.staffCount == 1) {
        if (MeasureRecord* second = MeasureRecordOf(document, 2))
            second->flags |= kSingleStaffLeftBarFlag;
    }
    EndFocus(view, 0);
    if (SelectionState* selection = State().documents.Selection) {
        selection->activationBytes[0] = selection->activationBytes[1] = 0;
    }
    view->currentSystem =
        document->firstPage != nullptr ? document->firstPage->firstSystem.get() : nullptr;
    if (view->currentSystem != nullptr)
        display::SetCurrentSystemAndMeasure(view, view->currentSystem, 1,
                                            view->currentSystem->firstMeasure);
}


// Frees the beat map's row buffers (no slot array is left to read) without clearing
// the rest of the map, which assigning an empty map would do entry by entry.
void ReleaseBeatMapRows(BeatMap& map) {
    for (int row = 0; row < kBeatMapRows; ++row) {
        map.rowBuffers[row].reset();
        map.rowCapacity[row] = 0;
    }
    map.rowsAllocated = 0;
}

}  // namespace

// The selection's hit records and focus belong to the active view's document: they
// go, with that document current, before another document becomes the active one
// or before the active view is destroyed, so no later reset writes into a score
// that is no longer the one worked on (or no longer exists).
void DropSelectionOf(ScoreView* view) {
    if (!IsValidView(view) || view->document == nullptr || !IsDocumentListed(view->document)) return;
    if (State().documents.Selection == nullptr) return;
    const ScopedDocumentContext context(view);
    ResetSelection(view, 0);
}

ScoreView* SwitchToView(ScoreView* view) {
    if (!IsValidView(view) || view->document == nullptr) return nullptr;
    ScoreView* previous = State().documents.ActiveView;
    if (previous != view && IsViewListed(previous)) DropSelectionOf(previous);
    return ActivateView(view);
}

ScoreView* AllocView() {
    return new (std::nothrow) ScoreView();
}

void FreeView(ScoreView* view) {
    if (view == nullptr) return;
    DestroyView(view);
    delete view;
}

ScoreView* InitView(ScoreView* view) {
    if (view == nullptr) return nullptr;
    // Made anew in place: a view is large (its beat map), and assigning a fresh one
    // would clear a temporary and then copy it.
    view->~ScoreView();
    view = new (view) ScoreView();
    view->self = view;
    view->pageView = 1;
    ResetOrigins(view);
    view->zoom = kDefaultZoomLevel;
    view->previousZoom = kDefaultZoomLevel;
    view->zoomStep = kNewViewZoomStep;
    view->markers[0] = view->markers[1] = kUnsetMarker;
    return view;
}

ScoreView* CopyView(ScoreView* view, const ScoreView* source) {
    if (view == nullptr || source == nullptr) return view;
    *view = *source;
    view->self = view;
    view->nextView = nullptr;
    view->galleyPage = view->galleyPage2 = nullptr;
    view->galleySystem = nullptr;
    if (source->currentPage == source->galleyPage) {
        view->currentPage = nullptr;
        view->currentSystem = nullptr;
    }
    for (uint8_t& byte : view->selectionBytes) byte = 0;
    view->selectionBytes[kSelectionMarkerA] = kSelectionMarkerByte;
    view->selectionBytes[kSelectionMarkerB] = kSelectionMarkerByte;
    view->ownedObject = nullptr;
    // DestroyView deletes all three objects, so the copy holds none of the source's.
    for (uint32_t& bits : view->gdiObjects) bits = 0;
    view->slotCount = 0;
    ForgetDrawingState(view);
    return view;
}

void DestroyGalleyPages(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    if (!IsDocumentListed(view->document)) {
        // The document and its pools are gone, and the galley records with them.
        if (view->currentPage == view->galleyPage || view->currentPage == view->galleyPage2) {
            view->currentPage = nullptr;
            view->currentSystem = nullptr;
        }
        view->galleyPage = view->galleyPage2 = nullptr;
        view->galleySystem = nullptr;
        return;
    }
    ScopedPoolSet pools(PoolSet(view->document->pools));
    if (view->currentPage == view->galleyPage || view->currentPage == view->galleyPage2) {
        view->currentPage = nullptr;
        view->currentSystem = nullptr;
    }
    FreePageRecord(view->galleyPage);
    FreePageRecord(view->galleyPage2);
    view->galleyPage = view->galleyPage2 = nullptr;
    view->galleySystem = nullptr;
}

void DestroyView(ScoreView* view) {
    if (view == nullptr) return;
    if (State().documents.ActiveView == view) DropSelectionOf(view);
    UnlinkView(view);
    if (view->ownedObject != nullptr && view->document != nullptr &&
        IsDocumentListed(view->document)) {
        ScopedPoolSet pools(PoolSet(view->document->pools));
        ReleaseObjectByType(view->document, view->ownedObject);
    }
    view->ownedObject = nullptr;
    ReleaseViewDrawing(view);
    DeleteViewObjects(view);
    DestroyGalleyPages(view);
    ReleaseBeatMapRows(view->beatMap);
    DocumentGlobals& globals = State().documents;
    if (globals.ActiveView == view) globals.ActiveView = nullptr;
    view->self = nullptr;
}

bool BuildGalleyPage(ScoreView* view, const ScoreView* tmpl) {
    if (view == nullptr || view->document == nullptr) return false;
    DestroyGalleyPages(view);
    ScopedPoolSet pools(PoolSet(view->document->pools));
    ScoreSystem* system = nullptr;
    ScoreSystem* second = nullptr;
    view->galleyPage = NewGalleyPage(view, &system);
    view->galleySystem = system;
    if (view->galleyPage == nullptr) return false;
    view->galleyPage2 = NewGalleyPage(view, &second);
    if (view->galleyPage2 == nullptr) {
        DestroyGalleyPages(view);
        return false;
    }
    if (tmpl != nullptr) CopyGalleyArrays(view, tmpl);
    return true;
}

bool IsViewListed(const ScoreView* view) {
    if (view == nullptr) return false;
    for (const ScoreView* walk = State().documents.FirstView; walk != nullptr; walk = walk->nextView)
        if (walk == view) return IsValidView(view);
    return false;
}

ScoreView* ViewShowing(const ScoreDocument* document) {
    if (document == nullptr) return nullptr;
    const DocumentGlobals& globals = State().documents;
    if (IsValidView(globals.ActiveView) && globals.ActiveView->document == document) return globals.ActiveView;
    for (ScoreView* view = globals.FirstView; view != nullptr; view = view->nextView)
        if (view->document == document) return view;
    return nullptr;
}

ScoreView* ActivateView(ScoreView* view) {
    if (!IsValidView(view) || view->document == nullptr) return nullptr;
    DocumentGlobals& globals = State().documents;
    if (ScoreView* previous = globals.ActiveView; previous != view && IsViewListed(previous) &&
                                                   previous->document != view->document)
        DropSelectionOf(previous);
    SetCurrentPoolSet(view->document->pools);
    if (view->currentPage == nullptr) CompleteFirstActivation(view);
    globals.ActiveView = view;
    globals.CurrentDocument = view->document;
    SelectionState* selection = globals.Selection;
    // The selection's prototypes are always the active document's.
    if (selection != nullptr) {
        selection->prototypeList = view->document->prototypes;
        selection->prototypeListEnd = view->document->prototypes + kObjectTypeCount;
        // The armed tool's prototype too: another score's goes when that score closes.
        ScoreObject* const* own = view->document->prototypes;
        ScoreObject* prototype = selection->defaultObject.get();
        if (prototype != nullptr && std::find(own, own + kObjectTypeCount, prototype) == own + kObjectTypeCount) {
            const auto mine = Ref32<ScoreObject>::To(selection->toolType < kObjectTypeCount ? own[selection->toolType] : nullptr);
            if (selection->focusedObject == selection->defaultObject) selection->focusedObject = mine;
            selection->defaultObject = mine;
        }
    }
    return view;
}

int IsDocumentInOtherView(const ScoreView* view) {
    if (view == nullptr) return 0;
    for (ScoreView* walk = State().documents.FirstView; walk != nullptr; walk = walk->nextView)
        if (walk != view && walk->document == view->document) return 1;
    return 0;
}

uint32_t IsLastViewOfModified(const ScoreView* view) {
    if (view == nullptr || view->document == nullptr || IsDocumentInOtherView(view)) return 0;
    return view->document->changeCounter;
}

void LinkView(ScoreView* view) {
    if (view == nullptr) return;
    DocumentGlobals& globals = State().documents;
    for (ScoreView* walk = globals.FirstView; walk != nullptr; walk = walk->nextView)
        if (walk == view) return;
    view->nextView = globals.FirstView;
    globals.FirstView = view;
}

void UnlinkView(ScoreView* view) {
    DocumentGlobals& globals = State().documents;
    for (ScoreView** link = &globals.FirstView; *link != nullptr; link = &(*link)->nextView) {
        if (*link == view) {
            *link = view->nextView;
            view->nextView = nullptr;
            return;
        }
    }
}

int FindHiddenStaff(const ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 0;
    const int8_t* flags = StaffFlagsOf(view->currentSystem);
    if (flags == nullptr) return 0;
    for (int staff = 1; staff <= view->document->header.staffCount; ++staff)
        if (flags[staff] < 0) return staff;
    return 0;
}

int NextShownStaff(const ScoreDocument* document, int staff, const ScoreSystem* system) {
    const int8_t* flags = StaffFlagsOf(system);
    if (document == nullptr || flags == nullptr) return staff;
    for (int next = staff + 1; next <= document->header.staffCount; ++next)
        if (flags[next] >= 0) return next;
    return staff;
}

ScoreView* GetScoreViewOfWindow(platform::WindowHandle window) {
    if (!win::IsWindow(window) || !win::HasClassName(window, kScoreWindowClass)) return nullptr;
    auto* candidate = reinterpret_cast<ScoreView*>(win::GetWindowLong(window, kViewWindowLong));
    // Only a record of the view list is read: no pointer is trusted before that.
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
        if (view == candidate)
            return (IsValidView(view) && view->document != nullptr) ? view : nullptr;
    }
    return nullptr;
}

ScoreView* GetActiveScoreView() {
    const platform::WindowHandle client = win::FindMdiClient(State().dialogs.FrameWindow);
    if (!client) return nullptr;
    return GetScoreViewOfWindow(win::GetActiveMdiChild(client));
}

}  // namespace ql
