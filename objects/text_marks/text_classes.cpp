// Registration of the text classes (see text_classes.h).
#include "objects/text_marks/text_classes.h"

#include "objects/lyrics/lyric.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_line.h"

namespace ql {

void RegisterScoreTextClasses() {
    RegisterTextLineClass();
    RegisterLyricClass();
    RegisterTextBoxClasses();
}

}  // namespace ql
