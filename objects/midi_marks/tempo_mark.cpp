// The tempo mark: beat units and their symbols and maxima, the number drawn beside
// the symbol at its 4-bit column and row, the arrow keys that move it, the search
// for the latest earlier mark a new one inherits from, placing at a click and the
// class (see mark_classes.h). The number stands at x = anchor + half the symbol's
// width + 16 x column, y = anchor + 16 x (row - 4), in the document's style 8.
#include <charconv>
#include <string_view>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/midi_action_text.h"
#include "core/settings/program_options.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/midi_marks/midi_marks.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_out.h"

namespace ql {
namespace {

// The unit's symbol and ticks, plain and dotted, by unit.
struct UnitEntry {
    uint16_t symbol;
    uint16_t dottedSymbol;
    int ticks;
};
constexpr UnitEntry kUnits[] = {{243, 244, 512}, {240, 241, 1024}, {237, 238, 2048}};
constexpr int kBeatsTimesTicks = 0x78000;  // 491520: maximum beats x ticks of the unit
constexpr int kDottedNumerator = 3;        // a dotted unit is 3/2 of the plain one
constexpr int kDottedDenominator = 2;
constexpr int kPlaceStep = 16;             // logical units per place
constexpr int kRowOrigin = 4;
constexpr uint16_t kPlaceMask = 0x0F;
enum PlaceAxis { kRowAxis = 0, kColumnAxis = 1 };
constexpr int kMaxCellObjects = 64 * 1024;
constexpr uint16_t kInheritedTextFlags = 0x0FFA;  // flags 1, 3..11: not the string or own font
constexpr int kNumberBytes = 16;

MidiAction& ActionOf(ScoreObject* object) {
    return *MidiActionOfText(object);
}

int PlaceOf(const MidiAction& action, PlaceAxis axis) {
    return (action.flags >> kTempoPlaceShift[axis]) & kPlaceMask;
}

void SetPlace(MidiAction& action, PlaceAxis axis, int place) {
    const int shift = kTempoPlaceShift[axis];
    const int wrapped = ((place % kTempoPlaces) + kTempoPlaces) % kTempoPlaces;
    action.flags = static_cast<uint16_t>((action.flags & ~(kPlaceMask << shift)) | (wrapped << shift));
}

bool IsShownNumber(const TextObject& text) {
    return (text.body.flags & kTempoNumberShown) != 0;
}

// Draws the number beside the symbol on the view's context; restores alignment and
// font. Nothing when the style font cannot be had.
void DrawTempoNumber(ScoreObject* object, ScoreView* view, platform::DcHandle dc) {
    TextObject* text = AsTextObject(object);
    const LogicalPoint anchor = TextObjectAnchorPoint(object, view);
    char digits[kNumberBytes];
    const std::string_view number(digits, static_cast<size_t>(
        std::to_chars(digits, digits + sizeof digits, ActionOf(object).head.values.value).ptr - digits));
    // The symbol's width is kept in the object by every measuring (placing, the
    // dialog, reading); a mark never measured is measured here first.
    if (text->body.width <= kMinimumTextExtent)
        ClassOf(object).Measure(object, view);
    platform::FontHandle font{view->document->fonts[kTempoNumberStyle].handle};
    if (!font) font = CreateTextStyleFont(view, kTempoNumberStyle);
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignLeft);
    if (!font) {
        gfx::SetTextAlign(dc, align);
        return;
    }
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    // A hidden mark shown by the show-hidden option is faint, its number too.
    const bool faint = (text->body.flags & kTextHidden) != 0 && !IsPrinting();
    const gfx::Colour colour = faint ? gfx::SetTextColour(dc, kGreyColour) : 0;
    const MidiAction& action = ActionOf(object);
    const gfx::Point at{anchor.x + text->body.width / 2 + kPlaceStep * PlaceOf(action, kColumnAxis),
                        anchor.y + kPlaceStep * (PlaceOf(action, kRowAxis) - kRowOrigin)};
    text::TextOutA(dc, at, number);
    if (faint) gfx::SetTextColour(dc, colour);
    gfx::SelectObject(dc, previous);
    gfx::SetTextAlign(dc, align);
}

// The latest tempo mark of one cell by the rule of the measure searched: in the
// click's own measure the nearest before `tick`, in earlier ones the latest.
ScoreObject* LatestInCell(MeasureCell* cell, bool ownMeasure, uint16_t tick, ScoreObject* held) {
    ScoreObject* object = cell != nullptr ? cell->objects.get() : nullptr;
    for (int i = 0; object != nullptr && i < kMaxCellObjects; ++i, object = object->next.get()) {
        if (object->type != TypeCode(ObjectType::Tempo)) continue;
        const uint16_t at = static_cast<uint16_t>(AsTextObject(object)->body.location.position >> 16);
        if (ownMeasure && at >= tick) continue;
        const uint16_t heldAt =
            held != nullptr ? static_cast<uint16_t>(AsTextObject(held)->body.location.position >> 16) : 0;
        if (held == nullptr || at > heldAt) held = object;
    }
    return held;
}

// Copies what a new mark takes from the earlier one.
void InheritFrom(ScoreObject* tempo, ScoreObject* earlier) {
    MidiAction& action = ActionOf(tempo);
    const MidiAction& from = ActionOf(earlier);
    action.flags = static_cast<uint16_t>((action.flags & ~kMidiFlagEnabled) | (from.flags & kMidiFlagEnabled));
    uint16_t& flags = AsTextObject(tempo)->body.flags;
    flags = static_cast<uint16_t>((flags & ~kInheritedTextFlags) |
                                  (AsTextObject(earlier)->body.flags & kInheritedTextFlags));
    if (IsDataCarrying(from)) return;  // an envelope holds no plain value to take
    action.head.values.value =
        MidiTimingOf(from) != 0 ? from.head.values.finalValue : from.head.values.value;
    action.head.values.finalValue = action.head.values.value;
}

// A tempo word: no number, no dialog.
bool TakeTempoWord(ScoreObject* tempo) {
    const int8_t entry = MarkTools().performanceEntry;
    for (size_t i = 0; i < std::size(kTempoWordEntries); ++i) {
        if (entry != kTempoWordEntries[i]) continue;
        TextObject* text = AsTextObject(tempo);
        text->body.string = kTempoWordSymbols[i];
        text->body.flags &= static_cast<uint16_t>(~(kTextHidden | kTempoNumberShown));
        return true;
    }
    return false;
}

class TempoClass final : public MidiTextObjectClass {
  public:
    void Draw(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override {
        const int result = RunTempoDialog(view, object);
        MeasureAndSelect(object, view);
        CommitFocusedElement(view);
        return result == 1 ? 1 : 0;
    }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const override {
        return MoveTempoNumber(object, view, key) != 0 ? 1
                                                        : MidiTextObjectClass::OnKey(object, view, key);
    }
    int OnEditCommand(ScoreObject*, ScoreView*, int, int) const override { return 0; }
};

void TempoClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return;
    TextObject* text = AsTextObject(object);
    if ((text->body.flags & kTextHidden) != 0 && Options().ShowHidden == 0) return;
    MidiTextObjectClass::Draw(object, view);
    if (!IsShownNumber(*text)) return;
    BeginViewDraw(view);
    if (view->ViewDC) DrawTempoNumber(object, view, view->ViewDC);
    EndViewDraw(view);
}

// Steps 1-7 of placing: the tool's defaults at the pointer, what the latest earlier
// mark sets, then a tempo word or the dialog, all in one undo step. The dialog runs
// before the mark is linked, so a cancelled mark leaves no trace in the score.
ScoreObject* TempoClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Tempo), UndoVerb::Modify);
    ScoreObject* mark = ConstructObject(TypeCode(ObjectType::Tempo));
    if (mark == nullptr) return nullptr;
    ConstructTempoForView(mark, view);
    AnchorTextAtPointer(view, AsTextObject(mark));
    const auto tick = static_cast<uint16_t>(AsTextObject(mark)->body.location.position >> 16);
    InheritEarlierTempo(view, mark, view->currentMeasure, tick);
    if (!TakeTempoWord(mark)) {
        int result = 0;
        {
            ScopedAlwaysCommit creating;
            SetEditMode(0);
            result = RunTempoDialog(view, mark);
            SetEditMode(1);
        }
        if (result == 2) {
            ReleaseObjectByType(view->document, mark);
            return nullptr;
        }
    }
    return InsertAndFocus(view, mark) ? mark : nullptr;
}

}  // namespace

