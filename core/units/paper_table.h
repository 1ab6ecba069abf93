// Paper sizes and staff-size scales of page setup: the constant PaperTable (looked
// up by row index, by the paper code stored in files, or by the radio button of the
// "Page Setup" dialog) and the logical units per inch of the ten fixed staff sizes.
// Neither table is ever stored; the document stores a row index and a file code.
#pragma once

#include <cstdint>

namespace ql {

constexpr uint8_t kPaperUnitInches = 0;
constexpr uint8_t kPaperUnitCentimetres = 1;
constexpr uint8_t kPaperUnitUser = 255;  // only in the User row

constexpr int kPaperRowCount = 7;
constexpr uint8_t kUserPaperIndex = 5;

struct PaperRow {
    const char* name;
    uint32_t controlId;  // radio button of dialog 865
    uint16_t width;      // BcdInches in the row's unit
    uint16_t height;
    uint8_t unit;      // kPaperUnitInches, kPaperUnitCentimetres or kPaperUnitUser
    uint8_t index;     // equals the row number
    uint8_t fileCode;  // paper code stored in files
};

inline constexpr PaperRow PaperTable[kPaperRowCount] = {
    {"Letter", 1312, 0x0850, 0x1100, kPaperUnitInches, 0, 1},
    {"Legal", 1313, 0x0850, 0x1400, kPaperUnitInches, 1, 4},
    {"Tabloid", 1314, 0x1100, 0x1700, kPaperUnitInches, 2, 2},
    {"A3", 1315, 0x2970, 0x4200, kPaperUnitCentimetres, 3, 7},
    {"A4", 1316, 0x2100, 0x2970, kPaperUnitCentimetres, 4, 8},
    {"User", 1317, 0, 0, kPaperUnitUser, kUserPaperIndex, 0},
    {"A5", 2221, 0x1480, 0x2100, kPaperUnitCentimetres, 6, 10},
};

// The row of a stored paper kind; a kind outside the table (a damaged file) reads as
// row 0.
constexpr const PaperRow& PaperRowOf(uint8_t kind) {
    return PaperTable[kind < kPaperRowCount ? kind : 0];
}

constexpr bool PaperIndexesMatchRows() {
    for (int row = 0; row < kPaperRowCount; ++row) {
        if (PaperTable[row].index != row) return false;
    }
    return true;
}
static_assert(PaperIndexesMatchRows(), "the index byte of each paper row equals its row");

// Staff sizes 0..9 are fixed scales; 10 is the user staff size.
constexpr int kFixedStaffSizeCount = 10;
constexpr uint8_t kUserStaffSize = 10;

// Logical units per inch of staff sizes 0..9 ("Size 00", "Size 0", "Size 1" ..
// "Size 8").
inline constexpr double StaffSizeUnitsPerInch[kFixedStaffSizeCount] = {
    1199.36, 1414.4, 1625.6, 1804.8, 1917.44, 2085.12, 2167.04, 2364.16, 2708.48, 3072.0,
};

}  // namespace ql
