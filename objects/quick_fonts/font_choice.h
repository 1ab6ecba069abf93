// The font chooser as the text dialogs use it: a font record (face, height in 160ths of
// a staff-line space, bold, italic, underline, charset) shown in points at the
// document's staff size, and the chosen font written back into the record.
#pragma once

#include <cstdint>

#include <string>

#include "core/model/score_document.h"
#include "core/text/text_object.h"
#include "platform/ui/font_dialog.h"

namespace ql {

// A stored height of -512 (the music font's request) stands for this many 160ths.
constexpr int16_t kMusicRequestHeight = -512;
constexpr int32_t kMusicRequestUnits = 1538;

// The record as the chooser starts from it: points = round(height / 160 / S x 72),
// S the staff size in inches.
ui::ChosenFont ChosenFontOfRecord(const ScoreDocument* document, const QuickFontRecord& record);

// Runs the chooser on `record`; when a font is chosen, its face, bold (weight of 500
// or more), italic, underline and charset are taken and its height becomes
// PointsToScoreUnits of the points. False on cancel, with `record` untouched.
bool ChooseFontInto(const ScoreDocument* document, QuickFontRecord* record);

// The font record of a text body's own face, with `chosenFace` (a face chosen and not
// yet entered in the face-name table) in place of the table's entry when not empty.
QuickFontRecord OwnFaceRecord(const ScoreDocument* document, const TextObjectBody& body,
                              const std::string& chosenFace);
// The face's entry in the document's face-name table (entered when missing); entry 0
// when the table is full.
uint8_t OwnFaceIndex(ScoreDocument* document, const char* face);

}  // namespace ql
