// Internals shared by the system-drawing files: the system being drawn, the staff
// facts read from its records (each checked, so damaged records give defined values),
// slot positions from the beat map, and the ink calls every stroke, glyph and text
// goes through (one clamp to the logical range, one place for the tests' log).
#pragma once

#include <cstdint>
#include <string_view>

#include "core/model/grid_records.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"

namespace ql::sysdraw {

inline constexpr char kModuleTag[] = "DRAW";
constexpr int kSlotNoticeLine = 2024;

constexpr int32_t kLineSpacing = 128;
constexpr int kNoAccidentalsKey = 7;  // the key code without sharps or flats
constexpr int32_t kFullStaffHeight = 512;
constexpr int kFullSizePercent = 100;
constexpr int32_t kMaxStaffY = 32767;
// Zoom levels of the stroke rules: at kDoublingZoom thin lines are doubled on screen,
// from kFilledZoom every stroke is filled.
constexpr int32_t kDoublingZoom = 16;
constexpr int32_t kFilledZoom = 20;
// A stroke thinner than this many device pixels is drawn as 1-pixel lines.
constexpr int32_t kThinStrokePixels = 2;

// Staff word (StaffRecord::flags) bits of hide-when-empty staves.
constexpr uint16_t kHideWhenEmpty = 0x1000;
constexpr uint16_t kJoinsUpperStaff = 0x2000;  // dotted joins go to the staff above
constexpr uint16_t kHidingMark = 0x8000;       // cleared by the hiding pass
// Measure flags of hidden barlines: inside a system, and opening a system.
constexpr uint8_t kOpeningBarlineHidden = 0x40;
// Music-font characters.
constexpr uint8_t kRepeatDotsGlyph = 185;
constexpr uint8_t kBraceUpperGlyph = 251;
constexpr uint8_t kBraceLowerGlyph = 252;
constexpr uint8_t kBracketBodyGlyph = 253;
constexpr uint8_t kBracketTopGlyph = 254;
constexpr uint8_t kBracketBottomGlyph = 255;

// The system being drawn and what every step reads of it.
struct Grid {
    ScoreView* view = nullptr;
    ScoreDocument* document = nullptr;
    ScoreSystem* system = nullptr;
    int staffCount = 0;
    int row = -1;  // beat-map row; -1 outside the map
};
// The view's current system; false without a document, staves or system arrays.
bool OpenGrid(ScoreView* view, Grid* grid);

StaffRecord* StaffOf(const Grid& grid, int staff);
int StaffType(const Grid& grid, int staff);  // lines; 0 for a missing staff
bool IsHideWhenEmpty(const Grid& grid, int staff);
// Hide-when-empty and not lifted by "OssiaStaves".
bool IsLeftOutWhenEmpty(const Grid& grid, int staff);
bool IsShown(const Grid& grid, int staff);
uint8_t SystemStaffFlags(const Grid& grid, int staff);
int StaffPercent(const Grid& grid, int staff);  // 100 for 0
int32_t StaffY(const Grid& grid, int staff);
int32_t StaffHeight(const Grid& grid, int staff);
int32_t Scaled(const ScoreView* view, int32_t length);

// A measure's cell values, or a new cell's when it has none.
struct CellSigns {
    int clef = 0;
    int key = kNoAccidentalsKey;
    int beats = 0;
    int beatCode = 0;
    uint8_t suppress = 0;
};
CellSigns SignsOf(const Grid& grid, int staff, int measure);

int MeasureOfSlot(const Grid& grid, int slot);
int LastSlot(const Grid& grid);  // the system's measure count
// Slot edges in logical units (system x included): the slot's opening barline and
// the next slot's.
int32_t SlotLeftX(const Grid& grid, int slot);
int32_t SlotRightX(const Grid& grid, int slot);
// The x of tick 0 of slot 1 (after the signs at the system's start).
int32_t OpeningContentX(const Grid& grid);
// Where a measure stands in the system (BarlinePosition).
int PositionOfMeasure(const Grid& grid, int measure);

// DrawBarline; with `strokes` false only the barline's repeat dots on `staff`.
void DrawBarlinePart(ScoreView* view, int staff, int measure, int32_t x, int32_t top,
                     int32_t bottom, bool strokes);

bool IsOnScreen();
bool ShowsHiddenItems();

// Ink calls on the view's context.
void InkLine(ScoreView* view, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void InkFilled(ScoreView* view, int32_t x, int32_t y, int32_t width, int32_t height);
void InkGlyph(ScoreView* view, uint8_t code, int32_t x, int32_t y);
void InkDottedLine(ScoreView* view, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
void InkNumber(ScoreView* view, int32_t x, int32_t y, std::string_view text, int number);

}  // namespace ql::sysdraw
