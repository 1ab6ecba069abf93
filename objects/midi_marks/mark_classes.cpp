// The dynamic marking and the pedal mark: their palette defaults, placing at a
// click, the dynamic's keypad steps and both classes (see mark_classes.h). A pedal
// mark whose symbol is 0 is neither measured nor drawn.
#include "objects/midi_marks/mark_classes.h"

#include <algorithm>
#include <limits>

#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/dynamic_marks.h"
#include "core/objects/midi_action_text.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/midi_marks/midi_marks.h"
#include "objects/stored_classes.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

// The Dynamics palette: entry i places symbol 158 + i with its velocity offset, from
// the program's table of dynamics. With no entry chosen the tool places what the
// Performance palette's opener shows at first: mf.
static_assert(kDynamicsPaletteEntries == kPaletteDynamics);
constexpr int8_t kFirstShownDynamicEntry = 14;
static_assert(kFirstPaletteDynamic + kFirstShownDynamicEntry == 172);
// Performance palette entries that place a dynamic symbol of their own, offset 0.
struct PerformanceDynamic {
    int8_t entry;
    uint16_t symbol;
};
constexpr PerformanceDynamic kPerformanceDynamics[] = {{1, kCrescendoGlyph}, {2, kDiminuendoGlyph}};
constexpr const char* kVolumeStatus = "MIDI volume =";
constexpr int kVolumeStatusPart = 1;

MidiAction& ActionOf(ScoreObject* object) {
    return *MidiActionOfText(object);
}

void SetDestination(MidiAction& action, uint8_t destination) {
    action.destinationTiming =
        static_cast<uint8_t>((action.destinationTiming & ~kMidiDestinationMask) | destination);
}

constexpr int kTwoStaffScore = 2;

bool InGroup(const StaffRecord& staff, GroupKind kind) {
    return JoinsStaffAbove(staff, kind) || JoinsStaffBelow(staff, kind) ||
           IsOneStaffGroup(staff, kind);
}

// All staves of the bracket group when the staff is bracketed, or braced in a score
// of two staves; this staff only otherwise.
uint8_t PedalDestination(const ScoreView* view) {
    const StaffRecord* staff = view != nullptr ? view->currentStaffRecord : nullptr;
    if (staff == nullptr || view->document == nullptr) return 0;
    const bool bracedPair = InGroup(*staff, GroupKind::Brace) &&
                            view->document->header.staffCount == kTwoStaffScore;
    return InGroup(*staff, GroupKind::Bracket) || bracedPair ? kDestinationBracketGroup : 0;
}

// The class of the dynamic marking.
class DynamicClass final : public MidiTextObjectClass {
  public:
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const override {
        return StepDynamicValue(object, view, key) != 0 ? 1
                                                         : MidiTextObjectClass::OnKey(object, view, key);
    }
    int OnEditCommand(ScoreObject*, ScoreView*, int, int) const override { return 0; }
};

bool HasPedalSymbol(ScoreObject* object) {
    return AsTextObject(object)->body.string > 0;
}

// The class of the pedal mark.
class PedalClass final : public MidiTextObjectClass {
  public:
    void Measure(ScoreObject* object, ScoreView* view) const override {
        if (HasPedalSymbol(object)) MidiTextObjectClass::Measure(object, view);
    }
    void Draw(ScoreObject* object, ScoreView* view) const override {
        if (HasPedalSymbol(object)) MidiTextObjectClass::Draw(object, view);
    }
    void DrawString(ScoreObject* object, ScoreView* view, platform::DcHandle dc) const override {
        if (HasPedalSymbol(object)) MidiTextObjectClass::DrawString(object, view, dc);
    }
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
};

// Steps 1, 2 and 5 of placing, around the type's own settings.
ScoreObject* PlaceMark(ScoreView* view, ObjectType type, void (*construct)(ScoreObject*, ScoreView*),
                       void (*settle)(ScoreObject*, ScoreView*)) {
    if (view == nullptr || view->document == nullptr) return nullptr;
    // The record is taken inside the step, so that undoing it gives the record back.
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(type), UndoVerb::Modify);
    ScoreObject* mark = ConstructObject(TypeCode(type));
    if (mark == nullptr) return nullptr;
    construct(mark, view);
    AnchorTextAtPointer(view, AsTextObject(mark));
    settle(mark, view);
    return InsertAndFocus(view, mark) ? mark : nullptr;
}

void SettleDynamic(ScoreObject* mark, ScoreView* view) {
    MidiAction& action = ActionOf(mark);
    SetDestination(action, 0);
    uint8_t voices = view->voiceMask & kAllVoices;
    if (voices == 0) voices = kAllVoices;
    action.flags = static_cast<uint16_t>((action.flags & ~kMidiVoiceMask) | (voices << kMidiVoiceShift));
    if (mark->subtype == SubtypeCode(ObjectSubtype::PageList)) action.flags &= ~kMidiFlagEnabled;
}

