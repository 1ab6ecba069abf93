// The fixture of the export and import tests: a new document made as the program
// makes one, with the static pools and the stored object classes, a score of
// staves in 4/4 (treble clef, C major) with notes put into voices as the editor
// puts them, a scratch folder for the files written, and running python3 with
// the independent MIDI file parser.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/model/grid.h"
#include "core/tests/model/new_document_fixture.h"
#include "platform/handles.h"

namespace ql::testing {

constexpr int kBarTicks = 4096;
constexpr uint8_t kQuarterCode = 10;
constexpr uint8_t kHalfCode = 11;

class SmfScoreTest : public NewDocumentTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Staves 1..staffCount (staff s on channel s - 1), measures of 4/4.
    void BuildScore(int staffCount, int measureCount);
    EventRecord* Note(int staff, int measure, int time, uint8_t code, int step);
    // A file name in the scratch folder.
    std::string PathOf(const std::string& name) const;
    // Writes bytes to a file of the scratch folder; its path.
    std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) const;

    // Imports a file as the program does, "Continue" clicked in "Prepare Import";
    // the view made (kept for TearDown to free), or null.
    ScoreView* Import(const std::string& path);
    // The same without keeping the view (the caller frees it).
    ScoreView* ImportFile(const std::string& path);
    // The notes of a staff of a score in time order: "measure:time:key" each, blank
    // separated.
    static std::string Notes(ScoreView* view, int staff);
    // Score views other than the fixture's own.
    static int OtherViews(ScoreView* own);

    std::vector<ScoreView*> imported_;

    std::string folder_;
    // The engraving fixture's surface, which an import's new view measures its glyphs
    // on at its first activation as a window's view measures them on the window's.
    platform::DcHandle measuring_{};
};

// The fixture with the music fonts and the reference context the program makes at
// start-up, for the imports whose pages are laid out and checked: the layout
// measures the marks drawn in them (a tempo mark's note) as it places the systems,
// and an imported view measures its note heads as a window's does.
class SmfEngravingTest : public SmfScoreTest {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// The python3 that has the mido package, or empty when none has.
std::string PythonWithMido();
// Runs `script` with `argument`; its standard output (empty on failure).
std::string RunPython(const std::string& python, const std::string& script, const std::string& argument);

}  // namespace ql::testing
