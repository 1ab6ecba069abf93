// The guitar chord symbol's class: its name (root letter, the quality's suffix from
// the renamable table, an optional slash bass), the layout of the name drawn above
// the diagram with raised music-font accidentals, placing at a click, the Up and
// Down keys, dialog 874 "Chord Symbols" and dialog 844 "Rename Chord Symbols".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/geometry.h"
#include "core/text/text_object.h"
#include "objects/chord/chord_symbol.h"
#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;
struct ScoreDocument;

constexpr int kChordDialogId = 874;
constexpr int kRenameChordDialogId = 844;
constexpr int kChordSuffixChars = 15;     // a renamed suffix keeps at most this many
constexpr int8_t kChordNameStep = 16;     // Up and Down move the name this far
constexpr uint16_t kChordSharpGlyph = 218;
constexpr uint16_t kChordFlatGlyph = 220;

// The quality suffix shown for a stored quality (one above 15 reads as 0): the
// program's renamable table, whose empty entries read as their default texts.
std::string ChordQualitySuffix(uint8_t quality);
// Renames a suffix for the rest of the run (at most 15 characters; an empty text is
// kept as a blank, which the name drops).
void SetChordQualitySuffix(int quality, const std::string& suffix);

// Whether the slash bass is shown: unless root and bass are the same letter with the
// same accidental.
bool ChordShowsBass(const ChordFields& fields);
// The name as built: the root letter, two blanks for a root accidental, the suffix,
// then "/" and the bass letter with one blank for its accidental.
std::string BuildChordName(const ChordFields& fields);

// What measuring gave for the name's layout: the root letter's width and height, the
// width of the rest of the name, and the width of an accidental glyph.
struct ChordNameMetrics {
    int32_t rootWidth = 0;
    int32_t rootHeight = 0;
    int32_t restWidth = 0;
    int32_t accidentalWidth = 0;
};
// One piece of the drawn name: a text in the name's style, or an accidental glyph in
// the music font, at its left baseline point.
struct ChordNamePiece {
    std::string text;
    bool accidental = false;
    LogicalPoint at;
};
// The name as drawn: the built name without its blanks.
std::string ShownChordName(const ChordFields& fields);
// The name's pieces around the anchor, raised by `raise` (the root letter, a raised
// root accidental, the rest of the name, a raised bass accidental). The second form
// takes the shown name already built for the fields.
std::vector<ChordNamePiece> LayOutChordName(const ChordFields& fields, LogicalPoint anchor, int32_t raise,
                                            const ChordNameMetrics& metrics);
std::vector<ChordNamePiece> LayOutChordName(const ChordFields& fields, std::string_view shown,
                                            LogicalPoint anchor, int32_t raise,
                                            const ChordNameMetrics& metrics);

const TextObjectClass& ChordSymbolClass();

// Dialog 874 on a chord symbol (a scratch copy: the document's prototype); 1 OK with
// a change, 2 otherwise. Dialog 844 renames the suffixes; 1 OK, 2 Cancel.
int RunChordDialog(ScoreView* view, ScoreObject* chord);
int RunRenameChordDialog(ScoreView* view);

// Draws dialog 874's preview of a chord symbol into a control's rectangle (device
// pixels): the diagram fitted to the upper part, the name below. 0 without a context.
int DrawChordPreview(platform::DcHandle dc, const gfx::Rect& rect, const ChordSymbol& chord,
                     const ScoreDocument& document);

// The box a chord symbol's drawing takes around its anchor point: the diagram's
// ink, centred on the point and standing on it, and the name raised above it (its
// letters' cells, ascent to descent, and its accidentals' ink). Empty without a
// context to measure on.
RecordRect ChordSymbolExtent(ScoreObject* chord, ScoreView* view);

// The Up and Down keys: the name up or down by 16 as one undo step; 1 when taken.
int MoveChordName(ScoreObject* chord, ScoreView* view, uint32_t key);

}  // namespace ql
