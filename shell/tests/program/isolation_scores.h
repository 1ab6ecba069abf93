// Scores and observations of the document-isolation tests: a saved two-staff score
// whose second staff has its own clef and key and whose page holds a guide line, new
// scores made through File > New, a view's painted pixels and the drawing notices.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ql {
struct ScoreDocument;
struct ScoreView;
}

namespace ql::testing::isolation {

// Makes the score through File > New (two staves), steps the second staff's clef and
// key, adds a guide line, saves it at `path` and closes its window. The path, or
// empty when the save failed. The program must be running.
std::string SaveTwoStaffScore(const std::filesystem::path& path);
// File > New with `staves` staves, answered OK; the new active view (null if none).
ScoreView* NewScoreFromMenu(int staves);
// Steps the clef and key of the view's `staff` (measure 1) as two undoable edits
// made on the view's document; the edits that took.
int StepClefAndKey(ScoreView* view, int staff, int clefStep, int keyStep);
// The whole window invalidated and painted through its procedure: its size, then its
// pixels row by row.
std::vector<uint32_t> PaintedPixels(ScoreView* view);
// The document's pools (descriptors and the live half of every block), header and
// metrics, byte for byte.
std::vector<uint8_t> PoolBytes(const ScoreDocument* document);
// Drawing notices shown in the status bar so far.
int DrawNoticeCount();

}  // namespace ql::testing::isolation
