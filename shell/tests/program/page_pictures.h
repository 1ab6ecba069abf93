// Every page of a score kept as a PNG picture in the test output folder, drawn as
// the screen draws it: for a person to look at what a test laid out.
#pragma once

#include <functional>
#include <string>

#include "platform/gfx/mapping.h"
#include "platform/handles.h"

namespace ql {
struct ScorePage;
struct ScoreView;
}

namespace ql::testing {

// Writes "<name>_page<N>.png" for every page of the view's score; the view is put
// back on the page it showed. False when a picture could not be written.
bool SavePagePictures(ScoreView* view, const std::string& name);

// Paints one page of the view's score into an image of the page's size and hands it
// to `use` with the mapping from the page's logical points to the image's pixels
// (the image lives for the call). The view is left on that page. False when the
// picture could not be made.
using PagePictureUse =
    std::function<bool(platform::BitmapHandle image, const gfx::Mapping& mapping)>;
bool PaintPagePicture(ScoreView* view, ScorePage* page, const PagePictureUse& use);

}  // namespace ql::testing
