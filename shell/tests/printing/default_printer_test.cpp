// The default printer's context measures at 600 dpi on the letter page and writes
// no file: a page drawn on it leaves nothing in the working folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/gfx/caps.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/printer.h"
#include "shell/printing/default_printer.h"

namespace ql {
namespace {

TEST(DefaultPrinter, MeasuresAt600DpiOnTheDefaultPageAndWritesNoFile) {
    namespace fs = std::filesystem;
    const auto entries = [] {
        return std::distance(fs::directory_iterator(fs::current_path()), fs::directory_iterator{});
    };
    const auto before = entries();
    platform::DcHandle printer = CreateDefaultPrinterDC();
    ASSERT_TRUE(printer);
    EXPECT_EQ(gfx::GetDeviceCaps(printer, gfx::DeviceCap::LogPixelsX), 600);
    EXPECT_EQ(gfx::GetDeviceCaps(printer, gfx::DeviceCap::LogPixelsY), 600);
    EXPECT_EQ(gfx::GetDeviceCaps(printer, gfx::DeviceCap::HorzRes), 5100);
    EXPECT_EQ(gfx::GetDeviceCaps(printer, gfx::DeviceCap::VertRes), 6600);
    ASSERT_TRUE(gfx::StartDocument(printer, "measure"));
    ASSERT_TRUE(gfx::StartPage(printer));
    EXPECT_TRUE(gfx::EndPage(printer));
    EXPECT_TRUE(gfx::EndDocument(printer));
    gfx::DeleteContext(printer);
    EXPECT_EQ(entries(), before);
}

}  // namespace
}  // namespace ql
