// The palette windows: creation from the saved places, the window procedure, the
// owner-drawn buttons, clicks, re-shaping, group moves, showing and hiding.
#include "editing/palette_windows.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/objects/selection_state.h"
#include "core/model/view.h"
#include "core/state.h"
#include "editing/editing_services.h"
#include "editing/page_band.h"
#include "editing/palette_faces.h"
#include "editing/palette_positions.h"
#include "editing/tool_bitmaps.h"
#include "editing/tool_dispatch.h"
#include "editing/tool_records.h"
#include "editing/tools.h"
#include "notes/entry/note_cursor.h"
#include "objects/midi_marks/mark_tools.h"
#include "platform/gfx/draw.h"
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


struct PaletteWindowState {
    WindowHandle window;
    std::vector<WindowHandle> buttons;
    PaletteShape shape;
    int current = 0;
    bool popUp = false;
    bool flyout = false;  // opened for one choice (by its opener or at the pointer)
    PaletteBorder grabbed = PaletteBorder::None;
    win::Point corner;  // screen position of the window's top-left
    bool reshow = false;  // shown again by ShowAllPalettes
    // Nothing was saved for the palette and the user has not moved or re-shaped it:
    // it stands at its default place for the window manager's frame it was placed
    // with, and goes to the new default place once the manager's frame is known.
    bool atDefault = false;
    PaletteDecorations placedFor;
};

struct PaletteWindows {
    WindowHandle frame;
    WindowHandle tooltip;  // one tooltip window serves every button
    std::array<PaletteWindowState, kPaletteCount> palettes;
    bool made = false;
    bool placing = false;  // the program itself is moving or sizing a palette
    int lastPalette = kMainPalette;
    int lastIndex = 0;
    bool mainInBand = false;  // the Main palette's tools are in the frame's bar
};

PaletteWindows& Windows() {
    static PaletteWindows windows;
    return windows;
}

PaletteOptions& Options() {
    static PaletteOptions options;
    return options;
}

int& ButtonSizeStorage() {
    static int size = kLargeButtonSize;
    return size;
}

bool ValidPalette(int palette) {
    return palette >= 0 && palette < kPaletteCount;
}

int PaletteOf(WindowHandle window) {
    for (int p = 0; p < kPaletteCount; ++p)
        if (Windows().palettes[static_cast<size_t>(p)].window == window) return p;
    return -1;
}

PaletteWindowState& StateOf(int palette) {
    return Windows().palettes[static_cast<size_t>(palette)];
}

PaletteScreen Screen() {
    PaletteScreen screen;
    screen.width = win::GetSystemMetric(win::SystemMetric::ScreenWidth);
    screen.height = win::GetSystemMetric(win::SystemMetric::ScreenHeight);
    screen.captionHeight = win::GetSystemMetric(win::SystemMetric::CaptionHeight);
    screen.smallCaptionHeight = screen.captionHeight;
    screen.frameWidth = win::GetSystemMetric(win::SystemMetric::FrameWidth);
    screen.frameHeight = win::GetSystemMetric(win::SystemMetric::FrameHeight);
    screen.scrollBarWidth = win::GetSystemMetric(win::SystemMetric::VerticalScrollWidth);
    screen.manager = {win::GetSystemMetric(win::SystemMetric::ManagerFrameLeft),
                      win::GetSystemMetric(win::SystemMetric::ManagerFrameTop),
                      win::GetSystemMetric(win::SystemMetric::ManagerFrameRight),
                      win::GetSystemMetric(win::SystemMetric::ManagerFrameBottom)};
    return screen;
}

// The screen with the decorations the window layer gives the window.
PaletteScreen ScreenAround(WindowHandle window) {
    PaletteScreen screen = Screen();
    const win::Rect outer = win::GetWindowRect(window);
    const win::Rect inner = win::GetClientRect(window);
    screen.frameWidth = (outer.Width() - inner.Width()) / 2;
    screen.frameHeight = screen.frameWidth;
    screen.smallCaptionHeight = outer.Height() - inner.Height() - 2 * screen.frameHeight;
    return screen;
}

