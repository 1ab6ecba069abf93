// Painting the current page in page view (module DRAW): the margin guides of the page
// and of the master page of the same parity (under the music), each system inside the
// band, each shown staff with its grid and its measures, the page's edges, the page's
// items, then the master page's other items and the running headers of earlier pages.
// Systems are placed between the margins on screen as a repair that never counts as
// an edit (the change counter is put back).
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/ink_tag.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/units/view_moves.h"
#include "display/follow_mark.h"
#include "display/painter.h"
#include "display/painter_internal.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "display/view_location.h"
#include "display/visible_systems.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_draw.h"
#include "objects/picture/picture_object.h"

namespace ql {

using namespace painter;

namespace {

// A text line with this flag is a running header or footer.
constexpr uint16_t kTextLineRepeats = 0x0001;
// Most nodes of one item list a pass looks at (a cycle ends there).
constexpr int kMaxListNodes = 1 << 16;
// Most systems of one page a paint walks (a damaged chain ends there).
constexpr int kMaxPageSystems = 256;

// Texts drawn while this is alive expand their variables (page number, date...):
// the page's own items, the master page's and the running text.
class PagePainting {
  public:
    PagePainting() : kept_(State().drawing.PagePaintingFlag) { State().drawing.PagePaintingFlag = 1; }
    ~PagePainting() { State().drawing.PagePaintingFlag = kept_; }
    PagePainting(const PagePainting&) = delete;
    PagePainting& operator=(const PagePainting&) = delete;

