// Files of older format versions. Each conversion is shown on both sides of its
// version gate: a record written by hand in the stored form is converted as a file of
// the version just below the gate and as one of the gate's version, and the expected
// bytes are written out from what the older form meant, never computed by the
// conversion code.
#include "files/read/old_versions.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace ql {
namespace {

// Builds the prologue of an older file by hand: the magic or the "ql" abbreviation,
// a one- or two-byte version field, and a header of 230 or 264 bytes.
class OldFileBuilder {
  public:
    OldFileBuilder& Magic() { return Text("QuaverlinescribeForWindows"); }
    OldFileBuilder& Text(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    OldFileBuilder& Byte(uint8_t value) {
        bytes_.push_back(value);
        return *this;
    }
    OldFileBuilder& Zeros(size_t count) {
        bytes_.insert(bytes_.end(), count, 0);
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

template <size_t N>
std::array<uint8_t, N> Filled(std::initializer_list<std::pair<size_t, uint8_t>> fields) {
    std::array<uint8_t, N> bytes{};
    for (auto [at, value] : fields) bytes[at] = value;
    return bytes;
}

uint16_t WordAt(const uint8_t* bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// ---- Prologue ----

TEST(OldPrologue, AbbreviatedFilesAreVersionOneWithoutHeader) {
    for (const char* letters : {"ql", "QL", "Ql", "qL"}) {
        const OldPrologue p = ReadOldPrologue(OldFileBuilder().Text(letters).Zeros(4).Bytes());
        EXPECT_EQ(p.status, OldPrologueStatus::Ok) << letters;
        EXPECT_TRUE(p.abbreviated);
        EXPECT_EQ(p.version, 1);      // 17 with its high nibble dropped
        EXPECT_EQ(p.headerBytes, 0u);
        EXPECT_EQ(p.headerAt, 2u);    // the port table starts at byte 2
    }
}

TEST(OldPrologue, VersionFieldWidthDecidesVersionAndHeaderSize) {
    struct Case { std::vector<uint8_t> field; uint8_t version; uint8_t width; size_t header; };
    const Case cases[] = {
        {{0x0F}, 15, 1, 230},        // the last one-byte version of its own
        {{0x01}, 1, 1, 230},
        {{0x11}, 1, 1, 230},         // raw 17: below 18 keeps the short header, masked to 1
        {{0x12}, 2, 1, 264},         // raw 18: the long header, masked to 2
        {{0x10}, 0, 1, 230},         // raw 16 masks to 0, which takes every gate
        {{0x20}, 0, 1, 264},         // raw 32 too, with the long header
        {{0x00, 0x11}, 17, 2, 264},  // a two-byte field keeps its version
        {{0x00, 0x20}, 32, 2, 264},
    };
    for (const Case& c : cases) {
        OldFileBuilder file;
        file.Magic();
        for (uint8_t b : c.field) file.Byte(b);
        const OldPrologue p = ReadOldPrologue(file.Bytes());
        ASSERT_EQ(p.status, OldPrologueStatus::Ok);
        EXPECT_EQ(p.version, c.version) << int(c.field.back());
        EXPECT_EQ(p.fieldWidth, c.width);
        EXPECT_EQ(p.headerBytes, c.header);
        EXPECT_EQ(p.headerAt, 26u + c.width);
    }
}

TEST(OldPrologue, ShortOrForeignProloguesAreRefused) {
    EXPECT_EQ(ReadOldPrologue(OldFileBuilder().Text("q").Bytes()).status, OldPrologueStatus::ShortRead);
    EXPECT_EQ(ReadOldPrologue(OldFileBuilder().Text("QuaverlinescribeFor").Bytes()).status,
              OldPrologueStatus::ShortRead);
    // The magic, then a 0 and no second version byte.
    EXPECT_EQ(ReadOldPrologue(OldFileBuilder().Magic().Byte(0).Bytes()).status, OldPrologueStatus::ShortRead);
    EXPECT_EQ(ReadOldPrologue(OldFileBuilder().Text("QuaverlinescribeForWindowz").Byte(1).Bytes()).status,
              OldPrologueStatus::NotScoreFile);
    EXPECT_EQ(ReadOldPrologue(OldFileBuilder().Text("MThd").Zeros(30).Bytes()).status,
              OldPrologueStatus::NotScoreFile);
}

// Damaged prologues of every length, and records of every version, with random
// bytes: each gives a defined result and never reads or writes outside its bytes.
TEST(OldPrologue, RandomBytesOfEveryLengthGiveADefinedResult) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 2000; ++round) {
        OldFileBuilder file;
        if (round % 3 != 0) file.Magic();  // most rounds past the magic check
        const size_t extra = random() % 6;
        for (size_t i = 0; i < extra; ++i) file.Byte(static_cast<uint8_t>(random()));
        std::vector<uint8_t> bytes = file.Bytes();
        bytes.resize(random() % (bytes.size() + 1));
        const OldPrologue p = ReadOldPrologue(bytes);
        if (p.status != OldPrologueStatus::Ok) continue;
        EXPECT_LE(p.headerAt, bytes.size());
        EXPECT_TRUE(p.fieldWidth == 1 || p.fieldWidth == 2);
        if (p.fieldWidth == 1) {
            EXPECT_LE(p.version, 15);  // a one-byte field keeps only its low four bits
        }
    }
    for (int version = 0; version < 256; ++version) {
        std::array<uint8_t, 28> event{}, measure{};
        std::array<uint8_t, 40> staff{};
        std::array<uint8_t, 16> system{}, page{};
        std::array<uint8_t, 264> header{};
        std::array<uint8_t, 8> spacing{};
        std::vector<uint8_t> stored(random() % 40);
        for (uint8_t& b : stored) b = static_cast<uint8_t>(random());
        for (uint8_t& b : event) b = static_cast<uint8_t>(random());
        const uint8_t v = static_cast<uint8_t>(version);
        UpgradeEventRecord(event, v, {.staff = 1 + int(random() % 3), .lastStaff = 3, .measureTicks = 0});
        UpgradeMeasureRecord(stored, v, stored, measure);
        UpgradeSpacingEntry(stored, v, spacing);
        UpgradeStaffRecord(staff, v);
        UpgradeSystemRecord(system, v);
        UpgradePageRecord(page, v);
        UpgradeHeader(stored, v, {}, header);
        UpgradeCellHeader(stored, v);
        EXPECT_EQ(WordAt(event.data(), 16), 0);  // no time fits a measure of no length
    }
}

// ---- Version 15 ----

TEST(Version15, KeysAndSwitchesDecideTheForm) {
    EXPECT_EQ(DecideVersion15({.shiftHeld = true}).readAs, 16);
    EXPECT_EQ(DecideVersion15({.readAs16Switch = true}).readAs, 16);
    EXPECT_EQ(DecideVersion15({.ctrlHeld = true}).readAs, 15);
    EXPECT_EQ(DecideVersion15({.readAs15Switch = true}).readAs, 15);
    EXPECT_TRUE(DecideVersion15({.ctrlHeld = true}).decided);
    // Shift wins over Ctrl; with neither, 15 undecided.
    EXPECT_EQ(DecideVersion15({.shiftHeld = true, .ctrlHeld = true}).readAs, 16);
    EXPECT_FALSE(DecideVersion15({}).decided);
    EXPECT_EQ(DecideVersion15({}).readAs, 15);
}

TEST(Version15, RetriesTakeTheFirstCleanRead) {
    std::vector<int> tried;
    auto reader = [&](std::map<int, Version15Attempt> results) {
        return [&tried, results](uint8_t form) {
            tried.push_back(form);
            return results.at(form);
        };
    };
    // A clean read as 15 stands.
    Version15Outcome out = ReadVersion15WithRetries(reader({{15, {0, false}}}));
    EXPECT_EQ(out.readAs, 15);
    EXPECT_EQ(tried, (std::vector<int>{15}));
    // A read as 15 that needed a recovery counts as failed: 14 reads cleanly.
    tried.clear();
    out = ReadVersion15WithRetries(reader({{15, {0, true}}, {14, {0, false}}}));
    EXPECT_EQ(out.readAs, 14);
    EXPECT_EQ(tried, (std::vector<int>{15, 14}));
    // 15 fails, 14 needs a recovery, 16 reads cleanly.
    tried.clear();
    out = ReadVersion15WithRetries(reader({{15, {1395, false}}, {14, {0, true}}, {16, {0, false}}}));
    EXPECT_EQ(out.readAs, 16);
    EXPECT_EQ(tried, (std::vector<int>{15, 14, 16}));
    // None clean: 15 is read again and its recovered read stands.
    tried.clear();
    out = ReadVersion15WithRetries(reader({{15, {0, true}}, {14, {1243, false}}, {16, {0, true}}}));
    EXPECT_EQ(out.readAs, 15);
    EXPECT_TRUE(out.attempt.recovered);
    EXPECT_EQ(out.attempt.code, 0);
    EXPECT_EQ(tried, (std::vector<int>{15, 14, 16, 15}));
}

// ---- Header ----

std::array<uint8_t, 264> Header(const std::vector<uint8_t>& stored, uint8_t version,
                                OldHeaderDefaults defaults = {0x02, 77}) {
    std::array<uint8_t, 264> out{};
    UpgradeHeader(stored, version, defaults, out);
    return out;
}

TEST(OldHeader, GatesOfTheHeaderBytes) {
    std::vector<uint8_t> stored(264, 0);
    stored[90] = 0xF1;   // page-record byte, bits 0-1 = 1
    stored[190] = 55;    // note playback percent
    stored[215] = 9;
    stored[187] = 0x12;  // high byte of word 186
    // Below 31 bits 0-1 of byte 90 come from the program (2); from 31 they stay.
    EXPECT_EQ(Header(stored, 30)[90], 0xF2);
    EXPECT_EQ(Header(stored, 31)[90], 0xF1);
    // Below 29 byte 215 is cleared.
    EXPECT_EQ(Header(stored, 28)[215], 0);
    EXPECT_EQ(Header(stored, 29)[215], 9);
    // Below 25 the playback percent is the setting's (77).
    EXPECT_EQ(Header(stored, 24)[190], 77);
    EXPECT_EQ(Header(stored, 25)[190], 55);
    // From 33 (a later major version) the high byte of word 186 is cleared.
    EXPECT_EQ(Header(stored, 32)[187], 0x12);
    EXPECT_EQ(Header(stored, 33)[187], 0);
}

TEST(OldHeader, MarginRuleAndTheShortHeader) {
    std::vector<uint8_t> stored(264, 0);
    for (size_t i = 256; i < 264; ++i) stored[i] = static_cast<uint8_t>(i);  // right margins only
    std::array<uint8_t, 264> out = Header(stored, 32);
    EXPECT_EQ(std::memcmp(&out[248], &stored[256], 8), 0);  // left takes right
    std::fill(stored.begin() + 256, stored.end(), 0);
    stored[250] = 5;                                         // left margins only
    out = Header(stored, 32);
    EXPECT_EQ(out[258], 5);                                  // right takes left
    // A 230-byte header: the bytes after it are zero.
    std::vector<uint8_t> shortHeader(230, 0xAA);
    out = Header(shortHeader, 12);
    EXPECT_EQ(out[229], 0xAA);
    EXPECT_EQ(out[230], 0);
    EXPECT_EQ(out[263], 0);
}

// ---- Staff, measure, spacing and cell records ----

TEST(OldRecords, StaffRecordGates) {
    auto staff = Filled<40>({{0, 0x00}, {1, 0x00}, {2, 0x52}, {3, 0xF1}, {27, 0x44}});
    auto v20 = staff;
    UpgradeStaffRecord(v20, 20);
    EXPECT_EQ(v20, staff);  // untouched from 20
    auto v19 = staff;
    UpgradeStaffRecord(v19, 19);
    EXPECT_EQ(v19[27], 0);              // byte 27 cleared
    EXPECT_EQ(WordAt(v19.data(), 2), 0x0152);  // word 2 loses its top four bits
    EXPECT_EQ(WordAt(v19.data(), 0), 0);       // from 7 word 0 is kept
    // Below 7 word 0 bits 13-15 = bits 0-2 (2) | bits 4-6 (5) of word 2 = 7.
    auto v6 = staff;
    UpgradeStaffRecord(v6, 6);
    EXPECT_EQ(WordAt(v6.data(), 0), 0xE000);
}

TEST(OldRecords, MeasureAndSpacingSizes) {
    EXPECT_EQ(MeasureRecordBytes(3), 20u);
    EXPECT_EQ(MeasureRecordBytes(4), 24u);
    EXPECT_EQ(MeasureRecordBytes(12), 24u);
    EXPECT_EQ(MeasureRecordBytes(13), 28u);
    EXPECT_EQ(SpacingEntryBytes(3), 7u);
    EXPECT_EQ(SpacingEntryBytes(4), 8u);
}

std::array<uint8_t, 28> Measure(const std::vector<uint8_t>& stored, uint8_t version,
                                const std::vector<uint8_t>& previous = {}) {
    std::array<uint8_t, 28> out{};
    UpgradeMeasureRecord(stored, version, previous, out);
    return out;
}

TEST(OldRecords, MeasureRecordGates) {
    std::vector<uint8_t> m(28, 0);
    m[1] = 0x34;
    m[16] = 3;
    m[18] = 0x21;
    m[14] = 0x99;
    // Below 4: word 18 takes byte 1 (then below 5 shifted up) and byte 1 becomes 0.
    auto v3 = Measure(std::vector<uint8_t>(m.begin(), m.begin() + 20), 3);
    EXPECT_EQ(v3[1], 0);
    EXPECT_EQ(WordAt(v3.data(), 18), 0x3400);
    // 4: byte 1 stays; word 18 still shifted below 5.
    auto v4 = Measure(std::vector<uint8_t>(m.begin(), m.begin() + 24), 4);
    EXPECT_EQ(v4[1], 0x34);
    EXPECT_EQ(WordAt(v4.data(), 18), 0x2100);
    EXPECT_EQ(WordAt(Measure(m, 5).data(), 18), 0x0021);
    // Below 9 byte 16 is cleared.
    EXPECT_EQ(Measure(m, 8)[16], 0);
    EXPECT_EQ(Measure(m, 9)[16], 3);
    // Word 14 is cleared in every version.
    EXPECT_EQ(Measure(m, 32)[14], 0);
}

TEST(OldRecords, BarlineCodesSwapBelowVersion8) {
    struct Case { uint8_t stored, below8; };
    const Case cases[] = {{0x02, 0x03}, {0x03, 0x02}, {0x20, 0x30}, {0x30, 0x20},
                          {0x23, 0x32}, {0x11, 0x11}, {0x44, 0x44}};
    for (const Case& c : cases) {
        std::vector<uint8_t> m(28, 0);
        m[2] = c.stored;
        m[3] = 0xA0;  // the high byte is not a barline code
        EXPECT_EQ(Measure(m, 7)[2], c.below8) << int(c.stored);
        EXPECT_EQ(Measure(m, 7)[3], 0xA0);
        EXPECT_EQ(Measure(m, 8)[2], c.stored);
    }
}

TEST(OldRecords, MeasureNumbersBelowVersion20FollowThePreviousMeasure) {
    std::vector<uint8_t> previous(28, 0);
    previous[26] = 10;  // measure number 10
    previous[16] = 2;   // two more measures counted
    std::vector<uint8_t> m(28, 0);
    m[26] = 99;
    EXPECT_EQ(WordAt(Measure(m, 19, previous).data(), 26), 13);
    EXPECT_EQ(WordAt(Measure(m, 19).data(), 26), 1);   // measure 1 is numbered 1, as in a new score
    EXPECT_EQ(WordAt(Measure(m, 20, previous).data(), 26), 99);
}

TEST(OldRecords, SpacingEntryGates) {
    auto entry = [](std::vector<uint8_t> stored, uint8_t version) {
        std::array<uint8_t, 8> out{};
        UpgradeSpacingEntry(stored, version, out);
        return WordAt(out.data(), 6);
    };
    EXPECT_EQ(entry({0, 0, 0, 0, 0, 0, 0x45}, 3), 0x4500);        // 7 bytes: word 6 from byte 6, shifted
    EXPECT_EQ(entry({0, 0, 0, 0, 0, 0, 0x45, 0x01}, 4), 0x4500);  // low byte shifted up
    EXPECT_EQ(entry({0, 0, 0, 0, 0, 0, 0x45, 0x01}, 5), 0x0145);
}

TEST(OldRecords, CellHeaderGates) {
    std::vector<uint8_t> cell = {0, 0, 0xFF, 0x0F, 0, 0, 0x11, 0x22};
    auto v19 = cell;
    UpgradeCellHeader(v19, 19);
    EXPECT_EQ(v19[7], 0);     // word 6 high byte
    EXPECT_EQ(v19[3], 0x0C);  // word 2 bits 8-9
    auto v26 = cell;
    UpgradeCellHeader(v26, 26);
    EXPECT_EQ(v26[7], 0x22);
    EXPECT_EQ(v26[3], 0x0C);
    auto v27 = cell;
    UpgradeCellHeader(v27, 27);
    EXPECT_EQ(v27, cell);
    std::vector<uint8_t> tooShort = {1, 2, 3};
    UpgradeCellHeader(tooShort, 1);  // a damaged cell is left alone
    EXPECT_EQ(tooShort, (std::vector<uint8_t>{1, 2, 3}));
}

// ---- Events ----

std::array<uint8_t, 28> Event(std::array<uint8_t, 28> event, uint8_t version, EventPlace place = {}) {
    if (place.measureTicks == 0) place.measureTicks = 1024;
    UpgradeEventRecord(event, version, place);
    return event;
}

TEST(OldEvents, Word2BitsMoveToWord6BelowVersion14) {
    auto e = Filled<28>({{3, 0x0B}, {7, 0x60}});  // word 2 bits 8-11 = 0xB; word 6 bits 13-14 set
    auto v13 = Event(e, 13);
    EXPECT_EQ(WordAt(v13.data(), 6), 0xB << 9);  // bits 9-12, bits 13-14 cleared
    EXPECT_EQ(v13[3], 0);
    auto v14 = Event(e, 14);
    EXPECT_EQ(WordAt(v14.data(), 6), 0x6000);
    EXPECT_EQ(v14[3], 0);  // bits 8-11 of word 2 are cleared below 31 anyway
    EXPECT_EQ(Event(e, 31)[3], 0x08);  // from 31 only bits 8-10 are cleared
}

TEST(OldEvents, Byte19AndBit5Gates) {
    auto e = Filled<28>({{19, 0x05}, {6, 0x20}});
    EXPECT_EQ(Event(e, 14)[19], 0x81);
    EXPECT_EQ(Event(e, 14, {.readAs14 = true})[19], 0x05);  // a 15 read as 14 keeps it
    EXPECT_EQ(Event(e, 15)[19], 0x05);
    EXPECT_EQ(Event(e, 22)[6], 0x00);
    EXPECT_EQ(Event(e, 23)[6], 0x20);
}

TEST(OldEvents, CrossStaffEventsBelowVersion28) {
    const uint8_t up = static_cast<uint8_t>(-5), near = static_cast<uint8_t>(-3);
    auto cross = [](uint8_t step) { return Filled<28>({{1, 0x04}, {5, step}, {7, 0x80}}); };
    // Far below, on staff 1: byte 19 takes the step, the cross-staff bit goes.
    auto a = Event(cross(up), 27, {.staff = 1, .lastStaff = 3});
    EXPECT_EQ(a[19], up);
    EXPECT_EQ(a[1], 0);
    EXPECT_EQ(a[7], 0);  // word 6 bit 15 cleared
    // Far below, on another staff: word 6 bit 15 set, the bit stays.
    auto b = Event(cross(up), 27, {.staff = 2, .lastStaff = 3});
    EXPECT_EQ(b[7], 0x80);
    EXPECT_EQ(b[1], 0x04);
    // -3 or more on the last staff: byte 19 takes the step.
    auto c = Event(cross(near), 27, {.staff = 3, .lastStaff = 3});
    EXPECT_EQ(c[19], near);
    EXPECT_EQ(c[1], 0);
    // -3 or more on another staff: left as it is (bit 15 cleared).
    auto d = Event(cross(near), 27, {.staff = 2, .lastStaff = 3});
    EXPECT_EQ(d[1], 0x04);
    EXPECT_EQ(d[7], 0);
    // From 28 nothing of it is touched.
    auto e = Event(cross(up), 28, {.staff = 1, .lastStaff = 3});
    EXPECT_EQ(e[1], 0x04);
    EXPECT_EQ(e[7], 0x80);
    EXPECT_EQ(e[19], 0);
}

TEST(OldEvents, TimeAtOrBeyondTheMeasureBecomesZero) {
    auto at = [](uint16_t time) { return Filled<28>({{16, uint8_t(time & 0xFF)}, {17, uint8_t(time >> 8)}}); };
    EXPECT_EQ(WordAt(Event(at(1023), 32).data(), 16), 1023);
    EXPECT_EQ(WordAt(Event(at(1024), 32).data(), 16), 0);  // equal to the length
    EXPECT_EQ(WordAt(Event(at(0xFFFF), 32).data(), 16), 0);
}

// ---- Pages and systems ----

TEST(OldPages, SystemOriginAndPageNumbers) {
    auto system = Filled<16>({{8, 0x00}, {9, 0x80}, {12, 0x10}, {13, 0x78}});  // x 0x8000, y 0x7810
    auto v2 = system;
    UpgradeSystemRecord(v2, 2);
    EXPECT_EQ(WordAt(v2.data(), 8), 0x0800);   // lowered by 30720
    EXPECT_EQ(WordAt(v2.data(), 12), 0x0010);
    auto low = Filled<16>({});                 // 0 lowered goes negative
    UpgradeSystemRecord(low, 1);
    EXPECT_EQ(WordAt(low.data(), 8), 0x8800);
    EXPECT_EQ(WordAt(low.data(), 10), 0xFFFF);
    auto v3 = system;
    UpgradeSystemRecord(v3, 3);
    EXPECT_EQ(v3, system);
    // Coordinates that cannot be lowered the whole way stop at the smallest value.
    auto lowest = Filled<16>({{11, 0x80}, {12, 0xFF}, {13, 0x77}, {15, 0x80}});  // x INT32_MIN, y 0x800077FF
    UpgradeSystemRecord(lowest, 2);
    EXPECT_EQ(WordAt(lowest.data(), 8), 0x0000);
    EXPECT_EQ(WordAt(lowest.data(), 10), 0x8000);
    EXPECT_EQ(WordAt(lowest.data(), 12), 0x0000);
    EXPECT_EQ(WordAt(lowest.data(), 14), 0x8000);
    auto justFits = Filled<16>({{9, 0x78}, {11, 0x80}});  // x INT32_MIN + 0x7800
    UpgradeSystemRecord(justFits, 2);
    EXPECT_EQ(WordAt(justFits.data(), 8), 0x0000);
    EXPECT_EQ(WordAt(justFits.data(), 10), 0x8000);
    auto page = Filled<16>({{14, 7}});
    auto master = Filled<16>({{14, 0xFE}, {15, 0xFF}});  // -2
    auto p19 = page, m19 = master, p20 = page;
    UpgradePageRecord(p19, 19);
    UpgradePageRecord(m19, 19);
    UpgradePageRecord(p20, 20);
    EXPECT_EQ(WordAt(p19.data(), 14), 0);
    EXPECT_EQ(WordAt(m19.data(), 14), 0xFFFE);  // negative numbers stay
    EXPECT_EQ(WordAt(p20.data(), 14), 7);
}

}  // namespace
}  // namespace ql
