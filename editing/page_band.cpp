// The page-button band: its windows, the clicks of its page buttons and arrows, and
// keeping it up to date with the active view. A page button is a notifying radio
// button: a press makes it the pressed one and posts the page-button command to the
// frame, which hands it to the active view like any view command.
#include "editing/page_band.h"

#include <array>
#include <string>
#include <utility>

#include "core/core_strings.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/shell_services.h"
#include "core/ui/string_ids.h"
#include "core/units/view_moves.h"
#include "display/navigation.h"
#include "editing/editing_services.h"
#include "editing/page_band_faces.h"
#include "editing/page_band_geometry.h"
#include "editing/selection.h"
#include "editing/tools.h"
#include "layout/page_layout_dialogs.h"
#include "platform/gfx/objects.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/tooltips.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr uint8_t kNotifyingRadio = 7;
constexpr int kFirstPressedButton = 2;
// Where the band first stands: this far in from the screen's right edge, centred
// vertically.
constexpr int kScreenRightInset = 32;

struct PageBand {
    WindowHandle frame;
    WindowHandle host;  // the main bar holding the band; null while it floats
    WindowHandle window;
    WindowHandle previous;
    WindowHandle next;
    WindowHandle tooltip;  // the arrows' tips: their window texts
    // The page buttons' records: position, grid cell and size of each button.
    std::array<ToolRecord, kPageButtonCount> records{};
    bool made = false;
};

PageBand& Band() {
    static PageBand band;
    return band;
}

PagerGlobals& Pager() {
    return State().pager;
}

bool BandExists() {
    return Band().made && win::IsWindow(Band().window);
}

bool IsPageView(const ScoreView* view) {
    return IsValidView(view) && view->document != nullptr && view->pageView != 0;
}

bool IsFacing(const ScoreDocument* document) {
    return document->header.pageGeometry.sides != 0;
}

int PageCountOf(const ScoreView* view) {
    return view->document->header.pageCount;
}

int CurrentPageOf(ScoreView* view) {
    return GetPageIndex(view->document, view->currentPage);
}

// The band's window over the view's pages: the view keeps its first page.
PageWindow WindowOf(const ScoreView* view) {
    return {view->pagerFirstPage, Pager().VisibleCount};
}

void SetWindow(ScoreView* view, PageWindow window) {
    view->pagerFirstPage = static_cast<int16_t>(window.first);
    Pager().VisibleCount = static_cast<int16_t>(window.visible);
}

// The page on the band's first button: the active view's.
int FirstPageShown() {
    const ScoreView* view = State().documents.ActiveView;
    return IsValidView(view) ? view->pagerFirstPage : kLeftMasterIndex;
}

void Place(WindowHandle window, const BandCell& cell) {
    win::MoveWindow(window, {cell.x, cell.y, cell.x + cell.width, cell.y + cell.height}, true);
}

void Show(WindowHandle window, bool shown) {
    const bool visible = win::IsWindowVisible(window);
    if (visible != shown) win::ShowWindow(window, shown ? win::ShowCommand::ShowNoActivate : win::ShowCommand::Hide);
}

bool IsHosted() {
    return static_cast<bool>(Band().host);
}

// Sizes the band around its client cell, keeping its corner: on the screen when it
// floats, in the bar when the bar holds it.
void FitBandWindow(const BandCell& client) {
    const WindowHandle window = Band().window;
    const win::Rect outer = win::GetWindowRect(window);
    const win::Rect inner = win::GetClientRect(window);
    const int width = client.width + outer.Width() - inner.Width();
    const int height = client.height + outer.Height() - inner.Height();
    if (width == outer.Width() && height == outer.Height()) return;
    win::Point corner{outer.left, outer.top};
    if (IsHosted()) corner = win::ScreenToClient(Band().host, corner);
    win::MoveWindow(window, {corner.x, corner.y, corner.x + width, corner.y + height}, true);
}

// The band's own window: a floating band shows and hides with its buttons; the bar
// shows and hides the band it holds.
void ShowBandWindow(bool shown) {
    if (!IsHosted()) Show(Band().window, shown);
}

