// The palettes' saved positions: strict parsing, the profile's binary fallback,
// write-and-read-back through the settings file, and damaged values by the
// thousand giving the defaults or a place on the screen.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <limits>
#include <random>
#include <string>

#include "core/settings/settings_store.h"
#include "editing/palette_positions.h"
#include "platform/sys/settings_store.h"
#include "platform/tests/sys/scratch_folder.h"

namespace ql {
namespace {

constexpr PalettePosition kDefaults{13, 102, 4, 4};

class PalettePositionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sys::OpenProgramSettings(scratch / "config");
        SetProfilePath((scratch / "profile.ini").string());
    }
    void TearDown() override {
        sys::CloseProgramSettings();
        SetProfilePath({});
    }
    void WriteProfile(const std::string& text) {
        std::ofstream(scratch / "profile.ini", std::ios::binary) << text;
    }
    void Save(const char* key, const std::string& text) {
        ASSERT_EQ(WriteSettingText(kPaletteWriteSection, key, text), kSettingsOk);
    }

    testing::ScratchFolder scratch;
};

TEST(PalettePositionTextTest, OnlyFourIntegersSeparatedByCommasParse) {
    EXPECT_EQ(ParsePalettePosition("10,20,9,9"), (PalettePosition{10, 20, 9, 9}));
    EXPECT_EQ(ParsePalettePosition("-10,-2147483648,1,2147483647"),
              (PalettePosition{-10, std::numeric_limits<int>::min(), 1,
                               std::numeric_limits<int>::max()}));
    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "1,2,3,4,", " 1,2,3,4", "1, 2,3,4",
                            "1,2,3,4 ", "1,,3,4", "1,2,3,2147483648", "+1,2,3,4", "1,2,3,4x",
                            "a,b,c,d", "1;2;3;4", "-,2,3,4"})
        EXPECT_EQ(ParsePalettePosition(bad), std::nullopt) << bad;
}

TEST(PalettePositionTextTest, BinaryFormNeedsSeventeenHexBytesWithTheirChecksum) {
    const PalettePosition p{-8, 83, 7, 1};
    const std::string hex = FormatBinaryPalettePosition(p);
    ASSERT_EQ(hex.size(), 34u);
    EXPECT_EQ(ParseBinaryPalettePosition(hex), p);
    std::string wrongSum = hex;
    wrongSum[33] = wrongSum[33] == '0' ? '1' : '0';
    EXPECT_EQ(ParseBinaryPalettePosition(wrongSum), std::nullopt);
    EXPECT_EQ(ParseBinaryPalettePosition(hex.substr(0, 32)), std::nullopt);
    EXPECT_EQ(ParseBinaryPalettePosition(hex + "00"), std::nullopt);
    std::string notHex = hex;
    notHex[4] = 'g';
    EXPECT_EQ(ParseBinaryPalettePosition(notHex), std::nullopt);
}

TEST_F(PalettePositionsTest, TextWithCommasIsReadAndOtherwiseVersionTwoIsTried) {
    WriteProfile("[Version 2]\nNTool=" + FormatBinaryPalettePosition({40, 50, 2, 8}) +
                 "\nATool=zz\n");
    EXPECT_EQ(ReadPalettePosition("NTool", kDefaults), (PalettePosition{40, 50, 2, 8}));
    Save("NTool", "123");  // no comma: the older form
    EXPECT_EQ(ReadPalettePosition("NTool", kDefaults), (PalettePosition{40, 50, 2, 8}));
    Save("NTool", "1,2,3,4");
    EXPECT_EQ(ReadPalettePosition("ntool", kDefaults), (PalettePosition{1, 2, 3, 4}));
    Save("NTool", "1,2,3");  // malformed text never falls through to the profile
    EXPECT_EQ(ReadPalettePosition("NTool", kDefaults), kDefaults);
    EXPECT_EQ(ReadPalettePosition("ATool", kDefaults), kDefaults);
    EXPECT_EQ(ReadPalettePosition("Missing", kDefaults), kDefaults);
    EXPECT_EQ(ReadPalettePosition(nullptr, kDefaults), kDefaults);
}

