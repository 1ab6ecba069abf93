#include "shell/tests/program/page_pictures.h"

#include <filesystem>

#include "core/draw/draw_surface.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "display/painter.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"

namespace ql::testing {

bool PaintPagePicture(ScoreView* view, ScorePage* page, const PagePictureUse& use) {
    view->currentPage = page;
    view->currentSystem = page->firstSystem.get();
    UpdateBeatMaps(view, 0);
    const platform::DcHandle recording = gfx::CreateRecordingContext({});
    State().drawing.PaintDC = recording;
    State().display.painter.paintRect =
        PaintArea{kLogicalOrigin, kLogicalOrigin, view->PageRight, view->PageBottom};
    State().display.painter.paintRectActive = 1;
    BeginViewDraw(view);
    DrawScoreContents(view);
    const gfx::Mapping mapping = gfx::GetMapping(recording);
    EndViewDraw(view);
    State().drawing.PaintDC = {};
    State().display.painter.paintRectActive = 0;
    const gfx::Point corner = gfx::MapLogicalToDevice(mapping, {view->PageRight, view->PageBottom});
    const platform::BitmapHandle image = gfx::CreateImageBitmap(corner.x + 1, corner.y + 1);
    const platform::DcHandle target = gfx::CreateWindowContext(image);
    gfx::PatternBlit(target, gfx::Rect{0, 0, corner.x + 1, corner.y + 1}, gfx::RasterOp::Whiteness);
    bool made = gfx::PlayRecording(recording, target);
    made = use(image, mapping) && made;
    gfx::DeleteContext(target);
    gfx::DeleteObject(image);
    gfx::DeleteContext(recording);
    return made;
}

bool SavePagePictures(ScoreView* view, const std::string& name) {
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    bool written = true;
    ScorePage* const shown = view->currentPage;
    int index = 1;
    for (ScorePage* page = view->document->firstPage; page != nullptr;
         page = page->next.get(), ++index) {
        const std::string file = name + "_page" + std::to_string(index) + ".png";
        written = PaintPagePicture(
                      view, page,
                      [&](platform::BitmapHandle image, const gfx::Mapping&) {
                          return gfx::WritePng(
                              image, (std::filesystem::path(QL_TEST_OUTPUT_DIR) / file).string());
                      }) &&
                  written;
    }
    view->currentPage = shown;
    view->currentSystem = shown->firstSystem.get();
    UpdateBeatMaps(view, 0);
    return written;
}

}  // namespace ql::testing