void RedrawPageButtons() {
    for (int i = 0; i < Pager().VisibleCount && i < kPageButtonCount; ++i)
        win::InvalidateRect(PageButtonWindow(i), nullptr, true);
}

// The pressed button follows the view's page: none when the page is not shown.
void FollowCurrentPage(const ScoreView* view, int current) {
    const int index = current - view->pagerFirstPage;
    const int pressed = index >= 0 && index < Pager().VisibleCount ? index : -1;
    Pager().CurrentButton = static_cast<int16_t>(pressed);
}

// A notifying radio button pressed: it becomes the pressed one, and the frame gets
// the page-button command with its index (code 1 when it was pressed already).
void ClickPageButton(int index) {
    const int old = Pager().CurrentButton;
    const uint32_t code = old == index ? 1 : 0;
    if (old != index) {
        Pager().CurrentButton = static_cast<int16_t>(index);
        if (old >= 0) win::InvalidateRect(PageButtonWindow(old), nullptr, true);
        win::InvalidateRect(PageButtonWindow(index), nullptr, true);
    }
    win::PostMessage(Band().frame, win::Message::Command, win::MakeCommandWord(kPageButtonCommand, code), index);
}

intptr_t OnDrawItem(const win::DrawItemInfo* item) {
    if (item == nullptr) return 0;
    if (DrawPagerButtonFace(item->controlId, *item)) return 1;
    const int index = item->controlId;
    if (index < 0 || index >= kPageButtonCount) return 0;
    if (item->action == win::DrawAction::Select) {
        if ((item->state & win::kItemStateSelected) != 0) ClickPageButton(index);
        return 1;
    }
    if (!item->dc) return 1;
    ScoreView* view = State().documents.ActiveView;
    ScoreDocument* document = IsValidView(view) ? view->document : nullptr;
    DrawPageButtonFace(item->dc, PageFaceOf(document, FirstPageShown() + index), index == Pager().CurrentButton);
    return 1;
}

intptr_t PageBandProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case win::Message::DrawItem:
            return OnDrawItem(reinterpret_cast<const win::DrawItemInfo*>(data));
        case win::Message::Command: {
            // The arrows' clicks are view commands; the page buttons report theirs
            // by their press.
            const uint32_t id = win::CommandId(word);
            if (id == kPreviousPageArrow || id == kNextPageArrow)
                win::PostMessage(Band().frame, win::Message::Command, win::MakeCommandWord(id, 0), 0);
            return 0;
        }
        default:
            return win::DefaultWindowProc(window, message, word, data);
    }
}

bool RegisterBandClass() {
    if (win::IsClassRegistered(kPageBandClass)) return true;
    win::WindowClass band;
    band.name = kPageBandClass;
    band.procedure = PageBandProc;
    band.cursor = win::LoadSystemCursor(win::SystemCursor::Arrow);
    band.background = gfx::GetStockBrush(gfx::StockBrush::LightGrey);
    return win::RegisterWindowClass(band);
}

WindowHandle MakeButton(WindowHandle parent, int id, const BandCell& cell, uint32_t options,
                        std::string caption = {}) {
    win::WindowParams button;
    button.caption = std::move(caption);
    button.className = ui::kButtonClass;
    button.style = win::kStyleChild | ui::kButtonOwnerDraw | options;
    button.parent = parent;
    button.id = id;
    button.rect = {cell.x, cell.y, cell.x + cell.width, cell.y + cell.height};
    return win::CreateWindow(button);
}

// The records of the 64 page buttons, made at run time.
bool MakePageButtons() {
    PageBand& band = Band();
    for (int i = 0; i < kPageButtonCount; ++i) {
        ToolRecord& record = band.records[static_cast<size_t>(i)];
        record = ToolRecord{};
        record.bitmapId = 1;
        record.imageIndex = static_cast<uint8_t>(i);
        record.column = static_cast<int8_t>(i);
        record.kind = kNotifyingRadio;
        record.offsetX = -3;
        record.offsetY = 7;
        record.width = page_band::kButtonWidth;
        record.height = page_band::kButtonHeight;
        record.noFocusFrame = 1;
        record.paletteWindow = band.window;
        record.buttonWindow = MakeButton(band.window, i, PageButtonCell(i, false), ui::kButtonNotifyPress);
        if (!record.buttonWindow) return false;
    }
    return true;
}

