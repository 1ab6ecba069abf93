// Dialog field helpers: numbers edited through an edit field paired with an
// up-down control, the stepping and clamping rules (beep and status message at
// the limits), the fixed-point texts in 128ths and 160ths, the decimal stepper
// for hundredths, and the paper lookups of page setup and the view metrics.
//
// Pairing: an up-down control's buddy edit has the up-down's id + 1. The decimal
// stepper has its own pairing: an even up-down id steps the integer part of the
// edit at id + 2, an odd one the hundredths of the edit at id + 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/handles.h"

namespace ql {

struct ScoreView;
struct PageRecord;

// Room for any fixed-point text ("-255.992", ".99") and its terminator.
constexpr size_t kFixedTextBytes = 16;
// Characters of a decimal-stepper edit that a step reads.
constexpr size_t kDecimalEditChars = 7;

// ---- Spin fields ----

// Sets up the up-down control editId - 1 (base 10, range, position), writes the
// position (unsigned) into the edit, selects the edit's whole text and gives it
// the focus when `focus` is set. Returns the edit.
platform::WindowHandle SetupSpinControl(platform::WindowHandle dialog, int32_t editId,
                                        int32_t lower, int32_t upper, int32_t position, bool focus);

// One step of a bounded field whose edit is upDown + 1: new = value - 1 when
// `down`, else value + 1. Above the maximum: beep, the maximum, the edit keeps its
// text. With minimumInvalid set and new equal to the minimum: beep, the minimum is
// written and "Invalid value" shown. Below the minimum: beep, the minimum, the
// edit keeps its text. Returns the value now meant.
int32_t ClampEditValue(platform::WindowHandle dialog, int32_t upDown, bool down, int32_t minimum,
                       bool minimumInvalid, int32_t maximum);
// One unbounded step; writes and returns the new value.
int32_t StepEditValue(platform::WindowHandle dialog, int32_t upDown, bool down);
// One step bounded below by 0 (a step below 0 beeps and gives 0); writes and
// returns the new value.
int32_t ClampEditNonNegative(platform::WindowHandle dialog, int32_t upDown, bool down);
// The same for an edit named by its own id (for edits whose up-down is not the id
// before them).
int32_t StepFieldNonNegative(platform::WindowHandle dialog, int32_t editId, bool down);

// The decimal stepper: one step of a text "integer.hh" (pairing above). The integer
// never goes below 0; the hundredths carry into the integer both ways; 0.00
// stepped down stays. Returns the value in hundredths now shown, or -1 when the
// up-down id names no edit.
int32_t ParseDecimalEdit(platform::WindowHandle dialog, int32_t upDown, bool down);

// ---- Enabling groups of controls ----

// Enables or disables each listed control of the dialog in order, stopping at the
// first id the dialog does not have. Returns how many controls were set.
int EnableDlgControls(platform::WindowHandle dialog, bool enable,
                      std::initializer_list<int32_t> ids);

// ---- Fixed-point texts ----

// Signed 128ths as "[-]integer.fraction": two fraction digits, rounded to the
// nearest, where they read back as the same value, three elsewhere (-64 gives
// "-0.50", 2 gives "0.016"). ParseFixed128 of every text written here gives the
// value back. Writes at most size - 1 characters; returns the buffer.
const char* FormatFixed128(int16_t value, char* buffer, size_t size);
// Unsigned 160ths the same way, with no leading zero below 1 (80 gives ".50", 159
// gives ".994"). ParseFixed160 of every text written here gives the value back.
const char* FormatFixed160(uint16_t value, char* buffer, size_t size);
// "[sign]integer.fraction" or "[sign].fraction" (',' is taken as the point too),
// rounded to the nearest 128th, halves away from zero; fraction digits after the
// ninth are not read. Text that is not a number reads as 0. A value outside the
// 16-bit range, however many digits it has, clamps to the range with the stop beep.
int16_t ParseFixed128(std::string_view text);
// The same text in 160ths, rounded and clamped to 0..65535 the same way.
uint16_t ParseFixed160(std::string_view text);

// ---- Paper ----

// After a file is read: turns the file's paper code in the view's page record into
// a row index (A4 for a metric page and Letter otherwise when no row has the code).
void PaperIndexFromFileCode(ScoreView* view);
// The unit of the record's paper: User keeps and returns the record's own unit;
// any other index sets the record's unit to its row's (0 when no row) and returns it.
uint8_t PaperUnitOf(PageRecord* record);

// The page extent of a view (PaperSizeOf) is in core/units/paper_size.h.

}  // namespace ql
