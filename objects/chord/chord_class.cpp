// The chord symbol's class (see chord_class.h): the diagram character in its style's
// font with the name raised above it, placing at a click with dialog 874, the Up and
// Down keys on the name, and cloning.
#include "objects/chord/chord_class.h"

#include <algorithm>
#include <cstdint>
#include <map>

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
#include "platform/text/font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

constexpr char kRaiseProbe = '<';
constexpr int kRaiseQuarter = 4;
constexpr uint8_t kHiddenDiagramCharacter = 127;  // the font shows it at 252
constexpr uint8_t kShownDiagramCharacter = 252;
// The music font of a name's accidentals is this share of the name font's line
// height, so that a sharp or flat stands about as tall as the name's capitals.
constexpr int32_t kAccidentalEmNumerator = 9;
constexpr int32_t kAccidentalEmDenominator = 10;

ChordSymbol* Chord(ScoreObject* object) {
    return AsChordSymbol(object);
}

platform::FontHandle StyleFontOf(ScoreView* view, uint8_t style) {
    platform::FontHandle font{view->document->fonts[style].handle};
    return font ? font : CreateTextStyleFont(view, style);
}

int32_t TextWidth(platform::DcHandle dc, std::string_view text, int32_t* height = nullptr) {
    gfx::Size size{};
    text::GetTextExtentA(dc, text, &size);
    if (height != nullptr) *height = size.cy;
    return size.cx;
}

// How far the name is raised above the anchor by the diagram shown below it: a
// probe character's width and a quarter more in the diagram's font.
int32_t DiagramRaise(ChordSymbol* chord, platform::DcHandle dc) {
    if (chord->chord.showSymbol == 0) return 0;
    const int32_t probe = TextWidth(dc, std::string_view(&kRaiseProbe, 1));
    return probe + probe / kRaiseQuarter;
}

char DiagramCharacter(const ChordSymbol* chord) {
    uint8_t character = static_cast<uint8_t>(chord->text.body.string);
    if (character == kHiddenDiagramCharacter) character = kShownDiagramCharacter;
    return static_cast<char>(character);
}

// Draws the diagram at the anchor; returns how far the name is raised above it.
int32_t DrawDiagram(ChordSymbol* chord, ScoreView* view, platform::DcHandle dc, LogicalPoint anchor) {
    const platform::FontHandle font = StyleFontOf(view, TextStyleSlotOf(chord->text.body.style));
    if (!font) return 0;
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    const int32_t raise = DiagramRaise(chord, dc);
    if (chord->chord.showSymbol != 0) {
        const char glyph = DiagramCharacter(chord);
        text::TextOutA(dc, gfx::Point{anchor.x, anchor.y}, std::string_view(&glyph, 1));
    }
    gfx::SelectObject(dc, previous);
    return raise;
}

// The music font at an em of `height` units, made once for each height and kept
// for the program's run (a page recorded for printing or a picture refers to its
// fonts after the drawing); made again when the platform has let it go.
platform::FontHandle AccidentalFontOfHeight(int32_t height) {
    static std::map<int32_t, platform::FontHandle> made;
    platform::FontHandle& font = made[height];
    if (font && text::FindFont(font) != nullptr) return font;
    text::LogicalFont request = State().drawing.MusicFontTemplate;
    request.height = -height;
    font = CreateFontChecked(&request);
    return font;
}

// The name's fonts: its style's, and the music font of its accidentals sized to
// the name's letters.
struct NameFonts {
    platform::FontHandle name;
    platform::FontHandle music;

    NameFonts(ChordSymbol* chord, ScoreView* view) {
        name = StyleFontOf(view, static_cast<uint8_t>(ChordNameStyleOf(chord->chord.nameStyle)));
        platform::DcHandle dc = MeasuringContext(view);
        if (!name || !dc) return;
        const platform::FontHandle previous = gfx::SelectObject(dc, name);
        text::TextMetrics metrics;
        text::GetTextMetrics(dc, &metrics);
        gfx::SelectObject(dc, previous);
        music = AccidentalFontOfHeight(
            std::max<int32_t>(1, (metrics.ascent + metrics.descent) * kAccidentalEmNumerator / kAccidentalEmDenominator));
    }
};

