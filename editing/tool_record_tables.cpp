// The static tool records of the ten palettes: for every button its handler, face
// (strip and image), kind, alternate faces and tooltip, and the palettes that the
// opener buttons show. The palettes draw their faces and tooltips from these
// records, and the walks of tool_records.cpp call their handlers.
#include <array>
#include <new>
#include <span>
#include <string_view>

#include "core/state.h"
#include "editing/editing_services.h"
#include "editing/group_tools.h"
#include "editing/notes_tool_handler.h"
#include "editing/palette_layout.h"
#include "editing/pointer_tool.h"
#include "editing/tool_records.h"
#include "notes/accidentals/accidental.h"
#include "notes/articulations/articulation_tool.h"
#include "objects/curves/slur_class.h"
#include "objects/graphics/graphic_class.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/object_dialogs.h"
#include "objects/picture/picture_class.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/text_marks/text_tools.h"
#include "sequencer/midi_event_object.h"
#include "staves/clef_key_tools.h"
#include "staves/time_signature_tool.h"

namespace ql {
namespace {

constexpr uint16_t kCurveAlternateStrip = 185;
constexpr uint16_t kHairpinAlternateStrip = 186;
constexpr uint16_t kWavyLineStrip = 182;
constexpr uint16_t kPedalAlternateStrip = 232;
constexpr uint16_t kSignStrip = 34;

// The tooltip texts; a record's tooltipId is its text's place here plus one.
constexpr const char* kToolTips[] = {
    "Staff Tools", "Notes", "Graphics", "Text & Symbols", "Performance",
    "Pointer (Right Click for Toolbar)", "Zoom In/Out",
    "Edit Staff", "Measure Ruler", "MIDI Setup", "Clef", "Key Signature", "Time Signature",
    "Staff Label", "System Bracket", "System Brace",
    "Toggle Note/Rest", "Toggle Whole/Double", "Toggle Value", "Note Heads...", "Toggle Dots",
    "Tuplets...", "Ornaments...", "Accents...", "Parens (Accidentals)", "Toggle Sharps",
    "Toggle Flats",
    "Slur", "Tie", "Crescendo/Decrescendo", "Repeat Ending", "8oct", "Pedal", "Rectangle",
    "Ellipse", "Line", "Paste Picture",
    "Text Line", "Text Box", "Lyric", "Rehearsal Mark", "Guitar Chord", "Font Symbol",
    "Dynamics...", "MIDI Event", "Metronome Setting"};

// The id of a tooltip text (0 for none).
uint32_t Tip(const char* text) {
    for (size_t i = 0; i < std::size(kToolTips); ++i)
        if (std::string_view(kToolTips[i]) == text) return static_cast<uint32_t>(i + 1);
    return 0;
}

// A face of an alternate table.
constexpr ToolRecord Face(ToolHandler handler, uint16_t strip, uint8_t image) {
    ToolRecord r{};
    r.handler = handler;
    r.bitmapId = strip;
    r.imageIndex = image;
    return r;
}
constexpr ToolRecord kEndOfTable{};

// A button of a static table: handler, strip, image, kind, alternates and tooltip.
ToolRecord Button(ToolHandler handler, uint16_t strip, uint8_t image, uint8_t kind = kRadioButton,
                  ToolRecord* alternates = nullptr, const char* tip = nullptr) {
    ToolRecord r{};
    r.handler = handler;
    r.bitmapId = strip;
    r.imageIndex = image;
    r.kind = kind;
    r.alternates = alternates;
    r.tooltipId = tip != nullptr ? Tip(tip) : 0;
    return r;
}
ToolRecord Button(ToolHandler handler, uint16_t strip, uint8_t image, const char* tip) {
    return Button(handler, strip, image, kRadioButton, nullptr, tip);
}

// A button of the "Text Line" family: its variant word (the face's place in the
// family) rides in the alternate index the text tool reads.
ToolRecord TextLine(uint8_t image, const char* tip = nullptr) {
    ToolRecord r = Button(TextToolHandler, kTextSymbolsStrip, image, tip);
    r.alternateIndex = static_cast<int8_t>(image);
    return r;
}

// The entries of a pop-up palette: the flyout handler, the palette's strip, image =
// place.
template <size_t N>
std::array<ToolRecord, N> Flyout(uint16_t strip) {
    std::array<ToolRecord, N> entries{};
    for (size_t i = 0; i < N; ++i) entries[i] = Button(SelectFlyoutEntry, strip, static_cast<uint8_t>(i));
    return entries;
}

// Not copied: the buttons point at the alternate tables of the same object.
struct Tables {
    Tables() = default;
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;

