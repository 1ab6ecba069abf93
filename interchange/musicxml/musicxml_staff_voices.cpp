#include "interchange/musicxml/musicxml_staff_voices.h"

#include <iterator>

namespace ql::musicxml {

int StaffVoices::StemOf(int fileVoice) const {
    const auto found = voices_.find(fileVoice);
    if (voices_.size() < 2 || found == voices_.end()) return kStemNotGiven;
    return std::distance(voices_.begin(), found) % 2 == 0 ? kStemUp : kStemDown;
}

}  // namespace ql::musicxml
