// The chord symbol's class (see chord_class.h): the diagram character in its style's
// font with the name raised above it, placing at a click with dialog 874, the Up and
// Down keys on the name, and cloning.
#include "objects/chord/chord_class.h"

#include <algorithm>
#include <cstdint>

#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/object_services.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

constexpr char kRaiseProbe = '<';
constexpr int kRaiseQuarter = 4;
constexpr uint8_t kHiddenDiagramCharacter = 127;  // the font shows it at 252
constexpr uint8_t kShownDiagramCharacter = 252;
constexpr int16_t kLargeMusicFontHeight = 188;  // name styles this tall take the large font

ChordSymbol* Chord(ScoreObject* object) {
    return AsChordSymbol(object);
}

platform::FontHandle StyleFontOf(ScoreView* view, uint8_t style) {
    platform::FontHandle font{view->document->fonts[style].handle};
    return font ? font : CreateTextStyleFont(view, style);
}

platform::FontHandle AccidentalFontFor(ScoreView* view, uint8_t nameStyle) {
    const DrawingGlobals& drawing = State().drawing;
    return view->document->fonts[nameStyle].height < kLargeMusicFontHeight ? drawing.MusicFont65 : drawing.MusicFont;
}

int32_t TextWidth(platform::DcHandle dc, std::string_view text, int32_t* height = nullptr) {
    gfx::Size size{};
    text::GetTextExtentA(dc, text, &size);
    if (height != nullptr) *height = size.cy;
    return size.cx;
}

// Draws the diagram at the anchor; returns how far the name is raised above it.
int32_t DrawDiagram(ChordSymbol* chord, ScoreView* view, platform::DcHandle dc, LogicalPoint anchor) {
    const platform::FontHandle font = StyleFontOf(view, TextStyleSlotOf(chord->text.body.style));
    if (!font) return 0;
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    const int32_t probe = TextWidth(dc, std::string_view(&kRaiseProbe, 1));
    const bool shown = chord->chord.showSymbol != 0;
    if (shown) {
        uint8_t character = static_cast<uint8_t>(chord->text.body.string);
        if (character == kHiddenDiagramCharacter) character = kShownDiagramCharacter;
        const char glyph = static_cast<char>(character);
        text::TextOutA(dc, gfx::Point{anchor.x, anchor.y}, std::string_view(&glyph, 1));
    }
    gfx::SelectObject(dc, previous);
    return shown ? probe + probe / kRaiseQuarter : 0;
}

void DrawName(ChordSymbol* chord, ScoreView* view, platform::DcHandle dc, LogicalPoint anchor, int32_t raise) {
    const uint8_t style = static_cast<uint8_t>(ChordNameStyleOf(chord->chord.nameStyle));
    const platform::FontHandle nameFont = StyleFontOf(view, style);
    const platform::FontHandle musicFont = AccidentalFontFor(view, style);
    if (!nameFont) return;
    raise -= static_cast<int8_t>(chord->text.body.charset);
    const platform::FontHandle previous = gfx::SelectObject(dc, nameFont);
    // The built name starts with the root letter; the rest is measured without blanks.
    const std::string shown = ShownChordName(chord->chord);
    const std::string_view letters(shown);
    ChordNameMetrics metrics;
    metrics.rootWidth = TextWidth(dc, letters.substr(0, 1), &metrics.rootHeight);
    metrics.restWidth = TextWidth(dc, letters.substr(std::min<size_t>(1, letters.size())));
    const bool accidentals = ChordAccidentalOf(chord->chord.rootAccidental) != 0 ||
                             (ChordShowsBass(chord->chord) && ChordAccidentalOf(chord->chord.bassAccidental) != 0);
    if (musicFont && accidentals) {
        gfx::SelectObject(dc, musicFont);
        constexpr char kSharp = static_cast<char>(kChordSharpGlyph);
        metrics.accidentalWidth = TextWidth(dc, std::string_view(&kSharp, 1));
    }
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignLeft);
    for (const ChordNamePiece& piece :
         LayOutChordName(chord->chord, shown, anchor, raise, metrics)) {
        if (piece.accidental && !musicFont) continue;
        gfx::SelectObject(dc, piece.accidental ? musicFont : nameFont);
        text::TextOutA(dc, gfx::Point{piece.at.x, piece.at.y}, piece.text);
    }
    gfx::SetTextAlign(dc, align);
    gfx::SelectObject(dc, previous);
}