    // Notes: the whole/double and short-value faces in note and in rest mode, the
    // dots and the two sign buttons.
    std::array<ToolRecord, 3> wholeNoteFaces = {Face(nullptr, kNotesStrip, 1), Face(nullptr, 31, 1), kEndOfTable};
    std::array<ToolRecord, 3> wholeRestFaces = {Face(nullptr, 32, 1), Face(nullptr, 33, 1), kEndOfTable};
    std::array<ToolRecord, 4> shortNoteFaces = {Face(nullptr, kNotesStrip, 6), Face(nullptr, 37, 6),
                                                Face(nullptr, 38, 6), kEndOfTable};
    std::array<ToolRecord, 4> shortRestFaces = {Face(nullptr, 33, 6), Face(nullptr, 34, 6), Face(nullptr, 35, 6),
                                                kEndOfTable};
    std::array<ToolRecord, 4> dotsFaces = {Face(nullptr, kNotesStrip, 8), Face(nullptr, 38, 8),
                                           Face(nullptr, 39, 8), kEndOfTable};
    std::array<ToolRecord, 3> sharpFaces = {Face(nullptr, kNotesStrip, 14), Face(nullptr, kSignStrip, 14),
                                            kEndOfTable};
    std::array<ToolRecord, 3> flatFaces = {Face(nullptr, kNotesStrip, 15), Face(nullptr, kSignStrip, 15),
                                           kEndOfTable};
    // Graphics.
    std::array<ToolRecord, 3> slurFaces = {Face(AlternateCurveHandler, kGraphicsStrip, 0),
                                           Face(AlternateCurveHandler, kCurveAlternateStrip, 0), kEndOfTable};
    std::array<ToolRecord, 3> tieFaces = {Face(AlternateCurveHandler, kGraphicsStrip, 1),
                                          Face(AlternateCurveHandler, kCurveAlternateStrip, 1), kEndOfTable};
    std::array<ToolRecord, 3> hairpinFaces = {Face(nullptr, kGraphicsStrip, 2),
                                              Face(nullptr, kHairpinAlternateStrip, 2), kEndOfTable};
    std::array<ToolRecord, 3> pedalLineFaces = {Face(nullptr, kGraphicsStrip, 5), Face(nullptr, kWavyLineStrip, 5),
                                                kEndOfTable};
    std::array<ToolRecord, 3> lineFaces = {Face(nullptr, kGraphicsStrip, 8), Face(nullptr, kWavyLineStrip, 8),
                                           kEndOfTable};
    // Performance: the pedal mark's two faces.
    std::array<ToolRecord, 3> pedalMarkFaces = {Face(nullptr, kPerformanceStrip, 7),
                                                Face(nullptr, kPedalAlternateStrip, 7), kEndOfTable};

