// The score file's prologue and header, field by field (see header_record.h).
#include "files/records/header_record.h"

#include <cstring>

#include "core/model/score_document.h"
#include "files/bytes/byte_reader.h"
#include "files/records/file_version.h"

namespace ql {
namespace {

constexpr size_t kAtPageRecord = 70;
constexpr size_t kAtOffsetX = 98;
constexpr size_t kAtOffsetY = 100;
constexpr size_t kAtFaceText = 102;
constexpr size_t kAtNumberText = 134;
constexpr size_t kAtNumberFont = 166;
constexpr size_t kAtNumberTail = 168;
constexpr size_t kAtSettingB = 172;
constexpr size_t kAtNewScore = 174;
constexpr size_t kAtSettings194 = 188;
constexpr size_t kAtPlayback = 190;
constexpr size_t kAtSettingD = 196;
constexpr size_t kAtSettings208 = 202;
constexpr size_t kAtReformatRequest = 204;  // not stored: written as 0
constexpr size_t kAtLyricLevels = 206;
constexpr size_t kAtSettings220 = 214;
constexpr size_t kSettings220Bytes = 26;
constexpr size_t kAtUserWidth = 240;
constexpr size_t kAtUnstored244 = 244;
constexpr size_t kAtFontSize = 246;
constexpr size_t kAtLeftMargins = 248;
constexpr size_t kAtRightMargins = 256;
constexpr size_t kWord = 2;

void EncodeScoreLead(const ScoreHeader& h, FixedRecord& r) {
    for (int i = 0; i < kPageDistanceCount; ++i) r.U16(i * kWord, h.pageDistances[i]);
    for (int i = 0; i < 3; ++i) r.U32(kPageDistanceCount * kWord + i * 4, h.settingsWords[i]);
    r.U16(kAtPageRecord - kWord, h.scoreSettingA);
}

void EncodePageRecordPart(const PageRecord& p, FixedRecord& r) {
    const uint8_t lead[] = {p.staffSize,     p.unit,         p.paperKind,       p.orientation,
                            p.sides,         p.firstPage,    p.firstPageNumber, p.pageByte7,
                            p.pageBytes8[0], p.pageBytes8[1]};
    r.Bytes(kAtPageRecord, lead, sizeof lead);
    r.U16(80, p.userStaffSize);
    r.U16(82, p.userPageWidth);
    r.U16(84, p.userPageHeight);
    r.U16(86, p.degreesPerInch);
    const uint8_t numbers[] = {p.measureNumberStyle,     p.measureNumberEvery,
                               p.measureNumberAlign,     p.measureNumberIsManMeasure,
                               p.measureNumberFontClass, p.measureNumberIsWindowsFont};
    r.Bytes(88, numbers, sizeof numbers);
    r.Bytes(94, p.numberBytes24, sizeof p.numberBytes24);
    r.I16(kAtOffsetX, static_cast<int16_t>(p.measureNumberOffsetX));
    r.I16(kAtOffsetY, static_cast<int16_t>(p.measureNumberOffsetY));
    r.Text(kAtFaceText, p.numberFaceName, kPageTextBytes);
    r.Text(kAtNumberText, p.numberText, kPageTextBytes);
    r.U16(kAtNumberFont, 0);
    r.Bytes(kAtNumberTail, p.numberTail, sizeof p.numberTail);
}

void EncodeNewScoreBlock(const NewScoreBlock& b, FixedRecord& r) {
    r.U32(kAtNewScore, b.word0);
    r.U8(178, b.initMeasuresPerSystem);
    r.U8(179, b.initSystemsPerPage);
    r.U16(180, b.staffSeparation);
    r.U16(182, b.systemSeparation);
    r.U8(184, b.byte10);
    r.U8(185, b.byte11);
    r.U16(186, b.initStavesPerSystem);
}

void EncodeScoreTail(const ScoreHeader& h, FixedRecord& r) {
    r.Bytes(kAtSettings194, h.settings194, sizeof h.settings194);
    r.U8(kAtPlayback, h.notePlaybackPercent);
    r.U8(191, h.staffCount);
    r.U16(192, h.measureCount);
    r.U16(194, h.pageCount);
    r.U16(kAtSettingD, h.scoreSettingD);
    r.U8(198, h.scoreSettingE);
    r.U8(199, h.scoreSettingF);
    r.U16(200, h.tempo);
    r.Bytes(kAtSettings208, h.settings208, sizeof h.settings208);
    r.U16(kAtReformatRequest, 0);
    for (int i = 0; i < kLyricLevelCount; ++i) r.U16(kAtLyricLevels + i * kWord, h.lyricLevels[i]);
    r.Bytes(kAtSettings220, h.settings220, kSettings220Bytes);
    r.U16(kAtUserWidth, h.userPageWidth);
    r.U16(kAtUserWidth + kWord, h.userPageHeight);
    r.U16(kAtUnstored244, 0);
    r.U16(kAtFontSize, h.fontSizeSetting);
    for (int i = 0; i < kMarginCount; ++i) {
        r.U16(kAtLeftMargins + i * kWord, h.leftMargins[i]);
        r.U16(kAtRightMargins + i * kWord, h.rightMargins[i]);
    }
}

void DecodeScoreLead(ByteReader& in, ScoreHeader* h) {
    for (uint16_t& word : h->pageDistances) word = in.U16();
    for (uint32_t& word : h->settingsWords) word = in.U32();
    h->scoreSettingA = in.U16();
}

void DecodePageRecordPart(ByteReader& in, PageRecord* p) {
    p->staffSize = in.U8();
    p->unit = in.U8();
    p->paperKind = in.U8();
    p->orientation = in.U8();
    p->sides = in.U8();
    p->firstPage = in.U8();
    p->firstPageNumber = in.U8();
    p->pageByte7 = in.U8();
    in.Bytes(p->pageBytes8, sizeof p->pageBytes8);
    p->userStaffSize = in.U16();
    p->userPageWidth = in.U16();
    p->userPageHeight = in.U16();
    p->degreesPerInch = in.U16();
    p->measureNumberStyle = in.U8();
    p->measureNumberEvery = in.U8();
    p->measureNumberAlign = in.U8();
    p->measureNumberIsManMeasure = in.U8();
    p->measureNumberFontClass = in.U8();
    p->measureNumberIsWindowsFont = in.U8();
    in.Bytes(p->numberBytes24, sizeof p->numberBytes24);
    p->measureNumberOffsetX = in.I16();
    p->measureNumberOffsetY = in.I16();
    in.Text(p->numberFaceName, kPageTextBytes);
    in.Text(p->numberText, kPageTextBytes);
    in.Skip(kWord);
    p->measureNumberFont = 0;
    in.Bytes(p->numberTail, sizeof p->numberTail);
}

void DecodeNewScoreBlock(ByteReader& in, NewScoreBlock* b) {
    b->word0 = in.U32();
    b->initMeasuresPerSystem = in.U8();
    b->initSystemsPerPage = in.U8();
    b->staffSeparation = in.U16();
    b->systemSeparation = in.U16();
    b->byte10 = in.U8();
    b->byte11 = in.U8();
    b->initStavesPerSystem = in.U16();
}

// Offsets 188 to 229 (all of a short header's tail).
void DecodeScoreTail(ByteReader& in, ScoreHeader* h) {
    in.Bytes(h->settings194, sizeof h->settings194);
    h->notePlaybackPercent = in.U8();
    h->staffCount = in.U8();
    h->measureCount = in.U16();
    h->pageCount = in.U16();
    h->scoreSettingD = in.U16();
    h->scoreSettingE = in.U8();
    h->scoreSettingF = in.U8();
    h->tempo = in.U16();
    in.Bytes(h->settings208, sizeof h->settings208);
    in.Skip(kWord);
    h->reformatRequest = 0;
    for (uint16_t& level : h->lyricLevels) level = in.U16();
}

// Offsets 214 to 263: the settings bytes as far as the header reaches, then the
// paper and margin words of a full header.
void DecodeSettingsAndPaper(ByteReader& in, size_t size, ScoreHeader* h) {
    size_t settings = size >= kAtUserWidth ? kSettings220Bytes : size - kAtSettings220;
    in.Bytes(h->settings220, settings);
    if (size < kScoreFileHeaderBytes) return;
    h->userPageWidth = in.U16();
    h->userPageHeight = in.U16();
    in.Skip(kWord);
    std::memset(h->settings250, 0, sizeof h->settings250);
    h->fontSizeSetting = in.U16();
    for (uint16_t& margin : h->leftMargins) margin = in.U16();
    for (uint16_t& margin : h->rightMargins) margin = in.U16();
}

}  // namespace

void EncodeScorePrologue(ByteWriter& writer) {
    writer.Bytes(kScoreFileMagic, kScoreFileMagicBytes);
    writer.U8(kTwoByteVersionMark);
    writer.U8(kCurrentFileVersion);
}

void EncodeScoreFileHeader(const ScoreHeader& header, ByteWriter& writer) {
    FixedRecord record(writer, kScoreFileHeaderBytes);
    EncodeScoreLead(header, record);
    EncodePageRecordPart(header.pageGeometry, record);
    record.U16(kAtSettingB, header.scoreSettingB);
    EncodeNewScoreBlock(header.newScoreBlock, record);
    EncodeScoreTail(header, record);
}

bool DecodeScoreFileHeader(const uint8_t* bytes, size_t size, ScoreHeader* target) {
    if (size < kShortScoreFileHeaderBytes) return false;
    size = size >= kScoreFileHeaderBytes ? kScoreFileHeaderBytes : kShortScoreFileHeaderBytes;
    ByteReader in(bytes, size);
    DecodeScoreLead(in, target);
    DecodePageRecordPart(in, &target->pageGeometry);
    target->scoreSettingB = in.U16();
    DecodeNewScoreBlock(in, &target->newScoreBlock);
    DecodeScoreTail(in, target);
    DecodeSettingsAndPaper(in, size, target);
    return true;
}

}  // namespace ql
