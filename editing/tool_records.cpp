// The cycle buttons' face step, the walk of a tool action from a palette's current
// button on to its group palette, what a press on a button does by its kind, and the
// handlers the palettes own (Toggle Note/Rest and the pop-up palettes' entries). The
// Graphics palette's Line button cycles between the plain (175) and the wavy (182)
// line, so stepping its face arms the other kind of line.
#include "editing/tool_records.h"

#include "editing/group_tools.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "core/objects/selection_state.h"
#include "editing/tool_dispatch.h"

namespace ql {
namespace {

constexpr int kMaxWalk = kPaletteCount;  // a walk visits each palette at most once

bool IsCycleKind(uint8_t kind) {
    return kind == kCycleButton || kind == kCyclingMomentaryButton || kind == kCycleButton8;
}

bool EndsTable(const ToolRecord& face, uint8_t kind) {
    return kind == kCyclingMomentaryButton ? face.imageIndex == 0 : face.bitmapId == 0;
}

}  // namespace

// The Main palette's current button is the current tool group, whichever way the
// group was chosen (a press, a group command, a new score window).
int CurrentToolButton(int palette) {
    if (palette == kMainPalette) return static_cast<int>(CurrentToolGroup());
    if (const int current = PaletteCurrentButton(palette); current >= 0) return current;
    return PaletteSpecOf(palette).first;
}

int LinkedPaletteOf(int mainButton) {
    switch (mainButton) {
        case 0:
            return kStaffToolsPalette;
        case 2:
            return kGraphicsPalette;
        case 3:
            return kTextSymbolsPalette;
        case 4:
            return kPerformancePalette;
        default:
            return -1;
    }
}

intptr_t StepToolFace(ScoreView* view, ToolRecord* button) {
    if (button == nullptr || button->alternates == nullptr || !IsCycleKind(button->kind)) return 0;
    int next = button->alternateIndex + 1;
    if (EndsTable(button->alternates[next], button->kind)) next = 0;
    const ToolRecord& face = button->alternates[next];
    button->bitmapId = face.bitmapId;
    button->imageIndex = face.imageIndex;
    button->alternateIndex = static_cast<int8_t>(next);
    SyncNoteEntryStrips();
    if (button->handler == nullptr) return 0;
    return button->handler(view, ToolAction::AlternateChosen, button, {}, win::Message::Null, 0, 0);
}

// The next stop of a walk along the links: a Main button hands on to its group
// palette's current button; false at the end of the chain.
static bool StepToLinked(int& palette, int& index) {
    const int linked = palette == kMainPalette ? LinkedPaletteOf(index) : -1;
    if (linked < 0) return false;
    palette = linked;
    index = CurrentToolButton(palette);
    return true;
}

// From one record: its handler, then while that passes, the current tool of its
// linked palette.
static intptr_t SendFrom(int palette, int index, ScoreView* view, int action,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data, bool* reached) {
    bool called = false;
    intptr_t result = 0;
    for (int n = 0; n < kMaxWalk; ++n) {
        ToolRecord* record = ToolRecordOf(palette, index);
        if (record == nullptr) break;
        called = record->handler != nullptr;
        if (called) {
            result = record->handler(view, action, record, window, message, word, data);
            if (result != 0) break;
        }
        if (!StepToLinked(palette, index)) break;
        called = false;
    }
    if (reached != nullptr) *reached = called;
    return result;
}

intptr_t SendToCurrentTool(int palette, ScoreView* view, int action, platform::WindowHandle window,
                           win::Message message, uint32_t word, intptr_t data, bool* reached) {
    return SendFrom(palette, CurrentToolButton(palette), view, action, window, message, word, data,
                    reached);
}

bool ReachesToolHandler(int palette, int index) {
    for (int n = 0; n < kMaxWalk; ++n) {
        const ToolRecord* record = ToolRecordOf(palette, index);
        if (record == nullptr) return false;
        if (record->handler != nullptr && record->handler != GroupSelectorHandler) return true;
        if (!StepToLinked(palette, index)) return false;
    }
    return false;
}

bool IsMomentaryButton(int palette, int index) {
    const ToolRecord* record = ToolRecordOf(palette, index);
    return record != nullptr && record->kind == kMomentaryButton;
}

// The note values (Notes buttons 1 to 6) share one handler: between two of them only
// the current index changes.
static bool BothNoteValues(int palette, int oldIndex, int newIndex) {
    return palette == kNotesPalette && oldIndex >= 1 && oldIndex <= 6 && newIndex >= 1 && newIndex <= 6;
}

void ChooseToolButton(ScoreView* view, int palette, int oldIndex, int newIndex) {
    ToolRecord* chosen = ToolRecordOf(palette, newIndex);
    if (chosen == nullptr) return;
    const platform::WindowHandle none{};
    if (chosen->kind == kMomentaryButton) {
        if (chosen->handler != nullptr)
            chosen->handler(view, ToolAction::Message, chosen, none, win::Message::Null, 0, 0);
        return;
    }
    if (palette == kMainPalette) SetCurrentToolGroup(static_cast<ToolGroup>(newIndex));
    if (oldIndex == newIndex && IsCycleKind(chosen->kind)) {
        StepToolFace(view, chosen);
    } else if (oldIndex == newIndex && OpenedPaletteOf(palette, newIndex) >= 0) {
        OpenLinkedPalette(OpenedPaletteOf(palette, newIndex));
    } else if (oldIndex == newIndex) {
        // A tool put down since (an object placed, a toggle) is taken up again first.
        const SelectionState* s = TheSelectionState();
        if (palette != kNotesPalette && (s == nullptr || s->armed == 0))
            SendFrom(palette, newIndex, view, ToolAction::Select, none, win::Message::Null, 0, 0, nullptr);
        SendFrom(palette, newIndex, view, ToolAction::Reclick, none, win::Message::Null, 0, 0, nullptr);
    } else if (!BothNoteValues(palette, oldIndex, newIndex)) {
        SendFrom(palette, oldIndex, view, ToolAction::Deselect, none, win::Message::Null, 0, 0, nullptr);
        if (palette != kNotesPalette)  // the Notes tool is selected through the Main palette
            SendFrom(palette, newIndex, view, ToolAction::Select, none, win::Message::Null, 0, 0, nullptr);
    }
    // A Main button whose group's current tool is a group selector with no handler of
    // its own behind it arms its group's object type.
    if (palette == kMainPalette && !ReachesToolHandler(palette, newIndex))
        SelectToolType(view, ToolGroupObjectType(static_cast<ToolGroup>(newIndex)));
    if (palette == kGraphicsPalette) GraphicsAlternateFlag();
}

intptr_t SendToolAction(ScoreView* view, int palette, int index, int action) {
    return SendFrom(palette, index, view, action, {}, win::Message::Null, 0, 0, nullptr);
}

void TakeUpGroupTool(ScoreView* view, int group, int palette, int index) {
    const platform::WindowHandle none{};
    SendToCurrentTool(kMainPalette, view, ToolAction::Deselect, none, win::Message::Null, 0, 0);
    SetCurrentToolGroup(static_cast<ToolGroup>(group));
    if (ToolRecord* selector = ToolRecordOf(kMainPalette, group); selector != nullptr && selector->handler != nullptr)
        selector->handler(view, ToolAction::Select, selector, none, win::Message::Null, 0, 0);
    SendFrom(palette, index, view, ToolAction::Select, none, win::Message::Null, 0, 0, nullptr);
    if (!ReachesToolHandler(palette, index)) SelectToolType(view, ToolGroupObjectType(static_cast<ToolGroup>(group)));
    if (palette == kGraphicsPalette) GraphicsAlternateFlag();
}

void SelectMainButton(ScoreView* view, int index) {
    if (PaletteWindow(kMainPalette))
        DrawToolButtonPressed(view, kMainPalette, index);  // the palette runs ChooseToolButton
    else
        ChooseToolButton(view, kMainPalette, CurrentToolButton(kMainPalette), index);
}

intptr_t ToggleNoteRest(ScoreView* view, int action, ToolRecord* /*record*/, platform::WindowHandle /*window*/,
                        win::Message /*message*/, uint32_t /*word*/, intptr_t /*data*/) {
    if (action != ToolAction::Message) return 0;
    SetNotesPaletteRests(!NotesPaletteShowsRests());
    RedrawPalette(kNotesPalette);
    if (view == nullptr) return 1;
    // The tool in use is put down and taken up again: it now places what the values show.
    DeselectTool(view);
    if (CurrentToolGroup() == ToolGroup::Note)
        SendToCurrentTool(kMainPalette, view, ToolAction::Select, {}, win::Message::Null, 0, 0);
    return 1;
}

// The face goes to the opener of the entry's palette, and on to that palette's own
// opener when it has one.
intptr_t SelectFlyoutEntry(ScoreView* /*view*/, int action, ToolRecord* record, platform::WindowHandle /*window*/,
                           win::Message /*message*/, uint32_t /*word*/, intptr_t /*data*/) {
    if (action != ToolAction::Select || record == nullptr) return 1;
    int palette = -1;
    int index = -1;
    if (!FindToolRecord(record, &palette, &index)) return 1;
    for (int n = 0; n < kMaxWalk; ++n) {
        int parent = -1;
        int opener = -1;
        if (!FindOpenerOf(palette, &parent, &opener)) break;
        ToolRecord* button = ToolRecordOf(parent, opener);
        button->bitmapId = record->bitmapId;
        button->imageIndex = record->imageIndex;
        RedrawPaletteButton(parent, opener);
        palette = parent;
    }
    return 1;
}

}  // namespace ql