void SettlePedal(ScoreObject* mark, ScoreView* view) {
    SetDestination(ActionOf(mark), PedalDestination(view));
}

int RunMarkDialog(ScoreObject* object, ScoreView* view, int (*run)(ScoreView*, ScoreObject*)) {
    const int result = run(view, object);
    ClassOf(object).MeasureAndSelect(object, view);
    CommitFocusedElement(view);
    return result == 1 ? 1 : 0;
}

ScoreObject* DynamicClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    return PlaceMark(view, ObjectType::Dynamic, &ConstructDynamicForView, &SettleDynamic);
}

int DynamicClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    return RunMarkDialog(object, view, &RunDynamicDialog);
}

ScoreObject* PedalClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    return PlaceMark(view, ObjectType::Pedal, &ConstructPedalForView, &SettlePedal);
}

int PedalClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    return RunMarkDialog(object, view, &RunPedalDialog);
}

// What every placed mark shares: the reader's constructor, then the new-mark text
// defaults and the subtype.
void ConstructPlaced(ScoreObject* object, ScoreView* view) {
    TextObject* text = AsTextObject(object);
    text->body.flags = kMarkNewTextFlags;
    text->body.style = kMarkStyle;
    object->subtype = SubtypeCode(PlacesOnMasterPage(view) ? ObjectSubtype::PageList
                                                           : ObjectSubtype::MeasureTimeList);
}

}  // namespace

DynamicChoice DynamicFromPalettes(const MarkToolState& tools) {
    for (const PerformanceDynamic& entry : kPerformanceDynamics)
        if (tools.performanceEntry == entry.entry) return {entry.symbol, 0};
    int8_t entry = tools.dynamicsEntry;
    if (entry < 0 || entry >= kDynamicsPaletteEntries) entry = kFirstShownDynamicEntry;
    const DynamicSign& mark = *DynamicOfGlyph(kFirstPaletteDynamic + entry);
    return {mark.glyph, mark.velocity};
}

bool PlacesOnMasterPage(const ScoreView* view) {
    const FileFlags& files = State().files;
    if (files.ScoreFileReading != 0 || files.ScoreFileWriting != 0 || view == nullptr) return false;
    return view->currentPage != nullptr && view->currentPage->pageNumber < 0;
}

void ConstructDynamicForView(ScoreObject* object, ScoreView* view) {
    ConstructDynamicForRead(object);
    ConstructPlaced(object, view);
    MidiAction& action = ActionOf(object);
    action.flags = kDynamicNewFlags;
    action.controller = kDynamicController;
    const DynamicChoice choice = DynamicFromPalettes(MarkTools());
    AsTextObject(object)->body.string = choice.symbol;
    action.head.values.value = choice.offset;
}

void ConstructPedalForView(ScoreObject* object, ScoreView* view) {
    ConstructPedalForRead(object);
    ConstructPlaced(object, view);
    MidiAction& action = ActionOf(object);
    action.flags = kPedalNewFlags;
    action.controller = kPedalController;
    const bool down = MarkTools().pedalButtonBitmap == kPedalDownBitmap;
    AsTextObject(object)->body.string = down ? kPedalDownSymbol : kPedalUpSymbol;
    action.head.values.value = down ? kPedalDownValue : 0;
}

int StepDynamicValue(ScoreObject* dynamic, ScoreView* view, uint32_t key) {
    if (key != kKeyPadPlus && key != kKeyPadMinus) return 0;
    if (dynamic == nullptr || view == nullptr || view->document == nullptr) return 0;
    MidiAction& action = ActionOf(dynamic);
    if (IsDataCarrying(action)) return 1;  // the value is the envelope's, not a number here
    // The key counts without the dialog's limits; the stored word saturates.
    using Limits = std::numeric_limits<int16_t>;
    const int step = key == kKeyPadPlus ? 1 : -1;
    {
        UndoStep undo(view->document, view, UndoKind::Item, TypeCode(ObjectType::Dynamic),
                      UndoVerb::Modify);
        action.head.values.value = static_cast<int16_t>(
            std::clamp<int>(action.head.values.value + step, Limits::min(), Limits::max()));
        SetDocumentModified(view->document);
    }
    SetStatusTextNumber(kVolumeStatusPart, kVolumeStatus, action.head.values.value);
    return 1;
}

const TextObjectClass& DynamicMarkClass() {
    static const DynamicClass instance;
    return instance;
}

const TextObjectClass& PedalMarkClass() {
    static const PedalClass instance;
    return instance;
}

}  // namespace ql
