// The Main, Staff Tools and Graphics palettes' tool records, the cycle buttons' face
// step, and the walk of a tool action from a palette's current button on to its
// group palette. The Graphics palette's Line button cycles between the plain (175)
// and the wavy (182) line, so stepping its face arms the other kind of line.
#include "editing/tool_records.h"

#include <array>
#include <new>
#include <span>

#include "editing/group_tools.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "editing/pointer_tool.h"
#include "editing/tool_dispatch.h"
#include "objects/curves/slur_class.h"
#include "objects/graphics/graphic_class.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/picture/picture_class.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/text_marks/text_tools.h"
#include "staves/time_signature_tool.h"

namespace ql {
namespace {

constexpr uint16_t kCurveAlternateStrip = 185;
constexpr uint16_t kHairpinAlternateStrip = 186;
constexpr uint16_t kWavyLineStrip = 182;
constexpr int kMaxWalk = kPaletteCount;  // a walk visits each palette at most once

// A face of an alternate table.
constexpr ToolRecord Face(ToolHandler handler, uint16_t strip, uint8_t image) {
    ToolRecord r{};
    r.handler = handler;
    r.bitmapId = strip;
    r.imageIndex = image;
    return r;
}
constexpr ToolRecord kEndOfTable{};

// A button of a static table: handler, strip, image, kind, alternates, tooltip id.
ToolRecord Button(ToolHandler handler, uint16_t strip, uint8_t image, uint8_t kind = kRadioButton,
                  ToolRecord* alternates = nullptr) {
    ToolRecord r{};
    r.handler = handler;
    r.bitmapId = strip;
    r.imageIndex = image;
    r.kind = kind;
    r.alternates = alternates;
    return r;
}

// Not copied: the buttons point at the alternate tables of the same object.
struct Tables {
    Tables() = default;
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;

    std::array<ToolRecord, 3> slurFaces = {Face(AlternateCurveHandler, kGraphicsStrip, 0),
                                           Face(AlternateCurveHandler, kCurveAlternateStrip, 0),
                                           kEndOfTable};
    std::array<ToolRecord, 3> tieFaces = {Face(AlternateCurveHandler, kGraphicsStrip, 1),
                                          Face(AlternateCurveHandler, kCurveAlternateStrip, 1),
                                          kEndOfTable};
    std::array<ToolRecord, 3> hairpinFaces = {Face(nullptr, kGraphicsStrip, 2),
                                              Face(nullptr, kHairpinAlternateStrip, 2), kEndOfTable};
    std::array<ToolRecord, 3> pedalFaces = {Face(nullptr, kGraphicsStrip, 5),
                                            Face(nullptr, kWavyLineStrip, 5), kEndOfTable};
    std::array<ToolRecord, 3> lineFaces = {Face(nullptr, kGraphicsStrip, 8),
                                           Face(nullptr, kWavyLineStrip, 8), kEndOfTable};

