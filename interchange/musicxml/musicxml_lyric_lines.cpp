#include "interchange/musicxml/musicxml_lyric_lines.h"

#include <set>
#include <utility>

namespace ql::musicxml {

LyricLines::LyricLines(const MxlScore& score) {
    for (size_t part = 0; part < score.parts.size(); ++part) {
        std::set<std::pair<int, int>> used;  // (voice, verse), in line order
        for (const MxlMeasure& measure : score.parts[part].measures)
            for (const MxlItem& item : measure.items)
                if (item.kind == MxlItemKind::Note)
                    for (const auto& lyric : item.note.lyrics) used.insert({item.note.voice, lyric.first});
        // The verses of a part's only singing voice keep their numbers' lines.
        const bool oneVoice = used.empty() || used.begin()->first == used.rbegin()->first;
        int line = 0;
        for (const auto& [voice, verse] : used) {
            const int wanted = oneVoice ? verse - 1 : line++;
            lines_[{static_cast<int>(part), voice, verse}] = wanted >= 0 && wanted < kLyricLines ? wanted : -1;
        }
    }
}

int LyricLines::LineOf(int part, int voice, int verse) const {
    const auto found = lines_.find({part, voice, verse});
    return found == lines_.end() ? -1 : found->second;
}

}  // namespace ql::musicxml
