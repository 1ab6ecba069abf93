// A score for the object benchmarks whose view paints into an image: the object
// classes registered, a laid-out score of the given staves, pages and measures, and
// a memory context that the drawing surface takes as the paint context.
#pragma once

#include <vector>

#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/stored_classes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"

namespace ql::bench {

class PaintScene {
  public:
    static constexpr int kSurfaceSide = 2048;

    PaintScene(int staves, const std::vector<int>& systemsPerPage, int measuresPerSystem) {
        ResetObjectClassTable();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterStoredObjectClasses();
        ok_ = beatmap_score::Build(session_.document, session_.view, staves, systemsPerPage, measuresPerSystem);
        session_.view->pageView = 1;
        image_ = gfx::CreateImageBitmap(kSurfaceSide, kSurfaceSide);
        dc_ = gfx::CreateMemoryContext({});
        gfx::SelectObject(dc_, image_);
        State().drawing.PaintDC = dc_;
    }
    ~PaintScene() {
        State().drawing.PaintDC = {};
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
    }
    PaintScene(const PaintScene&) = delete;
    PaintScene& operator=(const PaintScene&) = delete;

    bool ok() const { return ok_ && dc_; }
    ScoreView* view() { return session_.view; }
    ScoreDocument* document() { return session_.document; }

  private:
    beatmap_score::Session session_;
    bool ok_ = false;
    platform::BitmapHandle image_{};
    platform::DcHandle dc_{};
};

}  // namespace ql::bench
