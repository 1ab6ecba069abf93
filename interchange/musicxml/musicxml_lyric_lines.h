// The lines a part's lyrics are written on. A score keeps four lyric lines under a
// staff; in a file two voices of one staff may each number their verse 1, and on one
// line their syllables would print over each other. Each voice's verses take lines of
// their own: the first voice's verses in order, then the next voice's, and so on.
// When one voice of a part sings, its verse numbers give the lines. Lyrics past the
// fourth line are left out and counted.
#pragma once

#include <map>
#include <tuple>
#include <vector>

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

inline constexpr int kLyricLines = 4;
inline constexpr char kLyricsPastTheLastLine[] = "lyrics past the fourth line of their staff";

class LyricLines {
  public:
    explicit LyricLines(const MxlScore& score);
    // The line (0..3) of a verse (1..) of a voice in a part; -1 past the fourth line.
    int LineOf(int part, int voice, int verse) const;

  private:
    std::map<std::tuple<int, int, int>, int> lines_;  // (part, voice, verse) -> line
};

}  // namespace ql::musicxml
