// The clipboard store: one opener at a time, setting and getting only while open,
// emptying replacing everything, a block per format, and each injected failure
// failing its step once and leaving the store as it was.
#include <gtest/gtest.h>

#include "platform/sys/clipboard.h"
#include "platform/sys/clipboard_headless.h"

namespace ql::sys {
namespace {

using headless::ClipboardStep;

class ClipboardTest : public ::testing::Test {
  protected:
    void SetUp() override { headless::ResetClipboard(); }
    void TearDown() override { headless::ResetClipboard(); }
};

// Opening twice fails until closed; set and get need it open; closing twice fails.
TEST_F(ClipboardTest, OpenAndCloseBracketEveryAccess) {
    EXPECT_FALSE(SetClipboardData(ClipboardFormat::Dib, {1}));
    ASSERT_TRUE(OpenClipboard(platform::WindowHandle{}));
    EXPECT_FALSE(OpenClipboard(platform::WindowHandle{}));
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_TRUE(SetClipboardData(ClipboardFormat::Dib, {1, 2, 3}));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(ClipboardFormat::Dib));  // without opening
    EXPECT_FALSE(GetClipboardData(ClipboardFormat::Dib).has_value());  // closed
    ASSERT_TRUE(OpenClipboard(platform::WindowHandle{}));
    EXPECT_EQ(GetClipboardData(ClipboardFormat::Dib), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(GetClipboardData(ClipboardFormat::EnhancedMetafile).has_value());
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(headless::ClipboardOpenCount(), 2);
    EXPECT_EQ(headless::ClipboardCloseCount(), 2);
}

// A block per format, replaced by a later one of its format; emptying drops all.
TEST_F(ClipboardTest, BlocksByFormat) {
    ASSERT_TRUE(OpenClipboard(platform::WindowHandle{}));
    SetClipboardData(ClipboardFormat::EnhancedMetafile, {9});
    SetClipboardData(ClipboardFormat::Dib, {1});
    SetClipboardData(ClipboardFormat::Dib, {2});
    EXPECT_EQ(headless::ClipboardFormats(),
              (std::vector<ClipboardFormat>{ClipboardFormat::Dib, ClipboardFormat::EnhancedMetafile}));
    EXPECT_EQ(GetClipboardData(ClipboardFormat::Dib), (std::vector<uint8_t>{2}));
    EmptyClipboard();
    EXPECT_TRUE(headless::ClipboardFormats().empty());
    CloseClipboard();
}

// Each injected failure fails its step once and changes nothing.
TEST_F(ClipboardTest, InjectedFailuresFailOnce) {
    headless::FailNextClipboardStep(ClipboardStep::Open);
    EXPECT_FALSE(OpenClipboard(platform::WindowHandle{}));
    EXPECT_FALSE(IsClipboardOpen());
    ASSERT_TRUE(OpenClipboard(platform::WindowHandle{}));
    SetClipboardData(ClipboardFormat::Text, {7});
    headless::FailNextClipboardStep(ClipboardStep::Empty);
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(ClipboardFormat::Text));
    headless::FailNextClipboardStep(ClipboardStep::Set);
    EXPECT_FALSE(SetClipboardData(ClipboardFormat::Dib, {1}));
    EXPECT_FALSE(IsClipboardFormatAvailable(ClipboardFormat::Dib));
    headless::FailNextClipboardStep(ClipboardStep::Get);
    EXPECT_FALSE(GetClipboardData(ClipboardFormat::Text).has_value());
    EXPECT_TRUE(GetClipboardData(ClipboardFormat::Text).has_value());
    CloseClipboard();
}

// Closing an emptied clipboard offers its blocks with the owner; the pictures go
// under their MIME targets and the formats only this program reads under none.
// Closing without emptying offers nothing new.
TEST_F(ClipboardTest, ClosingAnEmptiedClipboardOffersItsBlocks) {
    const platform::WindowHandle owner{7};
    ASSERT_TRUE(OpenClipboard(owner));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(ClipboardFormat::Svg, {3}));
    ASSERT_TRUE(SetClipboardData(ClipboardFormat::Png, {1, 2}));
    ASSERT_TRUE(SetClipboardData(ClipboardFormat::Dib, {9}));
    EXPECT_FALSE(headless::LastClipboardOffer().has_value());  // not before closing
    ASSERT_TRUE(CloseClipboard());
    const std::optional<ClipboardOffer> offer = headless::LastClipboardOffer();
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->owner, owner);
    EXPECT_EQ(offer->blocks.at(static_cast<uint32_t>(ClipboardFormat::Png)), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(headless::LastOfferedTargets(), (std::vector<std::string>{"image/png", "image/svg+xml"}));
    ASSERT_TRUE(OpenClipboard(platform::WindowHandle{8}));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(headless::LastClipboardOffer()->owner, owner);
}