// Places each button on its cell of the palette's shape, row by row.
void LayoutToolButtons(PaletteWindowState& state) {
    const int size = PaletteButtonSize();
    for (size_t i = 0; i < state.buttons.size(); ++i) {
        const PaletteShape place = GridPlace(static_cast<int>(i), state.shape.columns);
        const PaletteCell cell = ButtonCellOrigin(place.columns, place.rows, size);
        win::MoveWindow(state.buttons[i], {cell.x, cell.y, cell.x + size, cell.y + size}, true);
    }
}

// How much wider than its grid the window is so that the window manager's title
// bar above it shows the palette's title whole (the buttons stand at the left).
int TitleRoom(const PaletteWindowState& state) {
    const win::Rect outer = win::GetWindowRect(state.window);
    const win::Rect inner = win::GetClientRect(state.window);
    const int grid = PaletteClientSize(state.shape, PaletteButtonSize()).width + outer.Width() - inner.Width();
    return std::max(0, win::GetTitleBarWidth(state.window) - grid);
}

// The outer size of the window around its grid: the client size the grid needs
// (wider where the title needs it) and the window's own caption and borders as the
// window layer reports them.
PaletteSize OuterSize(const PaletteWindowState& state) {
    const PaletteSize client = PaletteClientSize(state.shape, PaletteButtonSize());
    const win::Rect outer = win::GetWindowRect(state.window);
    const win::Rect inner = win::GetClientRect(state.window);
    return {client.width + outer.Width() - inner.Width() + TitleRoom(state),
            client.height + outer.Height() - inner.Height()};
}

// Sizes the window to fit its grid exactly, at the given corner.
void PlacePaletteWindow(PaletteWindowState& state, int x, int y) {
    const PaletteSize size = OuterSize(state);
    Windows().placing = true;
    win::MoveWindow(state.window, {x, y, x + size.width, y + size.height}, true);
    Windows().placing = false;
    state.corner = {x, y};
}

void RedrawButton(int palette, int index) {
    PaletteWindowState& state = StateOf(palette);
    if (index >= 0 && static_cast<size_t>(index) < state.buttons.size())
        win::InvalidateRect(state.buttons[static_cast<size_t>(index)], nullptr, true);
}

bool NotesToolArmed() {
    const SelectionState* s = State().documents.Selection;
    return CurrentToolGroup() == ToolGroup::Note && s != nullptr && s->armed != 0 &&
           s->toolType == ToolGroupObjectType(ToolGroup::Note);
}

// The palette entries the tools read when they place their objects: the note value
// and head, the dynamic and the performance mark.
void NoteChosenEntry(int palette, int index) {
    if (index < 0 || index >= PaletteSpecOf(palette).buttons) return;
    if (palette == kNotesPalette && index < kNotePaletteEntries && !IsMomentaryButton(palette, index))
        State().notes.NoteTools.selectedEntry = static_cast<uint16_t>(index);
    if (palette == kHeadsPalette) State().notes.NoteTools.noteHeadEntry = static_cast<uint8_t>(index);
    if (palette == kDynamicsPalette) MarkTools().dynamicsEntry = static_cast<int8_t>(index);
    if (palette == kPerformancePalette) MarkTools().performanceEntry = static_cast<int8_t>(index);
}

// The Main button whose group a palette holds; -1 for Main and the pop-ups.
int GroupButtonOfPalette(int palette) {
    if (palette == kNotesPalette) return static_cast<int>(ToolGroup::Note);
    for (int button = 0; button < kToolGroupCount; ++button)
        if (LinkedPaletteOf(button) == palette) return button;
    return -1;
}

void PressPaletteButton(ScoreView* view, int palette, int index);