TempoUnit TempoUnitOf(uint16_t textFlags) {
    const int unit = (textFlags & kTempoUnitMask) >> kTempoUnitShift;
    return unit < static_cast<int>(std::size(kUnits)) ? static_cast<TempoUnit>(unit) : TempoUnit::Quarter;
}

bool IsTempoDotted(uint16_t textFlags) {
    return (textFlags & kTempoDotted) != 0;
}

uint16_t TempoUnitSymbol(TempoUnit unit, bool dotted) {
    const UnitEntry& entry = kUnits[static_cast<int>(unit)];
    return dotted ? entry.dottedSymbol : entry.symbol;
}

int TempoMaximumBeats(TempoUnit unit, bool dotted) {
    const int ticks = kUnits[static_cast<int>(unit)].ticks;
    return dotted ? kBeatsTimesTicks * kDottedDenominator / (ticks * kDottedNumerator)
                  : kBeatsTimesTicks / ticks;
}

bool IsTempoWord(uint16_t symbol) {
    for (uint16_t word : kTempoWordSymbols)
        if (symbol == word) return true;
    return false;
}

int TempoNumberColumn(const MidiAction& action) {
    return PlaceOf(action, kColumnAxis);
}

int TempoNumberRow(const MidiAction& action) {
    return PlaceOf(action, kRowAxis);
}

