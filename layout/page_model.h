// Vertical placement of a page's systems from a model page: with the document's
// page-model setting, new pages take the system tops of the chosen page instead of
// being spread between their margins.
#pragma once

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScorePage;

// The model page: the page at `index` in the page list when `enabled` and the
// index is below the page count, else null.
const ScorePage* ModelPageAt(ScoreDocument* document, bool enabled, int index);

// The document's own model page: its page-model setting and model page index.
const ScorePage* DocumentModelPage(ScoreDocument* document);

// A page's systems take the tops of the model page's systems in the same
// positions, as far as both have systems; nothing when the model is the page.
void TakeModelTops(const ScorePage* model, ScorePage* page);

// Places a page's systems vertically: spread between the margins
// (LayoutPageSystems), then, when the document has a model page, at its tops (a
// system past the model's last keeps its spread top).
void PlacePageSystems(ScoreView* view, ScorePage* page);

}  // namespace ql