class ChordClass final : public TextObjectClass {
  public:
    void Draw(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override {
        const int result = RunChordDialog(view, object);
        MeasureAndSelect(object, view);
        CommitFocusedElement(view);
        return result == 1 ? 1 : 0;
    }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const override {
        return MoveChordName(object, view, key) != 0 ? 1 : TextObjectClass::OnKey(object, view, key);
    }
    int OnEditCommand(ScoreObject*, ScoreView*, int, int) const override { return 0; }
    ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source, PoolSet target) const override;
};

void ChordClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return;
    const LogicalPoint anchor = TextObjectAnchorPoint(object, view);
    BeginViewDraw(view);
    platform::DcHandle dc = view->ViewDC;
    if (!dc) {
        PlayAlertBeep(ui::kBoxIconStop);
    } else {
        const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
        const gfx::BackgroundMode mode = gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
        const int32_t raise = DrawDiagram(Chord(object), view, dc, anchor);
        if (Chord(object)->chord.showName != 0) DrawName(Chord(object), view, dc, anchor, raise);
        gfx::SetBackgroundMode(dc, mode);
        gfx::SetTextAlign(dc, align);
    }
    EndViewDraw(view);
}

// A new C major symbol with the program's defaults at the pointer; dialog 874 runs
// before it is linked, so a cancelled one leaves nothing behind.
ScoreObject* ChordClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (view->document->header.staffCount == 0 && view->pageView == 0) return nullptr;
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Chord), UndoVerb::Modify);
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Chord));
    if (object == nullptr) return nullptr;
    object->subtype = SubtypeCode(PlacesOnMasterPage(view) ? ObjectSubtype::PageList
                                                           : ObjectSubtype::MeasureTimeList);
    const MarkToolState& tools = MarkTools();
    Chord(object)->chord.nameStyle = tools.chordNameStyle;
    Chord(object)->chord.showName = tools.chordShowName;
    Chord(object)->chord.showSymbol = tools.chordShowSymbol;
    AnchorTextAtPointer(view, AsTextObject(object));
    int result = 0;
    {
        ScopedAlwaysCommit creating;
        result = RunChordDialog(view, object);
    }
    if (result != 1) {
        ReleaseObjectByType(view->document, object);
        return nullptr;
    }
    return InsertAndFocus(view, object) ? object : nullptr;
}

ScoreObject* ChordClass::Clone(ScoreObject* object, ScoreView* view, PoolSet, PoolSet target) const {
    ScopedPoolSet allocating(target);
    ScoreObject* copy = ConstructObject(TypeCode(ObjectType::Chord));
    if (copy == nullptr) return nullptr;
    const ChordSymbol* source = Chord(object);
    ChordSymbol* made = Chord(copy);
    made->text.body.location = source->text.body.location;
    made->text.body.string = source->text.body.string;
    made->text.body.style = source->text.body.style;
    copy->type = object->type;
    copy->subtype = object->subtype;
    const ChordFields& from = source->chord;
    made->chord = ChordFields{from.quality, from.root, from.bass, from.rootAccidental, from.bassAccidental,
                              from.nameStyle, from.showName, from.showSymbol, {0, 0}};
    if (view != nullptr) Measure(copy, view);
    return copy;
}

}  // namespace

int MoveChordName(ScoreObject* chord, ScoreView* view, uint32_t key) {
    if (key != kKeyUp && key != kKeyDown) return 0;
    if (chord == nullptr || view == nullptr || view->document == nullptr) return 0;
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Chord), UndoVerb::Modify);
    EraseBeforeChange(chord, view);
    uint8_t& offset = AsTextObject(chord)->body.charset;
    // The offset is a signed byte: it stops at its ends rather than wrap round.
    const int step16 = key == kKeyUp ? -kChordNameStep : kChordNameStep;
    offset = static_cast<uint8_t>(std::clamp(static_cast<int8_t>(offset) + step16, INT8_MIN, INT8_MAX));
    RedrawAfterChange(chord, view);
    SetDocumentModified(view->document);
    return 1;
}

const TextObjectClass& ChordSymbolClass() {
    static const ChordClass instance;
    return instance;
}

}  // namespace ql