// The Main button of a group palette other than Notes whose group is not the one
// in use; -1 when the palette's group is in use or it has none.
int GroupToTakeUp(int palette) {
    const int group = GroupButtonOfPalette(palette);
    return group >= 0 && palette != kNotesPalette && CurrentToolButton(kMainPalette) != group ? group : -1;
}

// Makes a button current and its tool armed, whatever was current before: a button
// of a group palette whose group is not in use makes its group current (the Main
// palette shows it) and its own tool is selected; a button current already is
// selected again. No face steps and no pop-up opens.
void ArmPaletteButton(ScoreView* view, int palette, int index) {
    NoteChosenEntry(palette, index);
    PaletteWindowState& state = StateOf(palette);
    const int old = state.current;
    if (IsMomentaryButton(palette, index) || index < 0 || static_cast<size_t>(index) >= state.buttons.size()) return;
    state.current = index;
    RedrawButton(palette, old);
    RedrawButton(palette, index);
    if (const int group = GroupToTakeUp(palette); group >= 0) {
        PaletteWindowState& main = StateOf(kMainPalette);
        RedrawButton(kMainPalette, main.current);
        main.current = group;
        RedrawButton(kMainPalette, group);
        TakeUpGroupTool(view, group, palette, index);
        return;
    }
    if (old != index)
        ChooseToolButton(view, palette, old, index);
    else if (palette != kNotesPalette)
        SendToolAction(view, palette, index, ToolAction::Select);
    if (palette == kNotesPalette && view != nullptr && !NotesToolArmed())
        PressPaletteButton(view, kMainPalette, static_cast<int>(ToolGroup::Note));
}

// What a press of a button does: it becomes current and its tool is armed (a
// momentary button acts and the current button stays). A button of a group palette
// arms its own tool at the first press even when another group is in use; pressed again
// it steps its face, opens its pop-up palette or re-clicks. An entry of a pop-up
// palette arms the tool of the button that opened it. The Notes palette's entries
// are what note entry reads; its tool is the Main palette's Notes button, which a
// press on a Notes button makes current.
void PressPaletteButton(ScoreView* view, int palette, int index) {
    if (!ValidPalette(palette)) return;
    NoteChosenEntry(palette, index);
    if (!Windows().made) {  // no windows: a momentary button still acts
        if (IsMomentaryButton(palette, index)) ChooseToolButton(view, palette, index, index);
        return;
    }
    PaletteWindowState& state = StateOf(palette);
    if (index < 0 || static_cast<size_t>(index) >= state.buttons.size()) return;
    const int old = state.current;
    Windows().lastPalette = palette;
    Windows().lastIndex = index;
    if (GroupToTakeUp(palette) >= 0 && !IsMomentaryButton(palette, index)) {
        ArmPaletteButton(view, palette, index);  // armed at the first press, even the highlighted button
        return;
    }
    if (!IsMomentaryButton(palette, index)) state.current = index;
    RedrawButton(palette, old);
    RedrawButton(palette, index);
    ChooseToolButton(view, palette, old, index);
    int parent = -1;
    int opener = -1;
    if (FindOpenerOf(palette, &parent, &opener)) {
        if (old == index) SendToolAction(view, palette, index, ToolAction::Select);  // chosen again
        if (view != nullptr) ArmPaletteButton(view, parent, opener);
        return;
    }
    if (palette == kNotesPalette && view != nullptr && !NotesToolArmed())
        PressPaletteButton(view, kMainPalette, static_cast<int>(ToolGroup::Note));
}

constexpr int kMarkOffset = 2;
constexpr int kPopUpGap = 4;  // between a pop-up and its opener's palette