// The name's pieces as drawn around the anchor, measured in the name's fonts
// (the context's font is left as it was).
std::vector<ChordNamePiece> NamePieces(ChordSymbol* chord, platform::DcHandle dc,
                                       const NameFonts& fonts, LogicalPoint anchor, int32_t raise) {
    raise -= static_cast<int8_t>(chord->text.body.charset);
    const platform::FontHandle previous = gfx::SelectObject(dc, fonts.name);
    // The built name starts with the root letter; the rest is measured without blanks.
    const std::string shown = ShownChordName(chord->chord);
    const std::string_view letters(shown);
    ChordNameMetrics metrics;
    metrics.rootWidth = TextWidth(dc, letters.substr(0, 1), &metrics.rootHeight);
    metrics.restWidth = TextWidth(dc, letters.substr(std::min<size_t>(1, letters.size())));
    const bool accidentals = ChordAccidentalOf(chord->chord.rootAccidental) != 0 ||
                             (ChordShowsBass(chord->chord) && ChordAccidentalOf(chord->chord.bassAccidental) != 0);
    if (fonts.music && accidentals) {
        gfx::SelectObject(dc, fonts.music);
        constexpr char kSharp = static_cast<char>(kChordSharpGlyph);
        metrics.accidentalWidth = TextWidth(dc, std::string_view(&kSharp, 1));
    }
    gfx::SelectObject(dc, previous);
    std::vector<ChordNamePiece> pieces =
        LayOutChordName(chord->chord, shown, anchor, raise, metrics);
    std::erase_if(pieces,
                  [&](const ChordNamePiece& piece) { return piece.accidental && !fonts.music; });
    return pieces;
}

void DrawName(ChordSymbol* chord, ScoreView* view, platform::DcHandle dc, LogicalPoint anchor,
              int32_t raise) {
    const NameFonts fonts(chord, view);
    if (!fonts.name) return;
    const platform::FontHandle previous = gfx::SelectObject(dc, fonts.name);
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignLeft);
    for (const ChordNamePiece& piece : NamePieces(chord, dc, fonts, anchor, raise)) {
        gfx::SelectObject(dc, piece.accidental ? fonts.music : fonts.name);
        text::TextOutA(dc, gfx::Point{piece.at.x, piece.at.y}, piece.text);
    }
    gfx::SetTextAlign(dc, align);
    gfx::SelectObject(dc, previous);
}

// The box of a chord symbol's pieces: a text's cell in its font (ascent to
// descent about its baseline, from its x), a music glyph's ink (its advance
// from its x or centred on it).
class PiecesBox {
  public:
    explicit PiecesBox(platform::DcHandle dc) : dc_(dc) {}

    void AddText(platform::FontHandle font, std::string_view text, LogicalPoint at) {
        const platform::FontHandle previous = gfx::SelectObject(dc_, font);
        text::TextMetrics metrics;
        text::GetTextMetrics(dc_, &metrics);
        const int32_t width = TextWidth(dc_, text);
        gfx::SelectObject(dc_, previous);
        Take({at.x, at.y - metrics.ascent, at.x + width, at.y + metrics.descent});
    }
    void AddGlyph(platform::FontHandle font, char glyph, LogicalPoint at, bool centred) {
        const platform::FontHandle previous = gfx::SelectObject(dc_, font);
        text::GlyphBox ink;
        const bool measured = text::GetGlyphOutlineBox(dc_, static_cast<uint8_t>(glyph), &ink);
        gfx::SelectObject(dc_, previous);
        if (!measured || !ink.hasInk) return;
        const int32_t origin = centred ? at.x - ink.advance / 2 : at.x;
        Take({origin + ink.left, at.y - ink.top, origin + ink.right, at.y - ink.bottom});
    }
    const RecordRect& Box() const { return box_; }

  private:
    void Take(const RecordRect& cell) {
        box_ =
            any_ ? RecordRect{std::min(box_.left, cell.left), std::min(box_.top, cell.top),
                              std::max(box_.right, cell.right), std::max(box_.bottom, cell.bottom)}
                 : cell;
        any_ = true;
    }

    platform::DcHandle dc_;
    RecordRect box_{};
    bool any_ = false;
};

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

RecordRect ChordSymbolExtent(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr || view->document == nullptr) return {};
    ChordSymbol* chord = Chord(object);
    const platform::FontHandle diagramFont =
        StyleFontOf(view, TextStyleSlotOf(chord->text.body.style));
    BeginViewDraw(view);
    platform::DcHandle dc = MeasuringContext(view);
    PiecesBox box(dc);
    if (dc) {
        int32_t raise = 0;
        if (diagramFont) {
            const platform::FontHandle previous = gfx::SelectObject(dc, diagramFont);
            raise = DiagramRaise(chord, dc);
            gfx::SelectObject(dc, previous);
            if (chord->chord.showSymbol != 0)
                box.AddGlyph(diagramFont, DiagramCharacter(chord), {0, 0}, true);
        }
        const NameFonts fonts(chord, view);
        if (chord->chord.showName != 0 && fonts.name)
            for (const ChordNamePiece& piece : NamePieces(chord, dc, fonts, {0, 0}, raise)) {
                if (piece.accidental)
                    box.AddGlyph(fonts.music, piece.text.empty() ? ' ' : piece.text[0], piece.at,
                                 false);
                else
                    box.AddText(fonts.name, piece.text, piece.at);
            }
    }
    EndViewDraw(view);
    return box.Box();
}

const TextObjectClass& ChordSymbolClass() {
    static const ChordClass instance;
    return instance;
}

}  // namespace ql
