// Tempo marks of a MusicXML score. A direction's metronome mark (a beat unit, with
// a dot or not, and beats per minute) becomes a tempo mark that shows it and sets
// the tempo; a direction or measure that gives only a sound tempo (quarters per
// minute) becomes a tempo mark that sets the tempo and is not shown. The score's
// tempo marks count eighths, quarters and halves, with one dot at most: a mark of
// another beat sets its tempo in quarters, not shown, and is counted.
#pragma once

#include <optional>
#include <string_view>

#include "interchange/import_report.h"
#include "interchange/musicxml/musicxml_model.h"

namespace ql::musicxml {

inline constexpr char kTempoOfOtherBeats[] = "metronome mark of another beat (its tempo kept, in quarters, not shown)";
inline constexpr char kTempoBetweenBeats[] = "metronome mark from one beat to another";
inline constexpr char kTempoWithoutNumber[] = "metronome mark without beats per minute";

// What one direction (or a measure's own sound) says of the tempo, as its
// elements are read.
class TempoReading {
  public:
    void StartDirection() { *this = TempoReading{}; }
    void StartMetronome(bool shown) {
        metronome_ = true;
        shown_ = shown;
    }
    void BeatUnit(int type) { type_ = ++units_ == 1 ? type : type_; }
    void BeatUnitDot() { dots_ += units_ == 1 ? 1 : 0; }
    void PerMinute(std::string_view text);
    void SoundTempo(double quarters) { soundQuarters_ = quarters; }
    // The tempo item of the direction, if it gives one; what the score cannot
    // hold is counted.
    std::optional<MxlItem> EndDirection(ImportReport& skipped) const;

  private:
    bool metronome_ = false;
    bool shown_ = true;
    int units_ = 0;
    int type_ = 0;
    int dots_ = 0;
    int perMinute_ = 0;
    double soundQuarters_ = 0;
};

// A tempo item as the NIFF tempo chunk gives it: its beat in whole notes, beats
// per minute, and whether it is shown.
struct NiffTempoBeat {
    int num = 1;
    int den = 4;
    int perMinute = 120;
    bool shown = true;
};
NiffTempoBeat NiffTempoBeatOf(const MxlItem& tempo);

}  // namespace ql::musicxml