// The button's background, its face ORed on, the mark of a marked button and the
// frame of the pressed one.
void DrawToolButton(const win::DrawItemInfo& item, ToolFace face, bool pressed, bool marked) {
    const gfx::Rect r = item.rect;
    const gfx::BrushHandle background = gfx::CreateSolidBrush(pressed ? kPressedPaletteButtonColour : kPaletteButtonColour);
    gfx::FillRect(item.dc, r, background);
    gfx::DeleteObject(background);
    DrawToolFace(item.dc, r.left, r.top, PaletteButtonSize(), face.bitmapId, face.imageIndex);
    if (marked) DrawToolMark(item.dc, r.left + kMarkOffset, r.top + kMarkOffset);
    if (!pressed) return;
    const gfx::BrushHandle frame = gfx::GetStockBrush(gfx::StockBrush::Black);
    gfx::FillRect(item.dc, {r.left, r.top, r.right, r.top + 1}, frame);
    gfx::FillRect(item.dc, {r.left, r.bottom - 1, r.right, r.bottom}, frame);
    gfx::FillRect(item.dc, {r.left, r.top, r.left + 1, r.bottom}, frame);
    gfx::FillRect(item.dc, {r.right - 1, r.top, r.right, r.bottom}, frame);
}

constexpr int kFirstMarkableButton = 7;
constexpr int kLastMarkableButton = 12;

// A click with Control (held or latched): on Notes buttons 7 to 12 it flips the
// button's mark, on any other button it does nothing; the current button and the
// armed tool stay. False when Control is up: the click goes on as a press.
bool ControlClick(int palette, int index) {
    if (!win::IsKeyDown(win::Key::Control) && State().input.StickyCtrlFlag == 0) return false;
    if (palette != kNotesPalette || index < kFirstMarkableButton || index > kLastMarkableButton) return true;
    if (ToolRecord* record = ToolRecordOf(palette, index)) {
        record->marked = record->marked != 0 ? 0 : 1;
        RedrawButton(palette, index);
    }
    return true;
}

// A marked button, or a toggle button that is on, shows the mark.
bool ShowsMark(int palette, int index) {
    const ToolRecord* record = ToolRecordOf(palette, index);
    return record != nullptr && (record->marked != 0 || (record->kind == kToggleButton && record->toggled != 0));
}

intptr_t OnDrawItem(int palette, const win::DrawItemInfo* item) {
    if (item == nullptr) return 0;
    PaletteWindowState& state = StateOf(palette);
    const int index = item->controlId;
    if (index < 0 || static_cast<size_t>(index) >= state.buttons.size()) return 0;
    if (item->action == win::DrawAction::Select) {
        if ((item->state & win::kItemStateSelected) == 0) return 1;  // the release
        if (ControlClick(palette, index)) return 1;
        PressPaletteButton(GetActiveScoreView(), palette, index);
        if (state.popUp) win::ShowWindow(state.window, win::ShowCommand::Hide);
        state.flyout = false;
        return 1;
    }
    if (item->dc)
        DrawToolButton(*item, PaletteButtonFace(palette, index), index == state.current, ShowsMark(palette, index));
    return 1;
}

// The palettes that follow a moved one go by the same amount, each kept on screen.
void MoveGroup(int palette, int dx, int dy) {
    const int size = PaletteButtonSize();
    const PaletteScreen screen = Screen();
    for (int member : PaletteGroup(palette)) {
        PaletteWindowState& other = StateOf(member);
        if (!other.window) continue;
        other.atDefault = false;
        const PaletteSize extent = OuterSize(other);
        const PaletteCell corner = KeepMovedPaletteOnScreen(other.corner.x + dx, other.corner.y + dy,
                                                            extent, size, screen);
        PlacePaletteWindow(other, corner.x, corner.y);
    }
}

void OnMove(int palette, win::Point corner) {
    PaletteWindowState& state = StateOf(palette);
    const win::Point before = state.corner;
    state.corner = corner;
    // The window layer may report the program's own placing after it returned: a
    // move to where the palette already stands is not the user's.
    if (Windows().placing || (corner.x == before.x && corner.y == before.y)) return;
    state.atDefault = false;
    state.popUp = false;
    state.flyout = false;
    if (Options().groupMoves) MoveGroup(palette, corner.x - before.x, corner.y - before.y);
}

