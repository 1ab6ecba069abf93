// Every page of a score kept as a PNG picture in the test output folder, drawn as
// the screen draws it: for a person to look at what a test laid out.
#pragma once

#include <string>

namespace ql {
struct ScoreView;
}

namespace ql::testing {

// Writes "<name>_page<N>.png" for every page of the view's score; the view is put
// back on the page it showed. False when a picture could not be written.
bool SavePagePictures(ScoreView* view, const std::string& name);

}  // namespace ql::testing
