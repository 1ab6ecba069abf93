// The failure codes of the score files are the step numbers the program reports:
// each named code has its number (a code that moved would make reports and saved
// messages name the wrong step).
#include "files/records/file_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace ql {
namespace {

// The hand-written records keep one field (or one group of fields) per line.
// clang-format off

TEST(FileCodes, ModuleTags) {
    EXPECT_EQ(std::string(kFileModule), "FILEIO");
    EXPECT_EQ(std::string(kItemModule), "ITEM");
}

// The reader's codes.
TEST(FileCodes, ReadingCodes) {
    using namespace file_code;
    const int codes[] = {kHeader, kTooManyStavesReport, kTooManyStaves, kGalleySystem, kPortCount,
                         kPortEntries, kSystemRecord, kSystemOffsets, kSystemFlags, kStaffRecordsAlloc,
                         kStaffRecords, kStaffZero, kStaff, kPortOutOfRangeNotice, kPortMapOutOfRangeNotice,
                         kLabelLength, kSkipToMeasures, kLabelObject, kLabelRecord, kLabelText, kMeasureTag,
                         kMeasureTagMismatch, kMeasureRecord, kSpacingAlloc, kSpacingEntry, kMusicTag,
                         kMusicTagMismatch, kCellHeader, kCellObjectCount, kCellObjectsVariant,
                         kSkipToPagesAfterCell, kEventCount, kVoiceHead, kEvent, kEventMemoryReport,
                         kEventMemory, kAccidentalWordRaw, kAccidentalWord, kAccidental,
                         kSkipToPagesAfterEvent, kRestCount, kRestBlocks, kPageTag, kPageTagMismatch,
                         kPageCount, kPageAlloc, kPageRecord, kMasterSystem, kSystemAlloc,
                         kPageSystemRecord, kPageSystemOffsets, kPageSystemFlags, kPageObjectCount,
                         kPageObjects, kMasterSystemsLeft, kMasterSystemsRight, kFontTag, kFontCount,
                         kCharsetCount, kCharsetCountTooLarge, kReadErrorReport};
    const int numbers[] = {874,  928,  929,  1005, 1030, 1031, 1035, 1047, 1048, 1055, 1056, 1063, 1077,
                           1105, 1111, 1125, 1130, 1138, 1194, 1211, 1227, 1229, 1243, 1293, 1294, 1318,
                           1320, 1342, 1351, 1366, 1369, 1382, 1391, 1395, 1399, 1400, 1522, 1529, 1542,
                           1547, 1573, 1576, 1604, 1606, 1612, 1627, 1631, 1673, 1711, 1712, 1719, 1720,
                           1752, 1756, 1769, 1773, 1790, 1800, 1860, 1863, 611};
    static_assert(std::size(codes) == std::size(numbers));
    for (size_t i = 0; i < std::size(codes); ++i) EXPECT_EQ(codes[i], numbers[i]) << "entry " << i;
}

// The writer's codes.
TEST(FileCodes, WritingCodes) {
    using namespace file_code;
    const int codes[] = {kWriteMagic, kWriteVersionFirst, kWriteVersionSecond, kWriteHeader,
                         kWritePortCount, kWritePortEntries, kScratchEvent, kScratchCell, kScratchStaves,
                         kWriteGalleySystem, kWriteGalleyOffsets, kWriteGalleyFlags, kWriteStaffRecords,
                         kWriteLabelLength, kWriteLabelRecord, kWriteLabelText, kWriteNoLabel,
                         kWriteMeasureTag, kWriteMeasureRecord, kWriteSpacingEntry, kWriteMusicTag,
                         kWriteCellHeader, kWriteCellObjectCount, kWriteCellObjects, kWriteEventCount,
                         kWriteEvent, kWriteAccidentalWord, kWriteAttachedObjects, kWriteRestCount,
                         kWriteRestBlocks, kWritePageTag, kWritePageCount, kWritePageRecord,
                         kWriteSystemRecord, kWriteSystemOffsets, kWriteSystemFlags, kWritePageObjectCount,
                         kWritePageObjects, kWriteFontTag, kWriteFontCount, kWriteFontSlot, kWriteFontRecord,
                         kWriteCharsetTag, kWriteCharsetCount, kWriteCharsets, kInternalErrorDuringSave,
                         kRename, kReopen, kVerify, kCreateTemporary};
    const int numbers[] = {2497, 2512, 2522, 2611, 2615, 2616, 2620, 2624, 2627, 2630, 2632, 2633, 2639,
                           2654, 2677, 2681, 2683, 2686, 2699, 2703, 2708, 2734, 2735, 2737, 2764, 2830,
                           2837, 2843, 2851, 2853, 2865, 2875, 2903, 2908, 2909, 2910, 2917, 2919, 2924,
                           2932, 2940, 2953, 2961, 2964, 2968, 2990, 3046, 3062, 3079, 2414};
    static_assert(std::size(codes) == std::size(numbers));
    for (size_t i = 0; i < std::size(codes); ++i) EXPECT_EQ(codes[i], numbers[i]) << "entry " << i;
}

// The object records' codes the format names; the other steps' codes differ from
// every one of them and from each other.
TEST(FileCodes, ObjectRecordCodes) {
    EXPECT_EQ(item_code::kHeader, 1170);
    EXPECT_EQ(item_code::kHeaderReport, 1169);
    EXPECT_EQ(item_code::kTypeNotAccepted, 2018);
    EXPECT_EQ(item_code::kTextBoxVariantLength, 999);
    const int steps[] = {item_code::kHeader, item_code::kTypeNotAccepted, item_code::kTextBoxVariantLength,
                         item_code::kSelectionBody, item_code::kNoRecord, item_code::kSlurBody,
                         item_code::kTieBody, item_code::kTextBoxRecord, item_code::kTextBoxString,
                         item_code::kHairpinBody, item_code::kGraphicBody, item_code::kTextRecord,
                         item_code::kMidiRecord, item_code::kMarginBody, item_code::kChordText,
                         item_code::kChordFields, item_code::kSpannerText, item_code::kSpannerEndpoint,
                         item_code::kRepeatPasses, item_code::kTupletAnchor, item_code::kGuideBody,
                         item_code::kPictureFixed, item_code::kPictureData, item_code::kAccidentalText};
    for (size_t i = 0; i < std::size(steps); ++i)
        for (size_t j = i + 1; j < std::size(steps); ++j) EXPECT_NE(steps[i], steps[j]) << i << " " << j;
}

// clang-format on

}  // namespace
}  // namespace ql