void OnSize(int palette, win::Point client) {
    if (Windows().placing) return;
    PaletteWindowState& state = StateOf(palette);
    const int count = static_cast<int>(state.buttons.size());
    if (Options().gridReshape && state.grabbed != PaletteBorder::None) {
        // The room beside the grid for the title is not the user's to re-shape.
        state.shape = ReshapeForBorderDrag(state.grabbed, client.x - TitleRoom(state), client.y, state.shape, count,
                                           PaletteButtonSize());
        state.atDefault = false;
        LayoutToolButtons(state);
    }
    state.grabbed = PaletteBorder::None;
    PlacePaletteWindow(state, state.corner.x, state.corner.y);
}

// A button pressed on the palette: the note cursor gives way. The right button
// hides any palette but Main, which then opens as a pop-up; on Main it asks the
// frame for the Main palette's band.
void OnParentNotify(int palette, win::Message button) {
    if (ScoreView* view = GetActiveScoreView()) HideNoteCursor(view);
    if (button != win::Message::RightButtonDown) return;
    if (palette == kMainPalette) {
        win::PostMessage(Windows().frame, win::Message::Command, win::MakeCommandWord(kMainPaletteBandCommand, 0), 0);
        return;
    }
    PaletteWindowState& state = StateOf(palette);
    win::ShowWindow(state.window, win::ShowCommand::Hide);
    if (palette != kNotesPalette || state.current <= 6) state.popUp = true;
}

// A pop-up opens level with the button that opened it, beside that button's
// palette (left of it, or right where the screen has no room), so that it covers
// neither the palette nor the other buttons there.
void PlaceBesideOpener(int popUp) {
    int parent = -1;
    int opener = -1;
    if (!FindOpenerOf(popUp, &parent, &opener)) return;
    PaletteWindowState& state = StateOf(popUp);
    const PaletteWindowState& owner = StateOf(parent);
    if (!owner.window) return;
    const PaletteSize size = OuterSize(state);
    const win::Rect beside = win::GetWindowRect(owner.window);
    const PaletteShape cell = GridPlace(opener, owner.shape.columns);
    const int y = win::ClientToScreen(owner.window, win::Point{0, 0}).y +
                  ButtonCellOrigin(cell.columns, cell.rows, PaletteButtonSize()).y;
    int x = beside.left - kPopUpGap - size.width;
    if (x < 0) x = beside.right + kPopUpGap;
    const PaletteCell corner = ClampPaletteOnScreen(x, y, size, Screen());
    PlacePaletteWindow(state, corner.x, corner.y);
}

bool RegisterPaletteClass() {
    if (win::IsClassRegistered(kPaletteClass)) return true;
    win::WindowClass palette;
    palette.name = kPaletteClass;
    palette.procedure = PaletteWndProc;
    palette.cursor = win::LoadSystemCursor(win::SystemCursor::Arrow);
    palette.background = gfx::GetStockBrush(gfx::StockBrush::White);
    return win::RegisterWindowClass(palette);
}

