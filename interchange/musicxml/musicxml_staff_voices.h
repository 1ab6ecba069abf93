// The voices of one staff in one measure, as the file numbers them, and the stem
// each gives the chords the file leaves without one. A voice alone on its staff
// in the measure has its stems follow its notes; with two or more, the voices
// taken by number are upper (stems up), lower (stems down), upper, lower, as the
// score's voices are two upper and two lower ones. A voice counts when it shows a
// note or rest on the staff in the measure: hidden ones take no room.
#pragma once

#include <set>

namespace ql::musicxml {

inline constexpr int kStemNotGiven = 0;
inline constexpr int kStemUp = 1;
inline constexpr int kStemDown = 2;

class StaffVoices {
  public:
    // A shown note or rest of the file's voice on the staff.
    void Add(int fileVoice) { voices_.insert(fileVoice); }
    // The stem of a chord of the voice without one of its own: kStemNotGiven when
    // the voice is alone or shows nothing, else its side.
    int StemOf(int fileVoice) const;

  private:
    std::set<int> voices_;
};

}  // namespace ql::musicxml
