// Program entry. The editor window does not exist yet: until it does, the program
// draws a demonstration staff (clef, time signature, notes and rests in the music
// font, a title in a text face) through the platform layer into a PNG, and says
// where it wrote it. With a display, the window layer is put on GTK at start-up
// (the headless backends stay otherwise).
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "core/ui/help.h"
#include "platform/gtk/gtk_install.h"
#include "platform/sys/browser_help.h"
#include "platform/sys/folders.h"
#include "platform/sys/help.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"

namespace {

using namespace ql;
using platform::BitmapHandle;
using platform::FontHandle;

constexpr int32_t kScoreOrigin = -30720;  // the logical origin of every score
constexpr int32_t kSpace = 128;           // logical units per staff space
constexpr int32_t kStep = kSpace / 2;     // one staff position
constexpr int32_t kZoom = 24;             // device pixels per staff space
constexpr int32_t kMusicFontHeight = -4 * kSpace;  // one em is the staff height
constexpr int32_t kStaffLeft = kScoreOrigin + kSpace;
constexpr int32_t kStaffTop = kScoreOrigin + 5 * kSpace;
constexpr int32_t kStaffWidth = 40 * kSpace;
constexpr int32_t kStaffBottom = kStaffTop + 4 * kSpace;
constexpr int32_t kPictureWidth = kStaffWidth + 2 * kSpace;
constexpr int32_t kPictureHeight = 11 * kSpace;

// Glyph codes of the music font.
constexpr char kTrebleClef = 58;
constexpr int32_t kBlackHeadWidth = 158;  // logical units at the full music-font size
constexpr int32_t kStemInset = 8;
constexpr int32_t kStemStart = 16;
constexpr int32_t kStemLength = 7 * kStep;
constexpr int32_t kMiddleLineStep = 4;
constexpr char kBlackHead = 72;
constexpr char kDigitFour = '4';

struct Mark {
    char glyph;
    int32_t x;     // staff spaces from the staff's left end
    int32_t step;  // staff positions above the bottom line
    bool stem;     // draw an up stem from a note head
};

// "Frere Jacques", first two measures, starting on G.
constexpr Mark kMarks[] = {
    {kBlackHead, 8, 2, true},   {kBlackHead, 11, 3, true}, {kBlackHead, 14, 4, true},
    {kBlackHead, 17, 2, true},  {kBlackHead, 22, 2, true}, {kBlackHead, 25, 3, true},
    {kBlackHead, 28, 4, true},  {kBlackHead, 31, 2, true},
};

void DrawStaff(gfx::DcHandle dc) {
    for (int32_t line = 0; line < 5; ++line) {
        int32_t y = kStaffTop + line * kSpace;
        gfx::MoveTo(dc, gfx::Point{kStaffLeft, y});
        gfx::LineTo(dc, gfx::Point{kStaffLeft + kStaffWidth, y});
    }
    for (int32_t x : {kStaffLeft, kStaffLeft + 20 * kSpace, kStaffLeft + kStaffWidth}) {
        gfx::MoveTo(dc, gfx::Point{x, kStaffTop});
        gfx::LineTo(dc, gfx::Point{x, kStaffBottom});
    }
}

void DrawGlyph(gfx::DcHandle dc, char glyph, int32_t x, int32_t y) {
    text::TextOutA(dc, gfx::Point{x, y}, std::string_view(&glyph, 1));
}

void DrawMusic(gfx::DcHandle dc) {
    text::LogicalFont request;
    request.height = kMusicFontHeight;
    request.SetFace("Glyphora");
    request.charset = static_cast<uint8_t>(text::Charset::Symbol);
    FontHandle music = text::CreateFontIndirect(request);
    FontHandle previous = gfx::SelectObject(dc, music);
    gfx::SetTextAlign(dc, gfx::kTextAlignBaseline);
    DrawGlyph(dc, kTrebleClef, kStaffLeft + kSpace / 2, kStaffBottom - 2 * kStep);
    DrawGlyph(dc, kDigitFour, kStaffLeft + 4 * kSpace, kStaffBottom - 6 * kStep);
    DrawGlyph(dc, kDigitFour, kStaffLeft + 4 * kSpace, kStaffBottom - 2 * kStep);
    for (const Mark& mark : kMarks) {
        int32_t x = kStaffLeft + mark.x * kSpace;
        int32_t y = kStaffBottom - mark.step * kStep;
        DrawGlyph(dc, mark.glyph, x, y);
        if (mark.stem) {
            // Heads from the middle line up take a down stem on their left edge.
            bool down = mark.step >= kMiddleLineStep;
            int32_t stemX = down ? x + kStemInset : x + kBlackHeadWidth - kStemInset;
            int32_t sign = down ? 1 : -1;
            gfx::MoveTo(dc, gfx::Point{stemX, y + sign * kStemStart});
            gfx::LineTo(dc, gfx::Point{stemX, y + sign * kStemLength});
        }
    }
    gfx::SelectObject(dc, previous);
    gfx::DeleteObject(music);
}

void DrawTitle(gfx::DcHandle dc) {
    text::LogicalFont request;
    request.height = -kSpace * 2;
    request.SetFace("Times New Roman");
    FontHandle font = text::CreateFontIndirect(request);
    FontHandle previous = gfx::SelectObject(dc, font);
    gfx::SetTextAlign(dc, gfx::kTextAlignBaseline);
    text::TextOutA(dc, gfx::Point{kStaffLeft, kScoreOrigin + 2 * kSpace}, "Fr\xe8re Jacques");
    gfx::SelectObject(dc, previous);
    gfx::DeleteObject(font);
}

}  // namespace

int main(int argc, char** argv) {
    std::string out = argc > 1 ? argv[1] : "quaverline-demo.png";
    if (out == "--help" || out == "-h") {
        std::printf("usage: %s [picture.png]\n", argv[0]);
        return 0;
    }
    if (gtk::InstallGtkBackends()) {
        // On a desktop, help pages open in the browser.
        sys::InstallHelpViewer(std::make_unique<sys::BrowserHelpViewer>(
            sys::ProgramFolder() / kHelpFolderName, std::string{}));
    }
    BitmapHandle image = gfx::CreateImageBitmap(kPictureWidth * kZoom / kSpace,
                                                kPictureHeight * kZoom / kSpace);
    gfx::DcHandle dc = gfx::CreateWindowContext(image);
    gfx::SetMapMode(dc, gfx::MapMode::Anisotropic);
    gfx::SetWindowExtent(dc, gfx::Size{kSpace, kSpace});
    gfx::SetViewportExtent(dc, gfx::Size{kZoom, kZoom});
    gfx::SetWindowOrigin(dc, gfx::Point{kScoreOrigin, kScoreOrigin});
    gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
    DrawStaff(dc);
    DrawMusic(dc);
    DrawTitle(dc);
    bool written = gfx::WritePng(image, out);
    gfx::DeleteContext(dc);
    gfx::DeleteObject(image);
    if (!written) {
        std::fprintf(stderr, "quaverline: could not write %s\n", out.c_str());
        return 1;
    }
    std::printf(
        "The editor window is not built yet. quaverline drew a demonstration staff "
        "through its drawing layer into %s\n",
        out.c_str());
    return 0;
}