bool CreatePalette(int palette) {
    const PaletteSpec& spec = PaletteSpecOf(palette);
    const int size = PaletteButtonSize();
    PaletteWindowState& state = StateOf(palette);
    state = PaletteWindowState{};
    state.current = spec.first;
    state.popUp = palette >= kDynamicsPalette;
    state.reshow = !state.popUp;
    win::WindowParams params;
    params.className = kPaletteClass;
    params.caption = ProgramString(spec.titleId);
    params.style = win::kStylePopup | win::kStyleCaption | win::kStyleThickFrame;
    params.extendedStyle = win::kExStyleToolWindow;
    params.owner = Windows().frame;
    state.window = win::CreateWindow(params);
    if (!state.window) return false;
    const PaletteScreen screen = ScreenAround(state.window);
    const PalettePosition defaults = DefaultPalettePlace(palette, size, screen);
    const PalettePosition saved = ReadPalettePosition(spec.key, defaults);
    const PalettePosition place = InitialPalettePlacement(palette, saved, size, screen);
    state.atDefault = saved == defaults;
    state.placedFor = screen.manager;
    const int room = state.atDefault ? TitleRoom(state) : 0;  // a default place keeps its right edge
    state.shape = {place.columns, place.rows};
    for (int i = 0; i < spec.buttons; ++i) {
        win::WindowParams button;
        button.className = ui::kButtonClass;
        button.style = win::kStyleChild | win::kStyleVisible | ui::kButtonOwnerDraw |
                       ui::kButtonNotifyPress;
        button.parent = state.window;
        button.id = i;
        button.rect = {0, 0, size, size};
        const WindowHandle made = win::CreateWindow(button);
        if (!made) return false;
        state.buttons.push_back(made);
        if (*PaletteButtonTooltip(palette, i) != '\0')
            ui::AddTooltipTool(Windows().tooltip, made, [palette, i] { return std::string(PaletteButtonTooltip(palette, i)); });
    }
    LayoutToolButtons(state);
    PlacePaletteWindow(state, place.x - room, place.y);
    return true;
}

// The palettes still at their default places go to the default places for the
// window manager's frame known now (a manager's title bar is known once one of the
// program's windows is on the screen, after the palettes were made); the others
// take the width their titles need now at their places.
void RefitPalettes() {
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        PaletteWindowState& state = StateOf(palette);
        if (!state.window) continue;
        const PaletteScreen screen = ScreenAround(state.window);
        if (!state.atDefault || screen.manager == state.placedFor) {
            if (win::GetWindowRect(state.window).Width() != OuterSize(state).width)
                PlacePaletteWindow(state, state.corner.x, state.corner.y);
            continue;
        }
        const int size = PaletteButtonSize();
        const PalettePosition place = InitialPalettePlacement(palette, DefaultPalettePlace(palette, size, screen), size, screen);
        state.placedFor = screen.manager;
        state.shape = {place.columns, place.rows};
        LayoutToolButtons(state);
        PlacePaletteWindow(state, place.x - TitleRoom(state), place.y);
    }
}

}  // namespace

PaletteOptions& PaletteSettings() {
    return Options();
}

int PaletteButtonSize() {
    return ButtonSizeStorage();
}

void SetPaletteButtonSize(int size) {
    const int chosen = size == kSmallButtonSize ? kSmallButtonSize : kLargeButtonSize;
    if (chosen == ButtonSizeStorage()) return;
    ButtonSizeStorage() = chosen;
    if (!Windows().made) return;
    for (PaletteWindowState& state : Windows().palettes) {
        if (!state.window) continue;
        LayoutToolButtons(state);
        PlacePaletteWindow(state, state.corner.x, state.corner.y);
        win::InvalidateRect(state.window, nullptr, true);
    }
}

bool CreateToolPalettes(WindowHandle frame) {
    // Palettes whose windows went with the window layer are made anew.
    if (Windows().made && win::IsWindow(Windows().palettes[0].window)) return true;
    Windows() = PaletteWindows{};
    ResetToolRecords();
    ui::RegisterControlClasses();
    if (!RegisterPaletteClass()) return false;
    Windows().frame = frame;
    Windows().made = true;
    Windows().tooltip = ui::CreateTooltipWindow(frame);
    ui::SetTooltipInitialDelay(Windows().tooltip, kPaletteTooltipDelayMs);
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        if (!CreatePalette(palette)) {
            for (PaletteWindowState& state : Windows().palettes)
                if (state.window) win::DestroyWindow(state.window);
            if (Windows().tooltip) win::DestroyWindow(Windows().tooltip);
            Windows() = PaletteWindows{};
            return false;
        }
    }
    return true;
}

std::optional<PalettePosition> PalettePlace(int palette) {
    if (!Windows().made || !ValidPalette(palette)) return std::nullopt;
    const PaletteWindowState& state = StateOf(palette);
    if (!state.window) return std::nullopt;
    return PalettePosition{state.corner.x, state.corner.y, state.shape.columns, state.shape.rows};
}

