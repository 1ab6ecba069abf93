// Stored quick fonts and their character sets (see font_records.h).
#include "files/records/font_records.h"

#include "files/records/file_codes.h"
#include "files/records/text_record_io.h"
#include "files/score_file.h"

namespace ql {
namespace {

constexpr size_t kNameBytes = 32;
constexpr size_t kAtFace = 32;
constexpr size_t kAtHandle = 64;
constexpr size_t kAtBold = 66;
constexpr size_t kAtItalic = 67;
constexpr size_t kAtUnderline = 68;
constexpr size_t kAtSlot = 69;
constexpr size_t kAtHeight = 70;

}  // namespace

void EncodeFontRecord(const QuickFontRecord& font, ByteWriter& writer) {
    FixedRecord record(writer, kStoredFontBytes);
    record.Text(0, font.name, kNameBytes);
    record.Text(kAtFace, font.face, kNameBytes);
    record.U16(kAtHandle, 0);
    record.U8(kAtBold, font.bold);
    record.U8(kAtItalic, font.italic);
    record.U8(kAtUnderline, font.underline);
    record.U8(kAtSlot, font.slot);
    record.I16(kAtHeight, font.height);
}

void DecodeFontRecord(ByteReader& reader, QuickFontRecord* font) {
    reader.Text(font->name, kNameBytes);
    reader.Text(font->face, kNameBytes);
    reader.Skip(kAtBold - kAtHandle);
    font->handle = 0;
    font->bold = reader.U8();
    font->italic = reader.U8();
    font->underline = reader.U8();
    font->slot = reader.U8();
    font->height = reader.I16();
}

uint8_t StoredFontCharset(const uint8_t* bytes) {
    return bytes[kAtSlot];
}

void EncodeFontSection(const QuickFontRecord (&fonts)[kScoreFontCount], ByteWriter& writer) {
    writer.Tag("FONT");
    writer.U16(static_cast<uint16_t>(kLastListedFontSlot - kFirstListedFontSlot + 1));
    for (int slot = kFirstListedFontSlot; slot <= kLastListedFontSlot; ++slot) {
        writer.U16(static_cast<uint16_t>(slot));
        EncodeFontRecord(fonts[slot], writer);
    }
}

void EncodeCharsetSection(const QuickFontRecord (&fonts)[kScoreFontCount], ByteWriter& writer) {
    writer.Tag("QFCS");
    writer.U16(kCharsetCount);
    for (const QuickFontRecord& font : fonts) writer.U8(font.charset);
}

int ReadCharsets(QuickFontRecord (&fonts)[kScoreFontCount]) {
    uint8_t word[2] = {};
    if (!ReadScoreBytes(word, sizeof word)) return file_code::kCharsetCount;
    auto count = static_cast<int16_t>(LoadLe16(word));
    if (count > static_cast<int16_t>(kCharsetCount)) return file_code::kCharsetCountTooLarge;
    for (int slot = 0; slot < count; ++slot) {
        uint8_t charset = 0;
        if (!ReadScoreBytes(&charset, 1)) return 0;
        fonts[slot].charset = charset;
    }
    return 0;
}

}  // namespace ql
