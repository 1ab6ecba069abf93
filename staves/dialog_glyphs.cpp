#include "staves/dialog_glyphs.h"

#include <string_view>

#include "core/draw/fonts.h"
#include "core/state.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"

namespace ql {

void DrawDialogGlyph(platform::DcHandle dc, const std::string& face, int height, int weight, int x, int y,
                     char glyph) {
    text::LogicalFont request;
    request.height = -height;
    request.weight = weight;
    request.SetFace(face.c_str());
    const platform::FontHandle font = text::CreateFontIndirect(request);
    if (!font) return;
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
    text::TextOutA(dc, gfx::Point{x, y}, std::string_view(&glyph, 1));
    gfx::SelectObject(dc, previous);
    text::DeleteFont(font);
}

std::string MusicFaceName() {
    const platform::FontHandle music = State().drawing.MusicFont;
    return music ? text::GetFontFaceName(music) : std::string(kMusicFontFace);
}

}  // namespace ql