void SaveToolPalettePositions() {
    if (!Windows().made) return;
    std::array<std::optional<PalettePosition>, kPaletteCount> positions;
    for (int palette = 0; palette < kPaletteCount; ++palette)
        positions[static_cast<size_t>(palette)] = PalettePlace(palette);
    SaveToolPalettePositions(positions);
}

void DestroyToolPalettes() {
    if (!Windows().made) return;
    SaveToolPalettePositions();
    for (PaletteWindowState& state : Windows().palettes)
        if (state.window && win::IsWindow(state.window)) win::DestroyWindow(state.window);
    if (win::IsWindow(Windows().tooltip)) win::DestroyWindow(Windows().tooltip);
    Windows() = PaletteWindows{};
    FreeToolBitmaps();
}

void RetitleToolPalettes() {
    if (!Windows().made) return;
    for (int palette = 0; palette < kPaletteCount; ++palette)
        if (const WindowHandle window = StateOf(palette).window) {
            win::SetWindowText(window, ProgramString(PaletteSpecOf(palette).titleId));
            PlacePaletteWindow(StateOf(palette), StateOf(palette).corner.x, StateOf(palette).corner.y);
        }
}

WindowHandle PaletteWindow(int palette) {
    return Windows().made && ValidPalette(palette) ? StateOf(palette).window : WindowHandle{};
}

WindowHandle PaletteButton(int palette, int index) {
    if (!Windows().made || !ValidPalette(palette)) return {};
    const PaletteWindowState& state = StateOf(palette);
    if (index < 0 || static_cast<size_t>(index) >= state.buttons.size()) return {};
    return state.buttons[static_cast<size_t>(index)];
}

WindowHandle PaletteTooltipWindow() {
    return Windows().made ? Windows().tooltip : WindowHandle{};
}

int PaletteCurrentButton(int palette) {
    return Windows().made && ValidPalette(palette) ? StateOf(palette).current : -1;
}

void BeginPaletteBorderDrag(WindowHandle window, PaletteBorder border) {
    const int palette = PaletteOf(window);
    if (palette >= 0) StateOf(palette).grabbed = border;
}

intptr_t PaletteWndProc(WindowHandle window, win::Message message, uint32_t word, intptr_t data) {
    const int palette = PaletteOf(window);
    if (palette < 0) return win::DefaultWindowProc(window, message, word, data);
    switch (message) {
        case win::Message::DrawItem:
            if (win::GetStyle(window) & win::kStyleMinimize) return 0;
            return OnDrawItem(palette, reinterpret_cast<const win::DrawItemInfo*>(data));
        case win::Message::ParentNotify:
            OnParentNotify(palette, static_cast<win::Message>(word));
            return 0;
        case win::Message::Move:
            OnMove(palette, win::UnpackPoint(data));
            return 0;
        case win::Message::Size:
            OnSize(palette, win::UnpackPoint(data));
            return 0;
        case win::Message::Command:
            return 0;
        default:
            return win::DefaultWindowProc(window, message, word, data);
    }
}

// Hiding remembers which palettes were showing, so that ShowAllPalettes shows
// exactly those again; hiding when none shows keeps the last record.
void engine::HideAllPalettes() {
    HidePageBand();
    if (!Windows().made) return;
    bool anyShown = false;
    for (const PaletteWindowState& state : Windows().palettes)
        anyShown = anyShown || (state.window && win::IsWindowVisible(state.window));
    for (PaletteWindowState& state : Windows().palettes) {
        if (!state.window) continue;
        if (anyShown) state.reshow = win::IsWindowVisible(state.window);
        win::ShowWindow(state.window, win::ShowCommand::Hide);
    }
}