  private:
    uint8_t kept_;
};

bool IsMasterPage(const ScorePage* page) {
    return page != nullptr && page->pageNumber < 0;
}

// Places the system between the margins on screen; the beat map follows a move.
void PlaceSystemForScreen(ScoreView* view, ScorePage* page, ScoreSystem* system) {
    if (!IsScreenOutput()) return;
    ScoreDocument* document = view->document;
    const uint16_t counter = document->changeCounter;
    const int32_t x = system->x;
    const int32_t y = system->y;
    PlaceSystemInMargins(view, page, system);
    if (system->x != x || system->y != y) BuildBeatMapPageMode(view, 1);
    document->changeCounter = counter;
}

// The grid, the staff label and the measures of one shown staff of the current system.
void DrawPageStaff(ScoreView* view, int staff, const PaintArea& area, int firstShown, int lastShown,
                   std::vector<DeferredCell>* deferred) {
    ScoreSystem* system = view->currentSystem;
    const PainterState& painter = State().display.painter;
    SelectStaffScaledFonts(view, staff);
    SetViewTextAlign(view, gfx::kTextAlignBaseline);
    const bool inBand = StaffBandIntersects(view, system, firstShown, lastShown, staff, area);
    if (inBand) {
        {
            const InkStageScope grid(InkStage::StaffGrid);
            DrawSystem(view, staff, painter.firstSlot, painter.lastSlot);
        }
        StaffRecord* record = StaffRecordOf(view->document, staff);
        ScoreObject* label = SystemShowsStaffLabels(system) ? GetStaffLabelObject(record) : nullptr;
        if (label != nullptr && IsSoundObject(view->document, label)) {
            const InkObjectScope drawing(label);
            ClassOf(label).Update(label, view);
        }
    }
    int first = IsScreenOutput() ? system->firstMeasure : MeasureOfSlot(view, painter.firstSlot);
    const int rangeLast = MeasureOfSlot(view, painter.lastSlot);
    int last = IsScreenOutput() ? std::min<int>(rangeLast + 1, system->lastMeasure) : rangeLast;
    if (painter.firstSlot >= 2 && first >= 2 && !IsScreenOutput()) --first;
    if (!inBand) return;
    if (first == system->firstMeasure) DrawContinuedSpanners(view, staff, first);
    DrawStaffMeasures(view, staff, first, last, deferred);
    DrawFollowMark(view, staff);
}

// True when some part of the system lies inside the band.
bool IsSystemInBand(ScoreView* view) {
    const PainterState& painter = State().display.painter;
    if (IsPrinting() && painter.paintRectActive) return true;
    return CurrentSystemInBand(view, StaffBand{painter.bandTop, painter.bandBottom});
}

void DrawPageSystem(ScoreView* view, ScorePage* page, ScoreSystem* system, const PaintArea& area,
                    std::vector<DeferredCell>* deferred) {
    SetCurrentSystemAndMeasure(view, system, 1, system->firstMeasure, true);
    int firstShown = 1;
    int lastShown = 1;
    ShownStaffRange(view, system, &firstShown, &lastShown);
    if (!IsSystemInBand(view)) return;
    PlaceSystemForScreen(view, page, system);
    SetClipSlotRange(view, area);
    for (int staff = firstShown; staff <= lastShown; ++staff) {
        if (!IsStaffShown(system, staff)) continue;
        SetCurrentSystemAndMeasure(view, system, staff, system->firstMeasure, true);
        DrawPageStaff(view, staff, area, firstShown, lastShown, deferred);
    }
}

// The page's right and bottom edges where they fall inside the client area and the
// area being painted.
void DrawPageEdges(ScoreView* view, const PaintArea& area) {
    if (IsClipboardRendering() || IsPictureOutput()) return;
    const InkStageScope guides(InkStage::Guides);
    const gfx::Rect& client = view->visibleRect;
    const int32_t lower = std::min(view->PageBottom, client.bottom);
    const bool rightInArea = view->PageRight >= area.left && view->PageRight <= area.right;
    const bool bottomInArea = lower >= area.top && lower <= area.bottom;
    if (view->PageRight < client.right && rightInArea)
        sysdraw::InkLine(view, view->PageRight, ScrollY(view), view->PageRight, lower);
    if (view->PageBottom < client.bottom && bottomInArea)
        sysdraw::InkLine(view, ScrollX(view), lower, view->PageRight, lower);
}

// The margin guides of an item list, updated.
void DrawMarginGuides(ScoreView* view, ScoreObject* first) {
    const InkStageScope guides(InkStage::Guides);
    int count = 0;
    for (ScoreObject* item = first; item != nullptr; item = item->next.get()) {
        if (SoundObjectBytes(view->document, item) == 0 || ++count > kMaxListNodes) break;
        if (item->type == TypeCode(ObjectType::Margin)) ClassOf(item).Update(item, view);
    }
}

ScorePage* MasterOfPage(ScoreDocument* document, ScorePage* page) {
    return IsLeftPage(document, GetPageIndex(document, page)) ? document->leftMaster
                                                              : document->rightMaster;
}

// A master page's items but its margins (drawn under the music): pictures painted
// unless hidden, everything else updated.
void DrawMasterItems(ScoreView* view, ScorePage* master) {
    if (master == nullptr) return;
    PainterState& painter = State().display.painter;
    painter.drawingMasterItems = 1;
    int count = 0;
    for (ScoreObject* item = master->margins.get(); item != nullptr; item = item->next.get()) {
        const size_t room = SoundObjectBytes(view->document, item);
        if (room == 0 || ++count > kMaxListNodes) break;
        if (item->type == TypeCode(ObjectType::Margin)) continue;
        const InkObjectScope drawing(item);
        if (item->type == TypeCode(ObjectType::Picture) && room >= sizeof(PictureObject)) {
            const auto* picture = reinterpret_cast<const PictureObject*>(item);
            if ((picture->body.flags & kPictureHidden) == 0) ClassOf(item).Paint(item, view);
        } else {
            ClassOf(item).Update(item, view);
        }
    }
    painter.drawingMasterItems = 0;
}

bool HoldsVariables(ScoreObject* object, ScoreView* view) {
    const auto* cls = dynamic_cast<const TextObjectClass*>(&ClassOf(object));
    const char* shown = cls != nullptr ? cls->GetDisplayText(object, view) : nullptr;
    return shown != nullptr && std::strchr(shown, '%') != nullptr;
}

// Running headers and footers of the earlier pages of the same parity, drawn again.
void DrawRunningText(ScoreView* view, int pageIndex, bool left) {
    ScoreDocument* document = view->document;
    PainterState& painter = State().display.painter;
    painter.drawingMasterItems = 1;
    int index = 0;
    for (ScorePage* page = document->firstPage; page != nullptr && index < pageIndex;
         page = page->next.get(), ++index) {
        if (IsLeftPage(document, index) != left) continue;
        int count = 0;
        for (ScoreObject* item = page->margins.get(); item != nullptr; item = item->next.get()) {
            const size_t room = SoundObjectBytes(document, item);
            if (room == 0 || ++count > kMaxListNodes) break;
            if (item->type != TypeCode(ObjectType::Text) || room < sizeof(TextObject)) continue;
            const auto& body = reinterpret_cast<const TextObject*>(item)->body;
            if ((body.flags & kTextLineRepeats) == 0 || !HoldsVariables(item, view)) continue;
            const PagePainting painting;
            const InkObjectScope drawing(item);
            ClassOf(item).Draw(item, view);
        }
    }
    painter.drawingMasterItems = 0;
}

void PrepareBeatMaps(ScoreView* view, ScorePage* page) {
    if (!IsScreenOutput() || IsMasterPage(page)) return;
    if (ComputeMeasureBeatPositions(view, page->systemCount) > 1) BuildBeatMapMeasures(view);
}

// What the page paint draws over everything else of a page (not of a master page):
// the master page's other items, then the running text of the earlier pages.
void DrawMasterAndRunningText(ScoreView* view, ScorePage* page) {
    if (IsMasterPage(page)) return;
    ScoreDocument* document = view->document;
    const int index = GetPageIndex(document, page);
    {
        const PagePainting painting;
        DrawMasterItems(view, MasterOfPage(document, page));
    }
    DrawRunningText(view, index, IsLeftPage(document, index));
}

}  // namespace

void DrawPageView(ScoreView* view) {
    if (!IsValidView(view) || view->document == nullptr) return;
    ValidateCurrentPage(view);
    ScorePage* page = view->currentPage;
    if (page == nullptr) return;
    PrepareBeatMaps(view, page);
    HideEmptyStaves(view);
    const KeptLocation kept(view);
    const PaintArea area = PaintedArea(view);
    SetClipBandFromRect(area);
    // Margin guides go under the music: a system's left barline stands on the left
    // margin, and the grey guide must not cover it.
    ScoreObject* items = PageObjectListOf(view);
    DrawMarginGuides(view, items);
    if (!IsMasterPage(page)) {
        if (ScorePage* master = MasterOfPage(view->document, page)) DrawMarginGuides(view, master->margins.get());
    }
    std::vector<DeferredCell> deferred;
    if (!IsMasterPage(page) && view->document->header.staffCount > 0) {
        ScoreSystem* system = page->firstSystem.get();
        for (int n = 0; system != nullptr && n < page->systemCount && n < kMaxPageSystems;
             ++n, system = system->next.get())
            DrawPageSystem(view, page, system, area, &deferred);
    }
    DrawPageEdges(view, area);
    bool itemsLeft = false;
    {
        const PagePainting painting;
        itemsLeft = DrawObjectsFirstPass(view, items);
    }
    DrawDeferredCells(view, deferred);
    if (itemsLeft) {
        const PagePainting painting;
        DrawObjectChain(view, items);
    }
    DrawMasterAndRunningText(view, page);
}

void DrawPageItemsAgain(ScoreView* view) {
    if (!IsValidView(view) || view->document == nullptr || view->pageView == 0) return;
    ScorePage* page = view->currentPage;
    if (page == nullptr) return;
    const KeptLocation kept(view);
    ScoreObject* items = PageObjectListOf(view);
    {
        const PagePainting painting;
        if (DrawObjectsFirstPass(view, items)) DrawObjectChain(view, items);
    }
    DrawMasterAndRunningText(view, page);
}

}  // namespace ql