TEST_F(PalettePositionsTest, PositionsWrittenAtShutdownReadBackAtTheNextStart) {
    std::array<std::optional<PalettePosition>, kPaletteCount> saved;
    for (int i = 0; i < kPaletteCount; ++i)
        saved[static_cast<size_t>(i)] = PalettePosition{i * 10 - 5, 100 + i, 1 + i % 3, 2 + i};
    saved[kHeadsPalette].reset();
    ASSERT_TRUE(SaveToolPalettePositions(saved));
    sys::CloseProgramSettings();
    sys::OpenProgramSettings(scratch / "config");  // the next run
    for (int i = 0; i < kPaletteCount; ++i) {
        const PalettePosition read = ReadPalettePosition(PaletteSpecOf(i).key, kDefaults);
        EXPECT_EQ(read, saved[static_cast<size_t>(i)].value_or(kDefaults)) << i;
    }
    EXPECT_EQ(sys::ProgramSettings().ReadText(kPaletteReadSection, "HTool"), "");
}

// Random damaged texts: each gives the defaults or the exact value, and placing
// the result always puts the palette on the screen.
TEST_F(PalettePositionsTest, DamagedSavedValuesGiveDefaultsOrAPlaceOnTheScreen) {
    std::mt19937 random(44);
    const PaletteScreen screen{1024, 768, 20, 16, 4, 4};
    auto number = [&random]() -> std::string {
        switch (random() % 4) {
            case 0:
                return std::to_string(static_cast<int32_t>(random()));
            case 1:
                return std::to_string(static_cast<int64_t>(random()) * 1000000007LL);
            case 2:
                return "-" + std::to_string(random() % 100);
            default:
                return std::to_string(random() % 12);
        }
    };
    int parsed = 0;
    for (int i = 0; i < 10000; ++i) {
        std::string text;
        switch (i % 4) {
            case 0:  // random bytes
                for (size_t n = random() % 40; n > 0; --n) text += static_cast<char>(random() % 256);
                break;
            case 1:  // four numbers of any size
                text = number() + "," + number() + "," + number() + "," + number();
                break;
            case 2:  // fields missing
                text = number() + "," + number();
                if (random() % 2) text += ",";
                break;
            default:  // overlong
                text = std::string(5000, static_cast<char>('0' + random() % 10));
                text[random() % 5000] = ',';
                break;
        }
        const PalettePosition read = ParsePalettePosition(text).value_or(kDefaults);
        if (read != kDefaults) ++parsed;
        const int palette = i % kPaletteCount;
        const PalettePosition place = InitialPalettePlacement(palette, read, 36, screen);
        const PaletteSize size = PaletteWindowSize({place.columns, place.rows}, 36, screen);
        ASSERT_GE(place.columns * place.rows, PaletteSpecOf(palette).buttons) << text;
        if (size.width <= screen.width) {
            ASSERT_GE(place.x, 0) << text;
            ASSERT_LE(place.x + size.width, screen.width) << text;
        }
        if (size.height + screen.captionHeight <= screen.height) {
            ASSERT_GE(place.y, screen.captionHeight) << text;
            ASSERT_LE(place.y + size.height, screen.height) << text;
        }
    }
    EXPECT_GT(parsed, 500);  // the well-formed values in range were read, not dropped
}

TEST_F(PalettePositionsTest, RandomHexInVersionTwoGivesTheDefaultsUnlessWellFormed) {
    std::mt19937 random(2);
    for (int i = 0; i < 10000; ++i) {
        std::string hex;
        for (size_t n = random() % 80; n > 0; --n) hex += "0123456789abcdefABCDEF"[random() % 22];
        const std::optional<PalettePosition> parsed = ParseBinaryPalettePosition(hex);
        if (parsed) {
            ASSERT_EQ(hex.size(), 34u);
            ASSERT_EQ(ParseBinaryPalettePosition(FormatBinaryPalettePosition(*parsed)), parsed);
        }
    }
    WriteProfile("[Version 2]\nNTool=" + std::string(4999, 'f') + "\n");
    EXPECT_EQ(ReadPalettePosition("NTool", kDefaults), kDefaults);
}

}  // namespace
}  // namespace ql
