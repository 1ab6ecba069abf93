// Chord symbols and tempo marks of a NIFF import: kept as placed marks of the
// frame, which the builder makes into score objects.
#include "interchange/niff/niff_marks.h"

#include "interchange/niff/niff_import_state.h"

namespace ql::niff {
namespace {

constexpr int kTempoTextStyle = 7;
constexpr int kAccelerandoGlyph = 175;
constexpr int kRitardandoGlyph = 176;
constexpr int kFirstBeatCode = 9;  // an eighth: beat kind 0

}  // namespace

void MakeNiffChordSymbol(NiffImportState& import, const NiffChord& chord, const NiffMark& mark) {
    NiffMark symbol = mark;
    symbol.kind = NiffMarkKind::kChordSymbol;
    symbol.detail.chord = chord;
    import.frame.marks.push_back(std::move(symbol));
}

void MakeNiffTempoMark(NiffImportState& import, const NiffTempoRequest& tempo, const NiffMark& mark) {
    NiffMark symbol = mark;
    symbol.kind = NiffMarkKind::kTempo;
    symbol.text.clear();
    symbol.detail.glyph = tempo.glyph;
    symbol.detail.value = tempo.beatsPerMinute;
    symbol.detail.beatKind = tempo.beat.code - kFirstBeatCode;
    symbol.detail.dotted = tempo.beat.dots > 0;
    import.frame.marks.push_back(std::move(symbol));
    // Words other than an accelerando or ritardando stand beside the mark in the
    // tempo style.
    if (tempo.text.empty() || tempo.glyph == kAccelerandoGlyph || tempo.glyph == kRitardandoGlyph) return;
    NiffMark words = mark;
    words.kind = NiffMarkKind::kTextLine;
    words.text = tempo.text;
    words.style = kTempoTextStyle;
    import.frame.marks.push_back(std::move(words));
}

}  // namespace ql::niff