    std::array<ToolRecord, 7> main = {
        Button(GroupSelectorHandler, kMainStrip, 0, "Staff Tools"),
        Button(NotesToolHandler, kMainStrip, 1, "Notes"),
        Button(GroupSelectorHandler, kMainStrip, 2, "Graphics"),
        Button(GroupSelectorHandler, kMainStrip, 3, "Text & Symbols"),
        Button(GroupSelectorHandler, kMainStrip, 4, "Performance"),
        Button(PointerToolHandler, kMainStrip, 5, "Pointer (Right Click for Toolbar)"),
        Button(ZoomToolHandler, kMainStrip, 6, "Zoom In/Out"),
    };
    std::array<ToolRecord, 9> staffTools = {
        Button(StaffToolHandler, kStaffToolsStrip, 0, "Edit Staff"),
        Button(StretcherToolHandler, kStaffToolsStrip, 1, "Measure Ruler"),
        Button(MidiSetupToolHandler, kStaffToolsStrip, 2, "MIDI Setup"),
        Button(ClefTool, kStaffToolsStrip, 3, "Clef"),
        Button(KeyTool, kStaffToolsStrip, 5, "Key Signature"),
        Button(TimeSignatureTool, kStaffToolsStrip, 4, "Time Signature"),
        Button(StaffLabelToolHandler, kStaffToolsStrip, 6, "Staff Label"),
        Button(BracketToolHandler, kStaffToolsStrip, 7, "System Bracket"),
        Button(BracketToolHandler, kStaffToolsStrip, 8, "System Brace"),
    };
    std::array<ToolRecord, 16> notes = {
        Button(ToggleNoteRest, kNotesStrip, 0, kMomentaryButton, nullptr, "Toggle Note/Rest"),
        Button(NotesToolHandler, kNotesStrip, 1, kCycleButton, wholeNoteFaces.data(), "Toggle Whole/Double"),
        Button(NotesToolHandler, kNotesStrip, 2),
        Button(NotesToolHandler, kNotesStrip, 3),
        Button(NotesToolHandler, kNotesStrip, 4),
        Button(NotesToolHandler, kNotesStrip, 5),
        Button(NotesToolHandler, kNotesStrip, 6, kCycleButton, shortNoteFaces.data(), "Toggle Value"),
        Button(NoteHeadsToolHandler, kNotesStrip, 7, kOpenerButton, nullptr, "Note Heads..."),
        Button(ToggleDotsToolHandler, kNotesStrip, 8, kCycleButton8, dotsFaces.data(), "Toggle Dots"),
        Button(TupletToolHandler, kNotesStrip, 9, kOpenerButton, nullptr, "Tuplets..."),
        Button(ArticulationToolHandler, kNotesStrip, 10, kOpenerButton, nullptr, "Ornaments..."),
        Button(ArticulationToolHandler, kNotesStrip, 11, kOpenerButton, nullptr, "Accents..."),
        Button(AccidentalToolHandler, kNotesStrip, 12, kOpenerButton, nullptr, "Parens (Accidentals)"),
        Button(AccidentalToolHandler, kNotesStrip, 13),
        Button(AccidentalToolHandler, kNotesStrip, 14, kCycleButton, sharpFaces.data(), "Toggle Sharps"),
        Button(AccidentalToolHandler, kNotesStrip, 15, kCycleButton, flatFaces.data(), "Toggle Flats"),
    };
    std::array<ToolRecord, 10> graphics = {
        Button(SlurToolHandler, kGraphicsStrip, 0, kCycleButton, slurFaces.data(), "Slur"),
        Button(TieToolHandler, kGraphicsStrip, 1, kCycleButton, tieFaces.data(), "Tie"),
        Button(HairpinTool, kGraphicsStrip, 2, kCycleButton, hairpinFaces.data(), "Crescendo/Decrescendo"),
        Button(RepeatEndingToolHandler, kGraphicsStrip, 3, "Repeat Ending"),
        Button(OctaveLineToolHandler, kGraphicsStrip, 4, "8oct"),
        Button(WicketteToolHandler, kGraphicsStrip, 5, kCycleButton, pedalLineFaces.data(), "Pedal"),
        Button(BoxTool, kGraphicsStrip, 6, "Rectangle"),
        Button(CircleTool, kGraphicsStrip, 7, "Ellipse"),
        Button(LineTool, kGraphicsStrip, 8, kCycleButton, lineFaces.data(), "Line"),
        Button(PictureTool, kGraphicsStrip, 9, "Paste Picture"),
    };
    std::array<ToolRecord, 10> textSymbols = {
        TextLine(0, "Text Line"),
        Button(TextBoxToolHandler, kTextSymbolsStrip, 1, "Text Box"),
        Button(LyricToolHandler, kTextSymbolsStrip, 2, "Lyric"),
        TextLine(3, "Rehearsal Mark"),
        Button(ChordSymbolTool, kTextSymbolsStrip, 4, "Guitar Chord"),
        TextLine(5, "Font Symbol"),
        TextLine(6),
        TextLine(7),
        TextLine(8),
        TextLine(9),
    };
    std::array<ToolRecord, 8> performance = {
        Button(DynamicTool, kPerformanceStrip, 0, "Dynamics..."),
        Button(DynamicTool, kPerformanceStrip, 1),
        Button(DynamicTool, kPerformanceStrip, 2),
        Button(MidiEventToolHandler, kPerformanceStrip, 3, "MIDI Event"),
        Button(TempoTool, kPerformanceStrip, 4, "Metronome Setting"),
        Button(TempoTool, kPerformanceStrip, 5),
        Button(TempoTool, kPerformanceStrip, 6),
        Button(PedalTool, kPerformanceStrip, 7, kCycleButton, pedalMarkFaces.data()),
    };
    std::array<ToolRecord, 15> dynamics = Flyout<15>(kDynamicsStrip);
    std::array<ToolRecord, 18> heads = Flyout<18>(kHeadsStrip);
    std::array<ToolRecord, 20> accents = Flyout<20>(kAccentsStrip);
    std::array<ToolRecord, 30> ornaments = Flyout<30>(kOrnamentsStrip);

