// The scene of the articulation tests: the note-drawing fixture with the articulation
// class registered, quarters entered on one staff and stemmed, and a click of the
// articulation tool with a palette entry on a note's head.
#pragma once

#include "display/hit_test.h"
#include "notes/accidentals/accidental.h"
#include "notes/articulations/articulation_class.h"
#include "notes/articulations/articulation_tool.h"
#include "notes/drawing/note_redraw.h"
#include "notes/rests/rest.h"
#include "notes/tests/drawing/notedraw_fixture.h"

namespace ql::testing_notedraw {

class ArticulationTest : public NoteDrawTest {
  protected:
    static constexpr int32_t kBeat = 1024;
    static constexpr int32_t kSpace = 128;

    void SetUp() override {
        OpenScene([] {
            RegisterAccidentalClass();
            RegisterRestClass();
            RegisterNoteArticulationClass();
        });
        ResetArticulationTools();
    }
    void TearDown() override {
        ResetArticulationTools();
        NoteDrawTest::TearDown();
    }

    // A quarter of voice `voice` at a beat of a measure, on staff 1.
    EventRecord* Quarter(int measure, int beat, int position, int voice = 0) {
        return Note(1, measure, voice, beat * kBeat, kCodeQuarter, position);
    }
    // The palette and entry the tool has in force.
    static void Choose(ArticulationPalette palette, int entry) {
        ArticulationToolState& tools = ArticulationTools();
        tools.palette = palette;
        (palette == ArticulationPalette::Accents ? tools.accentEntry : tools.ornamentEntry) =
            static_cast<int8_t>(entry);
    }
    // A click of the tool on the note's head in its measure; what it made.
    ScoreObject* Click(EventRecord* note, int measure) {
        const NoteDrawLocation location(view_, 1, measure);
        view_->pointerPoint = GetEventPosition(note, view_);
        return TheNoteArticulationClass().CreateAtClick(nullptr, view_);
    }
};

}  // namespace ql::testing_notedraw