bool MakeBand(WindowHandle frame, WindowHandle host) {
    PageBand& band = Band();
    band.frame = frame;
    band.host = host;
    win::WindowParams params;
    params.className = kPageBandClass;
    params.caption = kPageBandTitle;
    if (host) {
        // Shown as a child; the bar hides it with its band.
        params.style = win::kStyleChild | win::kStyleVisible;
        params.parent = host;
        params.id = kPagersControlId;
    } else {
        params.style = win::kStylePopup | win::kStyleCaption;
        params.extendedStyle = win::kExStyleToolWindow;
        params.owner = frame;
    }
    band.window = win::CreateWindow(params);
    if (!band.window) return false;
    band.previous = MakeButton(band.window, kPreviousPageArrow, ArrowCell(false, 0, false), 0,
                               ProgramString(kStrPreviousPageArrow));
    band.next = MakeButton(band.window, kNextPageArrow, ArrowCell(true, 0, false), 0, ProgramString(kStrNextPageArrow));
    if (!band.previous || !band.next) return false;
    band.tooltip = ui::CreateTooltipWindow(frame);
    if (!band.tooltip) return false;
    for (const WindowHandle arrow : {band.previous, band.next})
        ui::AddTooltipTool(band.tooltip, arrow, [arrow] { return win::GetWindowText(arrow); });
    return MakePageButtons();
}

// The band's first place: in from the screen's right edge, centred vertically.
void PlaceBandOnScreen() {
    FitBandWindow(BandClientCell(Pager().WantedCount, Pager().Vertical != 0));
    const win::Rect outer = win::GetWindowRect(Band().window);
    const int x = win::GetSystemMetric(win::SystemMetric::ScreenWidth) - outer.Width() - kScreenRightInset;
    const int y = (win::GetSystemMetric(win::SystemMetric::ScreenHeight) - outer.Height()) / 2;
    win::MoveWindow(Band().window, {x, y, x + outer.Width(), y + outer.Height()}, true);
}

}  // namespace

bool CreatePagersToolbar(WindowHandle frame, WindowHandle host) {
    if (BandExists() && Band().host == host) return true;
    // Made again in another place (or after its bar was destroyed), the band keeps
    // its pressed button.
    const bool again = Band().made;
    const int16_t pressed = Pager().CurrentButton;
    DestroyPagersToolbar();
    ui::RegisterControlClasses();
    if (!RegisterBandClass() || !MakeBand(frame, host)) {
        if (win::IsWindow(Band().window)) win::DestroyWindow(Band().window);
        if (Band().tooltip) win::DestroyWindow(Band().tooltip);
        Band() = PageBand{};
        ReportLowMemory("Pagers", __LINE__);
        return false;
    }
    Band().made = true;
    Pager().CurrentButton = again ? pressed : static_cast<int16_t>(kFirstPressedButton);
    if (host)
        FitBandWindow(BandClientCell(Pager().WantedCount, Pager().Vertical != 0));
    else
        PlaceBandOnScreen();
    ScoreView* active = State().documents.ActiveView;
    if (IsPageView(active)) UpdatePagersToolbar(active);
    return true;
}

void DestroyPagersToolbar() {
    if (BandExists()) win::DestroyWindow(Band().window);
    if (win::IsWindow(Band().tooltip)) win::DestroyWindow(Band().tooltip);
    Band() = PageBand{};
}

void RetitlePagerArrows() {
    if (!BandExists()) return;
    win::SetWindowText(Band().previous, ProgramString(kStrPreviousPageArrow));
    win::SetWindowText(Band().next, ProgramString(kStrNextPageArrow));
}

WindowHandle PageArrowTooltipWindow() {
    return BandExists() ? Band().tooltip : WindowHandle{};
}

WindowHandle PageBandWindow() {
    return BandExists() ? Band().window : WindowHandle{};
}

WindowHandle PageButtonWindow(int index) {
    if (!BandExists() || index < 0 || index >= kPageButtonCount) return {};
    return Band().records[static_cast<size_t>(index)].buttonWindow;
}