    std::array<ToolRecord, 7> main = {
        Button(GroupSelectorHandler, kMainStrip, 0),
        // provisional: the Notes tool reaches its messages through the armed tool's
        // mouse processing until the notes tool has a tool handler of its own.
        Button(nullptr, kMainStrip, 1),
        Button(GroupSelectorHandler, kMainStrip, 2),
        Button(GroupSelectorHandler, kMainStrip, 3),
        Button(GroupSelectorHandler, kMainStrip, 4),
        Button(PointerToolHandler, kMainStrip, 5),
        Button(ZoomToolHandler, kMainStrip, 6),
    };
    std::array<ToolRecord, 9> staffTools = {
        Button(StaffToolHandler, kStaffToolsStrip, 0),
        Button(StretcherToolHandler, kStaffToolsStrip, 1),
        Button(MidiSetupToolHandler, kStaffToolsStrip, 2),
        // provisional: the clef and key-signature tools have no tool handlers yet.
        Button(nullptr, kStaffToolsStrip, 3),
        Button(nullptr, kStaffToolsStrip, 5),
        Button(TimeSignatureTool, kStaffToolsStrip, 4),
        Button(StaffLabelToolHandler, kStaffToolsStrip, 6),
        Button(BracketToolHandler, kStaffToolsStrip, 7),
        Button(BracketToolHandler, kStaffToolsStrip, 8),
    };
    std::array<ToolRecord, 10> graphics = {
        Button(SlurToolHandler, kGraphicsStrip, 0, kCycleButton, slurFaces.data()),
        Button(TieToolHandler, kGraphicsStrip, 1, kCycleButton, tieFaces.data()),
        Button(HairpinTool, kGraphicsStrip, 2, kCycleButton, hairpinFaces.data()),
        Button(RepeatEndingToolHandler, kGraphicsStrip, 3),
        Button(OctaveLineToolHandler, kGraphicsStrip, 4),
        Button(WicketteToolHandler, kGraphicsStrip, 5, kCycleButton, pedalFaces.data()),
        Button(BoxTool, kGraphicsStrip, 6),
        Button(CircleTool, kGraphicsStrip, 7),
        Button(LineTool, kGraphicsStrip, 8, kCycleButton, lineFaces.data()),
        Button(PictureTool, kGraphicsStrip, 9),
    };
};

Tables& TheTables() {
    static Tables tables;
    return tables;
}

std::span<ToolRecord> TableOf(int palette) {
    Tables& t = TheTables();
    switch (palette) {
        case kMainPalette:
            return t.main;
        case kStaffToolsPalette:
            return t.staffTools;
        case kGraphicsPalette:
            return t.graphics;
        default:
            return {};
    }
}

bool IsCycleKind(uint8_t kind) {
    return kind == kCycleButton || kind == kCyclingMomentaryButton || kind == kCycleButton8;
}

bool EndsTable(const ToolRecord& face, uint8_t kind) {
    return kind == kCyclingMomentaryButton ? face.imageIndex == 0 : face.bitmapId == 0;
}

}  // namespace

void ResetToolRecords() {
    // Made in place: the buttons point at the alternate tables beside them.
    Tables& tables = TheTables();
    tables.~Tables();
    new (&tables) Tables();
}

ToolRecord* ToolRecordOf(int palette, int index) {
    const std::span<ToolRecord> table = TableOf(palette);
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return nullptr;
    return &table[static_cast<size_t>(index)];
}

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

void ChooseToolButton(ScoreView* view, int palette, int oldIndex, int newIndex) {
    ToolRecord* chosen = ToolRecordOf(palette, newIndex);
    if (chosen == nullptr) return;
    if (palette == kMainPalette) SetCurrentToolGroup(static_cast<ToolGroup>(newIndex));
    const platform::WindowHandle none{};
    if (oldIndex == newIndex && IsCycleKind(chosen->kind)) {
        StepToolFace(view, chosen);
    } else if (oldIndex == newIndex) {
        SendFrom(palette, newIndex, view, ToolAction::Reclick, none, win::Message::Null, 0, 0, nullptr);
    } else {
        SendFrom(palette, oldIndex, view, ToolAction::Deselect, none, win::Message::Null, 0, 0, nullptr);
        SendFrom(palette, newIndex, view, ToolAction::Select, none, win::Message::Null, 0, 0, nullptr);
    }
    // provisional: a Main button whose tools have no handler yet (Notes, Text &
    // Symbols, Performance) arms its group's object type, as the group commands did.
    if (palette == kMainPalette && !ReachesToolHandler(palette, newIndex))
        SelectToolType(view, ToolGroupObjectType(static_cast<ToolGroup>(newIndex)));
    if (palette == kGraphicsPalette) GraphicsAlternateFlag();
}

void SelectMainButton(ScoreView* view, int index) {
    if (PaletteWindow(kMainPalette))
        DrawToolButtonPressed(view, kMainPalette, index);  // the palette runs ChooseToolButton
    else
        ChooseToolButton(view, kMainPalette, CurrentToolButton(kMainPalette), index);
}

}  // namespace ql
