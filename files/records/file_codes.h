// The failure codes of the native score files, one home: the reader's (FILEIO, read
// steps), the writer's (FILEIO, write steps) and the object records' (ITEM). Each
// code is the number of the step that failed, as the program reports it ("write
// error code", "[FILEIO.n]", "Disk write error: n"); 0 is success everywhere.
#pragma once

namespace ql {

inline constexpr char kFileModule[] = "FILEIO";
inline constexpr char kItemModule[] = "ITEM";

namespace file_code {

// ---- Reading (FILEIO) ----
constexpr int kHeader = 874;
constexpr int kTooManyStaves = 929;
constexpr int kTooManyStavesReport = 928;
constexpr int kGalleySystem = 1005;
constexpr int kPortCount = 1030;
constexpr int kPortEntries = 1031;
constexpr int kSystemRecord = 1035;
constexpr int kSystemOffsets = 1047;
constexpr int kSystemFlags = 1048;
constexpr int kStaffRecordsAlloc = 1055;
constexpr int kStaffRecords = 1056;
constexpr int kStaffZero = 1063;
constexpr int kStaff = 1077;
constexpr int kPortOutOfRangeNotice = 1105;
constexpr int kPortMapOutOfRangeNotice = 1111;
constexpr int kLabelLength = 1125;
constexpr int kSkipToMeasures = 1130;
constexpr int kLabelObject = 1138;
constexpr int kLabelRecord = 1194;
constexpr int kLabelText = 1211;
constexpr int kMeasureTag = 1227;
constexpr int kMeasureTagMismatch = 1229;
constexpr int kMeasureRecord = 1243;
constexpr int kSpacingAlloc = 1293;
constexpr int kSpacingEntry = 1294;
constexpr int kMusicTag = 1318;
constexpr int kMusicTagMismatch = 1320;
constexpr int kCellHeader = 1342;
constexpr int kCellObjectCount = 1351;
constexpr int kCellObjectsVariant = 1366;
constexpr int kSkipToPagesAfterCell = 1369;
constexpr int kEventCount = 1382;
constexpr int kVoiceHead = 1391;
constexpr int kEvent = 1395;
constexpr int kEventMemoryReport = 1399;
constexpr int kEventMemory = 1400;
constexpr int kAccidentalWordRaw = 1522;
constexpr int kAccidentalWord = 1529;
constexpr int kAccidental = 1542;
constexpr int kSkipToPagesAfterEvent = 1547;
constexpr int kRestCount = 1573;
constexpr int kRestBlocks = 1576;
constexpr int kPageTag = 1604;
constexpr int kPageTagMismatch = 1606;
constexpr int kPageCount = 1612;
constexpr int kPageAlloc = 1627;
constexpr int kPageRecord = 1631;
constexpr int kMasterSystem = 1673;
constexpr int kSystemAlloc = 1711;
constexpr int kPageSystemRecord = 1712;
constexpr int kPageSystemOffsets = 1719;
constexpr int kPageSystemFlags = 1720;
constexpr int kPageObjectCount = 1752;
constexpr int kPageObjects = 1756;
constexpr int kMasterSystemsLeft = 1769;
constexpr int kMasterSystemsRight = 1773;
constexpr int kFontTag = 1790;
constexpr int kFontCount = 1800;
constexpr int kCharsetCount = 1860;
constexpr int kCharsetCountTooLarge = 1863;
constexpr int kReadErrorReport = 611;

// ---- Writing (FILEIO) ----
constexpr int kWriteMagic = 2497;
constexpr int kWriteVersionFirst = 2512;
constexpr int kWriteVersionSecond = 2522;
constexpr int kWriteHeader = 2611;
constexpr int kWritePortCount = 2615;
constexpr int kWritePortEntries = 2616;
constexpr int kScratchEvent = 2620;
constexpr int kScratchCell = 2624;
constexpr int kScratchStaves = 2627;
constexpr int kWriteGalleySystem = 2630;
constexpr int kWriteGalleyOffsets = 2632;
constexpr int kWriteGalleyFlags = 2633;
constexpr int kWriteStaffRecords = 2639;
constexpr int kWriteLabelLength = 2654;
constexpr int kWriteLabelRecord = 2677;
constexpr int kWriteLabelText = 2681;
constexpr int kWriteNoLabel = 2683;
constexpr int kWriteMeasureTag = 2686;
constexpr int kWriteMeasureRecord = 2699;
constexpr int kWriteSpacingEntry = 2703;
constexpr int kWriteMusicTag = 2708;
constexpr int kWriteCellHeader = 2734;
constexpr int kWriteCellObjectCount = 2735;
constexpr int kWriteCellObjects = 2737;
constexpr int kWriteEventCount = 2764;
constexpr int kWriteEvent = 2830;
constexpr int kWriteAccidentalWord = 2837;
constexpr int kWriteAttachedObjects = 2843;
constexpr int kWriteRestCount = 2851;
constexpr int kWriteRestBlocks = 2853;
constexpr int kWritePageTag = 2865;
constexpr int kWritePageCount = 2875;
constexpr int kWritePageRecord = 2903;
constexpr int kWriteSystemRecord = 2908;
constexpr int kWriteSystemOffsets = 2909;
constexpr int kWriteSystemFlags = 2910;
constexpr int kWritePageObjectCount = 2917;
constexpr int kWritePageObjects = 2919;
constexpr int kWriteFontTag = 2924;
constexpr int kWriteFontCount = 2932;
constexpr int kWriteFontSlot = 2940;
constexpr int kWriteFontRecord = 2953;
constexpr int kWriteCharsetTag = 2961;
constexpr int kWriteCharsetCount = 2964;
constexpr int kWriteCharsets = 2968;
// The temporary file could not be forced to the device (fsync).
constexpr int kWriteSync = 2975;
constexpr int kInternalErrorDuringSave = 2990;
constexpr int kRename = 3046;
constexpr int kReopen = 3062;
constexpr int kVerify = 3079;
constexpr int kCreateTemporary = 2414;

}  // namespace file_code

namespace item_code {

// ---- ITEM: reading one object record ----
// A failed read of the two-byte record header (reported by the caller; the box line
// of the program's own report is kHeaderReport).
constexpr int kHeader = 1170;
constexpr int kHeaderReport = 1169;
// A type code the reader does not accept.
constexpr int kTypeNotAccepted = 2018;
// A text-box string length outside 0..500 in the older version-15 variant.
constexpr int kTextBoxVariantLength = 999;
// The other steps, one code each.
constexpr int kSelectionBody = 1183;
constexpr int kNoRecord = 1190;
constexpr int kSlurBody = 1224;
constexpr int kTieBody = 1248;
constexpr int kTextBoxRecord = 1286;
constexpr int kTextBoxString = 1302;
constexpr int kHairpinBody = 1337;
constexpr int kGraphicBody = 1361;
constexpr int kTextRecord = 1390;
constexpr int kMidiRecord = 1418;
constexpr int kMarginBody = 1452;
constexpr int kChordText = 1488;
constexpr int kChordFields = 1493;
constexpr int kSpannerText = 1521;
constexpr int kSpannerEndpoint = 1527;
constexpr int kRepeatPasses = 1534;
constexpr int kTupletAnchor = 1560;
constexpr int kGuideBody = 1585;
constexpr int kPictureFixed = 1611;
constexpr int kPictureData = 1624;
constexpr int kAccidentalText = 1650;

// ---- ITEM: writing (the number shown after "Disk write error:") ----
constexpr int kWriteHeader = 2044;
constexpr int kWriteBody = 2061;

}  // namespace item_code
}  // namespace ql