void ConstructTempoForView(ScoreObject* object, ScoreView* view) {
    ConstructTempoForRead(object);
    TextObject* text = AsTextObject(object);
    text->body.flags = kTempoNewTextFlags;
    text->body.style = kMarkStyle;
    object->subtype = SubtypeCode(PlacesOnMasterPage(view) ? ObjectSubtype::PageList
                                                           : ObjectSubtype::MeasureTimeList);
    MidiAction& action = ActionOf(object);
    action.flags = kTempoNewFlags;
    action.destinationTiming &= kMidiDestinationMask;
    action.head.values.value = kTempoDefaultBeats;
    action.head.values.finalValue = kTempoDefaultBeats;
}

bool InheritEarlierTempo(ScoreView* view, ScoreObject* tempo, int measure, uint16_t tick) {
    if (view == nullptr || view->document == nullptr || tempo == nullptr) return false;
    ScoreDocument* document = view->document;
    for (int m = measure; m >= 1; --m) {
        ScoreObject* found = nullptr;
        for (int staff = 1; staff <= document->header.staffCount; ++staff)
            found = LatestInCell(ExistingMeasureCell(document, staff, m), m == measure, tick, found);
        if (found != nullptr) {
            InheritFrom(tempo, found);
            return true;
        }
    }
    return false;
}

int MoveTempoNumber(ScoreObject* tempo, ScoreView* view, uint32_t key) {
    if (key < kKeyLeft || key > kKeyDown) return 0;
    if (tempo == nullptr || view == nullptr || view->document == nullptr) return 0;
    MidiAction& action = ActionOf(tempo);
    UndoStep undo(view->document, view, UndoKind::Item, TypeCode(ObjectType::Tempo), UndoVerb::Modify);
    EraseBeforeChange(tempo, view);
    const PlaceAxis axis = key == kKeyLeft || key == kKeyRight ? kColumnAxis : kRowAxis;
    const int step = key == kKeyLeft || key == kKeyUp ? -1 : 1;
    SetPlace(action, axis, PlaceOf(action, axis) + step);
    RedrawAfterChange(tempo, view);
    SetDocumentModified(view->document);
    return 1;
}

const TextObjectClass& TempoMarkClass() {
    static const TempoClass instance;
    return instance;
}

}  // namespace ql