// A desktop hook receives the offer instead; losing the clipboard drops the
// blocks and runs the program's clear path once.
TEST_F(ClipboardTest, DesktopHookAndLostOwnership) {
    std::vector<ClipboardOffer> offers;
    InstallClipboardOfferHook([&](const ClipboardOffer& offer) { offers.push_back(offer); });
    int cleared = 0;
    SetClipboardLostHandler([&] { ++cleared; });
    ASSERT_TRUE(OpenClipboard(platform::WindowHandle{}));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(ClipboardFormat::Png, {1}));
    ASSERT_TRUE(CloseClipboard());
    InstallClipboardOfferHook(nullptr);
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_FALSE(headless::LastClipboardOffer().has_value());
    ClipboardOwnershipLost();
    SetClipboardLostHandler(nullptr);
    EXPECT_EQ(cleared, 1);
    EXPECT_FALSE(IsClipboardFormatAvailable(ClipboardFormat::Png));
}

// While another program holds the clipboard, a format the program has no block of
// is asked of the desktop's readers; once the program empties the clipboard its own
// blocks alone answer, until the desktop takes the clipboard away again.
TEST_F(ClipboardTest, TheDesktopIsAskedOnlyWhileAnotherProgramHoldsTheClipboard) {
    int asked = 0;
    InstallClipboardReaders({[&](ClipboardFormat f) { ++asked; return f == ClipboardFormat::Dib; },
                             [&](ClipboardFormat f) -> std::optional<std::vector<uint8_t>> {
                                 ++asked;
                                 if (f != ClipboardFormat::Dib) return std::nullopt;
                                 return std::vector<uint8_t>{7, 8};
                             }});
    EXPECT_TRUE(IsClipboardFormatAvailable(ClipboardFormat::Dib));
    EXPECT_FALSE(IsClipboardFormatAvailable(ClipboardFormat::EnhancedMetafile));
    EXPECT_FALSE(GetClipboardData(ClipboardFormat::Dib).has_value()) << "read while closed";
    ASSERT_TRUE(OpenClipboard(platform::WindowHandle{}));
    EXPECT_EQ(GetClipboardData(ClipboardFormat::Dib), (std::vector<uint8_t>{7, 8}));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(ClipboardFormat::Png, {1}));
    asked = 0;
    EXPECT_FALSE(GetClipboardData(ClipboardFormat::Dib).has_value());
    ASSERT_TRUE(CloseClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(ClipboardFormat::Dib));
    EXPECT_TRUE(IsClipboardFormatAvailable(ClipboardFormat::Png));
    EXPECT_EQ(asked, 0) << "the desktop was asked while the program held the clipboard";
    ClipboardOwnershipLost();
    EXPECT_TRUE(IsClipboardFormatAvailable(ClipboardFormat::Dib));
    EXPECT_EQ(asked, 1);
}

uint32_t Little(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

// A 2 by 2 RGBA image as a packed bitmap: the 40-byte header, 24-bit rows padded to
// eight bytes, the bottom row first, blue before red, a transparent pixel white and
// a half-transparent black one grey.
TEST_F(ClipboardTest, AnImageBecomesAPackedBitmapBottomUpOverWhite) {
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 0, 0, 0,   0, 0, 0, 0,  // top row, 4 spare bytes
                                       0, 0, 255, 255, 0, 0, 0, 128};
    const std::vector<uint8_t> dib = PackedDibFromPixels(2, 2, 12, 4, rgba);
    ASSERT_EQ(dib.size(), 40u + 2 * 8);
    EXPECT_EQ(Little(dib, 0, 4), 40u);
    EXPECT_EQ(Little(dib, 4, 4), 2u);
    EXPECT_EQ(Little(dib, 8, 4), 2u);
    EXPECT_EQ(Little(dib, 12, 2), 1u);
    EXPECT_EQ(Little(dib, 14, 2), 24u);
    EXPECT_EQ(Little(dib, 16, 4), 0u) << "compressed";
    // Bottom row first: blue, then a half-covered black (127 of 255 left white).
    EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 40, dib.begin() + 46), (std::vector<uint8_t>{255, 0, 0, 127, 127, 127}));
    // Top row: red (stored blue-green-red), then the transparent pixel white.
    EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 48, dib.begin() + 54), (std::vector<uint8_t>{0, 0, 255, 255, 255, 255}));
    const std::vector<uint8_t> rgb = {1, 2, 3};
    EXPECT_EQ(PackedDibFromPixels(1, 1, 3, 3, rgb).size(), 40u + 4);
    EXPECT_TRUE(PackedDibFromPixels(2, 2, 12, 4, std::vector<uint8_t>(rgba.begin(), rgba.end() - 1)).empty())
        << "read past the pixels";
    EXPECT_TRUE(PackedDibFromPixels(2, 1, 4, 4, rgba).empty()) << "a row stride shorter than a row";
    EXPECT_TRUE(PackedDibFromPixels(0, 1, 4, 4, rgba).empty());
}

}  // namespace
}  // namespace ql::sys