    void ToRests() {
        for (int i : {2, 3, 4, 5}) notes[static_cast<size_t>(i)].bitmapId = 33;
        notes[0].bitmapId = 31;
        notes[1].alternates = wholeRestFaces.data();
        notes[6].alternates = shortRestFaces.data();
    }
    void ToNotes() {
        for (int i : {0, 2, 3, 4, 5}) notes[static_cast<size_t>(i)].bitmapId = kNotesStrip;
        notes[1].alternates = wholeNoteFaces.data();
        notes[6].alternates = shortNoteFaces.data();
    }
};

Tables& TheTables() {
    static Tables tables;
    return tables;
}

std::span<ToolRecord> TableOf(int palette) {
    Tables& t = TheTables();
    switch (palette) {
        case kMainPalette: return t.main;
        case kStaffToolsPalette: return t.staffTools;
        case kNotesPalette: return t.notes;
        case kGraphicsPalette: return t.graphics;
        case kTextSymbolsPalette: return t.textSymbols;
        case kPerformancePalette: return t.performance;
        case kDynamicsPalette: return t.dynamics;
        case kHeadsPalette: return t.heads;
        case kAccentsPalette: return t.accents;
        case kOrnamentsPalette: return t.ornaments;
        default: return {};
    }
}

}  // namespace

void ResetToolRecords() {
    // Made in place: the buttons point at the alternate tables beside them.
    Tables& tables = TheTables();
    tables.~Tables();
    new (&tables) Tables();
    SyncNoteEntryStrips();
}

ToolRecord* engine::ToolRecordOf(int palette, int index) {
    const std::span<ToolRecord> table = TableOf(palette);
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return nullptr;
    return &table[static_cast<size_t>(index)];
}

int ToolRecordCount(int palette) {
    return static_cast<int>(TableOf(palette).size());
}

const char* ToolTipText(uint32_t id) {
    return id >= 1 && id <= std::size(kToolTips) ? kToolTips[id - 1] : "";
}

int OpenedPaletteOf(int palette, int index) {
    if (palette == kNotesPalette && index == 7) return kHeadsPalette;
    if (palette == kNotesPalette && index == 10) return kOrnamentsPalette;
    if (palette == kNotesPalette && index == 11) return kAccentsPalette;
    if (palette == kPerformancePalette && index == 0) return kDynamicsPalette;
    return -1;
}

bool FindOpenerOf(int popUp, int* palette, int* index) {
    for (int p : {kNotesPalette, kPerformancePalette})
        for (int i = 0; i < ToolRecordCount(p); ++i)
            if (OpenedPaletteOf(p, i) == popUp) {
                *palette = p;
                *index = i;
                return true;
            }
    return false;
}

bool FindToolRecord(const ToolRecord* record, int* palette, int* index) {
    for (int p = 0; p < kPaletteCount; ++p) {
        const std::span<ToolRecord> table = TableOf(p);
        for (size_t i = 0; i < table.size(); ++i)
            if (&table[i] == record) {
                *palette = p;
                *index = static_cast<int>(i);
                return true;
            }
    }
    return false;
}

bool NotesPaletteShowsRests() {
    return TheTables().notes[0].bitmapId != kNotesStrip;
}

void SetNotesPaletteRests(bool rests) {
    Tables& t = TheTables();
    if (rests)
        t.ToRests();
    else
        t.ToNotes();
    for (int i : {1, 6}) {  // each takes the face of its current alternate
        ToolRecord& button = t.notes[static_cast<size_t>(i)];
        const ToolRecord& face = button.alternates[button.alternateIndex];
        button.bitmapId = face.bitmapId;
        button.imageIndex = face.imageIndex;
    }
    SyncNoteEntryStrips();
}

// Note entry reads the Notes palette's strips from its own copy.
void SyncNoteEntryStrips() {
    NoteToolState& entry = State().notes.NoteTools;
    const Tables& t = TheTables();
    for (size_t i = 0; i < t.notes.size(); ++i) entry.strips[i] = static_cast<uint8_t>(t.notes[i].bitmapId);
    entry.dotsStrip = static_cast<uint8_t>(t.notes[8].bitmapId);
}

}  // namespace ql
