// PageRecord: the score's page geometry and measure-number settings (108 bytes),
// embedded in the score header and always copied with the 16-bit word after it.
// User page sizes here are logical units; their BcdInches forms are the header's
// userPageWidth and userPageHeight. The native file images it field by field.
#pragma once

#include <cstdint>
#include <type_traits>

namespace ql {

constexpr int kPageTextBytes = 32;
// The quick-font slot of the measure numbers ("Measure numbers"); an own face of the
// measure numbers takes its height and style.
constexpr uint8_t kMeasureNumberQuickSlot = 9;

#pragma pack(push, 1)
struct PageRecord {
    uint8_t staffSize;        // 0..9 the fixed staff sizes, 10 the user staff size
    uint8_t unit;             // 0 inches, 1 centimetres
    uint8_t paperKind;        // row of PaperTable, 0..6 (5 = User)
    uint8_t orientation;      // 0 portrait, 1 landscape
    uint8_t sides;            // 0 single-sided, 1 facing pages
    uint8_t firstPage;        // 0 the first page is a left page, 1 a right page
    uint8_t firstPageNumber;  // 1 by default
    uint8_t pageByte7;        // 15 by default
    uint8_t pageBytes8[2];
    uint16_t userStaffSize;   // user staff size x 128 (BcdTimes128)
    uint16_t userPageWidth;   // User paper width in logical units, at least 512
    uint16_t userPageHeight;  // User paper height in logical units, at least 512
    // Measure-number settings (bytes 16..107).
    uint16_t degreesPerInch;             // "DegreesPerInch" (16)
    uint8_t measureNumberStyle;          // "MeasureNumberStyle" (2)
    uint8_t measureNumberEvery;          // "MeasureNumberEvery" (2)
    uint8_t measureNumberAlign;          // "MeasureNumberAlign" (1)
    uint8_t measureNumberIsManMeasure;   // "MeasureNumberIsManMeasure" (0)
    uint8_t measureNumberFontClass;      // "MeasureNumberFontClass" (9); with an own
                                         // face its entry in the face-name table
    uint8_t measureNumberIsWindowsFont;  // "MeasureNumberIsWindowsFont" (0): own face
    uint8_t numberBytes24[4];
    int32_t measureNumberOffsetX;         // "MeasureNumberOffsetX" (0)
    int32_t measureNumberOffsetY;         // "MeasureNumberOffsetY" (128)
    char numberFaceName[kPageTextBytes];  // face of the measure numbers
    char numberText[kPageTextBytes];      // second text of the measure-number settings
    uint32_t measureNumberFont;           // platform font handle bits; never stored in files
    uint8_t numberTail[4];
};
#pragma pack(pop)

static_assert(sizeof(PageRecord) == 108);
static_assert(std::is_trivially_copyable_v<PageRecord>);

}  // namespace ql
