// The document's fonts for text objects: its 24 quick fonts (QuickFontRecord, slots
// 1..3 the music font's sizes, 4..23 text faces) and its two default text fonts, one
// for new text lines and one for new lyrics. A default font is a quick-font slot or an
// own face: the document keeps which (its font reference: flag, slot or face index,
// cached font), the preferences keep an own face's height, attributes and charset.
// Also the unit conversions of font sizes and the entry window's font.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"
#include "core/text/text_object.h"
#include "platform/handles.h"

namespace ql {

enum class DefaultTextFont : uint8_t { TextLine = 0, Lyric = 1 };

// The slot a text line made from imported or extracted text takes (program-wide;
// dialog 862 sets it when a quick font above slot 3 is chosen).
constexpr uint8_t kImportedTextSlot = 7;
// The slot of rehearsal marks.
constexpr uint8_t kRehearsalSlot = 11;
// A slot of 24 or more read from a file or a dialog: the default entry.
uint8_t CheckedQuickSlot(int slot, uint8_t fallback);

// Gives a new text object the default font: slot (style byte), own-font flag and,
// for an own face, bold, italic, underline, height and charset.
void ApplyDefaultTextFont(TextObject* text, ScoreDocument* document, DefaultTextFont which);
// The font record of a default font (an own face from the face-name table).
QuickFontRecord DefaultTextFontRecord(const ScoreDocument* document, DefaultTextFont which);

// The entry window's font for a font record at the view's zoom (screen pixels, see
// EntryFontPixelHeight); null when none can be made. The caller deletes it.
platform::FontHandle CreateEntryFont(const ScoreView* view, const QuickFontRecord& record);
// The font record of a text object's font (its quick font, or its own face).
QuickFontRecord TextObjectFontRecord(const TextObject* text, const ScoreDocument* document);

// round(S x points / 72 x 160 + 0.5) and round(S x twips / 1440 x 160 + 0.5), S the
// document's staff size in inches.
int32_t PointsToScoreUnits(const ScoreDocument* document, double points);
int32_t TwipsToScoreUnits(const ScoreDocument* document, double twips);

}  // namespace ql