WindowHandle PageArrowWindow(bool next) {
    if (!BandExists()) return {};
    return next ? Band().next : Band().previous;
}

void FitPageWindow(ScoreView* view, int pageCount, int currentPage) {
    if (!IsValidView(view)) return;
    SetWindow(view, FitPageWindow(WindowOf(view), Pager().WantedCount, pageCount, currentPage));
}

void LayoutPageButtons(ScoreView* view) {
    if (!BandExists()) return;
    if (IsPageView(view)) FitPageWindow(view, PageCountOf(view), CurrentPageOf(view));
    const bool vertical = Pager().Vertical != 0;
    for (int i = 0; i < kPageButtonCount; ++i) Place(PageButtonWindow(i), PageButtonCell(i, vertical));
    Place(Band().previous, ArrowCell(false, Pager().VisibleCount, vertical));
    Place(Band().next, ArrowCell(true, Pager().VisibleCount, vertical));
    FitBandWindow(BandClientCell(Pager().VisibleCount, vertical));
    if (IsPageView(view)) ShowPageButtons();
}

void ShowPageButtons() {
    if (!BandExists()) return;
    for (int i = 0; i < kPageButtonCount; ++i) Show(PageButtonWindow(i), i < Pager().VisibleCount);
    ScoreView* view = State().documents.ActiveView;
    const bool back = IsPageView(view) && CanTurnBack(WindowOf(view), IsFacing(view->document));
    Show(Band().previous, back);
    Show(Band().next, true);
    ShowBandWindow(true);
}

void ShowPageBand() {
    if (BandExists() && IsPageView(State().documents.ActiveView)) ShowPageButtons();
}

void HidePageBand() {
    if (!BandExists()) return;
    ShowBandWindow(false);
    if (!IsHosted()) return;
    for (int i = 0; i < kPageButtonCount; ++i) Show(PageButtonWindow(i), false);
    Show(Band().previous, false);
    Show(Band().next, false);
}

void engine::UpdatePagersToolbar(ScoreView* view) {
    if (!BandExists()) return;
    ScoreView* active = State().documents.ActiveView;
    if (active != nullptr && view != active) return;  // the band shows the active view
    if (!IsPageView(view)) {
        HidePageBand();
        return;
    }
    const int current = CurrentPageOf(view);
    FitPageWindow(view, PageCountOf(view), current);
    FollowCurrentPage(view, current);
    LayoutPageButtons(view);
    RedrawPageButtons();
}

void engine::LayoutPagersToolbar(ScoreView* view) {
    LayoutPageButtons(view);
}

void TurnPage(ScoreView* view, bool forward) {
    if (!IsPageView(view)) return;
    const PageTurn turn = TurnPageWindow(WindowOf(view), Pager().WantedCount, PageCountOf(view), forward, CtrlHeld(),
                                         IsFacing(view->document));
    if (!turn.show) return;
    SetWindow(view, turn.window);
    ShowPageInView(view, *turn.show);
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    UpdatePagersToolbar(view);
}

void HandlePageTurnButton(ScoreView* view, int index, bool openDialog) {
    if (!IsPageView(view)) return;
    EndFocus(view, 0);
    // The dialogs leave the pressed button on the page they show.
    if (CtrlHeld()) {
        CmdGoToPage(view);
        UpdatePagersToolbar(view);
        return;
    }
    if (openDialog) {
        if (view->currentPage != nullptr) RunPageLayoutDialog(view);
        UpdatePagersToolbar(view);
        return;
    }
    const int page = view->pagerFirstPage + index;
    if (index < 0 || index >= Pager().VisibleCount || page >= PageCountOf(view)) return;
    ShowPageInView(view, page);
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    UpdatePagersToolbar(view);
    FocusActiveView();
}

void AdvancePageMarker(ScoreView* view) {
    if (!IsPageView(view)) return;
    const int last = PageCountOf(view) - 1;
    const int next = CurrentPageOf(view) + 1;
    ShowPageInView(view, next < last ? next : last);
    win::InvalidateRect(view->ViewWindow, nullptr, true);
    UpdatePagersToolbar(view);
}

}  // namespace ql
