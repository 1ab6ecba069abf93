// Print to Clipboard. The region comes from the focus: a focused picture copies
// its own bytes and ends the command, the marquee gives its rectangle, any other
// focused object gives nothing, no focus the whole page area. The clipboard is
// opened and emptied, then the page is lifted (every system of the view moves
// down by kClipboardPageLift, page-anchored objects follow through the clipboard
// rendering flag) so that no coordinate is negative, and the PNG and the SVG are
// made; one failing does not stop the other. One scope restores the view, the
// systems, the drawing state and the clipboard on every path out.
#include "editing/print_to_clipboard.h"

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/wait_cursor.h"
#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "display/print_view_state.h"
#include "display/view_modes.h"
#include "editing/clipboard_pictures.h"
#include "editing/marquee.h"
#include "editing/print_to_clipboard_internal.h"
#include "layout/page_chain.h"
#include "objects/picture/picture_class.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/sys/clipboard.h"

namespace ql {
namespace {

// The SVG is recorded at this zoom, for finer coordinates than the screen's.
constexpr int32_t kRecordingZoom = 18;

bool g_failNext[static_cast<int>(ClipboardPictureStep::Svg) + 1] = {};

// Every system the view draws: those of the document's pages and the scroll strip.
template <typename Fn>
void ForEachDrawnSystem(ScoreView* view, Fn&& fn) {
    int walked = 0;
    for (ScorePage* page = view->document->firstPage; page != nullptr && walked < pages::kMaxChain;
         page = page->next.get(), ++walked)
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr && walked < pages::kMaxChain;
             system = system->next.get(), ++walked)
            fn(system);
    if (view->galleySystem != nullptr) fn(view->galleySystem);
}

// What the command changes, put back when it ends on any path: the view (zoom,
// origins, location and measurements), the systems' positions, the print context,
// the rendering flags, the paint rectangle, the drawing levels, the contexts and
// bitmaps made, and the open clipboard.
class ClipboardRenderScope {
  public:
    explicit ClipboardRenderScope(ScoreView* view)
        : view_(view), kept_(KeepViewState(view)), printDc_(State().drawing.PrintDC),
          rendering_(State().drawing.ClipboardRendering), drawDepth_(view->DrawDepth) {}
    ~ClipboardRenderScope() {
        while (view_->DrawDepth > drawDepth_ && view_->ViewDC) EndViewDraw(view_);
        if (lifted_) ForEachDrawnSystem(view_, [](ScoreSystem* s) { s->y -= kClipboardPageLift; });
        State().drawing.PrintDC = printDc_;
        State().drawing.ClipboardRendering = rendering_;
        for (platform::DcHandle dc : made_.contexts) gfx::DeleteContext(dc);
        for (platform::BitmapHandle bitmap : made_.bitmaps) gfx::DeleteObject(platform::AnyObjectHandle{bitmap});
        RestoreViewAfterPrinting(view_, kept_);
        if (clipboardOpen_) sys::CloseClipboard();
    }
    ClipboardRenderScope(const ClipboardRenderScope&) = delete;
    ClipboardRenderScope& operator=(const ClipboardRenderScope&) = delete;

    bool OpenClipboard() {
        clipboardOpen_ = sys::OpenClipboard(State().dialogs.FrameWindow);
        return clipboardOpen_;
    }
    void LiftPages() {
        State().drawing.ClipboardRendering = 1;
        ForEachDrawnSystem(view_, [](ScoreSystem* s) { s->y += kClipboardPageLift; });
        lifted_ = true;
    }
    ClipboardDrawingObjects& Made() { return made_; }

  private:
    ScoreView* view_;
    PrintViewState kept_;
    platform::DcHandle printDc_;
    uint8_t rendering_;
    int32_t drawDepth_;
    bool lifted_ = false;
    bool clipboardOpen_ = false;
    ClipboardDrawingObjects made_;
};

enum class RegionSource : uint8_t { Page, Marquee, Nothing, Picture };

// What the focus asks for.
RegionSource SourceOfFocus() {
    const SelectionState* selection = TheSelectionState();
    const ScoreObject* focused = selection != nullptr ? selection->focusedObject.get() : nullptr;
    if (focused != nullptr && focused->type == TypeCode(ObjectType::Picture)) return RegionSource::Picture;
    if (CurrentMarquee() != nullptr) return RegionSource::Marquee;
    if (focused != nullptr && focused != selection->defaultObject.get()) return RegionSource::Nothing;
    return RegionSource::Page;
}

// The view's whole page area in page view, the visible strip in scroll view.
gfx::Rect PageArea(const ScoreView* view) {
    if (view->pageView == 0) return view->visibleRect;
    return gfx::Rect{kLogicalOrigin, kLogicalOrigin, view->PageRight, view->PageBottom};
}

gfx::Rect Lifted(gfx::Rect r) {
    r.top += kClipboardPageLift;
    r.bottom += kClipboardPageLift;
    return r;
}

}  // namespace

void FailClipboardPictureStep(ClipboardPictureStep step) {
    g_failNext[static_cast<int>(step)] = true;
}

void ResetClipboardPictureFailures() {
    for (bool& fail : g_failNext) fail = false;
}

bool TakeClipboardPictureFailure(ClipboardPictureStep step) {
    bool& fail = g_failNext[static_cast<int>(step)];
    const bool failing = fail;
    fail = false;
    return failing;
}

void PrintToClipboard(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    const RegionSource source = SourceOfFocus();
    if (source == RegionSource::Picture) {
        CopyPictureToClipboard(view);
        return;
    }
    if (source == RegionSource::Nothing) return;
    const gfx::Rect pageArea = PageArea(view);
    const gfx::Rect region = source == RegionSource::Marquee ? gfx::Normalised(CurrentMarqueeRect()) : pageArea;
    if (region.Width() <= 0 || region.Height() <= 0) return;
    ClipboardRenderScope scope(view);
    if (!scope.OpenClipboard() || !sys::EmptyClipboard()) return;
    const WaitCursor waiting;
    scope.LiftPages();
    if (std::optional<std::vector<uint8_t>> png = MakeRegionPng(view, Lifted(pageArea), Lifted(region), scope.Made()))
        sys::SetClipboardData(sys::ClipboardFormat::Png, std::move(*png));
    SetZoom(view, kRecordingZoom);
    if (std::optional<std::vector<uint8_t>> svg = MakeRegionSvg(view, Lifted(region), scope.Made()))
        sys::SetClipboardData(sys::ClipboardFormat::Svg, std::move(*svg));
}

}  // namespace ql
