// Fonts of the score: creation with controlled fallback when the system replaces
// a face, the fonts of the document's text styles at the scale of the staff being
// drawn, the three sizes of the music font, and the document's face-name table.
// A text face that does not exist at all ends with an empty face name, so the
// text layer's default face draws it.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"
#include "platform/text/logical_font.h"

namespace ql {

// The music font, its request height (one em is the five-line staff), and the
// fractions of that height of its two small sizes.
inline constexpr const char* kMusicFontFace = "Glyphora";
constexpr int32_t kMusicFontHeight = -512;
constexpr double kMusicFont75Fraction = 0.75;
constexpr double kMusicFont65Fraction = 0.65;
// Weights: above kBoldMatchWeight counts as bold when matching faces.
constexpr int32_t kBoldMatchWeight = 600;
constexpr int32_t kStyleBoldWeight = 800;
constexpr int32_t kStyleNormalWeight = 400;
// The word written into a style that has no font (string 1127).
inline constexpr const char* kUnusedStyleName = "unused";
// Styles 1..3 use program-wide fonts (style 0 and 4..23 are made here); the
// zoom-dependent ones are 4..23. Styles 9 and 11 keep their size at every scale.
constexpr int kFirstProgramFontStyle = 1;
constexpr int kLastProgramFontStyle = 3;
constexpr int kFirstDocumentStyle = 4;
constexpr int kFixedSizeStyleA = 9;
constexpr int kFixedSizeStyleB = 11;

// Null for a null request or when no font can be made. A face the system
// replaced by another is matched against the fonts of that face (same bold,
// italic and underline) and made again; with no font of that face at all the
// face name is cleared.
platform::FontHandle CreateFontChecked(const text::LogicalFont* request);
// Fills the request with the last font of its face that has its boldness, italic
// and underline; leaves the face name empty when there is none.
void FontFaceExists(text::LogicalFont* request);
// The enumeration step of FontFaceExists: a matching enumerated font replaces the
// request. Always 1 (go on), so the last match wins.
int EnumFontMatch(const text::LogicalFont& enumerated, text::LogicalFont* request);

// The music-font request of the program, and the three fonts made from it at
// start-up (full, 75 %, 65 % height). False when the full size cannot be made.
bool CreateMusicFonts();
// Deletes the three fonts, and the scaled-font cache with them (its head holds them).
void DeleteMusicFonts();
// truncate(height x fraction): the heights of the two small sizes.
int32_t SmallFontHeight(int32_t height, double fraction);

// The font of one of the document's 24 text styles at the view's scale; 0 for
// the styles 1..3, indexes out of range, a style without a face, or a failure
// (the style is then marked "unused").
platform::FontHandle CreateTextStyleFont(ScoreView* view, int index);
// The font of a style record at the view's scale (at its own size with
// `keepsSize`), neither cached nor stored: the caller deletes it. Null for a record
// without a face or an unused one, or a failure.
platform::FontHandle CreateStyleRecordFont(ScoreView* view, const QuickFontRecord& record, bool keepsSize);
// The font of a style record held elsewhere (text objects) at the view's scale;
// the font goes into the document's object cache.
platform::FontHandle CreateTextStyleFont2(ScoreView* view, QuickFontRecord* record);

// Index of a text face in the document's face-name table (letter case ignored),
// stored in the first empty entry when it is not there; -1 when the table is full.
// Callers fall back to entry 1 then.
int FindFaceNameIndex(ScoreDocument* document, const char* name);
// The older name of the same table lookup.
inline int FindPortNameIndex(ScoreDocument* document, const char* name) {
    return FindFaceNameIndex(document, name);
}
// Entry the callers take when a face has no index of its own.
constexpr int kFallbackFaceIndex = 1;

}  // namespace ql
