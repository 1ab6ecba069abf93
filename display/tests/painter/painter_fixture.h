// Fixture of the painter tests: the system-drawing fixture's window, fonts and view,
// with a score of several pages laid out by the beat map; painting through the
// window's paint cycle (clipped to the invalid area, as the score window paints), a
// recording object class for the objects a paint draws, and pixel snapshots.
#pragma once

#include <cstdint>
#include <vector>

#include "core/objects/class_table.h"
#include "core/state/painter_state.h"
#include "display/tests/system/sysdraw_fixture.h"

namespace ql::testing_painter {

// A class that records every Update, Draw and Paint with the page being drawn.
class RecordingClass final : public ScoreObjectClass {
  public:
    struct Call {
        const ScoreObject* object;
        const ScorePage* page;
        char operation;  // 'U', 'D' or 'P'
        uint8_t masterItems;
        int32_t continuationOnly;
        uint8_t pagePainting;
    };
    void Update(ScoreObject* object, ScoreView* view) const override { Record(object, view, 'U'); }
    void Draw(ScoreObject* object, ScoreView* view) const override { Record(object, view, 'D'); }
    void Paint(ScoreObject* object, ScoreView* view) const override { Record(object, view, 'P'); }
    mutable std::vector<Call> calls;

  private:
    void Record(ScoreObject* object, ScoreView* view, char operation) const;
};

class PainterTest : public testing_sysdraw::SysDrawTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // `pages` pages of `systems` systems of `perSystem` measures on `staves` staves.
    void BuildPages(int staves, int pages, int systems, int perSystem, int32_t zoom);
    // Invalidates a client rectangle (the whole client when null) and runs the
    // window's paint cycle with the painter.
    void PaintWindow(const win::Rect* rect);
    // The window's pixels, row by row.
    std::vector<uint32_t> Pixels() const;
    int Width() const;
    int Height() const;
    // A recorded object of a type, linked after `after` (or a list head when null).
    ScoreObject* AddObject(ObjectType type, ScoreObject* after);
    // The number of notices shown so far (each beeps).
    int DrawNotices() const;

    RecordingClass recorder_;
};

}  // namespace ql::testing_painter