// Before any hiding, the palettes that are not pop-ups are the ones shown.
void engine::ShowAllPalettes() {
    ShowPageBand();
    if (!Windows().made) return;
    RefitPalettes();
    for (int p = 0; p < kPaletteCount; ++p) {
        PaletteWindowState& state = StateOf(p);
        if (p == kMainPalette && Windows().mainInBand) continue;
        if (state.window && state.reshow) win::ShowWindow(state.window, win::ShowCommand::ShowNoActivate);
    }
}

void OpenLinkedPalette(int palette) {
    if (!Windows().made || !ValidPalette(palette)) return;
    PaletteWindowState& state = StateOf(palette);
    if (!state.window) return;
    if (!win::IsWindowVisible(state.window)) {
        PlaceBesideOpener(palette);
        state.popUp = true;
        state.flyout = true;
        win::ShowWindow(state.window, win::ShowCommand::ShowNoActivate);
    }
}

void ShowHiddenPalettes() {
    if (!Windows().made) return;
    for (int p = 0; p < kDynamicsPalette; ++p) {
        PaletteWindowState& state = StateOf(p);
        if (!state.window || (p == kMainPalette && Windows().mainInBand)) continue;
        state.popUp = false;
        state.flyout = false;
        state.reshow = true;
        if (!win::IsWindowVisible(state.window)) win::ShowWindow(state.window, win::ShowCommand::ShowNoActivate);
    }
}

void PopUpPaletteAtPointer(int palette) {
    if (!Windows().made || !ValidPalette(palette)) return;
    PaletteWindowState& state = StateOf(palette);
    if (!state.window) return;
    const PaletteSize size = OuterSize(state);
    const win::Point pointer = win::GetCursorPosition();
    const PaletteCell corner = KeepMovedPaletteOnScreen(pointer.x - size.width / 2, pointer.y - size.height / 2,
                                                        size, PaletteButtonSize(), Screen());
    PlacePaletteWindow(state, corner.x, corner.y);
    state.popUp = true;
    state.flyout = true;
    win::ShowWindow(state.window, win::ShowCommand::ShowNoActivate);
}

void TellFlyoutOfFrameActivation(bool active) {
    if (!active || !Windows().made) return;
    RefitPalettes();
    for (PaletteWindowState& state : Windows().palettes) {
        if (!state.flyout) continue;
        state.flyout = false;
        if (state.popUp && state.window && win::IsWindowVisible(state.window))
            win::ShowWindow(state.window, win::ShowCommand::Hide);
    }
}

void RedrawPalette(int palette) {
    if (!Windows().made || !ValidPalette(palette)) return;
    for (size_t i = 0; i < StateOf(palette).buttons.size(); ++i) RedrawButton(palette, static_cast<int>(i));
}

void RedrawPaletteButton(int palette, int index) {
    if (Windows().made && ValidPalette(palette)) RedrawButton(palette, index);
}

void SetMainPaletteInBand(bool inBand) {
    Windows().mainInBand = inBand;
    if (!Windows().made) return;
    PaletteWindowState& main = StateOf(kMainPalette);
    if (!main.window) return;
    if (inBand) {
        win::ShowWindow(main.window, win::ShowCommand::Hide);
        return;
    }
    main.reshow = true;
    // Floating again: shown when the other palettes are showing.
    bool othersShown = false;
    for (const PaletteWindowState& state : Windows().palettes)
        othersShown = othersShown || (state.window && win::IsWindowVisible(state.window));
    if (othersShown || GetActiveScoreView() != nullptr)
        win::ShowWindow(main.window, win::ShowCommand::ShowNoActivate);
}

bool MainPaletteInBand() {
    return Windows().mainInBand;
}

// The press as a click makes it, then the button drawn again at once.
void engine::DrawToolButtonPressed(ScoreView* view, int palette, int button) {
    PressPaletteButton(view, palette, button);
    if (const WindowHandle pressed = PaletteButton(palette, button)) win::UpdateWindow(pressed);
}

void engine::SelectToolButtonByKey(ScoreView* view, int palette, int index) {
    PressPaletteButton(view, palette, index);
}

}  // namespace ql
