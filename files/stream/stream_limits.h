// Bounds of the score-file stream shared by its writer and its walker: how far a
// walk follows a page or system chain (a damaged circular chain ends there), how
// many systems a page record can count, and the font slots "FONT" lists.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ql {

constexpr size_t kMaxPagesWalked = 4096;
constexpr int kMaxSystemsWalked = 1024;
// The page record's system count is a signed byte.
constexpr int kMaxStoredSystemsPerPage = 127;
// "FONT" lists every slot from 1 to 23, so a reload keeps each slot's setup.
constexpr uint16_t kListedFontSlotCount = 23;
// The most measures a file may hold: its M + 1 records and the cells up to M + 4
// stay inside the 1,024-entry measure table.
constexpr int kMaxStoredMeasures = 1020;

}  // namespace ql
